// tests/textio/convert_real_test.cpp — the syntax of a typed real and its rounding to the
// nearest 64-bit real: the accepted and refused forms, the 24-digit and exponent limits,
// ties and the edges of the range, and independence from the floating-point environment.
#include "textio/convert_real.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace duopit::textio {
namespace {

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

constexpr double max_real = std::numeric_limits<double>::max();
constexpr double min_normal = std::numeric_limits<double>::min();
constexpr double min_subnormal = std::numeric_limits<double>::denorm_min();

struct Accepted {
  const char* text;
  double value;
};

// Expected values are C++ literals of the decimal each text denotes (after the 24-digit rule).
constexpr Accepted accepted[] = {
    {"12.5", 12.5},
    {"7", 7.0},
    {"+7", 7.0},
    {"7.", 7.0},
    {".5", 0.5},
    {"-.5", -0.5},
    {"007.50", 7.5},
    {"1.25D1", 12.5},
    {"1.25d+1", 12.5},
    {"1.25E1", 12.5},
    {"1.25e1", 12.5},
    {"125d-1", 12.5},
    {"1250E-2", 12.5},
    {"125-1", 12.5},  // a sign after the mantissa starts an exponent
    {"1.5+2", 150.0},
    {"7.e2", 700.0},
    {"0.1", 0.1},
    {"-45.123456", -45.123456},
    {"359.99999999999997", 359.99999999999997},
    {"0.000001", 1e-6},
    {"1e22", 1e22},
    {"1e23", 1e23},
    {"1e38", 1e38},
    {"1e39", 1e39},
    {"1e-22", 1e-22},
    {"1e-23", 1e-23},
    {"123456789012345678901234e-22", 12.3456789012345678901234},
    {"1e0000000000000000000000000005", 1e5},
    {"0.0000000000000000000000000000000000000001e40", 1.0},
    // Range edges: the largest real and the rounding boundary above it, the smallest normal
    // and subnormal reals, and half the smallest subnormal from both sides.
    {"1.7976931348623157e308", max_real},
    {"1.7976931348623158e308", max_real},
    {"2.2250738585072014e-308", min_normal},
    {"4.9406564584124654e-324", min_subnormal},
    {"2.4703282292062328e-324", min_subnormal},
    {"2.4703282292062327e-324", 0.0},
    {"1e-310", 1e-310},
    {"1e-400", 0.0},
    {"1e-99999999999", 0.0},
    {"0e9999", 0.0},
    {"0e99999999999999", 0.0},
    // Ties go to the even significand; anything past the tie goes up.
    {"9007199254740993", 9007199254740992.0},
    {"9007199254740995", 9007199254740996.0},
    {"9007199254740993.0000001", 9007199254740994.0},
    {"4503599627370496.5", 4503599627370496.0},
    {"4503599627370497.5", 4503599627370498.0},
    {"4503599627370496.5000001", 4503599627370497.0},
    // Only 24 significant digits count: the 25th digit here would lift a tie.
    {"9007199254740993.000000001", 9007199254740992.0},
    {"123456789012345678901234567890", 1.23456789012345678901234e29},
    {"0.00123456789012345678901234999", 0.00123456789012345678901234},
    // Long mantissas with large powers: the point before, inside and after the kept digits.
    {"12345678901234567890123.456789e-30", 1.23456789012345678901234e-8},
    {"1234567890123456789.01234567e-40", 1.23456789012345678901234e-22},
    {"0.000123456789012345678901234567D-300", 1.23456789012345678901234e-304},
    {"123456789012345678901234567890D270", 1.23456789012345678901234e299},
    {"-123456789012345678901234567890.5-330", -1.23456789012345678901234e-301},
    // More than 19 significant digits are read again with a limit: the point before, at and
    // after the 19th digit, and leading zeros on either side of it.
    {"1234567890123456789", 1234567890123456789.0},
    {"1234567890123456789.5", 1234567890123456789.5},
    {"123456789012345678.95", 123456789012345678.95},
    {"1234567890.1234567890123", 1234567890.1234567890123},
    {"0.000000000012345678901234567890123", 1.23456789012345678901234e-11},
    {"00000000000000000000.5", 0.5},
    {"000000000000000000001234567890123456789012", 1234567890123456789012.0},
    // Zeros after the 19th digit leave a 19-digit significand, here a tie.
    {"4503599627370496.500000000", 4503599627370496.0},
    {"4503599627370497.500000000", 4503599627370498.0},
    // A tie written with a negative power and a 19-digit significand larger than the
    // boundary it is compared with, and the real below it: 999999999999999936 =
    // 15624999999999999 x 2^6 lies halfway between 7812499999999999 x 2^7 and
    // 7812500000000000 x 2^7 = 10^18.
    {"999999999999999872.0", 999999999999999872.0},
    {"999999999999999936.0", 1e18},
    // Eight digits are taken at once: a point, letter or end at each place around a group.
    {"12345678", 12345678.0},
    {"123456789", 123456789.0},
    {"1234567.8", 1234567.8},
    {"12345678.9", 12345678.9},
    {"1234567890123456", 1234567890123456.0},
    {"0.1234567812345678", 0.1234567812345678},
    {"99999999.99999999", 99999999.99999999},
    {"12345678e1", 123456780.0},
    {"1234567d+8", 1234567e8},
    {"00000000.00000000123", 1.23e-9},
    // The largest finite real and the first value that rounds beyond it, 2^1024 - 2^970 =
    // 1.79769313486231580793...e308, with 19 digits and at the largest power read directly.
    {"1797693134862315807e290", max_real},
    {"1e308", 1e308},
    {"0.1e309", 1e308},
    // The smallest powers: the boundary between the largest subnormal and the smallest normal
    // real, (2^52 - 1/2) x 2^-1074 = 2.22507385850720113605...e-308, and half the smallest
    // subnormal, 2^-1075 = 2.47032822920623272088...e-324, with 19 digits.
    {"2225073858507201136e-326", std::bit_cast<double>(std::uint64_t{0x000F'FFFF'FFFF'FFFF})},
    {"2225073858507201137e-326", min_normal},
    {"2470328229206232720e-342", 0.0},
    {"2470328229206232721e-342", min_subnormal},
    {"9999999999999999999e-342", 2 * min_subnormal},
    {"9999999999999999999e-343", 0.0},
};

TEST(ConvertReal, AcceptedTextsGiveTheNearestReal) {
  for (const Accepted& c : accepted) {
    const Converted converted = convert_real(c.text);
    EXPECT_EQ(converted.status, ReadStatus::ok) << c.text;
    EXPECT_EQ(bits(converted.value), bits(c.value)) << c.text;
  }
}

TEST(ConvertReal, ZeroKeepsTheSignOfTheText) {
  for (const char* text : {"-0", "-0.000", "-0e9999", "-1e-400", "-1e-99999", "-.0D-3"}) {
    const Converted converted = convert_real(text);
    EXPECT_EQ(converted.status, ReadStatus::ok) << text;
    EXPECT_EQ(bits(converted.value), bits(-0.0)) << text;
  }
  EXPECT_EQ(bits(convert_real("+0").value), bits(0.0));
}

TEST(ConvertReal, SubnormalResultIsKeptWithoutError) {
  const Converted converted = convert_real("1e-310");
  ASSERT_EQ(converted.status, ReadStatus::ok);
  EXPECT_EQ(std::fpclassify(converted.value), FP_SUBNORMAL);
}

TEST(ConvertReal, DigitsBeyondTheTwentyFourthScaleBeforeThePoint) {
  // "1" and 300 zeros, times 10^-300: the dropped zeros still count in the magnitude.
  EXPECT_EQ(convert_real("1" + std::string(300, '0') + "e-300").value, 1.0);
  EXPECT_EQ(convert_real("1" + std::string(300, '0') + ".999e-300").value, 1.0);
  EXPECT_EQ(convert_real("0." + std::string(300, '0') + "25e302").value, 25.0);
}

// A real built exactly from an integer significand below 2^53 and a power of two.
double real_of(std::uint64_t significand, int exponent2) {
  return std::ldexp(static_cast<double>(significand), exponent2);
}

std::string text_of(std::uint64_t digits, int power) {
  return std::to_string(digits) + "e" + std::to_string(power);
}

constexpr std::uint64_t two_53 = std::uint64_t{1} << 53;

std::uint64_t power_of_five(int n) {
  std::uint64_t power = 1;
  for (int i = 0; i < n; ++i) {
    power *= 5;
  }
  return power;
}

// An odd 54-bit N lies halfway between the reals (N - 1) and (N + 1) (times a power of two);
// the tie goes to the one whose 53-bit significand, (N -+ 1) / 2, is even. Such N x 2^k with a
// decimal significand of at most 19 digits exist for powers of ten from 10^-3 to 10^23:
// N x 2^k = o x 10^k with N = o x 5^k, and N x 2^-j = (N x 5^j) x 10^-j.
void expect_tie_and_neighbours(std::uint64_t odd_n, int exponent2, const std::string& tie,
                               const std::string& above, const std::string& below) {
  const std::uint64_t down = (odd_n - 1) / 2;
  const std::uint64_t up = (odd_n + 1) / 2;
  const double even = real_of(down % 2 == 0 ? down : up, exponent2 + 1);
  EXPECT_EQ(bits(convert_real(tie).value), bits(even)) << tie;
  EXPECT_EQ(bits(convert_real(above).value), bits(real_of(up, exponent2 + 1))) << above;
  EXPECT_EQ(bits(convert_real(below).value), bits(real_of(down, exponent2 + 1))) << below;
}

// o x 10^k +- a little, written with 24 significant digits: the smallest step they allow is
// below half the distance between the reals around o x 10^k.
std::string nudged_text(std::uint64_t o, int k, bool up) {
  const std::string digits = std::to_string(up ? o : o - 1);
  const std::size_t fraction = 24 - digits.size();
  const std::string tail = up ? std::string(fraction - 1, '0') + "1" : std::string(fraction, '9');
  return digits + "." + tail + "e" + std::to_string(k);
}

TEST(ConvertReal, TiesGoToTheEvenNeighbourAtEveryPowerThatHasThem) {
  for (int k = 0; k <= 23; ++k) {
    const std::uint64_t five_k = power_of_five(k);
    // The smallest and the largest odd o with o x 5^k in [2^53, 2^54), and one more.
    std::uint64_t first = (two_53 + five_k - 1) / five_k;
    first += first % 2 == 0 ? 1 : 0;
    std::uint64_t last = (2 * two_53 - 1) / five_k;
    last -= last % 2 == 0 ? 1 : 0;
    ASSERT_LE(first, last) << k;
    for (const std::uint64_t o : {first, last, first + 2}) {
      if (o > last) {
        continue;
      }
      expect_tie_and_neighbours(o * five_k, k, text_of(o, k), nudged_text(o, k, true),
                                nudged_text(o, k, false));
    }
  }
  for (int j = 1; j <= 3; ++j) {
    for (const std::uint64_t n : {two_53 + 1, two_53 + 3, 3 * (two_53 / 2) + 1, 2 * two_53 - 1}) {
      const std::uint64_t w = n * power_of_five(j);
      expect_tie_and_neighbours(n, -j, text_of(w, -j), text_of(w + 1, -j), text_of(w - 1, -j));
    }
  }
}

// m x 2^-j = (m x 5^j) x 10^-j is a real whenever m is below 2^53, at every power down to
// the last one whose power of five fits in 64 bits: a product with a power of five cut off
// short falls just below it, and the reading must still land on it exactly.
TEST(ConvertReal, ExactRealsWithNegativePowersOfTen) {
  for (int j = 1; j <= 27; ++j) {
    const std::uint64_t five_j = power_of_five(j);
    for (const std::uint64_t m : {std::uint64_t{1}, std::uint64_t{3}, std::uint64_t{12345},
                                  two_53 - 1}) {
      if (m > 9'999'999'999'999'999'999u / five_j) {
        continue;  // more than 19 digits
      }
      const std::string text = text_of(m * five_j, -j);
      EXPECT_EQ(bits(convert_real(text).value), bits(real_of(m, -j))) << text;
      EXPECT_EQ(bits(convert_real("-" + text).value), bits(-real_of(m, -j))) << text;
    }
  }
}

struct Refused {
  const char* text;
  ReadStatus status;
};

constexpr Refused refused[] = {
    {"", ReadStatus::bad_syntax},
    {"abc", ReadStatus::bad_syntax},
    {"-", ReadStatus::bad_syntax},
    {"+", ReadStatus::bad_syntax},
    {".", ReadStatus::bad_syntax},
    {"-.", ReadStatus::bad_syntax},
    {"1.5.2", ReadStatus::bad_syntax},
    {"1..5", ReadStatus::bad_syntax},
    {"1.5E", ReadStatus::bad_syntax},
    {"1.5e+", ReadStatus::bad_syntax},
    {"1.5D-", ReadStatus::bad_syntax},
    {"1-", ReadStatus::bad_syntax},
    {"1.5E+-2", ReadStatus::bad_syntax},
    {"1e5e5", ReadStatus::bad_syntax},
    {"1e4-2", ReadStatus::bad_syntax},
    {"1.5Q2", ReadStatus::bad_syntax},
    {"12;5", ReadStatus::bad_syntax},
    {"1,5", ReadStatus::bad_syntax},
    {"e5", ReadStatus::bad_syntax},
    {".e5", ReadStatus::bad_syntax},
    {"--1", ReadStatus::bad_syntax},
    {"+-1", ReadStatus::bad_syntax},
    {"1 ", ReadStatus::bad_syntax},
    {" 1", ReadStatus::bad_syntax},
    {"inf", ReadStatus::bad_syntax},
    {"nan", ReadStatus::bad_syntax},
    {"0x10", ReadStatus::bad_syntax},
    {"1e5x", ReadStatus::bad_syntax},
    {"12.5\n", ReadStatus::bad_syntax},
    {"1e400", ReadStatus::too_large},
    {"-1e400", ReadStatus::too_large},
    {"1.8e308", ReadStatus::too_large},
    {"1.7976931348623159e308", ReadStatus::too_large},
    {"1e99999", ReadStatus::too_large},
    {"1e5201", ReadStatus::too_large},
    {"1797693134862315808e290", ReadStatus::too_large},
    {"10e308", ReadStatus::too_large},
    {"1e309", ReadStatus::too_large},
    {"1234567:", ReadStatus::bad_syntax},
    {"12345678:", ReadStatus::bad_syntax},
    {"1234567/8", ReadStatus::bad_syntax},
    {"12345678 ", ReadStatus::bad_syntax},
    {"1234 5678", ReadStatus::bad_syntax},
    {"12345678.1234567:", ReadStatus::bad_syntax},
    {"12345678901234567890x", ReadStatus::bad_syntax},
    {"0.001e99999999999999999999", ReadStatus::too_large},
    // A number too large is reported before the characters that follow it.
    {"1e400x", ReadStatus::too_large},
    {"1e309.5", ReadStatus::too_large},
    {"9e999e", ReadStatus::too_large},
};

TEST(ConvertReal, RefusedTexts) {
  for (const Refused& c : refused) {
    EXPECT_EQ(convert_real(c.text).status, c.status) << c.text;
  }
}

// Texts that reach every path: exact products and quotients, long significands, large and
// tiny powers, and cases whose naive floating-point evaluation depends on the rounding mode.
constexpr const char* environment_texts[] = {
    "12.5", "0.1", "2.4359e-06", "-8.1191322639470e+18", "4.68742684450e+27",
    "2.90824383249150e-08", "1e-310", "1.7976931348623157e308", "4503599627370496.5",
    "123456789012345678901234567890", "3.14159265358979323846264338", "1e-22", "1e-23",
    "6.02214076e23", "1.602176634D-19", "9007199254740993", "2.2250738585072011e-308",
    "2470328229206232721e-342", "999999999999999936.0", "7450580596923828125e-27",
    "4503599627370496.500000000", "12345678901234567890123e-40",
};

class RoundingMode {
 public:
  explicit RoundingMode(int mode) : saved_(std::fegetround()) { std::fesetround(mode); }
  ~RoundingMode() { std::fesetround(saved_); }
  RoundingMode(const RoundingMode&) = delete;
  RoundingMode& operator=(const RoundingMode&) = delete;

 private:
  int saved_;
};

TEST(ConvertReal, ResultDoesNotDependOnTheRoundingMode) {
  std::mt19937_64 random(20240611);
  std::vector<std::string> texts(std::begin(environment_texts), std::end(environment_texts));
  for (int i = 0; i < 20000; ++i) {
    const double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) {
      continue;
    }
    char buffer[64];
    const int precision = 1 + static_cast<int>(random() % 20);
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x,
                                   std::chars_format::scientific, precision);
    texts.emplace_back(buffer, end.ptr);
  }
  std::vector<std::uint64_t> nearest;
  for (const std::string& text : texts) {
    nearest.push_back(bits(convert_real(text).value));
  }
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    const RoundingMode under(mode);
    for (std::size_t i = 0; i < texts.size(); ++i) {
      ASSERT_EQ(bits(convert_real(texts[i]).value), nearest[i]) << texts[i] << " mode " << mode;
    }
  }
}

TEST(ConvertReal, RaisesNoFloatingPointException) {
  std::feclearexcept(FE_ALL_EXCEPT);
  for (const char* text : environment_texts) {
    (void)convert_real(text);
  }
  for (const char* text : {"1e400", "1e-400", "-0", "1e99999", "1e-99999"}) {
    (void)convert_real(text);
  }
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

TEST(ConvertReal, SeventeenDigitsReadBackAsTheSameReal) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 100000; ++i) {
    const double x = std::bit_cast<double>(random());
    if (!std::isfinite(x)) {
      continue;
    }
    char buffer[64];
    auto end = std::to_chars(buffer, buffer + sizeof buffer, x);  // shortest round trip
    ASSERT_EQ(bits(convert_real({buffer, end.ptr}).value), bits(x)) << std::string(buffer, end.ptr);
    end = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, 16);
    for (char* p = buffer; p != end.ptr; ++p) {
      *p = *p == 'e' ? 'D' : *p;
    }
    ASSERT_EQ(bits(convert_real({buffer, end.ptr}).value), bits(x)) << std::string(buffer, end.ptr);
  }
}

