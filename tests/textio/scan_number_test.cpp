// tests/textio/scan_number_test.cpp — the parts the scanner finds in a value text: where the
// number ends, its kept digits and the power of ten they stand for, the exponent as written.
#include "textio/scan_number.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace duopit::textio {
namespace {

struct ScanCase {
  const char* text;
  bool has_digits;
  std::size_t end;       // end of the longest prefix that is a number
  std::uint64_t kept;    // kept digits (these cases keep fewer than 20)
  int kept_count;
  std::int64_t scale;
  std::int32_t exponent;
};

const ScanCase scan_cases[] = {
    {"0", true, 1, 0, 0, 0, 0},
    {"-12.50", true, 6, 1250, 4, -2, 0},
    {"0.00125", true, 7, 125, 3, -5, 0},
    {".5", true, 2, 5, 1, -1, 0},
    {"5.", true, 2, 5, 1, 0, 0},
    {"1.25E1", true, 6, 125, 3, -2, 1},
    {"1.25d+1", true, 7, 125, 3, -2, 1},
    {"125-1", true, 5, 125, 3, 0, -1},    // a sign after the digits starts the exponent
    {"1e", true, 1, 1, 1, 0, 0},           // no digits after the letter: not an exponent
    {"1e+", true, 1, 1, 1, 0, 0},
    {"1.5.2", true, 3, 15, 2, -1, 0},      // the second point ends the number
    {"12;5", true, 2, 12, 2, 0, 0},
    {"1e99999", true, 7, 1, 1, 0, max_exponent + 1},  // capped, still to its end
    {"abc", false, 0, 0, 0, 0, 0},
    {".", false, 1, 0, 0, 0, 0},
    {"-", false, 1, 0, 0, 0, 0},
};

TEST(ScanNumber, Parts) {
  for (const ScanCase& c : scan_cases) {
    const NumberText number = scan_number(c.text);
    EXPECT_EQ(number.has_digits, c.has_digits) << c.text;
    EXPECT_EQ(number.end, c.end) << c.text;
    EXPECT_EQ(number.kept, Uint128{c.kept}) << c.text;
    EXPECT_EQ(number.kept_count, c.kept_count) << c.text;
    EXPECT_EQ(number.scale, c.scale) << c.text;
    EXPECT_EQ(number.exponent, c.exponent) << c.text;
  }
}

// Past 24 significant digits, digits before the point only scale the value and digits after
// it are dropped.
TEST(ScanNumber, DigitsBeyondTheTwentyFourth) {
  const std::string before_point = "1" + std::string(29, '0');
  const NumberText whole = scan_number(before_point);
  EXPECT_EQ(whole.kept_count, max_kept_digits);
  EXPECT_EQ(whole.scale, 6);
  const NumberText fraction = scan_number("0." + std::string(30, '7'));
  EXPECT_EQ(fraction.kept_count, max_kept_digits);
  EXPECT_EQ(fraction.scale, -max_kept_digits);
}

}  // namespace
}  // namespace duopit::textio
