// The 128-bit helper by properties that hold on every host (a 32-bit target has no wider
// built-in integer to compare with): products against shift-and-add, quotients against their
// remainders, shifts against products by powers of two; values drawn to reach both words,
// carries and borrows.
#include "textio/uint128.hpp"

#include <cstdint>
#include <random>

#include <gtest/gtest.h>

namespace duopit::textio {
namespace {

// The product by adding shifted copies, one bit of the multiplier at a time.
Uint128 product_by_shifts(Uint128 a, Uint128 b) {
  Uint128 sum;
  for (int bit = 0; bit < 128; ++bit) {
    if (((b >> bit).low() & 1) != 0) {
      sum = sum + (a << bit);
    }
  }
  return sum;
}

TEST(Uint128, ArithmeticHoldsItsProperties) {
  EXPECT_EQ(multiply_64x64(~std::uint64_t{0}, ~std::uint64_t{0}),
            (Uint128{0xFFFFFFFFFFFFFFFEu, 1}));
  std::mt19937_64 random(20261208);
  const auto draw = [&random] {
    // Either word may be zero, all ones, small or random, so that carries and borrows happen.
    const std::uint64_t choices[] = {0, ~std::uint64_t{0}, random(), random() >> 40};
    return Uint128{choices[random() % 4], choices[random() % 4]};
  };
  for (int i = 0; i < 5000; ++i) {
    const Uint128 a = draw();
    const Uint128 b = draw();
    const int shift = static_cast<int>(random() % 128);
    ASSERT_EQ((a + b) - b, a);
    ASSERT_EQ(a * b, product_by_shifts(a, b));
    ASSERT_EQ(multiply_64x64(a.low(), b.low()), product_by_shifts(a.low(), b.low()));
    ASSERT_EQ(a << shift, a * (Uint128{1} << shift));
    const Uint128 ones{~std::uint64_t{0}, ~std::uint64_t{0}};
    ASSERT_EQ((a << shift) >> shift, a & (ones >> shift));
    ASSERT_EQ(a < b, a.high() < b.high() || (a.high() == b.high() && a.low() < b.low()));
    if (b != Uint128{0}) {
      const Uint128 quotient = a / b;
      const Uint128 remainder = a - quotient * b;
      ASSERT_LT(remainder, b);
      ASSERT_LE(quotient * b, a);
    }
  }
}

}  // namespace
}  // namespace duopit::textio
