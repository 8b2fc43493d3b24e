// tests/textio/repeat_count_test.cpp — repeat counts in decimal and in a radix, the signed
// 32-bit range, and each kind of refusal.
#include "textio/repeat_count.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace duopit::textio {
namespace {

constexpr std::int32_t int32_max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t int32_min = std::numeric_limits<std::int32_t>::min();

struct Case {
  const char* text;
  RepeatStatus status;
  std::int32_t value;
};

constexpr Case cases[] = {
    {"", RepeatStatus::ok, 0},
    {"+", RepeatStatus::ok, 0},
    {"5", RepeatStatus::ok, 5},
    {"+5", RepeatStatus::ok, 5},
    {"-5", RepeatStatus::ok, -5},
    {"0", RepeatStatus::ok, 0},
    {"007", RepeatStatus::ok, 7},
    {"2147483647", RepeatStatus::ok, int32_max},
    {"2147483648", RepeatStatus::overflow, 0},
    {"-2147483648", RepeatStatus::ok, int32_min},
    {"-2147483649", RepeatStatus::overflow, 0},
    {"99999999999999999999999", RepeatStatus::overflow, 0},
    // A radix written in decimal before "#", then digits and letters of that radix.
    {"2#101", RepeatStatus::ok, 5},
    {"8#17", RepeatStatus::ok, 15},
    {"10#99", RepeatStatus::ok, 99},
    {"16#A", RepeatStatus::ok, 10},
    {"16#ff", RepeatStatus::ok, 255},
    {"36#z", RepeatStatus::ok, 35},
    {"36#Z", RepeatStatus::ok, 35},
    {"-16#10", RepeatStatus::ok, -16},
    {"16#7FFFFFFF", RepeatStatus::ok, int32_max},
    {"16#80000000", RepeatStatus::overflow, 0},
    {"-16#80000000", RepeatStatus::ok, int32_min},
    // "#" alone before the digits means hexadecimal.
    {"#ff", RepeatStatus::ok, 255},
    {"#FFFFFFFF", RepeatStatus::overflow, 0},
    {"-#10", RepeatStatus::ok, -16},
    // Refusals.
    {"x", RepeatStatus::bad_char, 0},
    {"12a", RepeatStatus::bad_char, 0},
    {"1.5", RepeatStatus::bad_char, 0},
    {"1+", RepeatStatus::bad_char, 0},
    {"--1", RepeatStatus::bad_char, 0},
    {"2#2", RepeatStatus::bad_char, 0},
    {"10#A", RepeatStatus::bad_char, 0},
    {"#g", RepeatStatus::bad_char, 0},
    {"16#-1", RepeatStatus::bad_char, 0},
    {"A#1", RepeatStatus::bad_char, 0},
    {"#1#1", RepeatStatus::two_hashes, 0},
    {"2#1#1", RepeatStatus::two_hashes, 0},
    {"0#1", RepeatStatus::bad_radix, 0},
    {"1#1", RepeatStatus::bad_radix, 0},
    {"37#1", RepeatStatus::bad_radix, 0},
    {"99999999999999999999#1", RepeatStatus::bad_radix, 0},
};

TEST(ParseRepeatCount, Table) {
  for (const Case& c : cases) {
    const RepeatCount count = parse_repeat_count(c.text);
    EXPECT_EQ(count.status, c.status) << c.text;
    if (c.status == RepeatStatus::ok) {
      EXPECT_EQ(count.value, c.value) << c.text;
    }
  }
}

TEST(ParseRepeatCount, EveryRadixReadsItsLargestDigit) {
  constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int radix = 2; radix <= 36; ++radix) {
    // "<radix>#<d><d>" with d the largest digit of the radix is radix^2 - 1.
    const std::string text = std::to_string(radix) + "#" + digits[radix - 1] + digits[radix - 1];
    const RepeatCount count = parse_repeat_count(text);
    EXPECT_EQ(count.status, RepeatStatus::ok) << text;
    EXPECT_EQ(count.value, radix * radix - 1) << text;
    const std::string beyond = std::to_string(radix) + "#" + (radix < 36 ? digits[radix] : '!');
    EXPECT_EQ(parse_repeat_count(beyond).status, RepeatStatus::bad_char) << beyond;
  }
}

}  // namespace
}  // namespace duopit::textio
