// textio/edit_real.hpp — the text of one 64-bit real in a free-format record: 16 significant
// digits, fixed form for magnitudes from 1 up to 10 000 000, exponent form otherwise.
// Pure: no I/O, no globals, integer arithmetic only. Does not place the text in its field
// or in a record (see free_layout.hpp).
#pragma once

#include <array>
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
// The longest text: "-10000000." and 15 digits, when rounding to 16 digits carries a
// fixed-form value just below 10 000 000 into an eighth integer digit.
constexpr int real_text_capacity = 25;
// Room behind the text, so that runs of digits can be copied in fixed-size pieces.
constexpr std::size_t real_text_storage = 32;

struct RealText {
  std::array<char, real_text_storage> chars;  // the first `length` are the text
  int length;

  [[nodiscard]] std::string_view view() const {
    return {chars.data(), static_cast<std::size_t>(length)};
  }
};

[[nodiscard]] RealText edit_free_real(double value);

// The same editing from a decimal form; knows no doubles.
[[nodiscard]] RealText edit_decimal_form(const DecimalForm& form);

}  // namespace duopit::textio
