// numerics/software/extended_finite.hpp — the exact result of two finite nonzero operands
// and its one rounding to 53 bits within a target's exponent range: the part of the extended
// arithmetic that the general path computes for finite operands, normal or not. Internal to
// extended_arithmetic.cpp; integers only.
#pragma once

#include <bit>
#include <cstdint>

#include "numerics/software/extended_arithmetic.hpp"
#include "numerics/software/extended_direct.hpp"
#include "numerics/software/extended_real.hpp"
#include "numerics/uint128.hpp"

namespace duopit::numerics::software::finite {

using direct::dropped_bits;
using direct::dropped_mask;
using direct::half_of_last_kept;
using direct::integer_bit;
using direct::round_to_53_bits;
using direct::Rounded;

// The exponent range a result is rounded into: biased exponents 1..max_biased are normal,
// 0 holds denormals, max_biased + 1 is taken by infinities.
struct Range {
  int bias;
  int max_biased;
};
inline constexpr Range extended_range{ExtendedReal::exponent_bias,
                                     ExtendedReal::exponent_special - 1};
inline constexpr Range real_range{1023, 2046};

// A nonzero finite value as significand × 2^(exponent − 63), bit 63 of the significand set.
struct Unpacked {
  int exponent;
  std::uint64_t significand;
};

// A finite result placed in a range: a biased exponent and a significand whose low 11 bits are
// zero (bit 63 clear for a denormal), or the overflow flag, for which the result is infinite.
struct Placed {
  int biased;
  std::uint64_t significand;
  std::uint16_t flags;
};

// A result tiny before rounding (biased exponent below 1): denormalised to exponent 1, then
// rounded there once. `tiny` says it is tiny after rounding with an unbounded exponent too.
[[nodiscard, gnu::cold]] inline Placed place_tiny(int biased, std::uint64_t significand,
                                                 bool tiny) {
  const Rounded denormal = round_to_53_bits(shift_right_jamming(significand, 1 - biased));
  const bool normal = (denormal.significand & integer_bit) != 0;
  std::uint16_t flags = 0;
  if (denormal.inexact) {
    flags = exception_inexact | (tiny ? exception_underflow : 0);
  }
  return {normal ? 1 : 0, denormal.significand, flags};
}

// `significand` (bit 63 set, bits below bit 0 folded into it) × 2^(exponent − 63), rounded once.
// Inline: a normal result, the common case, then costs one rounding and two comparisons.
[[nodiscard]] inline Placed place_in_range(Range range, int exponent, std::uint64_t significand) {
  const int biased = exponent + range.bias;
  const Rounded unbounded = round_to_53_bits(significand);
  const int rounded_biased = biased + (unbounded.carried ? 1 : 0);
  if (rounded_biased > range.max_biased) [[unlikely]] {
    return {range.max_biased + 1, integer_bit, exception_overflow | exception_inexact};
  }
  if (biased < 1) [[unlikely]] {
    return place_tiny(biased, significand, rounded_biased < 1);
  }
  const std::uint16_t inexact = unbounded.inexact ? exception_inexact : 0;
  return {rounded_biased, unbounded.significand, inexact};
}

[[nodiscard]] inline Outcome round_extended(bool negative, int exponent,
                                           std::uint64_t significand) {
  const Placed placed = place_in_range(extended_range, exponent, significand);
  return {{negative, placed.biased, placed.significand}, placed.flags};
}

// The rounded form of a significand of 128 bits × 2^(exponent − 127); nonzero.
[[nodiscard]] inline Outcome round_wide(bool negative, int exponent, Uint128 significand) {
  const int shift = 127 - leading_bit(significand);
  const Uint128 normalised = significand << shift;
  const std::uint64_t folded =
      high_half(normalised) | (low_half(normalised) != 0 ? 1 : 0);
  return round_extended(negative, exponent - shift, folded);
}

// |a| ± |b| for finite nonzero operands with |a| ≥ |b|. The larger significand sits two bits
// below the top of 128, leaving room for a carry; the smaller is aligned below it, any bits
// shifted past the end folded into the last bit. They fall out only when the exponents differ
// by more than 62, where at most one bit cancels, so the fold never reaches the rounding.
[[nodiscard]] inline Outcome add_magnitudes(bool negative, Unpacked a, Unpacked b, bool subtract) {
  const Uint128 larger = Uint128{a.significand} << 62;
  const Uint128 smaller =
      shift_right_jamming(Uint128{b.significand} << 62, a.exponent - b.exponent);
  const Uint128 sum = subtract ? larger - smaller : larger + smaller;
  if (sum == 0) {
    return {ExtendedReal{}, 0};  // an exact cancellation is +0 when rounding to nearest
  }
  return round_wide(negative, a.exponent + 2, sum);
}

[[nodiscard]] inline bool is_smaller(Unpacked a, Unpacked b) {
  return a.exponent != b.exponent ? a.exponent < b.exponent : a.significand < b.significand;
}

// The product of two 64-bit significands lies in [2^126, 2^128): its top bit weighs
// 2^(ea + eb + 1).
[[nodiscard]] inline Outcome multiply_finite(bool negative, Unpacked a, Unpacked b) {
  return round_wide(negative, a.exponent + b.exponent + 1, Uint128{a.significand} * b.significand);
}

// 64 quotient bits of a/b, the first always 1, from one division of a scaled to 127 or 128 bits
// by b; a nonzero remainder folds into the last bit. The scale makes the quotient lie in
// [2^63, 2^64), and keeps the dividend's high half below b, so a 128-by-64-bit division
// (one instruction on x86-64) gives it with its remainder.
[[nodiscard]] inline Outcome divide_finite(bool negative, Unpacked a, Unpacked b) {
  const bool below = a.significand < b.significand;
  const Uint128 dividend = Uint128{a.significand} << (below ? 64 : 63);
  const Division division = divide_128_by_64(dividend, b.significand);
  const int exponent = a.exponent - b.exponent - (below ? 1 : 0);
  return round_extended(negative, exponent,
                        division.quotient | (division.remainder != 0 ? 1 : 0));
}

}  // namespace duopit::numerics::software::finite
