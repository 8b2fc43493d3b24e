// tests/textio/record_space_test.cpp — the space a statement lays its records out in: every
// character at its place, record ends as the unit wants them, fixed-size runs that never spoil
// what was placed nor reach past the spill, and a space that is full for good once something
// did not fit.
#include "textio/record_space.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace duopit::textio {
namespace {

struct PieceCase {
  const char* name;
  std::size_t blanks_before;  // put_blanks before the text
  std::string text;
  std::size_t blanks_after;
};

// Lengths on both sides of the short-copy sizes (4, 8, 16) and of the 32-blank run.
const std::vector<PieceCase> piece_cases = {
    {"nothing", 0, "", 0},
    {"one character", 1, "a", 0},
    {"three characters", 0, "abc", 3},
    {"four characters", 2, "abcd", 1},
    {"seven characters", 0, "abcdefg", 7},
    {"eight characters", 1, "abcdefgh", 0},
    {"sixteen characters", 0, "abcdefghijklmnop", 16},
    {"seventeen characters", 31, "abcdefghijklmnopq", 32},
    {"long text, many blanks", 33, std::string(180, 't'), 100},
};

// A space over `size` bytes of `memory`, followed by its spill and then by guard bytes '#'
// that nothing may touch.
constexpr std::size_t guard_bytes = 16;
RecordSpace space_over(std::vector<char>& memory, std::size_t size, RecordSpace::Ending ending) {
  memory.assign(size + RecordSpace::spill_bytes + guard_bytes, '#');
  return RecordSpace(memory.data(), memory.data() + size, ending);
}

bool guard_intact(const std::vector<char>& memory) {
  return std::string(memory.end() - guard_bytes, memory.end()) == std::string(guard_bytes, '#');
}

TEST(RecordSpace, PiecesLandWhereTheyBelongAndRunsAreCovered) {
  for (const PieceCase& c : piece_cases) {
    std::vector<char> memory;
    RecordSpace space = space_over(memory, 512, RecordSpace::Ending::crlf);
    space.put_blanks(c.blanks_before);
    space.put(c.text);
    space.put_blanks(c.blanks_after);
    space.end_record(true);
    space.put("z");
    const std::string expected =
        std::string(c.blanks_before, ' ') + c.text + std::string(c.blanks_after, ' ') + "\r\nz";
    EXPECT_FALSE(space.full()) << c.name;
    EXPECT_EQ(space.bytes(), expected) << c.name;
    // The same pieces, owed blanks and text in one claim, and the record ended after blanks.
    RecordSpace fused = space_over(memory, 512, RecordSpace::Ending::crlf);
    fused.put(c.blanks_before, c.text);
    fused.end_record(true, c.blanks_after);
    fused.put("z");
    EXPECT_EQ(fused.bytes(), expected) << c.name;
  }
}

// A space filled to its last byte by a piece whose runs spill: blanks and a record end, or
// blanks and a short text. The runs stay within the spill, and the space is exactly full.
TEST(RecordSpace, RunsSpillNoFurtherThanTheSpill) {
  constexpr std::size_t size = 40;
  for (std::size_t blanks = 0; blanks <= 34; ++blanks) {
    for (const std::string_view text : {"", "abcd", "abcdefghijklmnop"}) {
      if (blanks + text.size() + 2 > size) {
        continue;
      }
      std::vector<char> memory;
      RecordSpace space = space_over(memory, size, RecordSpace::Ending::crlf);
      const std::string filler(size - blanks - text.size() - 2, 'f');
      space.put(filler);
      space.put(blanks, text);
      space.end_record(true);
      EXPECT_FALSE(space.full()) << blanks << " " << text;
      EXPECT_EQ(space.bytes(), filler + std::string(blanks, ' ') + std::string(text) + "\r\n");
      EXPECT_TRUE(guard_intact(memory)) << blanks << " " << text;
    }
  }
}

TEST(RecordSpace, RecordEnds) {
  std::vector<char> memory;
  RecordSpace file = space_over(memory, 64, RecordSpace::Ending::crlf);
  file.put("ab");
  file.end_record(false);  // left open: nothing follows, the next record goes on
  file.put("cd");
  file.end_record(true);
  EXPECT_EQ(file.bytes(), "abcd\r\n");
  EXPECT_TRUE(file.record_ends().empty());

  RecordSpace console = space_over(memory, 64, RecordSpace::Ending::marked);
  console.put(" one");
  console.end_record(true);
  console.end_record(true);  // an empty record
  console.put("+two");
  console.end_record(false);
  EXPECT_EQ(console.bytes(), " one+two");
  ASSERT_EQ(console.record_ends().size(), 3u);
  EXPECT_EQ(console.record_ends()[0].end, 4u);
  EXPECT_EQ(console.record_ends()[1].end, 4u);
  EXPECT_EQ(console.record_ends()[2].end, 8u);
  EXPECT_FALSE(console.record_ends()[2].terminated);
}

// What does not fit is not placed, and nothing after it is either: a statement is kept whole
// or not at all.
TEST(RecordSpace, FullForGoodOnceSomethingDoesNotFit) {
  std::vector<char> memory;
  RecordSpace space = space_over(memory, 40, RecordSpace::Ending::crlf);
  space.put(std::string(30, 'a'));
  space.put_blanks(8);  // 38 of 40: fits
  EXPECT_FALSE(space.full());
  space.put("abc");
  EXPECT_TRUE(space.full());
  space.put("x");
  space.end_record(true);
  EXPECT_TRUE(space.full());
  EXPECT_EQ(space.bytes(), std::string(30, 'a') + std::string(8, ' '));
  EXPECT_TRUE(guard_intact(memory));

  RecordSpace none;
  none.put("a");
  EXPECT_TRUE(none.full());
  EXPECT_EQ(none.size(), 0u);

  std::vector<char> small;
  RecordSpace console = space_over(small, 8, RecordSpace::Ending::marked);
  for (std::size_t i = 0; i <= RecordSpace::max_marked_records; ++i) {
    console.end_record(true);
  }
  EXPECT_TRUE(console.full());
}

}  // namespace
}  // namespace duopit::textio
