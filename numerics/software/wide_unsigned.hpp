// numerics/software/wide_unsigned.hpp — a 128-bit unsigned integer as two 64-bit halves, with
// the few operations the extended arithmetic needs to hold an exact sum or product of two
// 64-bit significands. Portable C++: no compiler's 128-bit type, so it builds on every target.
#pragma once

#include <bit>
#include <cstdint>

namespace duopit::numerics::software {

struct WideUnsigned {
  std::uint64_t high = 0;
  std::uint64_t low = 0;

  friend bool operator==(const WideUnsigned&, const WideUnsigned&) = default;
};

namespace wide {

[[nodiscard]] constexpr bool is_zero(WideUnsigned x) { return x.high == 0 && x.low == 0; }

[[nodiscard]] constexpr int leading_zeros(WideUnsigned x) {
  return x.high != 0 ? std::countl_zero(x.high) : 64 + std::countl_zero(x.low);
}

// a + b; the caller keeps the sum below 2^128.
[[nodiscard]] constexpr WideUnsigned sum(WideUnsigned a, WideUnsigned b) {
  const std::uint64_t low = a.low + b.low;
  const std::uint64_t carry = low < a.low ? 1 : 0;
  return {a.high + b.high + carry, low};
}

// a − b for a ≥ b.
[[nodiscard]] constexpr WideUnsigned difference(WideUnsigned a, WideUnsigned b) {
  const std::uint64_t borrow = a.low < b.low ? 1 : 0;
  return {a.high - b.high - borrow, a.low - b.low};
}

// The exact product of two 64-bit integers, from four 32-bit partial products.
[[nodiscard]] constexpr WideUnsigned product(std::uint64_t a, std::uint64_t b) {
  constexpr std::uint64_t half_mask = 0xFFFFFFFF;
  const std::uint64_t a_low = a & half_mask;
  const std::uint64_t a_high = a >> 32;
  const std::uint64_t b_low = b & half_mask;
  const std::uint64_t b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low;
  const std::uint64_t low_high = a_low * b_high;
  const std::uint64_t high_low = a_high * b_low;
  const std::uint64_t high_high = a_high * b_high;
  // Three 32-bit pieces and a carry cannot overflow 64 bits.
  const std::uint64_t middle = (low_low >> 32) + (low_high & half_mask) + (high_low & half_mask);
  return {high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32),
          (middle << 32) | (low_low & half_mask)};
}

// x × 2^count for 0 ≤ count < 128; bits shifted past the top are lost.
[[nodiscard]] constexpr WideUnsigned shift_left(WideUnsigned x, int count) {
  if (count == 0) {
    return x;
  }
  if (count >= 64) {
    return {x.low << (count - 64), 0};
  }
  return {(x.high << count) | (x.low >> (64 - count)), x.low << count};
}

// x shifted right by `count` ≥ 0, every bit shifted out folded into bit 0 ("sticky"), so a
// later rounding still knows the value was above the truncated one.
[[nodiscard]] constexpr WideUnsigned shift_right_jamming(WideUnsigned x, int count) {
  if (count == 0) {
    return x;
  }
  if (count >= 128) {
    return {0, is_zero(x) ? 0U : 1U};
  }
  if (count >= 64) {
    const int within = count - 64;
    const bool lost = x.low != 0 || (within != 0 && (x.high << (64 - within)) != 0);
    return {0, (x.high >> within) | (lost ? 1U : 0U)};
  }
  const bool lost = (x.low << (64 - count)) != 0;
  return {x.high >> count, (x.high << (64 - count)) | (x.low >> count) | (lost ? 1U : 0U)};
}

}  // namespace wide
}  // namespace duopit::numerics::software
