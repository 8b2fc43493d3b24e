// numerics/software/fraction_rounding.hpp — rounding the 128-bit approximations of the software
// elementary functions to a 64-bit significand. Integer arithmetic on one 128-bit word per
// value; no evaluation here. Inline: each runs once per result, on the common path.
#pragma once

#include <cassert>
#include <cstdint>

#include "numerics/software/elementary_model.hpp"
#include "numerics/uint128.hpp"

namespace duopit::numerics::software {

// value·2^exponent, value nonzero and below 2^128.
struct Scaled {
  Uint128 value = 0;
  int exponent = 0;
};

// RN64 of a. An exact value exactly halfway rounds to even; an approximation exactly halfway
// (a truncation whose error is below evaluation_error_bound units) stays below.
[[nodiscard]] inline ExtendedReal round_scaled(const Scaled& a, bool exact) {
  constexpr std::uint64_t half = std::uint64_t{1} << 63;
  const int top = leading_bit(a.value);
  const Uint128 normal = a.value << (127 - top);
  std::uint64_t significand = high_half(normal);
  const std::uint64_t rest = low_half(normal);  // the bits cut off, in units of 2^-64
  std::int32_t exponent = top + a.exponent + ExtendedReal::exponent_bias;
  if (rest > half || (exact && rest == half && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) {  // carried into the next binade
      significand = half;
      ++exponent;
    }
  }
  return ExtendedReal{false, exponent, significand};
}

// RN64(c − RN_b(w)) for an exact constant c and an approximation w ≥ 0 of a small part, both in
// units of 2^exponent, w's error below evaluation_error_bound units: the unit holds the small
// part of some results (1 − cos r, arctan(1/x)) to b significant bits before it combines it
// with 1 or π₆₆/2. b > 64, so that the bits w loses lie in its low word.
[[nodiscard]] inline ExtendedReal round_held_difference(Uint128 constant, Uint128 small,
                                                        int exponent, int bits) {
  assert(bits > 64);
  const int drop = small == 0 ? 0 : leading_bit(small) - (bits - 1);
  if (drop < 1) {  // w has no bits below its b-th: holding it changes nothing
    return round_scaled({constant - small, exponent}, false);
  }
  const std::uint64_t cut = std::uint64_t{1} << drop;
  const std::uint64_t below = low_half(small) & (cut - 1);
  const std::uint64_t half = cut >> 1;
  const std::uint64_t distance = below >= half ? below - half : half - below;
  if (distance <= evaluation_error_bound) {
    // The b-bit rounding is undecided at this precision, but it moves w by less than 2^drop
    // units, which decides the 64-bit rounding of c − w only where that lies within 2^drop
    // units of a boundary: taken as the rounding of c − w.
    return round_scaled({constant - small, exponent}, false);
  }
  // c − RN_b(w) is exact, so its own rounding sends a value exactly halfway to even.
  const Uint128 kept = small - below;
  const Uint128 held = below < half ? kept : kept + cut;
  return round_scaled({constant - held, exponent}, true);
}

// v·(1 + adjustment·2^-79) for the unit's own sine error, |adjustment| < 2^16, within 1.1 units
// of the exact value: v·|adjustment|·2^-79 is truncated and taken from v's high word alone,
// whose low word would add less than 2^-63·2^16 of a unit.
[[nodiscard]] inline Uint128 scale_relative(Uint128 v, std::int32_t adjustment) {
  constexpr int adjustment_scale = 79;
  const std::uint64_t size = adjustment < 0 ? static_cast<std::uint64_t>(-std::int64_t{adjustment})
                                            : static_cast<std::uint64_t>(adjustment);
  const Uint128 offset = (Uint128{high_half(v)} * size) >> (adjustment_scale - 64);
  return adjustment > 0 ? v + offset : v - offset;
}

}  // namespace duopit::numerics::software
