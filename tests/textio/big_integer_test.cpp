// tests/textio/big_integer_test.cpp — the big-integer operations the exact reading of a typed
// real leans on, checked against the 128-bit helper: subtraction with borrows through limbs,
// the bits below a position, and numbers made of two words.
#include "textio/big_integer.hpp"

#include <gtest/gtest.h>

#include <cstdint>

#include "numerics/uint128.hpp"

namespace duopit::textio {
namespace {

using numerics::Uint128;

BigInteger big_of(Uint128 value) {
  return big_integer(numerics::high_half(value), numerics::low_half(value));
}

Uint128 value_of(const BigInteger& x) {
  EXPECT_LE(x.used, 4);
  Uint128 value = 0;
  for (int i = x.used - 1; i >= 0; --i) {
    value = (value << 32) + x.limbs[static_cast<std::size_t>(i)];
  }
  return value;
}

constexpr Uint128 words(std::uint64_t high, std::uint64_t low) {
  return numerics::from_halves(high, low);
}

TEST(BigInteger, TwoWordsAndTheLimbsInUse) {
  struct Case {
    Uint128 value;
    int used;
  };
  const Case cases[] = {
      {0, 0},
      {1, 1},
      {words(0, 0xFFFFFFFFu), 1},
      {words(0, 0x100000000u), 2},
      {words(1, 0), 3},
      {words(0xFFFFFFFFu, 5), 3},
      {words(0x100000000u, 0), 4},
      {words(~std::uint64_t{0}, ~std::uint64_t{0}), 4},
  };
  for (const Case& c : cases) {
    const BigInteger x = big_of(c.value);
    EXPECT_EQ(x.used, c.used);
    EXPECT_TRUE(value_of(x) == c.value);
  }
}

// Differences whose borrows run through one limb, through several, and into the top limb,
// which then drops out of use.
TEST(BigInteger, SubtractBorrowsThroughLimbs) {
  struct Case {
    Uint128 x, y;
  };
  const Case cases[] = {
      {5, 5},
      {words(0, 0x100000000u), 1},
      {words(1, 0), 1},
      {words(1, 0), words(0, ~std::uint64_t{0})},
      {words(0x100000000u, 0), 1},
      {words(0x123456789u, 0xFEDCBA9876543210u), words(0x123456789u, 0xFEDCBA9876543211u) - 2},
      {words(~std::uint64_t{0}, ~std::uint64_t{0}), words(0x80000000u, 0)},
  };
  for (const Case& c : cases) {
    BigInteger x = big_of(c.x);
    subtract(x, big_of(c.y));
    EXPECT_TRUE(value_of(x) == c.x - c.y);
    EXPECT_TRUE(x.used == 0 || x.limbs[static_cast<std::size_t>(x.used - 1)] != 0);
    EXPECT_EQ(compare(x, big_of(c.x - c.y)), 0);
  }
}

TEST(BigInteger, AnyBitBelowAPosition) {
  const BigInteger x = big_of(words(0x8000000000000000u, 0x100000000u));  // bits 127 and 32
  for (int count = 0; count <= 140; ++count) {
    EXPECT_EQ(any_bit_below(x, count), count > 32) << count;
  }
  EXPECT_FALSE(any_bit_below(big_of(0), 100));
  BigInteger shifted = big_of(1);
  shift_left(shifted, 1000);
  EXPECT_FALSE(any_bit_below(shifted, 1000));
  EXPECT_TRUE(any_bit_below(shifted, 1001));
}

}  // namespace
}  // namespace duopit::textio
