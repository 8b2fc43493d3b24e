// tests/textio/assign_text_test.cpp — character assignment: cut-off, blank fill, overlap and the
// bytes around the destination left alone.
#include "textio/assign_text.hpp"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace duopit::textio {
namespace {

// Every case works in one 8-byte buffer "abcdefgh" guarded by sentinels; the source is either
// another text or (same_buffer) the buffer itself, so overlap can be pinned byte for byte.
struct Case {
  const char* rule;
  int dest_first;
  int dest_last;
  const char* src;  // nullptr: the buffer itself
  int src_first;
  int src_last;
  const char* expected;
};

constexpr Case cases[] = {
    {"whole field, equal length", 1, 8, "ABCDEFGH", 1, 8, "ABCDEFGH"},
    {"shorter source is blank-filled", 1, 8, "XYZ", 1, 3, "XYZ     "},
    {"longer source is cut off", 1, 4, "WXYZUV", 1, 6, "WXYZefgh"},
    {"substring into substring", 3, 5, "WXYZ", 2, 3, "abXY fgh"},
    {"source length 0 blanks the field", 2, 7, "XYZ", 1, 0, "a      h"},
    {"negative source length counts as 0", 1, 8, "XYZ", 3, 1, "        "},
    {"destination length 0 does nothing", 4, 3, "XYZ", 1, 3, "abcdefgh"},
    {"negative destination length does nothing", 6, 2, "XYZ", 1, 3, "abcdefgh"},
    {"single character", 8, 8, "XYZ", 3, 3, "abcdefgZ"},
    // Overlap in both directions: a naive forward copy would smear "abab..." over the field.
    {"overlap, moving right", 3, 8, nullptr, 1, 6, "ababcdef"},
    {"overlap, moving left", 1, 6, nullptr, 3, 8, "cdefghgh"},
    {"overlap with blank fill", 1, 8, nullptr, 3, 5, "cde     "},
    {"blank fill covers the source afterwards", 3, 8, nullptr, 1, 2, "abab    "},
    {"blank fill over the source, moving left", 1, 8, nullptr, 5, 8, "efgh    "},
    {"assignment to itself", 2, 7, nullptr, 2, 7, "abcdefgh"},
};

// At compile time, as the report's titles are assigned: the same blank fill and cut-off.
constexpr std::array<char, 4> assigned_at_compile_time(const char* src, int length) {
  std::array<char, 4> field{'a', 'b', 'c', 'd'};
  assign_text(field.data(), 1, 4, src, 1, length);
  return field;
}
static_assert(assigned_at_compile_time("XY", 2) == std::array<char, 4>{'X', 'Y', ' ', ' '});
static_assert(assigned_at_compile_time("VWXYZ", 5) == std::array<char, 4>{'V', 'W', 'X', 'Y'});
static_assert(assigned_at_compile_time("", 0) == std::array<char, 4>{' ', ' ', ' ', ' '});

TEST(AssignText, Table) {
  for (const Case& c : cases) {
    std::string buffer = "<abcdefgh>";
    char* const field = buffer.data() + 1;
    const char* const src = c.src == nullptr ? field : c.src;
    assign_text(field, c.dest_first, c.dest_last, src, c.src_first, c.src_last);
    EXPECT_EQ(buffer, std::string("<") + c.expected + ">") << c.rule;
  }
}

TEST(AssignText, TitleInItsFieldKeepsTrailingBlanks) {
  const std::string title(93, 'T');
  std::string field(180, '#');
  assign_text(field.data(), 1, 180, title.data(), 1, 93);
  EXPECT_EQ(field.substr(0, 93), title);
  EXPECT_EQ(field.substr(93), std::string(87, ' '));  // positions 94 to 180
}

TEST(AssignText, SourceLongerThanFieldKeepsItsFirstCharacters) {
  std::string source;
  for (int i = 0; i < 200; ++i) {
    source += static_cast<char>('a' + i % 26);
  }
  std::string field(182, '#');  // one guard byte each side
  assign_text(field.data(), 2, 181, source.data(), 1, 200);
  EXPECT_EQ(field, "#" + source.substr(0, 180) + "#");
}

TEST(AssignText, EmptySourceBlanksWholeField) {
  std::string field(180, '#');
  assign_text(field.data(), 1, 180, nullptr, 1, 0);
  EXPECT_EQ(field, std::string(180, ' '));
}

TEST(AssignText, ExtremePositionsDoNotWrapIntoALength) {
  // dest_last - dest_first + 1 overflows 32 bits; computed honestly it is negative.
  std::string field = "abc";
  assign_text(field.data(), 2147483647, -2147483647, "XYZ", 1, 3);
  EXPECT_EQ(field, "abc");
}

}  // namespace
}  // namespace duopit::textio
