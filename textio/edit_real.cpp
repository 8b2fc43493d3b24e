// textio/edit_real.cpp — digits and text of one 64-bit real as free-format output.
// Pure: no I/O, no globals; integer arithmetic only, so the text does not depend on the
// floating-point environment. The field around the text belongs to free_layout.cpp.
//
// The value is rounded twice, half up each time: to 17 significant digits, then to the 16
// that are printed. Examples of the two forms:
//   fixed     25558.257000000000000      decpt integer digits, '.', 15 digits
//   exponent  -1.188468915643171E-003    one digit, '.', 15 digits, 'E', sign, 3 digits
#include "textio/edit_real.hpp"

#include <bit>
#include <cassert>
#include <cstdlib>
#include <cstring>

#include "numerics/binary64.hpp"

namespace duopit::textio {
// Both roundings at once, from the 18 leading digits (10^17 <= digits < 10^18). Half up to
// 17 digits and then half up to 16 is one rounding of the last two digits with its cut at 45,
// not 50: 45 lifts the 17th digit to 5, which the second rounding carries on, and 44 does not.
// Sixteen nines become 10^15 with one more decpt. The form is chosen from the decpt after the
// first rounding, one more when that carries (999...95 and up), and does not change after it.
PrintedReal round_to_printed_digits(LeadingDigits lead, bool negative) {
  assert(lead.digits >= pow10_17 && lead.digits < 10 * pow10_17);
  const int decpt_of_17 = lead.decpt + (lead.digits >= 10 * pow10_17 - 5 ? 1 : 0);
  const bool fixed = decpt_of_17 > 0 && decpt_of_17 < fixed_form_decpt_limit;
  PrintedReal real{(lead.digits + 55) / 100, lead.decpt, 0, negative, fixed, Special::none};
  if (real.digits == pow10_16) {
    real.digits = pow10_15;
    ++real.decpt;
  }
  real.length = (negative ? 1 : 0) + (fixed ? real.decpt + 1 + real_fraction_digits
                                            : exponent_text_length);
  return real;
}

namespace {

// Zero of either sign: the digit 0 in exponent form, exponent 0.
constexpr PrintedReal printed_zero{0, 1, exponent_text_length, false, false, Special::none};

void write_exponent(int exponent, char* out) {
  assert(std::abs(exponent) < 1000);
  const int magnitude = std::abs(exponent);
  out[0] = exponent < 0 ? '-' : '+';
  out[1] = static_cast<char>('0' + magnitude / 100);
  out[2] = static_cast<char>('0' + magnitude / 10 % 10);
  out[3] = static_cast<char>('0' + magnitude % 10);
}

}  // namespace

PrintedReal round_for_printing(double value) {
  const numerics::Binary64Fields fields = numerics::fields_of(value);
  if (fields.biased_exponent == numerics::binary64_exponent_special) [[unlikely]] {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return {0, 1, special_text_length, false, false, special_kind(bits)};
  }
  if (fields.biased_exponent == 0 && fields.fraction == 0) [[unlikely]] {
    return printed_zero;  // a negative zero loses its sign
  }
  const numerics::BinaryValue exact = numerics::value_of(fields);
  return round_to_printed_digits(leading_digits(exact.significand, exact.exponent2),
                                 fields.negative);
}

void write_marker_text(Special special, char* out) {
  const std::string_view marker = marker_text(special);
  std::memset(out, '.', special_text_length);
  std::memcpy(out, marker.data(), marker.size());
}

void write_exponent_form(const char* run, int exponent, char* out) {
  out[0] = run[0];
  out[1] = '.';
  std::memcpy(out + 2, run + 1, 16);
  out[2 + real_fraction_digits] = 'E';
  write_exponent(exponent, out + 3 + real_fraction_digits);
}

}  // namespace duopit::textio
