// textio/scan_number.cpp — one pass over a typed value's text: sign, mantissa, exponent.
#include "textio/scan_number.hpp"

#include <algorithm>

namespace duopit::textio {
namespace {

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_sign(char c) { return c == '+' || c == '-'; }
constexpr bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

std::size_t scan_mantissa(std::string_view text, std::size_t pos, NumberText& number) {
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!is_digit(c)) {
      break;
    }
    number.has_digits = true;
    if (number.kept_count == 0 && c == '0') {
      number.scale -= point ? 1 : 0;
    } else if (number.kept_count < max_kept_digits) {
      number.kept = number.kept * 10 + static_cast<unsigned>(c - '0');
      ++number.kept_count;
      number.scale -= point ? 1 : 0;
    } else {
      number.scale += point ? 0 : 1;
    }
  }
  return pos;
}

// The exponent's digits are accumulated until the value exceeds 5200; the rest are passed
// over.
std::size_t scan_exponent(std::string_view text, std::size_t pos, NumberText& number) {
  std::size_t at = pos;
  const bool letter = at < text.size() && is_exponent_letter(text[at]);
  if (letter) {
    ++at;
  }
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && is_sign(text[at])) {
    ++at;
  } else if (!letter) {
    return pos;
  }
  if (at >= text.size() || !is_digit(text[at])) {
    return pos;
  }
  std::int32_t size = 0;
  for (; at < text.size() && is_digit(text[at]); ++at) {
    if (size <= max_exponent) {
      size = size * 10 + (text[at] - '0');
    }
  }
  size = std::min(size, max_exponent + 1);
  number.exponent = negative ? -size : size;
  return at;
}

}  // namespace

NumberText scan_number(std::string_view text) {
  NumberText number;
  std::size_t pos = 0;
  if (!text.empty() && is_sign(text[0])) {
    number.negative = text[0] == '-';
    pos = 1;
  }
  pos = scan_mantissa(text, pos, number);
  if (number.has_digits) {
    pos = scan_exponent(text, pos, number);
  }
  number.end = pos;
  return number;
}

}  // namespace duopit::textio
