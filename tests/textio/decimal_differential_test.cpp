// tests/textio/decimal_differential_test.cpp — to_decimal against an independent exact
// reference on over a million doubles of every binary exponent, subnormals included.
// The reference is the C library's correctly rounded "%e" output (exact for doubles given
// enough digits); its first 18 digits, cut off, are rounded to 17 here, on the text.
#include "support/decimal_form.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace duopit::textio {
namespace {

struct Reference {
  std::string leading;  // the first 18 significant digits, cut off
  int decpt;
};

// 40 digits after the point round at the 41st; the first 18 can only have changed if a
// carry ran through digits 19 to 41, which leaves them all zeros. Then print all digits.
Reference reference_digits(double magnitude) {
  char text[900];
  std::snprintf(text, sizeof text, "%.40e", magnitude);
  std::string s(text);
  if (s.find_first_not_of('0', 19) == s.find('e')) {
    std::snprintf(text, sizeof text, "%.800e", magnitude);
    s = text;
  }
  const std::size_t e = s.find('e');
  return {s.substr(0, 1) + s.substr(2, 17), std::atoi(s.c_str() + e + 1) + 1};
}

// The first rounding, worked on the text: half up on the 18th digit, carrying through
// nines; trailing zeros dropped.
Reference round_reference(Reference r) {
  std::string digits = r.leading.substr(0, 17);
  if (r.leading[17] >= '5') {
    int i = 16;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
      digits[static_cast<std::size_t>(i)] = '0';
      --i;
    }
    if (i < 0) {
      digits = "1";
      ++r.decpt;
    } else {
      ++digits[static_cast<std::size_t>(i)];
    }
  }
  digits.erase(digits.find_last_not_of('0') + 1);
  return {digits, r.decpt};
}

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

void add_random_bit_patterns(std::vector<double>& values, std::mt19937_64& random, int count) {
  while (count > 0) {
    const double x = from_bits(random());
    if (std::isfinite(x) && x != 0.0) {
      values.push_back(x);
      --count;
    }
  }
}

// Every biased exponent, subnormals included, with edge and random fractions.
void add_every_exponent(std::vector<double>& values, std::mt19937_64& random) {
  constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << 52) - 1;
  const std::uint64_t edges[] = {0, 1, 2, 3, fraction_mask, fraction_mask - 1,
                                 std::uint64_t{1} << 51, (std::uint64_t{1} << 51) - 1};
  for (std::uint64_t biased = 0; biased < 0x7FF; ++biased) {
    for (const std::uint64_t f : edges) {
      if (biased != 0 || f != 0) {
        values.push_back(from_bits((biased << 52) | f));
      }
    }
    for (int i = 0; i < 100; ++i) {
      const std::uint64_t f = random() & fraction_mask;
      if (biased != 0 || f != 0) {
        values.push_back(from_bits((biased << 52) | f));
      }
    }
  }
}

// The doubles nearest each power of ten and eight neighbours on either side: digit strings
// of nines and zeros, where carries and the choice of decpt are decided.
void add_powers_of_ten(std::vector<double>& values) {
  for (int n = -323; n <= 308; ++n) {
    const double p = std::strtod(("1e" + std::to_string(n)).c_str(), nullptr);
    const auto bits = std::bit_cast<std::uint64_t>(p);
    for (std::uint64_t d = 0; d <= 16; ++d) {
      const double x = from_bits(bits - 8 + d);
      if (std::isfinite(x) && x > 0.0) {
        values.push_back(x);
      }
    }
  }
}

// Exact integers m x 10^p: their quotient by a power of ten is an exact integer, which a
// product with a cut-short power of five cannot tell from the integer below.
void add_decimal_integers(std::vector<double>& values, std::mt19937_64& random, int count) {
  for (int i = 0; i < count; ++i) {
    const int p = static_cast<int>(random() % 23);
    double pow5 = 1.0;
    for (int j = 0; j < p; ++j) {
      pow5 *= 5.0;
    }
    const auto limit = static_cast<std::uint64_t>(9007199254740992.0 / pow5);
    const std::uint64_t m = 1 + random() % limit;
    values.push_back(std::ldexp(static_cast<double>(m) * pow5, p));
  }
}

// Survey-like values: three decimals from 1e-4 to 1e5, and spread evenly on a log scale.
void add_survey_values(std::vector<double>& values, std::mt19937_64& random, int count) {
  std::uniform_real_distribution<double> exponent(-4.0, 5.0);
  for (int i = 0; i < count; ++i) {
    char text[40];
    std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(random() % 100000),
                  static_cast<unsigned long long>(random() % 1000));
    values.push_back(std::strtod(text, nullptr));
    values.push_back(std::pow(10.0, exponent(random)));
  }
}

std::string hex_bits(double x) {
  std::ostringstream out;
  out << std::hex << std::bit_cast<std::uint64_t>(x);
  return out.str();
}

TEST(ToDecimalDifferential, MillionDoublesAgainstExactExpansion) {
  std::mt19937_64 random(0x5EED0D0u);
  std::vector<double> values;
  add_random_bit_patterns(values, random, 600000);
  add_every_exponent(values, random);
  add_powers_of_ten(values);
  add_decimal_integers(values, random, 60000);
  add_survey_values(values, random, 60000);
  ASSERT_GE(values.size(), 1000000u);

  int mismatches = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double x = values[i];
    const auto bits = std::bit_cast<std::uint64_t>(x);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int e = (biased == 0 ? 1 : biased) - 1075;

    const Reference exact = reference_digits(std::fabs(x));
    const LeadingDigits lead = leading_digits(m, e);
    const Reference rounded = round_reference(exact);
    const DecimalForm form = to_decimal(x);
    const bool ok = std::to_string(lead.digits) == exact.leading && lead.decpt == exact.decpt &&
                    form.text() == rounded.leading && form.decpt == rounded.decpt &&
                    form.sign == (std::signbit(x) ? '-' : ' ') && form.valid;
    if (!ok && ++mismatches <= 10) {
      ADD_FAILURE() << "bits " << hex_bits(x) << ": expected " << exact.leading << " e" << exact.decpt
                    << " -> " << rounded.leading << ", got " << lead.digits << " e" << lead.decpt << " -> "
                    << form.text() << " e" << form.decpt;
    }
    // The exact comparison brackets the reference digits (on a sample; it is slower).
    if (i % 8 == 0) {
      const std::uint64_t q = std::stoull(exact.leading);
      const int k = exact.decpt - leading_digit_count;
      if (!pow10_product_at_most(q, k, m, e) || pow10_product_at_most(q + 1, k, m, e)) {
        ADD_FAILURE() << "exact comparison, bits " << hex_bits(x);
        ++mismatches;
      }
    }
  }
  EXPECT_EQ(mismatches, 0) << "of " << values.size() << " values";
}

}  // namespace
}  // namespace duopit::textio
