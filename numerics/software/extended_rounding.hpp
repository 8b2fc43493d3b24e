// numerics/software/extended_rounding.hpp — the one rounding of an exact result
// (extended_exact.hpp) to a 53-bit significand, to nearest even, and its packing for each
// target: an extended real in the extended exponent range (every operation), a 64-bit real in
// its own range (the store). Each is inline for a result that stays normal, the common case;
// results at the edges of the range go out of line, through the one placement both share.
//
// The unit's rules at the edges, as observed on it:
// - tininess is judged after rounding to 53 bits with an unbounded exponent, and underflow is
//   flagged only when the delivered result is also inexact;
// - a tiny result is denormalised to the smallest normal exponent and rounded there once: an
//   extended tiny result keeps the bits of a 53-bit significand at that exponent (its last kept
//   bit weighs 2^-16434), whatever the position of its leading bit;
// - an overflow delivers an infinity, flagging overflow and inexact.
#pragma once

#include <bit>
#include <cstdint>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/binary64.hpp"
#include "numerics/software/extended_exact.hpp"
#include "numerics/software/extended_real.hpp"

namespace duopit::numerics::software {

// A 53-bit significand held in the top of 64 bits leaves 11 bits to round away.
inline constexpr int dropped_bits = 64 - 53;
inline constexpr std::uint64_t dropped_mask = (std::uint64_t{1} << dropped_bits) - 1;
inline constexpr std::uint64_t half_of_last_kept = std::uint64_t{1} << (dropped_bits - 1);

// A significand rounded to its top 53 bits, to nearest even. `carried` says the rounding
// went past 2^64: the significand is then 2^63 and the exponent is one more.
struct Rounded53 {
  std::uint64_t significand;
  bool carried;
  bool inexact;
};

// Adding just under half of the last kept bit, plus that bit itself, carries into it exactly
// when the dropped bits are above half, or half with the kept bits odd; a carry past 2^64
// leaves only dropped bits, and the significand is then 2^63.
[[nodiscard, gnu::always_inline]] inline Rounded53 round_to_53_bits(std::uint64_t significand) {
  const std::uint64_t odd = (significand >> dropped_bits) & 1;
  const std::uint64_t raised = significand + (half_of_last_kept - 1 + odd);
  const bool carried = raised < significand;
  return {(raised & ~dropped_mask) | (carried ? integer_bit : 0), carried,
          (significand & dropped_mask) != 0};
}

[[nodiscard, gnu::always_inline]] inline std::uint16_t inexact_flag(bool inexact) {
  return inexact ? exception_inexact : std::uint16_t{0};
}

// The exponent range a result is rounded into: biased exponents 1..max_biased are normal,
// 0 holds denormals, max_biased + 1 is taken by infinities.
struct Range {
  int bias;
  int max_biased;
};
inline constexpr Range extended_range{ExtendedReal::exponent_bias,
                                     ExtendedReal::exponent_special - 1};
inline constexpr Range real_range{binary64_exponent_bias, binary64_exponent_special - 1};

// A result placed in a range: a biased exponent and a significand whose low 11 bits are zero
// (bit 63 clear for a denormal; an infinity's when overflow is flagged), with its flags.
struct Placed {
  int biased;
  std::uint64_t significand;
  std::uint16_t flags;
};

// Any exact result rounded once into a range; out of line, for the edges of the range.
[[nodiscard, gnu::cold, gnu::noinline]] inline Placed place_in_range(Range range, Exact x) {
  const int biased = x.exponent + range.bias;
  const Rounded53 unbounded = round_to_53_bits(x.significand);
  const int rounded_biased = biased + (unbounded.carried ? 1 : 0);
  if (rounded_biased > range.max_biased) {
    return {range.max_biased + 1, integer_bit, exception_overflow | exception_inexact};
  }
  if (biased >= 1) {
    return {rounded_biased, unbounded.significand, inexact_flag(unbounded.inexact)};
  }
  const Rounded53 denormal = round_to_53_bits(shift_right_jamming(x.significand, 1 - biased));
  const bool tiny = rounded_biased < 1;
  std::uint16_t flags = 0;
  if (denormal.inexact) {
    flags = exception_inexact | (tiny ? exception_underflow : 0);
  }
  return {(denormal.significand & integer_bit) != 0 ? 1 : 0, denormal.significand, flags};
}

// An extended result and the exceptions met on the way to it.
struct Outcome {
  ExtendedReal value;
  std::uint16_t flags = 0;
};

// A 64-bit real result (a store) and the exceptions met on the way to it.
struct RealOutcome {
  double value = 0;
  std::uint16_t flags = 0;
};

// The extended result of an operation.
[[nodiscard, gnu::always_inline]] inline Outcome round_extended(bool negative, Exact x) {
  const int biased = x.exponent + ExtendedReal::exponent_bias;
  const Rounded53 rounded = round_to_53_bits(x.significand);
  const int rounded_biased = biased + (rounded.carried ? 1 : 0);
  if (biased < 1 || rounded_biased > extended_range.max_biased) [[unlikely]] {
    const Placed placed = place_in_range(extended_range, x);
    return {{negative, placed.biased, placed.significand}, placed.flags};
  }
  return {{negative, rounded_biased, rounded.significand}, inexact_flag(rounded.inexact)};
}

// The store of a finite nonzero value as a 64-bit real. Inline where the real's exponent is
// normal and leaves room for a carry (biased 1..2045): the exponent and the kept fraction bits
// side by side, so that rounding up carries from the fraction into the exponent as it carries
// into 2^64. A denormal's significand has bit 63 clear, so its biased exponent 0 packs as is.
[[nodiscard, gnu::always_inline]] inline RealOutcome store_exact(bool negative, Exact x) {
  const std::uint64_t sign = negative ? binary64_sign_bit : 0;
  const int biased = x.exponent + binary64_exponent_bias;
  if (static_cast<unsigned>(biased - 1) >= static_cast<unsigned>(real_range.max_biased - 1))
      [[unlikely]] {
    const Placed placed = place_in_range(real_range, x);
    const std::uint64_t fraction = (placed.significand >> dropped_bits) & binary64_fraction_mask;
    const auto exponent = static_cast<std::uint64_t>(placed.biased) << binary64_fraction_bits;
    return {std::bit_cast<double>(sign | exponent | fraction), placed.flags};
  }
  const std::uint64_t fraction = (x.significand & ~integer_bit) >> dropped_bits;
  const std::uint64_t dropped = x.significand & dropped_mask;
  const std::uint64_t up = (dropped + (half_of_last_kept - 1 + (fraction & 1))) >> dropped_bits;
  const std::uint64_t magnitude =
      (static_cast<std::uint64_t>(biased) << binary64_fraction_bits) + fraction + up;
  return {std::bit_cast<double>(sign | magnitude), inexact_flag(dropped != 0)};
}

}  // namespace duopit::numerics::software
