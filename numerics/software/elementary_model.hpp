// numerics/software/elementary_model.hpp — sine, cosine and arctangent of a 64-bit real as the
// x87 unit's fsin, fcos and fpatan give them, computed in integers so that a host without the
// unit gets the same extended results.
//
// The model, measured against the unit on this program's arguments:
// - sine and cosine: the argument is reduced by the nearest multiple of π₆₆/2, π rounded to
//   66 significant bits; the remainder r is exact. The quadrant picks sin r or cos r and the
//   sign. sin r is rounded after the unit's own small, smooth relative error is applied
//   (unit_sine_error); cos r is rounded as 1 − (1 − cos r) with 1 − cos r held to 68 bits
//   (unit_held_bits).
// - arctangent of (|x|, 1): arctan|x| up to 1; above 1, π₆₆/2 − arctan(1/|x|) with the same
//   66-bit π and arctan(1/|x|) held to 68 bits.
// Every rounding is to nearest with a 64-bit significand.
//
// Only normal finite arguments, and |x| < 2^63 for the sine and cosine: zeros, denormals,
// infinities, NaNs and the out-of-range case belong to the caller (numerics/elementary.cpp).
// 64-bit hosts only (numerics/uint128.hpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "numerics/software/extended_real.hpp"
#include "numerics/uint128.hpp"

namespace duopit::numerics::software {

[[nodiscard]] ExtendedReal sine(double x);
[[nodiscard]] ExtendedReal cosine(double x);
// arctan|x|, negated when x < 0: the unit's fpatan of (|x|, 1) with the caller's sign.
[[nodiscard]] ExtendedReal arctangent_of_magnitude(double x);
// π rounded to a 64-bit significand, to nearest, then halved: the unit's fldpi / 2.
[[nodiscard]] ExtendedReal half_pi();

// The pieces, exposed for their tests.

// π rounded to 66 significant bits, as the integer π·2^64 rounded; the reduction uses it/2^65.
inline constexpr Uint128 reduction_pi_66 =
    (static_cast<Uint128>(0x3) << 64) | 0x243F6A8885A308D3ULL;

// x = q·(π₆₆/2) + r with q the nearest integer; r is exact: ±magnitude·2^-scale.
struct ReducedArgument {
  std::uint32_t quadrant = 0;  // q mod 4
  bool negative = false;       // sign of r
  Uint128 magnitude = 0;
  int scale = 0;
};
[[nodiscard]] ReducedArgument reduce_argument(double x);

// The unit's own relative error in its sine of the remainder |r| = magnitude·2^-scale, in
// units of 2^-79: the sine functions round sin|r|·(1 + this·2^-79).
[[nodiscard]] std::int32_t unit_sine_error(Uint128 magnitude, int scale);

// The unit holds the small part of a result to this many significant bits, rounded to
// nearest, before it combines it with a constant: the cosine functions round
// 1 − RN68(1 − cos|r|), the arctangent above 1 rounds π₆₆/2 − RN68(arctan(1/|x|)).
inline constexpr int unit_held_bits = 68;

// The evaluations behind the functions (elementary_evaluation.cpp), each in 128-bit fixed point
// and rounded once to a 64-bit significand, to nearest.
//
// Each evaluation stays within evaluation_error_bound units of its last bit of the truth
// (elementary_evaluation.cpp counts them; the ErrorBound tests measure at most 13). A value
// that close to a rounding boundary is rounded as it stands: no random argument has met one
// (0 in 160,000,000 drawn over the ranges of the differential against the unit), and the
// near-midpoints that can be constructed (cos(s·2^-32) for odd s ≤ 9, arctan 2^65) round
// the right way.
inline constexpr std::uint64_t evaluation_error_bound = 256;

// sin|r|·(1 + relative_error·2^-79) for |r| = magnitude·2^-scale ≤ π/4.
[[nodiscard]] ExtendedReal sine_of_remainder(Uint128 magnitude, int scale,
                                             std::int32_t relative_error = 0);
// cos|r|, or with complement_bits = b > 0 the value 1 − RN_b(1 − cos|r|).
[[nodiscard]] ExtendedReal cosine_of_remainder(Uint128 magnitude, int scale,
                                               int complement_bits = 0);
// arctan|x| for a normal x; above 1 π₆₆/2 − arctan(1/|x|), and with held_bits = b > 0
// π₆₆/2 − RN_b(arctan(1/|x|)).
[[nodiscard]] ExtendedReal arctangent_of(double x, int held_bits = 0);

// The evaluations before rounding, value·2^(exponent − 126): for the tests that measure the
// error.
struct Unrounded {
  Uint128 value = 0;
  int exponent = 0;
};
[[nodiscard]] Unrounded unrounded_sine_of_remainder(Uint128 magnitude, int scale);
[[nodiscard]] Unrounded unrounded_cosine_of_remainder(Uint128 magnitude, int scale);
[[nodiscard]] Unrounded unrounded_arctangent(double x);

// The tables the evaluations start from: sin, cos (k ≤ 101) and arctan (k ≤ 128) of k/128, as
// value·2^128 truncated, cos 0 as 2^128 − 1. For the test that checks them against MPFR.
enum class TableFunction { sine, cosine, arctangent };
[[nodiscard]] Uint128 fraction_table_entry(TableFunction function, std::size_t k);

}  // namespace duopit::numerics::software
