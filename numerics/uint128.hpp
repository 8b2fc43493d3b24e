// numerics/uint128.hpp — the program's unsigned 128-bit integer and the few operations on it
// that the software arithmetic and its elementary functions need: an exact sum or product of two
// 64-bit significands, fixed-point fractions of 128 bits. On the compiler's unsigned __int128
// (GCC and Clang on every 64-bit host).
#pragma once

#include <bit>
#include <cstdint>

namespace duopit::numerics {

__extension__ using Uint128 = unsigned __int128;

[[nodiscard]] constexpr Uint128 from_halves(std::uint64_t high, std::uint64_t low) {
  return (Uint128{high} << 64) | low;
}

[[nodiscard]] constexpr std::uint64_t high_half(Uint128 x) {
  return static_cast<std::uint64_t>(x >> 64);
}

[[nodiscard]] constexpr std::uint64_t low_half(Uint128 x) { return static_cast<std::uint64_t>(x); }

// Index of the highest set bit of a nonzero x.
[[nodiscard]] constexpr int leading_bit(Uint128 x) {
  const std::uint64_t high = high_half(x);
  return high != 0 ? 127 - std::countl_zero(high) : 63 - std::countl_zero(low_half(x));
}

// x (a 64- or 128-bit word) shifted right by `count` ≥ 0, every bit shifted out folded into
// bit 0 ("sticky"), so a later rounding still knows the value was above the truncated one.
template <typename Word>
[[nodiscard]] constexpr Word shift_right_jamming(Word x, int count) {
  constexpr int width = 8 * sizeof(Word);
  if (count == 0) {
    return x;
  }
  if (count >= width) {
    return x != 0 ? 1 : 0;
  }
  const bool lost = (x << (width - count)) != 0;
  return (x >> count) | (lost ? 1 : 0);
}

struct Division {
  std::uint64_t quotient;
  std::uint64_t remainder;
};

// x ÷ divisor where the quotient fits in 64 bits (the high half of x is below the divisor).
// On x86-64 that is one instruction, which the compiler does not emit by itself because it
// cannot know the quotient fits; elsewhere the compiler's 128-bit division.
[[nodiscard]] inline Division divide_128_by_64(Uint128 x, std::uint64_t divisor) {
#if defined(__x86_64__)
  std::uint64_t quotient = low_half(x);
  std::uint64_t remainder = high_half(x);
  asm("divq %[divisor]"
      : "+a"(quotient), "+d"(remainder)
      : [divisor] "rm"(divisor)
      : "cc");
  return {quotient, remainder};
#else
  const auto quotient = static_cast<std::uint64_t>(x / divisor);
  return {quotient, low_half(x) - quotient * divisor};
#endif
}

}  // namespace duopit::numerics
