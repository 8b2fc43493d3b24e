// tests/bench/value_sets_test.cpp — the micro-benchmarks' value sets: the same values on every
// run, and the ranges each set promises.
#include "bench/value_sets.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace duopit::bench {
namespace {

constexpr std::size_t count = 2000;
constexpr std::uint64_t seed = 12345;

int biased_exponent(double x) {
  return static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7FF);
}

TEST(AllMagnitudeValues, FiniteAndRepeatable) {
  const std::vector<double> values = make_all_magnitude_values(count, seed);
  ASSERT_EQ(values.size(), count);
  for (const double x : values) {
    EXPECT_TRUE(std::isfinite(x)) << x;
  }
  EXPECT_EQ(make_all_magnitude_values(count, seed), values);
  EXPECT_NE(make_all_magnitude_values(count, seed + 1), values);
}

TEST(AllMagnitudeValues, CoverEveryRangeOfExponentsAndBothSigns) {
  const std::vector<double> values = make_all_magnitude_values(count, seed);
  std::set<int> eighths;  // which eighth of the exponent range 0 .. 2046 each value is in
  int negatives = 0;
  for (const double x : values) {
    eighths.insert(biased_exponent(x) / 256);
    negatives += std::signbit(x) ? 1 : 0;
  }
  EXPECT_EQ(eighths.size(), 8u);
  EXPECT_GT(negatives, static_cast<int>(count) / 3);
  EXPECT_LT(negatives, static_cast<int>(count) * 2 / 3);
}

TEST(SurveyValues, MagnitudesFromOneTenThousandthToOneHundredThousand) {
  const std::vector<double> values = make_survey_values(count, seed);
  ASSERT_EQ(values.size(), count);
  std::set<int> decades;
  int negatives = 0;
  for (const double x : values) {
    ASSERT_GE(std::abs(x), 1.0e-4) << x;
    ASSERT_LE(std::abs(x), 1.0e5) << x;
    decades.insert(static_cast<int>(std::floor(std::log10(std::abs(x)))));
    negatives += x < 0 ? 1 : 0;
  }
  EXPECT_EQ(decades, (std::set<int>{-4, -3, -2, -1, 0, 1, 2, 3, 4}));
  EXPECT_GT(negatives, 0);
  EXPECT_LT(negatives, static_cast<int>(count));
  EXPECT_EQ(make_survey_values(count, seed), values);
}

}  // namespace
}  // namespace duopit::bench
