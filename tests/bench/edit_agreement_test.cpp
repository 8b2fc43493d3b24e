// tests/bench/edit_agreement_test.cpp — the editing benchmark's check that two texts render
// the same real: reading the leading 16 digits of either form, and the one-unit comparison,
// including its boundaries.
#include "bench/edit_agreement.hpp"

#include <gtest/gtest.h>

namespace duopit::bench {
namespace {

struct ReadCase {
  const char* text;
  bool negative;
  std::int64_t digits;
  int exponent;
};

constexpr ReadCase read_cases[] = {
    {"25558.257000000000000", false, 2555825700000000, 4},
    {"1.000000000000000", false, 1000000000000000, 0},
    {"1.000000000000000E-001", false, 1000000000000000, -1},
    {"-1.188468915643171E-003", true, 1188468915643171, -3},
    {"1.234567890123456e+17", false, 1234567890123456, 17},
    {"-4.940656458412465e-324", true, 4940656458412465, -324},
    {"1.797693134862316E+308", false, 1797693134862316, 308},
    {"9999999.999999998000000", false, 9999999999999998, 6},
    {"-10000000.000000000000000", true, 1000000000000000, 7},
    {"0.05", false, 5000000000000000, -2},
    {"0.00125e3", false, 1250000000000000, 0},
    {"+12.5", false, 1250000000000000, 1},
    {"125E-1", false, 1250000000000000, 1},
    // Digits past the 16th are dropped, not rounded; they still count for the exponent.
    {"12345678901234567890", false, 1234567890123456, 19},
    {"0.000000000000000E+000", false, 0, 0},
    {"-0.0", true, 0, 0},
};

TEST(ReadSixteenDigits, FixedAndExponentForms) {
  for (const ReadCase& c : read_cases) {
    const std::optional<SixteenDigits> read = read_sixteen_digits(c.text);
    ASSERT_TRUE(read.has_value()) << c.text;
    EXPECT_EQ(read->negative, c.negative) << c.text;
    EXPECT_EQ(read->digits, c.digits) << c.text;
    EXPECT_EQ(read->exponent, c.exponent) << c.text;
  }
}

TEST(ReadSixteenDigits, RefusesWhatIsNotADecimalNumber) {
  for (const char* text :
       {"", "-", ".", "e5", "1.2.3", "1e", "1e+", "1e5x", "abc", "1#INF.................",
        "1.5 ", "--1", "1,5"}) {
    EXPECT_FALSE(read_sixteen_digits(text).has_value()) << '"' << text << '"';
  }
}

struct UnitCase {
  const char* name;
  SixteenDigits a;
  SixteenDigits b;
  bool within;
};

const UnitCase unit_cases[] = {
    {"equal", {1234567890123456, 3, false}, {1234567890123456, 3, false}, true},
    {"one unit", {1234567890123456, 3, false}, {1234567890123457, 3, false}, true},
    {"two units", {1234567890123456, 3, false}, {1234567890123458, 3, false}, false},
    {"one unit, negative", {1188468915643170, -3, true}, {1188468915643171, -3, true}, true},
    {"same digits, other power", {1234567890123456, 3, false}, {1234567890123456, 4, false},
     false},
    {"carry to the next power", {9999999999999999, 6, false}, {1000000000000000, 7, false},
     true},
    {"carry, either order", {1000000000000000, 7, false}, {9999999999999999, 6, false}, true},
    {"two units across the power", {9999999999999998, 6, false}, {1000000000000000, 7, false},
     false},
    {"one unit above the power", {9999999999999999, 6, false}, {1000000000000001, 7, false},
     false},
    {"two powers apart", {9999999999999999, 5, false}, {1000000000000000, 7, false}, false},
    {"opposite signs", {1000000000000000, 0, false}, {1000000000000000, 0, true}, false},
    {"zeros of either sign", {0, 0, false}, {0, 0, true}, true},
    {"zero against the smallest digits", {0, 0, false}, {1000000000000000, -324, false}, false},
};

TEST(WithinOneUnit, Table) {
  for (const UnitCase& c : unit_cases) {
    EXPECT_EQ(within_one_unit(c.a, c.b), c.within) << c.name;
  }
}

}  // namespace
}  // namespace duopit::bench
