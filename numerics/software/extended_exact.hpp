// numerics/software/extended_exact.hpp — the exact result of an operation on two finite nonzero
// extended reals, as a 64-bit significand with every bit below its last folded into bit 0:
// enough for the one rounding to 53 bits that follows (extended_rounding.hpp). Inline, for the
// common case of two normal operands; integers only.
#pragma once

#include <bit>
#include <cstdint>

#include "numerics/software/extended_real.hpp"
#include "numerics/uint128.hpp"

namespace duopit::numerics::software {

inline constexpr std::uint64_t integer_bit = std::uint64_t{1} << 63;

// A finite nonzero value as significand × 2^(exponent − 63), bit 63 of the significand set;
// any bits below bit 0 folded into it ("sticky"). Rounding keeps 53 bits, so it looks only at
// multiples of 2^10 of the significand: an odd last bit stands for any value strictly between
// two integers, and so for an exact sum, difference, product or quotient.
struct Exact {
  int exponent;
  std::uint64_t significand;
};

// Finite with the integer bit set and a nonzero exponent.
[[nodiscard, gnu::always_inline]] inline bool is_normal(ExtendedReal x) {
  return static_cast<unsigned>(x.exponent - 1) < ExtendedReal::exponent_special - 1 &&
         (x.significand & integer_bit) != 0;
}

[[nodiscard, gnu::always_inline]] inline Exact unpack_normal(ExtendedReal x) {
  return {x.exponent - ExtendedReal::exponent_bias, x.significand};
}

// A finite nonzero operand, normal or not: a denormal or pseudo-denormal reads as exponent 1.
[[nodiscard]] inline Exact unpack(ExtendedReal x) {
  const int biased = x.exponent == 0 ? 1 : x.exponent;
  const int shift = std::countl_zero(x.significand);
  return {biased - ExtendedReal::exponent_bias - shift, x.significand << shift};
}

[[nodiscard]] inline bool is_smaller(Exact a, Exact b) {
  return a.exponent != b.exponent ? a.exponent < b.exponent : a.significand < b.significand;
}

// The smaller operand shifted right by `gap`, and whether any bit was shifted out.
struct Aligned {
  std::uint64_t kept;
  std::uint64_t lost;  // 0 or 1
};

[[nodiscard, gnu::always_inline]] inline Aligned align(std::uint64_t smaller, int gap) {
  if (gap > 63) [[unlikely]] {
    return {0, 1};
  }
  return {smaller >> gap, (smaller & ((std::uint64_t{1} << gap) - 1)) != 0 ? 1U : 0U};
}

// |a| + |b| for |a| ≥ |b|: a carry past 2^64 shifts the sum right by one, folding its last bit
// in likewise.
[[nodiscard, gnu::always_inline]] inline Exact add_exact(Exact a, Exact b) {
  const Aligned smaller = align(b.significand, a.exponent - b.exponent);
  const std::uint64_t sum = a.significand + smaller.kept;
  const std::uint64_t carry = sum < a.significand ? 1 : 0;
  const std::uint64_t folded = (sum >> carry) | (carry << 63) | (sum & carry) | smaller.lost;
  return {a.exponent + static_cast<int>(carry), folded};
}

// |a| − |b| for |a| > |b|. At a gap of 2 or more the difference exceeds 2^62, so at most one
// leading bit cancels; with bits shifted out, the exact difference lies between the truncated
// one less one and the truncated one: the first of these, with bit 0 set, stands for it. At a
// gap of 0 or 1 it is exact in 65 bits, counted in units of the smaller operand's last bit:
// above 2^64 it shifts right by one, its last bit folded in; below, it moves up to bit 63 with
// nothing lost.
[[nodiscard, gnu::always_inline]] inline Exact subtract_exact(Exact a, Exact b) {
  const int gap = a.exponent - b.exponent;
  if (gap >= 2) {
    const Aligned smaller = align(b.significand, gap);
    const std::uint64_t difference = (a.significand - smaller.kept - smaller.lost) | smaller.lost;
    const std::uint64_t shift = (difference >> 63) ^ 1;
    return {a.exponent - static_cast<int>(shift), difference << shift};
  }
  const Uint128 difference = (Uint128{a.significand} << gap) - b.significand;
  const std::uint64_t low = low_half(difference);
  if (high_half(difference) != 0) {
    return {a.exponent, integer_bit | (low >> 1) | (low & 1)};
  }
  const int shift = std::countl_zero(low);
  return {a.exponent - gap - shift, low << shift};
}

// The product of two significands lies in [2^126, 2^128), its top bit weighing
// 2^(ea + eb + 1); a clear top bit moves up by one, the low half folds into bit 0.
[[nodiscard, gnu::always_inline]] inline Exact multiply_exact(Exact a, Exact b) {
  const Uint128 product = Uint128{a.significand} * b.significand;
  const int shift = static_cast<int>(high_half(product) >> 63) ^ 1;
  const Uint128 normalised = product << shift;
  return {a.exponent + b.exponent + 1 - shift,
          high_half(normalised) | (low_half(normalised) != 0 ? 1 : 0)};
}

// 64 quotient bits, the first always 1, from the dividend scaled to 127 or 128 bits, whose high
// half then stays below the divisor (one instruction on x86-64); a nonzero remainder folds into
// the last bit.
[[nodiscard, gnu::always_inline]] inline Exact divide_exact(Exact a, Exact b) {
  const int below = a.significand < b.significand ? 1 : 0;
  const Division division =
      divide_128_by_64(Uint128{a.significand} << (63 + below), b.significand);
  return {a.exponent - b.exponent - below,
          division.quotient | (division.remainder != 0 ? 1 : 0)};
}

}  // namespace duopit::numerics::software
