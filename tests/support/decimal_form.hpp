// tests/support/decimal_form.hpp — the editing of a real in the tests' own terms: the decimal
// form after the first rounding (17 digits as text, as the digits were worked out by hand),
// and the text of a real on its own, outside a record. The program never needs either: it
// rounds the 18 leading digits straight to the 16 printed (round_for_printing) and writes the
// text at its place in the record (write_real_text). These check those against the two
// roundings made one after the other.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "textio/decimal.hpp"
#include "textio/edit_real.hpp"

namespace duopit::textio {

constexpr int decimal_form_digits = 17;  // significant digits kept after the first rounding

// |x| = 0.d1 d2 ... d(count) x 10^decpt. The first digit is non-zero and there are no
// trailing zeros; zero is the single digit "0" with decpt 0. For infinities and NaNs
// (valid false) the digits hold a marker — "1#INF", "1#IND", "1#QNAN" or "1#SNAN" — and
// decpt is 1.
struct DecimalForm {
  char sign;  // '-' when the sign bit is set, else ' '; zero of either sign gets ' '
  int decpt;
  std::array<char, decimal_form_digits> digits;
  int count;  // characters used in `digits`
  bool valid;

  [[nodiscard]] std::string_view text() const {
    return {digits.data(), static_cast<std::size_t>(count)};
  }
};

[[nodiscard]] DecimalForm to_decimal(double x);

// The first rounding, on integers: the 18 leading digits (10^17 <= digits < 10^18) half up
// to 17, so 10^16 <= digits < 10^17; seventeen nines carry into 10^16 and one more decpt.
struct Digits17 {
  std::uint64_t digits;
  int decpt;
};
[[nodiscard]] Digits17 round_to_17_digits(LeadingDigits lead);

// The first rounding as a decimal form: the 17 digits as text, trailing zeros dropped.
[[nodiscard]] DecimalForm round_leading_digits(std::uint64_t leading, int decpt, char sign);

// The second rounding from a decimal form; knows no doubles.
[[nodiscard]] PrintedReal round_for_printing(const DecimalForm& form);

// The text on its own.
struct RealText {
  std::array<char, real_text_room> chars;  // the first `length` are the text
  int length;

  [[nodiscard]] std::string_view view() const {
    return {chars.data(), static_cast<std::size_t>(length)};
  }
};

[[nodiscard]] inline RealText text_of(const PrintedReal& real) {
  RealText text{{}, real.length};
  write_real_text(real, text.chars.data());
  return text;
}
[[nodiscard]] inline RealText edit_free_real(double value) {
  return text_of(round_for_printing(value));
}
[[nodiscard]] inline RealText edit_decimal_form(const DecimalForm& form) {
  return text_of(round_for_printing(form));
}

}  // namespace duopit::textio
