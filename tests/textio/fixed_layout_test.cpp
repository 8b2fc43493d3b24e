// tests/textio/fixed_layout_test.cpp — records laid out under a format: A-editing widths, the
// record left open by a backslash, reversion, and failures known by the end of the statement.
#include "textio/fixed_layout.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textio/record_space.hpp"

namespace duopit::textio {
namespace {

struct Record {
  std::string text;
  bool terminated;
  bool operator==(const Record&) const = default;
};

// Readable failure output: each record as its text in brackets, "open" when not terminated.
std::string show(const std::vector<Record>& records) {
  std::string out;
  for (const Record& r : records) {
    out += "[" + r.text + "]" + (r.terminated ? "" : "open") + " ";
  }
  return out;
}

std::string alphabet_run(int length) {
  std::string s;
  for (int i = 0; i < length; ++i) {
    s += static_cast<char>('a' + i % 26);
  }
  return s;
}

struct Laid {
  FormatStatus status;
  std::vector<Record> records;
};

// Lays the items out as a statement does, one by one, in a space that notes record ends.
Laid lay_out_with(FixedLayout& layout, const std::vector<std::string_view>& items) {
  std::vector<char> memory(40000);
  RecordSpace space(memory.data(), memory.data() + memory.size() - RecordSpace::spill_bytes,
                    RecordSpace::Ending::marked);
  for (const std::string_view item : items) {
    layout.place_item(space, item);
  }
  layout.finish(space);
  EXPECT_FALSE(space.full());
  Laid laid{layout.status(), {}};
  std::size_t start = 0;
  for (const RecordSpace::RecordEnd& end : space.record_ends()) {
    const std::string_view record = space.bytes().substr(start, end.end - start);
    laid.records.push_back({std::string(record), end.terminated});
    start = end.end;
  }
  return laid;
}

Laid lay_out_fixed(const char* format, int length, const std::vector<std::string_view>& items) {
  FixedLayout layout(format, length);
  return lay_out_with(layout, items);
}

std::vector<Record> lay_out_ok(const char* format, int length,
                               const std::vector<std::string_view>& items) {
  const Laid laid = lay_out_fixed(format, length, items);
  EXPECT_EQ(laid.status, FormatStatus::ok) << format;
  return laid.records;
}

struct Case {
  const char* format;
  int length;
  std::vector<std::string_view> items;
  std::vector<Record> expected;
};

const std::string prompt = " Rumo de saida ficticio (em graus):";

const std::vector<Case> cases = {
    // Width against item length.
    {"(A5)", -1, {"abc"}, {{"  abc", true}}},
    {"(A3)", -1, {"abc"}, {{"abc", true}}},
    {"(A2)", -1, {"abc"}, {{"ab", true}}},
    {"(A)", -1, {"abc  "}, {{"abc  ", true}}},  // the item's own blanks are characters
    {"(A5,A5)", -1, {"ab", "cd"}, {{"   ab   cd", true}}},
    {"(2A4)", -1, {"x", "yz"}, {{"   x  yz", true}}},
    // An empty item places nothing, so the blanks it owes are dropped at the record end, but
    // go out in front of a later item's characters.
    {"(A5)", -1, {""}, {{"", true}}},
    {"(A5,A2)", -1, {"", "xy"}, {{"     xy", true}}},
    // No items: the format still runs to its end.
    {"(A5)", -1, {}, {{"", true}}},
    {"(\\)", -1, {}, {{"", false}}},
    // The backslash leaves the record open only when met after the last item.
    {"(a\\)", 4, {prompt}, {{prompt, false}}},
    {"(A\\)", 4, {prompt}, {{prompt, false}}},
    {"(A$)", -1, {prompt}, {{prompt, false}}},
    {"(a\\)Rumo de saida", 4, {"x"}, {{"x", false}}},
    {"(\\,A3)", -1, {"abc"}, {{"abc", true}}},
    {"(A3,A3,\\)", -1, {"abc"}, {{"abc", false}}},
    {"(2(A3,\\))", -1, {"a", "b"}, {{"  a  b", false}}},
    {"(2(\\,A3))", -1, {"a", "b"}, {{"  a  b", true}}},
    {"(2(A3,\\))", -1, {"a"}, {{"  a", false}}},
    // Items left at the final ")": a new record from the last top-level group.
    {"(A3)", -1, {"abc", "def"}, {{"abc", true}, {"def", true}}},
    {"(A3,\\)", -1, {"abc", "def"}, {{"abc", true}, {"def", false}}},
    {"(A2,(A3))", -1, {"aa", "bbb", "ccc"}, {{"aabbb", true}, {"ccc", true}}},
    {"(A1,2(A2))", -1, {"a", "b", "c", "d", "e"}, {{"a b c", true}, {" d e", true}}},
    {"(A1)", -1, {"a", "b", "c"}, {{"a", true}, {"b", true}, {"c", true}}},
    {"(A5)", -1, {"", "x"}, {{"", true}, {"    x", true}}},  // owed blanks die with the record
    // Blanks and tabs inside the width.
    {"(A 1\t0)", -1, {"abc"}, {{"       abc", true}}},
    // No carriage control here: a leading "0", "1" or "+" is data.
    {"(A3)", -1, {"0ab"}, {{"0ab", true}}},
    {"(A3)", -1, {"1ab"}, {{"1ab", true}}},
    {"(A3)", -1, {"+ab"}, {{"+ab", true}}},
};

TEST(LayOutFixed, Table) {
  for (const Case& c : cases) {
    const std::vector<Record> got = lay_out_ok(c.format, c.length, c.items);
    EXPECT_EQ(got, c.expected) << c.format << " gave " << show(got);
  }
}

TEST(LayOutFixed, TitleFieldWrittenWhole) {
  // A 93-character title assigned to its 180-character field: the record is the field itself,
  // its 87 trailing blanks kept; titles starting with a carriage-control character included.
  for (const char first : {'D', '0', '1', '+'}) {
    const std::string field = first + alphabet_run(92) + std::string(87, ' ');
    ASSERT_EQ(field.size(), 180u);
    const std::string_view item = field;
    EXPECT_EQ(lay_out_ok("(A180)", -1, {item}), (std::vector<Record>{{field, true}})) << first;
  }
}

TEST(LayOutFixed, ShortItemRightAlignedInWideField) {
  const std::string item = alphabet_run(35);
  const std::vector<Record> expected = {{std::string(145, ' ') + item, true}};
  EXPECT_EQ(lay_out_ok("(A180)", -1, {item}), expected);
}

TEST(LayOutFixed, LongItemCutToWidth) {
  const std::string item = alphabet_run(200);
  const std::vector<Record> expected = {{item.substr(0, 180), true}};
  EXPECT_EQ(lay_out_ok("(A180)", -1, {item}), expected);
}

TEST(LayOutFixed, WidestFieldOwesManyBlanks) {
  const std::vector<Record> expected = {{std::string(32766, ' ') + "z", true}};
  EXPECT_EQ(lay_out_ok("(A32767)", -1, {"z"}), expected);
}

TEST(LayOutFixed, CapitalAAndLowerCaseAGiveTheSameRecord) {
  EXPECT_EQ(lay_out_ok("(a\\)", 4, {prompt}), lay_out_ok("(A\\)", 4, {prompt}));
  EXPECT_EQ(lay_out_ok("(A180)", -1, {prompt}), lay_out_ok("(a180)", -1, {prompt}));
}

struct FailCase {
  const char* format;
  int length;
  std::vector<std::string_view> items;
  const char* rule;
};

const std::vector<FailCase> fail_cases = {
    {"(A5", -1, {"abc"}, "no closing parenthesis"},
    {"(a\\)", 3, {"abc"}, "length cuts the format"},
    {"(I5)", -1, {"abc"}, "unknown descriptor"},
    {"", -1, {}, "empty format"},
    {"(\\)", -1, {"abc"}, "no A descriptor for an item"},
    {"()", -1, {"abc"}, "no descriptor at all for an item"},
    // The first record would be complete before the reversion finds no A: it must not appear.
    {"(A3,(\\))", -1, {"abc", "def"}, "reversion group without an A descriptor"},
    {"(A3,2(\\))", -1, {"a", "b", "c"}, "repeated reversion group without an A descriptor"},
};

// The statement keeps nothing of a failed layout (see output_statement_test.cpp); here the
// failure must be known by the time the statement ends.
TEST(LayOutFixed, FailuresAreKnownWhenTheStatementEnds) {
  for (const FailCase& c : fail_cases) {
    EXPECT_EQ(lay_out_fixed(c.format, c.length, c.items).status, FormatStatus::bad_syntax)
        << c.rule;
  }
}

TEST(LayOutFixed, ItemsAreNotOverrun) {
  // Only the item's own bytes are read: the view ends before the sentinel.
  const std::string storage = "abcXYZ";
  const std::string_view item(storage.data(), 3);
  EXPECT_EQ(lay_out_ok("(A)", -1, {item}), (std::vector<Record>{{"abc", true}}));
  EXPECT_EQ(lay_out_ok("(A6)", -1, {item}), (std::vector<Record>{{"   abc", true}}));
}

}  // namespace
}  // namespace duopit::textio
