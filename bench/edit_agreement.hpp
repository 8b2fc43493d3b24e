// bench/edit_agreement.hpp — whether two 16-digit decimal texts render the same real, so that
// the editing benchmark can check that both editors it times do the same job before timing
// them. Pure: no I/O, no globals, no floating-point arithmetic. Reads plain decimal texts
// only (sign, digits, point, exponent after "e" or "E"); no markers of infinities or NaNs.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace duopit::bench {

constexpr int compared_digits = 16;

// A decimal text as d1.d2...d16 x 10^exponent: its first 16 significant digits, zeros added
// when it has fewer, later digits dropped. Zero is digits 0, exponent 0.
struct SixteenDigits {
  std::int64_t digits = 0;  // 10^15 .. 10^16 - 1, or 0
  int exponent = 0;         // the power of ten of the first significant digit
  bool negative = false;
};

// Reads fixed ("-25558.257000") or exponent ("1.25E+003", "1.25e3") form; nullopt when the
// text is not a decimal number of that shape.
[[nodiscard]] std::optional<SixteenDigits> read_sixteen_digits(std::string_view text);

// True when a and b are at most one unit of the 16th digit apart, also across a power of ten
// (9.999999999999999 x 10^e against 1.000000000000000 x 10^(e+1)). Each of two correct
// renderings is within about half a unit of the real; one rounded twice, through 17 digits,
// may be a twentieth further.
[[nodiscard]] bool within_one_unit(const SixteenDigits& a, const SixteenDigits& b);

}  // namespace duopit::bench
