// tests/textio/free_layout_test.cpp — free-format records from item sequences: the leading
// blank, texts as given, reals right-justified in their fields, wrapping at 79 columns.
// Expected records are built from counts of blanks and characters: a leading blank, each real
// ending at the right edge of its 24-column field (25 after another real), 79 columns a record.
#include "textio/free_layout.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace duopit::textio {
namespace {

struct OutputItem {
  enum class Kind { text, real };
  Kind kind;
  std::string_view text;
  double real;
};

struct Laid {
  std::vector<std::string> records;  // each without its CR LF
  bool all_terminated;               // every record was followed by CR LF
};

// Lays the items out as a statement does, one by one, in a space like the report unit's.
// `reused`: the layout has laid out part of another statement first, a real last, and is
// restarted, as the one layout of the statement state is for every statement.
Laid lay_out_free(const std::vector<OutputItem>& items, bool reused = false) {
  std::vector<char> memory(4096);
  RecordSpace space(memory.data(), memory.data() + memory.size() - RecordSpace::spill_bytes,
                    RecordSpace::Ending::crlf);
  FreeLayout layout;
  if (reused) {
    std::vector<char> other(256);
    RecordSpace other_space(other.data(), other.data() + other.size() - RecordSpace::spill_bytes,
                            RecordSpace::Ending::crlf);
    layout.place_text(other_space, "x=");
    layout.place_real(other_space, 1.5);
    layout.restart();
  }
  Laid laid{{}, true};
  for (const OutputItem& item : items) {
    if (item.kind == OutputItem::Kind::text) {
      layout.place_text(space, item.text);
    } else {
      layout.place_real(space, item.real);
    }
  }
  layout.finish(space);
  EXPECT_FALSE(space.full());
  std::string_view bytes = space.bytes();
  while (!bytes.empty()) {
    const std::size_t end = bytes.find("\r\n");
    laid.all_terminated = laid.all_terminated && end != std::string_view::npos;
    laid.records.emplace_back(bytes.substr(0, end));
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 2);
  }
  return laid;
}

OutputItem text(std::string_view t) { return {OutputItem::Kind::text, t, 0.0}; }
OutputItem real(double v) { return {OutputItem::Kind::real, {}, v}; }
std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

const std::string letters_100 =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL";
std::string letters(int n) { return letters_100.substr(0, static_cast<std::size_t>(n)); }

struct RecordCase {
  const char* name;
  std::vector<OutputItem> items;
  std::vector<std::string> records;
};

std::vector<RecordCase> record_cases() {
  const std::string one = "1.000000000000000";
  const std::string two = "2.000000000000000";
  const std::string three = "3.000000000000000";
  const std::string four = "4.000000000000000";
  static const std::string text_78 = letters(78);
  static const std::string text_79 = letters(79);
  static const std::string text_100 = letters(100);
  static const std::string text_60 = letters(60);
  static const std::string text_55 = letters(55);
  return {
      // The report's own statement shapes.
      {"empty statement", {}, {" "}},
      {"labelled x1", {text(" x1="), real(25558.257)}, {"  x1=" + blanks(3) + "25558.257000000000000"}},
      {"labelled y2", {text(" y2="), real(66117.494)}, {"  y2=" + blanks(3) + "66117.494000000010000"}},
      {"bare value", {real(71.27711999526346)}, {blanks(7) + "71.277119995263460"}},
      {"label without blank", {text("R_ab="), real(244.53979848108142)},
       {" R_ab=" + blanks(5) + "244.539798481081400"}},
      {"exponent form", {text(" difx2="), real(-0.0011884689156431705)},
       {"  difx2=" + blanks(1) + "-1.188468915643171E-003"}},
      {"longest report record", {text("R12 ficticio ="), real(115.4602015189186)},
       {" R12 ficticio =" + blanks(5) + "115.460201518918600"}},
      {"zero", {text(" x1="), real(0.0)}, {"  x1=" + blanks(2) + "0.000000000000000E+000"}},
      // Sequences beyond the report's statements.
      {"two reals", {real(1.0), real(2.0)}, {blanks(8) + one + blanks(8) + two}},
      {"real, text, real", {real(1.0), text("abc"), real(2.0)}, {blanks(8) + one + "abc" + blanks(7) + two}},
      {"two texts", {text("abc"), text("def")}, {" abcdef"}},
      {"four reals wrap", {real(1.0), real(2.0), real(3.0), real(4.0)},
       {blanks(8) + one + blanks(8) + two + blanks(8) + three, blanks(8) + four}},
      {"78-character text", {text(text_78)}, {" " + text_78}},
      {"79-character text", {text(text_79)}, {" " + text_79, " "}},
      {"100-character text", {text(text_100)}, {" " + text_100.substr(0, 79), " " + text_100.substr(79)}},
      {"text then real that does not fit", {text(text_60), real(1.0)}, {" " + text_60, blanks(7) + one}},
      // 55 characters leave the 24 columns of a real's field: a field that would fill the
      // record to its last column opens the next one.
      {"real that would fill the record", {text(text_55), real(1.0)}, {" " + text_55, blanks(7) + one}},
      {"real then text that does not fit", {real(1.0), text(text_60)},
       {blanks(8) + one + text_60.substr(0, 55), " " + text_60.substr(55)}},
      // A text ending exactly at a record end leaves the next record with its blank owed.
      {"79-character text then real", {text(text_79), real(1.0)}, {" " + text_79, blanks(8) + one}},
      {"text that ends in a blank", {text("a ")}, {" a "}},
      {"empty text", {text("")}, {" "}},
      {"empty text between reals drops the separator", {real(1.0), text(""), real(2.0)},
       {blanks(8) + one + blanks(7) + two}},
      {"infinity marker", {real(std::numeric_limits<double>::infinity())}, {blanks(3) + "1#INF................."}},
      // Three reals take 24 + 25 + 25 of the 79 columns; five are left for the text.
      {"text split after reals", {real(1.0), real(2.0), real(3.0), text("abcdef")},
       {blanks(8) + one + blanks(8) + two + blanks(8) + three + "abcde", " f"}},
  };
}

TEST(LayOutFree, Records) {
  for (const RecordCase& c : record_cases()) {
    for (const bool reused : {false, true}) {
      const Laid laid = lay_out_free(c.items, reused);
      EXPECT_EQ(laid.records, c.records) << c.name << (reused ? ", reused layout" : "");
      EXPECT_TRUE(laid.all_terminated) << c.name;
    }
  }
}

TEST(LayOutFree, RecordsNeverExceedEightyCharacters) {
  // Mixed sequences of reals of every text length and texts of many lengths.
  const double values[] = {1.0, -1.0, 0.0, -1.0e-100, 9999999.0, -9999999.0, 25558.257};
  for (int n = 0; n <= 100; n += 7) {
    std::vector<OutputItem> items;
    const std::string t = letters(n);
    for (const double v : values) {
      items.push_back(real(v));
      items.push_back(text(t));
      items.push_back(real(v));
    }
    const Laid laid = lay_out_free(items);
    for (const std::string& r : laid.records) {
      EXPECT_LE(r.size(), 80u) << "text length " << n;
      EXPECT_FALSE(r.empty()) << "text length " << n;
    }
  }
}

}  // namespace
}  // namespace duopit::textio
