// tests/bench/value_sets_test.cpp — the micro-benchmarks' value sets: the same values on every
// run, the ranges each set promises, and texts that mean the values they were made from.
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

TEST(FullPrecisionTexts, ReadBackAsTheValuesOfTheSameSeed) {
  const std::vector<double> values = make_all_magnitude_values(count, seed);
  const std::vector<std::string> texts = make_full_precision_texts(count, seed);
  ASSERT_EQ(texts.size(), count);
  for (std::size_t i = 0; i < count; ++i) {
    char* end = nullptr;
    const double read = std::strtod(texts[i].c_str(), &end);
    EXPECT_EQ(*end, '\0') << texts[i];
    EXPECT_EQ(std::bit_cast<std::uint64_t>(read), std::bit_cast<std::uint64_t>(values[i]))
        << texts[i];
  }
}

// Only what a person types: optional minus, digits, optional point and digits.
bool is_plain_decimal(const std::string& text) {
  std::size_t at = text.starts_with('-') ? 1 : 0;
  const std::size_t digits_start = at;
  while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
    ++at;
  }
  if (at == digits_start) {
    return false;
  }
  if (at < text.size() && text[at] == '.') {
    ++at;
    const std::size_t fraction_start = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) != 0) {
      ++at;
    }
    if (at == fraction_start) {
      return false;
    }
  }
  return at == text.size();
}

TEST(TypedTexts, FixedExamplesFirstThenShortPlainDecimals) {
  const std::vector<std::string> texts = make_typed_texts(count, seed);
  ASSERT_EQ(texts.size(), count);
  EXPECT_EQ(texts[0], "0");
  EXPECT_EQ(texts[1], "12.5");
  EXPECT_EQ(texts[2], "-45");
  EXPECT_EQ(texts[4], "66117.494");
  std::set<std::size_t> lengths;
  for (const std::string& text : texts) {
    EXPECT_TRUE(is_plain_decimal(text)) << text;
    EXPECT_LE(text.size(), 17u) << text;
    lengths.insert(text.size());
  }
  EXPECT_GE(lengths.size(), 5u);  // a mix of lengths, not one shape repeated
  EXPECT_EQ(make_typed_texts(3, seed), (std::vector<std::string>{"0", "12.5", "-45"}));
}

}  // namespace
}  // namespace duopit::bench