// A decimal text of random length, point position and exponent; and the C library's reading
// of the same number (exponent letter "e", digits past the 24th significant one zeroed).
struct RandomText {
  std::string text;
  std::string reference;
};

RandomText random_text(std::mt19937_64& random) {
  const int digits = 1 + static_cast<int>(random() % 30);
  const int point = static_cast<int>(random() % (digits + 1));
  const int leading_zeros = random() % 4 == 0 ? static_cast<int>(random() % 5) : 0;
  RandomText made;
  int significant = 0;
  for (int i = 0; i < leading_zeros + digits; ++i) {
    if (i == leading_zeros + point && point != digits) {
      made.text += '.';
      made.reference += '.';
    }
    const char digit = i < leading_zeros ? '0' : static_cast<char>('0' + random() % 10);
    significant += (significant > 0 || digit != '0') ? 1 : 0;
    made.text += digit;
    made.reference += significant > 24 ? '0' : digit;
  }
  const int exponent = static_cast<int>(random() % 701) - 350;
  const char* letters[] = {"e", "E", "d", "D", ""};
  const char* letter = letters[random() % 5];
  const std::string sign = exponent < 0 ? "-" : (letter[0] == '\0' || random() % 2 ? "+" : "");
  made.text += letter + sign + std::to_string(std::abs(exponent));
  made.reference += "e" + sign + std::to_string(std::abs(exponent));
  return made;
}

TEST(ConvertReal, AgreesWithTheCLibraryOnRandomTexts) {
  std::mt19937_64 random(42);
  for (int i = 0; i < 200000; ++i) {
    const RandomText made = random_text(random);
    errno = 0;
    const double expected = std::strtod(made.reference.c_str(), nullptr);
    const bool overflow = errno == ERANGE && std::isinf(expected);
    const Converted converted = convert_real(made.text);
    if (overflow) {
      ASSERT_EQ(converted.status, ReadStatus::too_large) << made.text;
    } else {
      ASSERT_EQ(converted.status, ReadStatus::ok) << made.text;
      ASSERT_EQ(bits(converted.value), bits(expected)) << made.text;
    }
  }
}

}  // namespace
}  // namespace duopit::textio
