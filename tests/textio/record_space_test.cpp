// tests/textio/record_space_test.cpp — the space a statement lays its records out in: every
// character at its place, record ends as the unit wants them, scratch runs that never spoil
// what was placed, and a space that is full for good once something did not fit.
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

TEST(RecordSpace, PiecesLandWhereTheyBelongAndScratchIsCovered) {
  for (const PieceCase& c : piece_cases) {
    std::vector<char> memory(512, '#');
    RecordSpace space(memory.data(), memory.data() + memory.size(), RecordSpace::Ending::crlf);
    space.put_blanks(c.blanks_before);
    space.put(c.text);
    space.put_blanks(c.blanks_after);
    space.end_record(true);
    space.put("z");
    const std::string expected =
        std::string(c.blanks_before, ' ') + c.text + std::string(c.blanks_after, ' ') + "\r\nz";
    EXPECT_FALSE(space.full()) << c.name;
    EXPECT_EQ(space.bytes(), expected) << c.name;
  }
}

TEST(RecordSpace, RecordEnds) {
  std::vector<char> memory(64);
  RecordSpace file(memory.data(), memory.data() + memory.size(), RecordSpace::Ending::crlf);
  file.put("ab");
  file.end_record(false);  // left open: nothing follows, the next record goes on
  file.put("cd");
  file.end_record(true);
  EXPECT_EQ(file.bytes(), "abcd\r\n");
  EXPECT_TRUE(file.record_ends().empty());

  RecordSpace console(memory.data(), memory.data() + memory.size(), RecordSpace::Ending::marked);
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
  std::vector<char> memory(40, '#');
  RecordSpace space(memory.data(), memory.data() + memory.size(), RecordSpace::Ending::crlf);
  space.put(std::string(30, 'a'));
  space.put_blanks(8);  // 38 of 40: fits, without the scratch run
  EXPECT_FALSE(space.full());
  space.put("abc");
  EXPECT_TRUE(space.full());
  space.put("x");
  space.end_record(true);
  EXPECT_TRUE(space.full());
  EXPECT_EQ(space.bytes(), std::string(30, 'a') + std::string(8, ' '));
  EXPECT_EQ(std::string(memory.begin() + 38, memory.end()), "##");

  RecordSpace none;
  none.put("a");
  EXPECT_TRUE(none.full());
  EXPECT_EQ(none.size(), 0u);

  std::vector<char> small(8);
  RecordSpace console(small.data(), small.data() + small.size(), RecordSpace::Ending::marked);
  for (std::size_t i = 0; i <= RecordSpace::max_marked_records; ++i) {
    console.end_record(true);
  }
  EXPECT_TRUE(console.full());
}

}  // namespace
}  // namespace duopit::textio
