// textio/decimal.hpp — the decimal digits of a 64-bit real for free-format output: the first
// 18 significant digits of its exact value, cut off, then rounded half up to 17 digits.
// Pure integer arithmetic on the value's bits, so the digits never depend on the
// floating-point environment. Knows nothing of fields, texts or records (see edit_real.hpp).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace duopit::textio {

constexpr int decimal_form_digits = 17;  // significant digits kept after the first rounding
constexpr int leading_digit_count = 18;  // digits of the exact expansion that decide them

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

// The first 18 significant digits of a positive real m x 2^e, cut off:
// m x 2^e = 0.d1 ... d18 d19 ... x 10^decpt and digits = d1 ... d18 as an integer,
// so 10^17 <= digits < 10^18.
struct LeadingDigits {
  std::uint64_t digits;
  int decpt;
};

// `mantissa` is non-zero and below 2^53; `exponent2` from -1074 to 971.
[[nodiscard]] LeadingDigits leading_digits(std::uint64_t mantissa, int exponent2);

// Exact test: is c x 10^k <= m x 2^e? Decides the last digit when the fast product cannot.
// Bounds: c < 2^64, m < 2^53, e from -1074 to 971, k from -345 to 300.
[[nodiscard]] bool pow10_product_at_most(std::uint64_t c, int k, std::uint64_t m, int e);

// floor(log10(2^n)) for n from -1100 to 1100, without floating point.
[[nodiscard]] constexpr int floor_log10_pow2(int n) {
  // 78913 / 2^18 lies just below log10(2); the shift floors negative products too.
  return (n * 78913) >> 18;
}

// The sixteen decimal digits of `value` (below 10^16, leading zeros written) at out[0..16).
void write_sixteen_digits(std::uint64_t value, char* out);

// The first rounding, on integers: the 18 leading digits (10^17 <= digits < 10^18) half up
// to 17, so 10^16 <= digits < 10^17; seventeen nines carry into 10^16 and one more decpt.
struct Digits17 {
  std::uint64_t digits;
  int decpt;
};
[[nodiscard]] Digits17 round_to_17_digits(LeadingDigits lead);

// The first rounding as a decimal form: the 17 digits as text, trailing zeros dropped.
[[nodiscard]] DecimalForm round_leading_digits(std::uint64_t leading, int decpt, char sign);

// The values without digits, each printed as a marker.
enum class Special : std::uint8_t {
  none,            // a number
  infinity,        // "1#INF", either sign
  signalling_nan,  // "1#SNAN": the quiet bit is clear
  indefinite,      // "1#IND": the default NaN, FFF8 0000 0000 0000
  quiet_nan,       // "1#QNAN": any other NaN
};

// The kind of an infinity or a NaN (biased exponent all ones), by its bits.
[[nodiscard]] Special special_kind(std::uint64_t bits);
// The marker of a kind other than none.
[[nodiscard]] std::string_view marker_text(Special special);

}  // namespace duopit::textio
