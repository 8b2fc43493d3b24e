// textio/powers_of_five.hpp — the powers of five 5^-292 .. 5^343 as 128-bit significands cut
// off (never rounded up), built at compile time by exact big-integer arithmetic, for the
// decimal digits of a real, which scale it by a power of ten in integers.
// Holds no code that runs at run time beyond a table look-up; knows nothing of texts or reals.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>

#include "textio/big_integer.hpp"

namespace duopit::textio {

// 5^j = (hi x 2^64 + lo + d) x 2^exp2 with 2^127 <= hi x 2^64 + lo < 2^128 and 0 <= d < 1;
// d is 0 exactly for 0 <= j <= pow5_exact_max, where 5^j has at most 128 bits.
struct Pow5 {
  std::uint64_t hi;
  std::uint64_t lo;
  int exp2;
};

// The range the digits of every 64-bit real need (see decimal.cpp).
constexpr int pow5_min = -292;
constexpr int pow5_max = 343;
constexpr int pow5_exact_max = 55;

namespace pow5_build {

// The top 128 bits of x, and the power of two they stand for.
constexpr Pow5 top_128_bits(const BigInteger& x, int extra_exp2) {
  const int low = bit_length(x) - 128;
  const std::uint64_t w0 = bits_at(x, low);
  const std::uint64_t w1 = bits_at(x, low + 32);
  const std::uint64_t w2 = bits_at(x, low + 64);
  const std::uint64_t w3 = bits_at(x, low + 96);
  return {(w3 << 32) | w2, (w1 << 32) | w0, low + extra_exp2};
}

// 5^-n = floor(2^1024 / 5^n) x 2^-1024, cut to 128 bits: cutting the floor off again only
// drops more of the same fraction, and repeated division by 5 gives the same floor as one
// division by 5^n. The quotient keeps at least 340 bits for n up to 292.
constexpr int reciprocal_scale_bits = 1024;

constexpr std::array<Pow5, pow5_max - pow5_min + 1> make_table() {
  std::array<Pow5, pow5_max - pow5_min + 1> table{};
  BigInteger power = big_integer(1);
  for (int j = 0; j <= pow5_max; ++j) {
    table[static_cast<std::size_t>(j - pow5_min)] = top_128_bits(power, 0);
    multiply_small(power, 5);
  }
  BigInteger reciprocal;
  reciprocal.limbs[reciprocal_scale_bits / 32] = 1;
  reciprocal.used = reciprocal_scale_bits / 32 + 1;
  for (int n = 1; n <= -pow5_min; ++n) {
    divide_small(reciprocal, 5);
    table[static_cast<std::size_t>(-n - pow5_min)] =
        top_128_bits(reciprocal, -reciprocal_scale_bits);
  }
  return table;
}

}  // namespace pow5_build

inline constexpr std::array<Pow5, pow5_max - pow5_min + 1> powers_of_five =
    pow5_build::make_table();

// The entry of 5^j, for pow5_min <= j <= pow5_max.
[[nodiscard]] constexpr const Pow5& pow5(int j) {
  assert(j >= pow5_min && j <= pow5_max);
  return powers_of_five[static_cast<std::size_t>(j - pow5_min)];
}

// Spot checks of the construction: 5^0 = 1 and 5^1 exactly, and 5^-1 = 0.2 = 0.0011 0011 ...
// in binary, whose top 128 bits are 0xCCCC...CCCC x 2^-130, cut off rather than rounded up.
static_assert(pow5(0).hi == (std::uint64_t{1} << 63) && pow5(0).lo == 0 && pow5(0).exp2 == -127);
static_assert(pow5(1).hi == (std::uint64_t{5} << 61) && pow5(1).lo == 0 && pow5(1).exp2 == -125);
static_assert(pow5(-1).hi == 0xCCCCCCCCCCCCCCCCu && pow5(-1).lo == 0xCCCCCCCCCCCCCCCCu &&
              pow5(-1).exp2 == -130);

}  // namespace duopit::textio
