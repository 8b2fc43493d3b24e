// tests/support/decimal_form.cpp — the decimal form after the first rounding, and the second
// rounding from it (see decimal_form.hpp).
#include "support/decimal_form.hpp"

#include <bit>
#include <cassert>

namespace duopit::textio {
namespace {

[[nodiscard]] DecimalForm marker_form(std::string_view marker, char sign) {
  DecimalForm form{sign, 1, {}, static_cast<int>(marker.size()), false};
  for (std::size_t i = 0; i < marker.size(); ++i) {
    form.digits[i] = marker[i];
  }
  return form;
}

}  // namespace

Digits17 round_to_17_digits(LeadingDigits lead) {
  assert(lead.digits >= pow10_17 && lead.digits < pow10_18);
  // Half up: an 18th digit of 5 or more lifts the quotient by ten to the next integer.
  Digits17 rounded{(lead.digits + 5) / 10, lead.decpt};
  if (rounded.digits == pow10_17) {  // seventeen nines carried into an eighteenth digit
    rounded.digits = pow10_16;
    ++rounded.decpt;
  }
  return rounded;
}

DecimalForm round_leading_digits(std::uint64_t leading, int decpt, char sign) {
  const Digits17 kept = round_to_17_digits({leading, decpt});
  DecimalForm form{sign, kept.decpt, {}, decimal_form_digits, true};
  form.digits[0] = static_cast<char>('0' + kept.digits / pow10_16);
  write_sixteen_digits(kept.digits % pow10_16, form.digits.data() + 1);
  while (form.digits[static_cast<std::size_t>(form.count - 1)] == '0') {
    --form.count;  // the first digit is not zero, so this stops
  }
  return form;
}

DecimalForm to_decimal(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const char sign = (bits >> 63) != 0 ? '-' : ' ';
  if (biased_exponent == 0x7FF) {
    return marker_form(marker_text(special_kind(bits)), sign);
  }
  if (biased_exponent == 0 && fraction == 0) {
    return DecimalForm{' ', 0, {'0'}, 1, true};  // either zero; a negative zero loses its sign
  }
  // Subnormals have no hidden bit and the exponent of the smallest normals.
  const std::uint64_t mantissa =
      biased_exponent == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent2 = (biased_exponent == 0 ? 1 : biased_exponent) - 1075;
  const LeadingDigits lead = leading_digits(mantissa, exponent2);
  return round_leading_digits(lead.digits, lead.decpt, sign);
}

PrintedReal round_for_printing(const DecimalForm& form) {
  if (!form.valid) {
    for (const Special special : {Special::infinity, Special::signalling_nan,
                                  Special::indefinite, Special::quiet_nan}) {
      if (form.text() == marker_text(special)) {
        return {0, 1, special_text_length, false, false, special};
      }
    }
    assert(false && "an invalid decimal form holds a marker");
  }
  std::uint64_t digits = 0;
  for (int i = 0; i < decimal_form_digits; ++i) {
    const char digit = i < form.count ? form.digits[static_cast<std::size_t>(i)] : '0';
    digits = digits * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  if (digits == 0) {
    return round_for_printing(0.0);
  }
  // Seventeen digits are eighteen with a last 0, which the first rounding keeps as they are.
  return round_to_printed_digits({digits * 10, form.decpt}, form.sign == '-');
}

}  // namespace duopit::textio
