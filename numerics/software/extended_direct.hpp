// numerics/software/extended_direct.hpp — the common case of the extended arithmetic, done
// inline: two normal operands whose result is normal too (or an exact zero), rounded once to
// 53 bits. No special rule applies there, the operands unpack as they are stored, and the only
// exception that can arise is inexact. Anything else (a special or denormal operand, a result
// that leaves the normal range, a sum across a wide exponent gap) is reported as not done and
// left to the general path in extended_arithmetic.cpp, which computes it from the start.
// Integers only.
#pragma once

#include <bit>
#include <cstdint>

#include "numerics/software/extended_real.hpp"
#include "numerics/uint128.hpp"

namespace duopit::numerics::software::direct {

inline constexpr std::uint64_t integer_bit = std::uint64_t{1} << 63;

// A 53-bit significand held in the top of 64 bits leaves 11 bits to round away.
inline constexpr int dropped_bits = 64 - 53;
inline constexpr std::uint64_t last_kept_bit = std::uint64_t{1} << dropped_bits;
inline constexpr std::uint64_t dropped_mask = last_kept_bit - 1;
inline constexpr std::uint64_t half_of_last_kept = last_kept_bit >> 1;

inline constexpr int max_normal_biased = ExtendedReal::exponent_special - 1;

// A significand rounded to its top 53 bits, to nearest even. `carried` says the rounding
// went past 2^64: the significand is then 2^63 and the exponent is one more.
struct Rounded {
  std::uint64_t significand;
  bool carried;
  bool inexact;
};

// Adding just under half of the last kept bit, plus that bit itself, carries into it exactly
// when the dropped bits are above half, or half with the kept bits odd; a carry past 2^64
// leaves only dropped bits, and the significand is then 2^63.
[[nodiscard, gnu::always_inline]] inline Rounded round_to_53_bits(std::uint64_t significand) {
  const std::uint64_t odd = (significand >> dropped_bits) & 1;
  const std::uint64_t raised = significand + (half_of_last_kept - 1 + odd);
  const bool carried = raised < significand;
  return {(raised & ~dropped_mask) | (carried ? integer_bit : 0), carried,
          (significand & dropped_mask) != 0};
}

// Finite with the integer bit set and a nonzero exponent.
[[nodiscard, gnu::always_inline]] inline bool is_normal(ExtendedReal x) {
  return static_cast<unsigned>(x.exponent - 1) < max_normal_biased &&
         (x.significand & integer_bit) != 0;
}

[[nodiscard, gnu::always_inline]] inline bool both_normal(ExtendedReal a, ExtendedReal b) {
  return is_normal(a) && is_normal(b);
}

// The result of the direct path, normal or an exact +0; when `done` is false, value and
// inexact mean nothing.
struct Direct {
  ExtendedReal value;
  bool inexact;
  bool done;
};

// significand × 2^(biased − bias − 63), bit 63 set and any bits below bit 0 folded into it:
// rounded once, done when the exponent is normal both before and after the rounding.
[[nodiscard, gnu::always_inline]] inline Direct round_normal(bool negative, int biased,
                                                             std::uint64_t significand) {
  const Rounded rounded = round_to_53_bits(significand);
  const int rounded_biased = biased + (rounded.carried ? 1 : 0);
  const bool normal = biased >= 1 && rounded_biased <= max_normal_biased;
  return {{negative, rounded_biased, rounded.significand}, rounded.inexact, normal};
}

// A significand before rounding, bit 63 set and any bits below bit 0 folded into it, with
// its biased exponent.
struct Exact {
  int biased;
  std::uint64_t significand;
};

// Both below take `smaller` shifted right by a gap of 0..63 and fold the bits shifted out
// into bit 0. Rounding keeps 53 bits, so it looks only at multiples of 2^10 of the significand:
// an odd last bit stands for any value strictly between two integers, and so for the exact
// sum or difference, even after a shift left by one.
[[nodiscard, gnu::always_inline]] inline std::uint64_t shifted_out(std::uint64_t smaller, int gap) {
  return (smaller & ((std::uint64_t{1} << gap) - 1)) != 0 ? 1 : 0;
}

// |a| + |b|: a carry past 2^64 shifts the sum right by one, folding its last bit in likewise.
[[nodiscard, gnu::always_inline]] inline Exact add_aligned(int biased, std::uint64_t larger,
                                                           std::uint64_t smaller, int gap) {
  const std::uint64_t sum = larger + (smaller >> gap);
  const std::uint64_t carry = sum < larger ? 1 : 0;
  const std::uint64_t folded =
      (sum >> carry) | (carry << 63) | (sum & carry) | shifted_out(smaller, gap);
  return {biased + static_cast<int>(carry), folded};
}

// |a| − |b| for a gap of 2..63: the difference exceeds 2^62, so at most one leading bit
// cancels. With bits shifted out, the exact difference lies between the truncated one less
// one and the truncated one: the first of these, with bit 0 set, stands for it.
[[nodiscard, gnu::always_inline]] inline Exact subtract_aligned(int biased, std::uint64_t larger,
                                                                std::uint64_t smaller, int gap) {
  const std::uint64_t lost = shifted_out(smaller, gap);
  const std::uint64_t difference = (larger - (smaller >> gap) - lost) | lost;
  const std::uint64_t shift = (difference >> 63) ^ 1;
  return {biased - static_cast<int>(shift), difference << shift};
}

// |a| − |b| for a gap of 0 or 1, |a| > |b|: exact in 65 bits, counted in units of the smaller
// operand's last bit. Above 2^64 it shifts right by one, its last bit folded in; below, it
// moves up to bit 63 with nothing lost.
[[nodiscard, gnu::always_inline]] inline Exact cancel(int biased, std::uint64_t larger,
                                                      std::uint64_t smaller, int gap) {
  const Uint128 difference = (Uint128{larger} << gap) - smaller;
  const std::uint64_t low = low_half(difference);
  if (high_half(difference) != 0) {
    return {biased, integer_bit | (low >> 1) | (low & 1)};
  }
  const int shift = std::countl_zero(low);
  return {biased - gap - shift, low << shift};
}

// a + b. The operand with the larger exponent gives the sign (when the gap is 2 or more it is
// also the larger in magnitude; at a gap of 0 the larger significand decides). An exact
// cancellation is +0 when rounding to nearest; sums across a gap over 63 go to the general
// path.
[[nodiscard, gnu::always_inline]] inline Direct add(ExtendedReal a, ExtendedReal b) {
  if (a.exponent < b.exponent || (a.exponent == b.exponent && a.significand < b.significand)) {
    const ExtendedReal larger = b;
    b = a;
    a = larger;
  }
  const int gap = a.exponent - b.exponent;
  const bool subtract = a.negative != b.negative;
  if (gap > 63) {
    return {};
  }
  if (subtract && gap == 0 && a.significand == b.significand) {
    return {ExtendedReal{}, false, true};
  }
  const Exact exact = !subtract ? add_aligned(a.exponent, a.significand, b.significand, gap)
                      : gap >= 2 ? subtract_aligned(a.exponent, a.significand, b.significand, gap)
                                 : cancel(a.exponent, a.significand, b.significand, gap);
  return round_normal(a.negative, exact.biased, exact.significand);
}

[[nodiscard, gnu::always_inline]] inline Direct subtract(ExtendedReal a, ExtendedReal b) {
  return add(a, {!b.negative, b.exponent, b.significand});
}

// a × b: the product of two significands lies in [2^126, 2^128), its top bit weighing
// 2^(ea + eb + 1) unbiased; a clear top bit moves up by one, the low half folds into bit 0.
[[nodiscard, gnu::always_inline]] inline Direct multiply(ExtendedReal a, ExtendedReal b) {
  const Uint128 product = Uint128{a.significand} * b.significand;
  const int shift = static_cast<int>(high_half(product) >> 63) ^ 1;
  const Uint128 normalised = product << shift;
  const std::uint64_t folded =
      high_half(normalised) | (low_half(normalised) != 0 ? 1 : 0);
  const int biased = a.exponent + b.exponent - ExtendedReal::exponent_bias + 1 - shift;
  return round_normal(a.negative != b.negative, biased, folded);
}

// a ÷ b: 64 quotient bits, the first always 1, from the dividend scaled to 127 or 128 bits,
// whose high half then stays below the divisor; a nonzero remainder folds into the last bit.
[[nodiscard, gnu::always_inline]] inline Direct divide(ExtendedReal a, ExtendedReal b) {
  const int below = a.significand < b.significand ? 1 : 0;
  const Uint128 dividend = Uint128{a.significand} << (63 + below);
  const Division division = divide_128_by_64(dividend, b.significand);
  const int biased = a.exponent - b.exponent + ExtendedReal::exponent_bias - below;
  return round_normal(a.negative != b.negative, biased,
                      division.quotient | (division.remainder != 0 ? 1 : 0));
}

// The store of a normal value as a 64-bit real, when the real's exponent is normal and leaves
// room for a carry (biased 1..2045): the exponent and the kept fraction bits side by side, so
// that rounding up carries from the fraction into the exponent as it carries into 2^64.
struct DirectReal {
  std::uint64_t bits;
  bool inexact;
  bool done;
};

[[nodiscard, gnu::always_inline]] inline DirectReal store(ExtendedReal x) {
  constexpr int real_fraction_bits = 52;
  constexpr int rebias = ExtendedReal::exponent_bias - 1023;
  constexpr unsigned real_normal_exponents_below_top = 2045;
  const int real_biased = x.exponent - rebias;
  if (static_cast<unsigned>(real_biased - 1) >= real_normal_exponents_below_top ||
      (x.significand & integer_bit) == 0) {
    return {};
  }
  const std::uint64_t fraction = (x.significand & ~integer_bit) >> dropped_bits;
  const std::uint64_t dropped = x.significand & dropped_mask;
  const std::uint64_t up = (dropped + (half_of_last_kept - 1 + (fraction & 1))) >> dropped_bits;
  const std::uint64_t magnitude =
      (static_cast<std::uint64_t>(real_biased) << real_fraction_bits) + fraction + up;
  return {(x.negative ? integer_bit : 0) | magnitude, dropped != 0, true};
}

}  // namespace duopit::numerics::software::direct
