// textio/edit_real.hpp — the text of one 64-bit real in a free-format record: 16 significant
// digits, fixed form for magnitudes from 1 up to 10 000 000, exponent form otherwise.
// Pure: no I/O, no globals, integer arithmetic only. Split in two steps: the rounding, which
// decides the digits, the form and so the text's length, and the writing of the text, which
// the record layout calls with the text's final place in the record (see free_layout.hpp).
#pragma once

#include <cassert>
#include <cstring>
#include <cstdint>
#include <string_view>

#include "textio/decimal.hpp"

namespace duopit::textio {

constexpr int real_field_width = 24;      // columns of a real's field in a free-format record
constexpr int real_fraction_digits = 15;  // digits after the point
constexpr int real_exponent_digits = 3;
constexpr int real_significant_digits = 16;
// Fixed form for 0 < decpt < 8: an integer part of up to 7 digits, the point and 15 digits
// still fit the field with a sign.
constexpr int fixed_form_decpt_limit = real_field_width - real_fraction_digits - 1;
constexpr int special_text_length = 22;  // markers of infinities and NaNs, padded with '.'
// One digit, the point, 15 digits, "E", the exponent's sign and 3 digits; one more with "-".
constexpr int exponent_text_length = 2 + real_fraction_digits + 2 + real_exponent_digits;
// The longest text: "-10000000." and 15 digits, when rounding to 16 digits carries a
// fixed-form value just below 10 000 000 into an eighth integer digit.
constexpr int real_text_capacity = 25;
constexpr int real_text_shortest = 2 + real_fraction_digits;  // one digit, the point, 15 more
// Bytes write_real_text may store at its place: the text, and behind it room for digits that
// are moved in fixed-size runs and then covered by the rest of the record or left unused.
constexpr std::size_t real_text_room = 32;

// A real as it is printed, after both roundings: to 17 significant digits,
// then, half up again, to the 16 that are printed.
struct PrintedReal {
  std::uint64_t digits;  // 10^15 <= digits < 10^16; 0 for zero
  int decpt;             // after the second rounding: |value| ~ 0.d1 d2 ... x 10^decpt
  // Characters of the text: 22 for a marker, 22 in exponent form and decpt + 16 in fixed
  // form, one more with "-".
  int length;
  bool negative;         // the text starts with "-"
  bool fixed;            // fixed form, else exponent form; chosen before the second rounding
  Special special;       // infinities and NaNs, printed as their marker; none for numbers
};

[[nodiscard]] PrintedReal round_for_printing(double value);
// Both roundings from the 18 leading digits of a real that is not zero.
[[nodiscard]] PrintedReal round_to_printed_digits(LeadingDigits lead, bool negative);

// The rare parts of write_real_text, out of line: the marker padded with '.', and the
// exponent form from the digit run (below) with its exponent.
void write_marker_text(Special special, char* out);
void write_exponent_form(const char* run, int exponent, char* out);

// Writes the text of `real` at out[0 .. real.length); may store up to real_text_room bytes.
// The 16 digits are written once into a run followed by zeros (digits past the 16th print as
// 0), then copied around the point in fixed-size moves:
//   fixed, decpt k:  run[0..k) '.' run[k..k+15)
//   exponent:        run[0] '.' run[1..16) 'E' sign three digits
// Inline: every real of a record passes through it.
inline void write_real_text(const PrintedReal& real, char* out) {
  if (real.special != Special::none) [[unlikely]] {
    write_marker_text(real.special, out);
    return;
  }
  out[0] = '-';
  out += real.negative ? 1 : 0;
  char run[32];
  write_sixteen_digits(real.digits, run);
  std::memset(run + 16, '0', 16);
  if (!real.fixed) {
    write_exponent_form(run, real.digits == 0 ? 0 : real.decpt - 1, out);
    return;
  }
  const int k = real.decpt;
  assert(k >= 1 && k <= fixed_form_decpt_limit);
  std::memcpy(out, run, 8);
  out[k] = '.';
  std::memcpy(out + k + 1, run + k, 16);
}

}  // namespace duopit::textio
