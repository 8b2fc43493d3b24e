// textio/repeat_count.cpp — reading a repeat count as a signed 32-bit integer, in decimal or
// in a radix from 2 to 36. Pure: no I/O, no globals.
#include "textio/repeat_count.hpp"

#include <cstdint>

namespace duopit::textio {
namespace {

constexpr int decimal_radix = 10;
constexpr int hash_radix = 16;  // "#" with no radix before it
constexpr int min_radix = 2;
constexpr int max_radix = 36;
// Magnitudes are accumulated up to just past 2^31, the largest a count may have (when
// negative); radix × cap + 35 stays far inside 64 bits.
constexpr std::uint64_t magnitude_cap = (std::uint64_t{1} << 31) + 1;
constexpr std::uint64_t max_positive = (std::uint64_t{1} << 31) - 1;
constexpr std::uint64_t max_negative = std::uint64_t{1} << 31;

// The value of c as a digit of any radix up to 36; max_radix when it is none.
int digit_value(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'Z') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 10;
  }
  return max_radix;
}

}  // namespace

RepeatCount parse_repeat_count(std::string_view text) {
  std::size_t pos = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    pos = 1;
  }
  int radix = decimal_radix;
  bool hash_seen = false;
  bool digits_before_hash = false;
  std::uint64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '#') {
      if (hash_seen) {
        return {ReadStatus::repeat_two_hashes, 0};
      }
      hash_seen = true;
      // The digits so far were the radix (capped, so a huge one is still out of range).
      if (digits_before_hash && (magnitude < min_radix || magnitude > max_radix)) {
        return {ReadStatus::repeat_bad_radix, 0};
      }
      radix = digits_before_hash ? static_cast<int>(magnitude) : hash_radix;
      magnitude = 0;
      continue;
    }
    const int digit = digit_value(c);
    if (digit >= radix) {
      return {ReadStatus::repeat_bad_char, 0};
    }
    digits_before_hash = digits_before_hash || !hash_seen;
    magnitude = magnitude * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
    if (magnitude > magnitude_cap) {
      magnitude = magnitude_cap;
    }
  }
  if (magnitude > (negative ? max_negative : max_positive)) {
    return {ReadStatus::repeat_overflow, 0};
  }
  const auto value = static_cast<std::int64_t>(magnitude);
  return {ReadStatus::ok, static_cast<std::int32_t>(negative ? -value : value)};
}

}  // namespace duopit::textio
