// textio/decimal.hpp — the decimal digits of a 64-bit real for free-format output: the first
// 18 significant digits of its exact value, cut off, from which edit_real.hpp rounds.
// Pure integer arithmetic on the value's bits, so the digits never depend on the
// floating-point environment. Knows nothing of fields, texts or records (see edit_real.hpp).
#pragma once

#include <cstdint>
#include <string_view>

namespace duopit::textio {

constexpr int leading_digit_count = 18;  // digits of the exact expansion that decide the rest

constexpr std::uint64_t pow10_15 = 1'000'000'000'000'000u;
constexpr std::uint64_t pow10_16 = 10 * pow10_15;
constexpr std::uint64_t pow10_17 = 10 * pow10_16;
constexpr std::uint64_t pow10_18 = 10 * pow10_17;

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
