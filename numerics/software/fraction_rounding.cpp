// numerics/software/fraction_rounding.cpp — rounding of the 128-bit approximations
// (fraction_rounding.hpp). Pure integer code on one 128-bit word per value.
#include "numerics/software/fraction_rounding.hpp"

#include <cassert>

namespace duopit::numerics::software {

Rounded round_held_difference(Uint128 constant, Uint128 small, int exponent, int bits) {
  assert(bits > 64);
  const int drop = small == 0 ? 0 : leading_bit(small) - (bits - 1);
  if (drop < 1) {  // w has no bits below its b-th: holding it changes nothing
    return round_scaled({constant - small, exponent}, fast_error_bound);
  }
  const std::uint64_t cut = std::uint64_t{1} << drop;
  const std::uint64_t below = static_cast<std::uint64_t>(small) & (cut - 1);
  const std::uint64_t half = cut >> 1;
  const std::uint64_t distance = below >= half ? below - half : half - below;
  if (distance <= fast_error_bound) {
    // The b-bit rounding is undecided at this precision, but it moves w by less than 2^drop
    // units: where c − w lies farther than that from a rounding boundary, it does not matter.
    constexpr int widest_margin = 56;
    const std::uint64_t moved = drop < widest_margin ? cut : 0;
    const Rounded unheld = round_scaled({constant - small, exponent}, fast_error_bound + moved);
    return {unheld.value, moved != 0 && unheld.certain};
  }
  // c − RN_b(w) is exact, so its own rounding sends a value exactly halfway to even.
  const Uint128 kept = small - below;
  const Uint128 held = below < half ? kept : kept + cut;
  return {round_scaled({constant - held, exponent}, 0).value, true};
}

Uint128 scale_relative(Uint128 v, std::int32_t adjustment) {
  if (adjustment == 0) {
    return v;
  }
  constexpr int adjustment_scale = 79;
  const int top = leading_bit(v);
  const auto leading = static_cast<std::uint64_t>(v >> (top - 63));
  const std::uint64_t size = adjustment < 0 ? static_cast<std::uint64_t>(-std::int64_t{adjustment})
                                            : static_cast<std::uint64_t>(adjustment);
  const Uint128 product = Uint128{leading} * size;  // below 2^80
  const int position = top - 63 - adjustment_scale;
  const Uint128 offset = position >= 0 ? product << position : product >> -position;
  return adjustment > 0 ? v + offset : v - offset;
}

}  // namespace duopit::numerics::software
