// numerics/uint128.hpp — the program's unsigned 128-bit integer, for the exact decimal
// conversions of the text layer and the software arithmetic with its elementary functions:
// the compiler's unsigned __int128 where it has one (GCC and Clang on every 64-bit host), two
// 64-bit words where it has none (a 32-bit target, which needs it only for the conversions,
// since the software arithmetic is built on 64-bit hosts only). The same values and the same
// results either way; callers reach the halves through high_half and low_half. No signed
// values, no overflow checks (every caller keeps its values below 2^128 by construction).
#pragma once

#include <bit>
#include <compare>
#include <cstdint>

namespace duopit::numerics {

#if defined(__SIZEOF_INT128__)

__extension__ using Uint128 = unsigned __int128;

[[nodiscard]] constexpr Uint128 from_halves(std::uint64_t high, std::uint64_t low) {
  return (Uint128{high} << 64) | low;
}

[[nodiscard]] constexpr std::uint64_t high_half(Uint128 x) {
  return static_cast<std::uint64_t>(x >> 64);
}

[[nodiscard]] constexpr std::uint64_t low_half(Uint128 x) { return static_cast<std::uint64_t>(x); }

// The full product of two 64-bit numbers.
[[nodiscard]] constexpr Uint128 multiply_64x64(std::uint64_t a, std::uint64_t b) {
  return Uint128{a} * b;
}

#else

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
  friend constexpr Uint128 operator|(Uint128 a, Uint128 b) {
    return {a.high_ | b.high_, a.low_ | b.low_};
  }

 private:
  std::uint64_t high_ = 0;
  std::uint64_t low_ = 0;
};

[[nodiscard]] constexpr Uint128 from_halves(std::uint64_t high, std::uint64_t low) {
  return {high, low};
}

[[nodiscard]] constexpr std::uint64_t high_half(Uint128 x) { return x.high(); }

[[nodiscard]] constexpr std::uint64_t low_half(Uint128 x) { return x.low(); }

// The full product of two 64-bit numbers, by 32-bit halves.
[[nodiscard]] constexpr Uint128 multiply_64x64(std::uint64_t a, std::uint64_t b) {
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
}

[[nodiscard]] constexpr int bit_width(Uint128 n) {
  return n.high() != 0 ? 64 + std::bit_width(n.high()) : std::bit_width(n.low());
}

constexpr Uint128 operator*(Uint128 a, Uint128 b) {
  const Uint128 low = multiply_64x64(a.low(), b.low());
  return {low.high() + a.high() * b.low() + a.low() * b.high(), low.low()};
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

#endif

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
  const std::uint64_t quotient = low_half(x / divisor);
  return {quotient, low_half(x) - quotient * divisor};
#endif
}

}  // namespace duopit::numerics
