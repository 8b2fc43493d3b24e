// textio/uint128.hpp — an unsigned 128-bit integer for the exact decimal conversions, the
// same on every host: two 64-bit words, with the 64 × 64 → 128-bit product done by the
// compiler's own wide integer where it has one and by 32-bit halves where it has none (a
// 32-bit target). Only what the conversions need: no signed values, no overflow checks
// (every caller keeps its values below 2^128 by construction).
#pragma once

#include <bit>
#include <compare>
#include <cstdint>

namespace duopit::textio {

class Uint128 {
 public:
  constexpr Uint128() = default;
  constexpr Uint128(std::uint64_t low) : low_(low) {}  // NOLINT: widening, as for built-ins
  constexpr Uint128(std::uint64_t high, std::uint64_t low) : high_(high), low_(low) {}

  [[nodiscard]] constexpr std::uint64_t high() const { return high_; }
  [[nodiscard]] constexpr std::uint64_t low() const { return low_; }

  friend constexpr bool operator==(Uint128, Uint128) = default;
  friend constexpr std::strong_ordering operator<=>(Uint128 a, Uint128 b) {
    return a.high_ != b.high_ ? a.high_ <=> b.high_ : a.low_ <=> b.low_;
  }

  friend constexpr Uint128 operator+(Uint128 a, Uint128 b) {
    const std::uint64_t low = a.low_ + b.low_;
    return {a.high_ + b.high_ + (low < a.low_ ? 1 : 0), low};
  }
  friend constexpr Uint128 operator-(Uint128 a, Uint128 b) {
    return {a.high_ - b.high_ - (a.low_ < b.low_ ? 1 : 0), a.low_ - b.low_};
  }
  // The low 128 bits of the product.
  friend constexpr Uint128 operator*(Uint128 a, Uint128 b);
  // Quotient, by shifting and subtracting: one conversion a run needs it.
  friend constexpr Uint128 operator/(Uint128 n, Uint128 d);

  friend constexpr Uint128 operator<<(Uint128 a, int shift) {
    if (shift == 0) {
      return a;
    }
    if (shift >= 64) {
      return {a.low_ << (shift - 64), 0};
    }
    return {(a.high_ << shift) | (a.low_ >> (64 - shift)), a.low_ << shift};
  }
  friend constexpr Uint128 operator>>(Uint128 a, int shift) {
    if (shift == 0) {
      return a;
    }
    if (shift >= 64) {
      return {0, a.high_ >> (shift - 64)};
    }
    return {a.high_ >> shift, (a.low_ >> shift) | (a.high_ << (64 - shift))};
  }
  friend constexpr Uint128 operator&(Uint128 a, Uint128 b) {
    return {a.high_ & b.high_, a.low_ & b.low_};
  }

 private:
  std::uint64_t high_ = 0;
  std::uint64_t low_ = 0;
};

// The full product of two 64-bit numbers.
[[nodiscard]] constexpr Uint128 multiply_64x64(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
  __extension__ using wide = unsigned __int128;
  const wide product = static_cast<wide>(a) * b;
  return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
  const std::uint64_t a_low = a & 0xFFFFFFFFu;
  const std::uint64_t a_high = a >> 32;
  const std::uint64_t b_low = b & 0xFFFFFFFFu;
  const std::uint64_t b_high = b >> 32;
  const std::uint64_t low_low = a_low * b_low;
  const std::uint64_t high_low = a_high * b_low;
  const std::uint64_t low_high = a_low * b_high;
  const std::uint64_t middle = (low_low >> 32) + (high_low & 0xFFFFFFFFu) + low_high;
  return {a_high * b_high + (high_low >> 32) + (middle >> 32),
          (middle << 32) | (low_low & 0xFFFFFFFFu)};
#endif
}

[[nodiscard]] constexpr int bit_width(Uint128 n) {
  return n.high() != 0 ? 64 + std::bit_width(n.high()) : std::bit_width(n.low());
}

constexpr Uint128 operator*(Uint128 a, Uint128 b) {
  const Uint128 low = multiply_64x64(a.low_, b.low_);
  return {low.high() + a.high_ * b.low_ + a.low_ * b.high_, low.low()};
}

constexpr Uint128 operator/(Uint128 n, Uint128 d) {
  Uint128 quotient;
  Uint128 remainder;
  for (int bit = bit_width(n) - 1; bit >= 0; --bit) {
    remainder = (remainder << 1) + ((n >> bit).low() & 1);
    quotient = quotient << 1;
    if (remainder >= d) {
      remainder = remainder - d;
      quotient = quotient + 1;
    }
  }
  return quotient;
}

}  // namespace duopit::textio
