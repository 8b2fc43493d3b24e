// The 128-bit helper against the compiler's own wide integer, on values drawn to reach both
// words, carries and borrows, and every shift.
#include "textio/uint128.hpp"

#include <cstdint>
#include <random>

#include <gtest/gtest.h>

namespace duopit::textio {
namespace {

__extension__ using Wide = unsigned __int128;

Wide wide(Uint128 n) { return (static_cast<Wide>(n.high()) << 64) | n.low(); }
Uint128 narrow(Wide n) {
  return {static_cast<std::uint64_t>(n >> 64), static_cast<std::uint64_t>(n)};
}

TEST(Uint128, AgreesWithTheWideBuiltInInteger) {
  std::mt19937_64 random(20261208);
  const auto draw = [&random] {
    // Either word may be zero, all ones or random, so that carries and borrows happen.
    const std::uint64_t choices[] = {0, ~std::uint64_t{0}, random(), random() >> 40};
    return narrow((static_cast<Wide>(choices[random() % 4]) << 64) | choices[random() % 4]);
  };
  for (int i = 0; i < 20000; ++i) {
    const Uint128 a = draw();
    const Uint128 b = draw();
    const int shift = static_cast<int>(random() % 128);
    ASSERT_EQ(wide(a + b), wide(a) + wide(b));
    ASSERT_EQ(wide(a - b), wide(a) - wide(b));
    ASSERT_EQ(wide(a * b), wide(a) * wide(b));
    ASSERT_EQ(wide(a << shift), wide(a) << shift);
    ASSERT_EQ(wide(a >> shift), wide(a) >> shift);
    ASSERT_EQ(wide(a & b), wide(a) & wide(b));
    ASSERT_EQ(a < b, wide(a) < wide(b));
    ASSERT_EQ(a == b, wide(a) == wide(b));
    if (b != Uint128{0}) {
      ASSERT_EQ(wide(a / b), wide(a) / wide(b));
    }
    const std::uint64_t x = random();
    const std::uint64_t y = random();
    ASSERT_EQ(wide(multiply_64x64(x, y)), static_cast<Wide>(x) * y);
  }
}

}  // namespace
}  // namespace duopit::textio
