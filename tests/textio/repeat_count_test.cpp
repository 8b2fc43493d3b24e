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
  ReadStatus status;
  std::int32_t value;
};

constexpr Case cases[] = {
    {"", ReadStatus::ok, 0},
    {"+", ReadStatus::ok, 0},
    {"5", ReadStatus::ok, 5},
    {"+5", ReadStatus::ok, 5},
    {"-5", ReadStatus::ok, -5},
    {"0", ReadStatus::ok, 0},
    {"007", ReadStatus::ok, 7},
    {"2147483647", ReadStatus::ok, int32_max},
    {"2147483648", ReadStatus::repeat_overflow, 0},
    {"-2147483648", ReadStatus::ok, int32_min},
    {"-2147483649", ReadStatus::repeat_overflow, 0},
    {"99999999999999999999999", ReadStatus::repeat_overflow, 0},
    // A radix written in decimal before "#", then digits and letters of that radix.
    {"2#101", ReadStatus::ok, 5},
    {"8#17", ReadStatus::ok, 15},
    {"10#99", ReadStatus::ok, 99},
    {"16#A", ReadStatus::ok, 10},
    {"16#ff", ReadStatus::ok, 255},
    {"36#z", ReadStatus::ok, 35},
    {"36#Z", ReadStatus::ok, 35},
    {"-16#10", ReadStatus::ok, -16},
    {"16#7FFFFFFF", ReadStatus::ok, int32_max},
    {"16#80000000", ReadStatus::repeat_overflow, 0},
    {"-16#80000000", ReadStatus::ok, int32_min},
    // "#" alone before the digits means hexadecimal.
    {"#ff", ReadStatus::ok, 255},
    {"#FFFFFFFF", ReadStatus::repeat_overflow, 0},
    {"-#10", ReadStatus::ok, -16},
    // Refusals.
    {"x", ReadStatus::repeat_bad_char, 0},
    {"12a", ReadStatus::repeat_bad_char, 0},
    {"1.5", ReadStatus::repeat_bad_char, 0},
    {"1+", ReadStatus::repeat_bad_char, 0},
    {"--1", ReadStatus::repeat_bad_char, 0},
    {"2#2", ReadStatus::repeat_bad_char, 0},
    {"10#A", ReadStatus::repeat_bad_char, 0},
    {"#g", ReadStatus::repeat_bad_char, 0},
    {"16#-1", ReadStatus::repeat_bad_char, 0},
    {"A#1", ReadStatus::repeat_bad_char, 0},
    {"#1#1", ReadStatus::repeat_two_hashes, 0},
    {"2#1#1", ReadStatus::repeat_two_hashes, 0},
    {"0#1", ReadStatus::repeat_bad_radix, 0},
    {"1#1", ReadStatus::repeat_bad_radix, 0},
    {"37#1", ReadStatus::repeat_bad_radix, 0},
    {"99999999999999999999#1", ReadStatus::repeat_bad_radix, 0},
};

TEST(ParseRepeatCount, Table) {
  for (const Case& c : cases) {
    const RepeatCount count = parse_repeat_count(c.text);
    EXPECT_EQ(count.status, c.status) << c.text;
    if (c.status == ReadStatus::ok) {
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
    EXPECT_EQ(count.status, ReadStatus::ok) << text;
    EXPECT_EQ(count.value, radix * radix - 1) << text;
    const std::string beyond = std::to_string(radix) + "#" + (radix < 36 ? digits[radix] : '!');
    EXPECT_EQ(parse_repeat_count(beyond).status, ReadStatus::repeat_bad_char) << beyond;
  }
}

}  // namespace
}  // namespace duopit::textio
