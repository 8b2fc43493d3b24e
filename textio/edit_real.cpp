// textio/edit_real.cpp — digits and layout of one 64-bit real as free-format output text.
// Pure: no I/O, no globals; integer arithmetic only, so the text does not depend on the
// floating-point environment. The field around the text belongs to free_layout.cpp.
//
// The value is rounded twice, half up each time: to 17 significant digits by to_decimal,
// then here to the 16 that are printed. Examples of the two forms:
//   fixed     25558.257000000000000      decpt integer digits, '.', 15 digits
//   exponent  -1.188468915643171E-003    one digit, '.', 15 digits, 'E', sign, 3 digits
#include "textio/edit_real.hpp"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>

namespace duopit::textio {
namespace {

// The rounded digits, followed by zeros far enough that any run of up to 16 digits can be
// copied from any place a text takes digits from with one fixed-size copy.
constexpr std::size_t copy_run = 16;
constexpr std::size_t zero_run = 32;

struct RoundedDigits {
  std::array<char, decimal_form_digits + zero_run> digits;
  int count;  // at most 16
  int decpt;
};

// The second rounding: a 17th digit of 5 or more carries into the 16th, through nines.
// Sixteen nines become "1" and one more digit before the point; the form does not change.
[[nodiscard]] RoundedDigits round_to_printed_digits(const DecimalForm& form) {
  RoundedDigits rounded;
  std::memcpy(rounded.digits.data(), form.digits.data(), decimal_form_digits);
  rounded.count = std::min(form.count, real_significant_digits);
  rounded.decpt = form.decpt;
  if (form.count > real_significant_digits && form.digits[real_significant_digits] >= '5') {
    int i = real_significant_digits - 1;
    while (i >= 0 && rounded.digits[static_cast<std::size_t>(i)] == '9') {
      --i;
    }
    if (i < 0) {
      rounded.digits[0] = '1';
      rounded.count = 1;
      ++rounded.decpt;
    } else {
      ++rounded.digits[static_cast<std::size_t>(i)];
      rounded.count = i + 1;
    }
  }
  std::memset(rounded.digits.data() + rounded.count, '0', zero_run);
  return rounded;
}

// Appends characters to a RealText; digits come from the rounded string, then zeros.
class TextBuilder {
 public:
  explicit TextBuilder(const RoundedDigits& source) : source_(source) {}

  void put(char c) {
    assert(text_.length < real_text_capacity);
    text_.chars[static_cast<std::size_t>(text_.length++)] = c;
  }

  // Copies a fixed run and keeps `n` of it; what lies beyond is overwritten or unused.
  void put_digits(int n) {
    assert(n <= static_cast<int>(copy_run) && text_.length + n <= real_text_capacity);
    static_assert(real_text_storage >= fixed_form_decpt_limit + 2 + copy_run);
    std::memcpy(text_.chars.data() + text_.length, source_.digits.data() + next_, copy_run);
    next_ += n;
    text_.length += n;
  }

  [[nodiscard]] RealText text() const { return text_; }

 private:
  const RoundedDigits& source_;
  int next_ = 0;
  RealText text_{{}, 0};
};

[[nodiscard]] RealText special_text(const DecimalForm& form) {
  RealText text{{}, special_text_length};
  text.chars.fill('.');
  for (int i = 0; i < form.count; ++i) {
    text.chars[static_cast<std::size_t>(i)] = form.digits[static_cast<std::size_t>(i)];
  }
  return text;
}

void put_exponent(TextBuilder& builder, int exponent) {
  assert(std::abs(exponent) < 1000);
  builder.put(exponent < 0 ? '-' : '+');
  const int magnitude = std::abs(exponent);
  builder.put(static_cast<char>('0' + magnitude / 100));
  builder.put(static_cast<char>('0' + magnitude / 10 % 10));
  builder.put(static_cast<char>('0' + magnitude % 10));
}

}  // namespace

RealText edit_decimal_form(const DecimalForm& form) {
  if (!form.valid) {
    return special_text(form);
  }
  // The form follows the decimal exponent before the second rounding.
  const bool fixed = form.decpt > 0 && form.decpt < fixed_form_decpt_limit;
  const RoundedDigits rounded = round_to_printed_digits(form);
  TextBuilder builder(rounded);
  if (form.sign == '-') {
    builder.put('-');
  }
  if (fixed) {
    builder.put_digits(rounded.decpt);
    builder.put('.');
    builder.put_digits(real_fraction_digits);
    return builder.text();
  }
  builder.put_digits(1);
  builder.put('.');
  builder.put_digits(real_fraction_digits);
  builder.put('E');
  const bool zero = rounded.digits[0] == '0';
  put_exponent(builder, zero ? 0 : rounded.decpt - 1);
  return builder.text();
}

RealText edit_free_real(double value) { return edit_decimal_form(to_decimal(value)); }

}  // namespace duopit::textio
