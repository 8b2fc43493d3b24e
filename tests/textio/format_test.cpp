// tests/textio/format_test.cpp — the format walker: what parses, the stream of A descriptors
// with repeats and groups expanded, reversion, and the stretch after the last item.
#include "textio/format.hpp"

#include <gtest/gtest.h>

#include <string>

namespace duopit::textio {
namespace {

// The descriptor stream as text: "A5" (A with width), "A" (no width), "\" (backslash),
// ")" (end of format), "!" (bad syntax), separated by blanks.
std::string describe(Descriptor d) {
  switch (d.kind) {
    case Descriptor::Kind::a_edit:
      return d.width < 0 ? "A" : "A" + std::to_string(d.width);
    case Descriptor::Kind::end_of_format:
      return ")";
    case Descriptor::Kind::bad_syntax:
      return "!";
  }
  return "?";
}

// Walks until the end of the format (or a bad-syntax answer), at most `limit` descriptors.
std::string walk(FormatWalker& walker, int limit = 64) {
  std::string out;
  for (int i = 0; i < limit; ++i) {
    const Descriptor d = walker.next_a_edit();
    out += (out.empty() ? "" : " ") + describe(d);
    if (d.kind == Descriptor::Kind::end_of_format || d.kind == Descriptor::Kind::bad_syntax) {
      break;
    }
  }
  return out;
}

struct WalkCase {
  const char* format;
  int length;
  const char* stream;
};

constexpr WalkCase walk_cases[] = {
    {"(A180)", -1, "A180 )"},
    {"(a\\)", 4, "A )"},
    {"(A\\)", 4, "A )"},
    {"(A$)", -1, "A )"},
    {"(a\\)Rumo de saida", 4, "A )"},       // the length ends the text, not a NUL
    {"(A5)(I3, junk", -1, "A5 )"},           // nothing after the matching ")" is read
    {"(A1 8\t0)", -1, "A180 )"},             // blanks and tabs between digits
    {" \t( a 5 , \\ , A ) ", -1, "A5 A )"},
    {"(AA)", -1, "A A )"},                   // commas are optional
    {"(A3\\A4)", -1, "A3 A4 )"},
    {"(A,)", -1, "A )"},                     // a comma after a descriptor is skipped
    {"()", -1, ")"},
    {"(2A5)", -1, "A5 A5 )"},
    {"(2 a)", -1, "A A )"},
    {"(1 2A1)", -1, "A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 A1 )"},
    {"(2(A3,\\))", -1, "A3 A3 )"},
    {"(A1,2(A2,2(A3)),A4)", -1, "A1 A2 A3 A3 A2 A3 A3 A4 )"},
    {"(2(\\),A1)", -1, "A1 )"},
    {"(((((((((A7)))))))))", -1, "A7 )"},  // eight groups inside the outer parentheses
    {"(A32767)", -1, "A32767 )"},
};

// A literal format is checked when the program is compiled, with the answers the check gives
// at run time.
static_assert(FormatWalker("(A180)", -1).status() == FormatStatus::ok);
static_assert(FormatWalker("(a\\)", 4).status() == FormatStatus::ok);
static_assert(FormatWalker("(2(A3,\\),A)", -1).status() == FormatStatus::ok);
static_assert(FormatWalker("(A180", -1).status() == FormatStatus::bad_syntax);
static_assert(FormatWalker("(I3)", -1).status() == FormatStatus::bad_syntax);
static_assert(FormatWalker("(A5)", 3).status() == FormatStatus::bad_syntax);

TEST(FormatWalker, DescriptorStream) {
  for (const WalkCase& c : walk_cases) {
    FormatWalker walker(c.format, c.length);
    EXPECT_EQ(walker.status(), FormatStatus::ok) << c.format;
    EXPECT_EQ(walk(walker), c.stream) << c.format;
  }
}

struct BadCase {
  const char* format;
  int length;
  const char* rule;
};

constexpr BadCase bad_cases[] = {
    {"", -1, "empty text"},
    {"(A5)", 0, "length 0"},
    {"   ", -1, "only blanks"},
    {"A5", -1, "no opening parenthesis"},
    {"2(A5)", -1, "repeat count before the outer parenthesis"},
    {"(A5", -1, "no matching parenthesis"},
    {"(a\\)", 3, "length cuts the text before its closing parenthesis"},
    {"(A180)", 4, "length cuts inside the width"},
    {"((A5)", -1, "nested group never closed"},
    {"(A0)", -1, "width 0"},
    {"(A 0 0)", -1, "width 0 written with blanks"},
    {"(0A5)", -1, "repeat count 0"},
    {"(0(A5))", -1, "group repeat count 0"},
    {"(A32768)", -1, "width above the limit"},
    {"(A99999999999999999999)", -1, "width that would overflow"},
    {"(32768A1)", -1, "repeat count above the limit"},
    {"(I5)", -1, "another descriptor"},
    {"(X)", -1, "another descriptor"},
    {"(A5/)", -1, "slash"},
    {"(A5:)", -1, "colon"},
    {"('x')", -1, "quoted string"},
    {"(\"x\")", -1, "quoted string"},
    {"(B)", -1, "letter that is not A"},
    {"(,A)", -1, "comma before any descriptor"},
    {"(A,,A)", -1, "two commas"},
    {"((,A))", -1, "comma right after a group opens"},
    {"(2\\)", -1, "repeat count before a backslash"},
    {"(2)", -1, "repeat count before nothing"},
    {"(2,A)", -1, "repeat count before a comma"},
    {"(A())", -1, "empty nested group"},
    {"(A;)", -1, "semicolon"},
    {"((((((((((A7))))))))))", -1, "nine nested groups"},
};

TEST(FormatWalker, BadSyntax) {
  for (const BadCase& c : bad_cases) {
    FormatWalker walker(c.format, c.length);
    EXPECT_EQ(walker.status(), FormatStatus::bad_syntax) << c.format << ": " << c.rule;
    EXPECT_EQ(walk(walker, 3), "!") << c.format << ": " << c.rule;
  }
}

TEST(FormatWalker, UnusableTextIsBadSyntax) {
  EXPECT_EQ(FormatWalker(nullptr, -1).status(), FormatStatus::bad_syntax);
  EXPECT_EQ(FormatWalker("(A5)", -2).status(), FormatStatus::bad_syntax);
  const char with_nul[] = {'(', 'A', '\0', ')'};
  EXPECT_EQ(FormatWalker(with_nul, 4).status(), FormatStatus::bad_syntax);
}

TEST(FormatWalker, BadFormatAnswersBadSyntaxEverywhere) {
  FormatWalker walker("(A5", -1);
  EXPECT_EQ(describe(walker.next_a_edit()), "!");
  EXPECT_FALSE(walker.finish());
  walker.revert();
  EXPECT_EQ(describe(walker.next_a_edit()), "!");
}

TEST(FormatWalker, EndOfFormatRepeatsUntilReverted) {
  FormatWalker walker("(A1)", -1);
  EXPECT_EQ(walk(walker), "A1 )");
  EXPECT_EQ(describe(walker.next_a_edit()), ")");
  EXPECT_EQ(describe(walker.next_a_edit()), ")");
}

struct RevertCase {
  const char* format;
  const char* after_revert;  // the stream from the reversion point to the end
};

constexpr RevertCase revert_cases[] = {
    {"(A1,A2)", "A1 A2 )"},                  // no group: the whole format
    {"(A1,(A2,A3),A4)", "A2 A3 A4 )"},
    {"(A1,2(A2),A4)", "A2 A2 A4 )"},         // the group's repeat count comes along
    {"(A1,(A2),(A3))", "A3 )"},              // the last top-level group
    {"(A1,(A2,(A3)),A4)", "A2 A3 A4 )"},     // a nested group is not top-level
    {"(\\,A1, 2 (\\,A2))", "A2 A2 )"},
};

TEST(FormatWalker, RevertGoesToLastTopLevelGroup) {
  for (const RevertCase& c : revert_cases) {
    FormatWalker walker(c.format, -1);
    (void)walk(walker);
    walker.revert();
    EXPECT_EQ(walk(walker), c.after_revert) << c.format;
  }
}

TEST(FormatWalker, RevertFromInsideAGroupDropsItsPasses) {
  FormatWalker walker("(A1,3(A2))", -1);
  EXPECT_EQ(describe(walker.next_a_edit()), "A1");
  EXPECT_EQ(describe(walker.next_a_edit()), "A2");
  walker.revert();
  EXPECT_EQ(walk(walker), "A2 A2 A2 )");
}

TEST(FormatWalker, NextAEditPassesBackslashesAndEmptyGroups) {
  FormatWalker walker("(\\,A1,2(\\),A2\\,(\\,(\\)),2A3)", -1);
  std::string out;
  for (Descriptor d = walker.next_a_edit(); d.kind == Descriptor::Kind::a_edit;
       d = walker.next_a_edit()) {
    out += describe(d) + " ";
  }
  EXPECT_EQ(out, "A1 A2 A3 A3 ");
}

TEST(FormatWalker, NextAEditStepsOverHugeRepeatsAtOnce) {
  // Expanded one by one these would be about 2^60 backslashes.
  FormatWalker walker("(32767(32767(32767(32767(\\)))),A1)", -1);
  EXPECT_EQ(describe(walker.next_a_edit()), "A1");
  EXPECT_EQ(describe(walker.next_a_edit()), ")");
}

struct FinishCase {
  const char* format;
  int a_edits_taken;  // how many A descriptors the items used before the rest is processed
  bool backslash;     // whether a backslash stands on the rest
};

constexpr FinishCase finish_cases[] = {
    {"(A)", 1, false},
    {"(A\\)", 1, true},
    {"(A$)", 1, true},
    {"(\\A)", 1, false},          // met while items remained: no effect
    {"(A,A,\\)", 1, true},        // processed on to the final ")", past unused A descriptors
    {"(A)", 0, false},
    {"(\\)", 0, true},
    {"(A1,(\\))", 1, true},
    {"(2(\\,A1))", 1, true},      // the second pass of the group brings a backslash
    {"(1(\\,A1))", 1, false},
    {"(2(\\,A1))", 2, false},
    {"(2(A1,\\))", 2, true},
    {"(2(A1,2(A2),\\))", 2, true},
    {"(2(A1,3(A2)),A3)", 2, false},
    {"(2(\\,(A1)))", 1, true},    // an outer group's remaining pass counts too
    {"(3A1,\\)", 1, true},        // repeats of an A still owed are dropped, not a stop
    {"(A1,32767(32767(32767(\\))))", 1, true},
};

TEST(FormatWalker, FinishSaysWhetherABackslashIsLeft) {
  for (const FinishCase& c : finish_cases) {
    FormatWalker walker(c.format, -1);
    for (int i = 0; i < c.a_edits_taken; ++i) {
      ASSERT_EQ(walker.next_a_edit().kind, Descriptor::Kind::a_edit) << c.format;
    }
    EXPECT_EQ(walker.finish(), c.backslash) << c.format << " after " << c.a_edits_taken;
    EXPECT_EQ(describe(walker.next_a_edit()), ")") << c.format;  // finish stops on the final ")"
  }
}

}  // namespace
}  // namespace duopit::textio
