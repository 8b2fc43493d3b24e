// bench/edit_agreement.cpp — reading the leading 16 digits of a decimal text and comparing two
// such readings. Pure: no I/O, no globals, integer arithmetic only.
#include "bench/edit_agreement.hpp"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace duopit::bench {
namespace {

constexpr std::int64_t smallest_sixteen_digits = 1'000'000'000'000'000;
constexpr std::int64_t largest_sixteen_digits = 9'999'999'999'999'999;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The written exponent after "e" or "E": optional sign, then digits to the end of the text.
std::optional<int> read_exponent(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  int exponent = 0;
  const char* const last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, exponent);
  if (text.empty() || error != std::errc{} || end != last) {
    return std::nullopt;
  }
  return exponent;
}

}  // namespace

std::optional<SixteenDigits> read_sixteen_digits(std::string_view text) {
  SixteenDigits read;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    read.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Step 1: the mantissa. Count the significant digits before the point and the zeros
  // between the point and the first significant digit; keep the first 16 significant digits.
  int kept = 0;
  int digits_seen = 0;
  int integer_digits = 0;
  int zeros_after_point = 0;
  bool point_seen = false;
  std::size_t at = 0;
  for (; at < text.size() && text[at] != 'e' && text[at] != 'E'; ++at) {
    const char c = text[at];
    if (c == '.' && !point_seen) {
      point_seen = true;
      continue;
    }
    if (!is_digit(c)) {
      return std::nullopt;
    }
    ++digits_seen;
    if (kept == 0 && c == '0') {
      zeros_after_point += point_seen ? 1 : 0;
      continue;
    }
    integer_digits += point_seen ? 0 : 1;
    if (kept < compared_digits) {
      read.digits = read.digits * 10 + (c - '0');
      ++kept;
    }
  }
  if (digits_seen == 0) {
    return std::nullopt;
  }
  // Step 2: the written exponent, if any.
  int written_exponent = 0;
  if (at < text.size()) {
    const std::optional<int> exponent = read_exponent(text.substr(at + 1));
    if (!exponent) {
      return std::nullopt;
    }
    written_exponent = *exponent;
  }
  if (kept == 0) {
    return SixteenDigits{0, 0, read.negative};
  }
  for (; kept < compared_digits; ++kept) {
    read.digits *= 10;
  }
  read.exponent = written_exponent +
                  (integer_digits > 0 ? integer_digits - 1 : -1 - zeros_after_point);
  return read;
}

bool within_one_unit(const SixteenDigits& a, const SixteenDigits& b) {
  if (a.digits == 0 || b.digits == 0) {
    return a.digits == b.digits;  // zero of either sign agrees only with zero
  }
  if (a.negative != b.negative) {
    return false;
  }
  if (a.exponent == b.exponent) {
    return std::abs(a.digits - b.digits) <= 1;
  }
  const SixteenDigits& upper = a.exponent > b.exponent ? a : b;
  const SixteenDigits& lower = a.exponent > b.exponent ? b : a;
  return upper.exponent == lower.exponent + 1 && upper.digits == smallest_sixteen_digits &&
         lower.digits == largest_sixteen_digits;
}

}  // namespace duopit::bench
