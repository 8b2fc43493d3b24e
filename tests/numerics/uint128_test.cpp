// The 128-bit integer by properties that hold on every host (a 32-bit target has no wider
// built-in integer to compare with): products against shift-and-add, quotients against their
// remainders, shifts against products by powers of two; values drawn to reach both words,
// carries and borrows.
#include "numerics/uint128.hpp"

#include <cstdint>
#include <random>

#include <gtest/gtest.h>

namespace duopit::numerics {
namespace {

// The product by adding shifted copies, one bit of the multiplier at a time.
Uint128 product_by_shifts(Uint128 a, Uint128 b) {
  Uint128 sum = 0;
  for (int bit = 0; bit < 128; ++bit) {
    if ((low_half(b >> bit) & 1) != 0) {
      sum = sum + (a << bit);
    }
  }
  return sum;
}

TEST(Uint128, ArithmeticHoldsItsProperties) {
  EXPECT_EQ(multiply_64x64(~std::uint64_t{0}, ~std::uint64_t{0}),
            from_halves(0xFFFFFFFFFFFFFFFEu, 1));
  std::mt19937_64 random(20261208);
  const auto draw = [&random] {
    // Either word may be zero, all ones, small or random, so that carries and borrows happen.
    const std::uint64_t choices[] = {0, ~std::uint64_t{0}, random(), random() >> 40};
    return from_halves(choices[random() % 4], choices[random() % 4]);
  };
  for (int i = 0; i < 5000; ++i) {
    const Uint128 a = draw();
    const Uint128 b = draw();
    const int shift = static_cast<int>(random() % 128);
    ASSERT_EQ((a + b) - b, a);
    ASSERT_EQ(a * b, product_by_shifts(a, b));
    ASSERT_EQ(multiply_64x64(low_half(a), low_half(b)), product_by_shifts(low_half(a), low_half(b)));
    ASSERT_EQ(a << shift, a * (Uint128{1} << shift));
    const Uint128 ones = from_halves(~std::uint64_t{0}, ~std::uint64_t{0});
    ASSERT_EQ((a << shift) >> shift, a & (ones >> shift));
    ASSERT_EQ(a < b, high_half(a) < high_half(b) || (high_half(a) == high_half(b) && low_half(a) < low_half(b)));
    if (b != 0) {
      const Uint128 quotient = a / b;
      const Uint128 remainder = a - quotient * b;
      ASSERT_LT(remainder, b);
      ASSERT_LE(quotient * b, a);
    }
  }
}

}  // namespace
}  // namespace duopit::numerics
