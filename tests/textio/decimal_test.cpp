// tests/textio/decimal_test.cpp — the decimal form of a real: 18 digits of the exact
// expansion cut off, rounded half up to 17, markers for infinities and NaNs.
// Expected digits come from the exact binary value of each double, worked out by hand.
#include "support/decimal_form.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace duopit::textio {
namespace {

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

struct FormCase {
  const char* name;
  std::uint64_t bits;
  char sign;
  const char* digits;
  int decpt;
  bool valid;
};

// Each row: the exact value's first 18 digits (comment), then the expected form.
constexpr FormCase form_cases[] = {
    {"zero", 0x0000000000000000u, ' ', "0", 0, true},
    {"negative zero loses its sign", 0x8000000000000000u, ' ', "0", 0, true},
    {"one", 0x3FF0000000000000u, ' ', "1", 1, true},
    {"minus one", 0xBFF0000000000000u, '-', "1", 1, true},
    {"one half", 0x3FE0000000000000u, ' ', "5", 0, true},
    // 0.1 = 0.100000000000000005551...: 18th digit 5 rounds up.
    {"0.1", 0x3FB999999999999Au, ' ', "10000000000000001", 0, true},
    // 1.0e-7 = 0.999999999999999954748... e-7: 18th digit 4 is dropped.
    {"1.0e-7", 0x3E7AD7F29ABCAF48u, ' ', "99999999999999995", -7, true},
    // 1.0e23 = 99999999999999991611392: 18th digit 6 rounds 1 up to 2.
    {"1.0e23", 0x44B52D02C7E14AF6u, ' ', "99999999999999992", 23, true},
    // 0.00118846891564317047...: 18th digit 7.
    {"-0.0011884689156431705", 0xBF5378CCC8000000u, '-', "11884689156431705", -2, true},
    // 66117.4940000000060535...: 18th digit 0.
    {"66117.494", 0x40F02457E76C8B44u, ' ', "66117494000000006", 5, true},
    // 25558.2570000000014260...: 18th digit 4.
    {"25558.257", 0x40D8F59072B020C5u, ' ', "25558257000000001", 5, true},
    // 0.299999999999999988897...: 18th digit 8 carries into the 17th.
    {"0.3", 0x3FD3333333333333u, ' ', "29999999999999999", 0, true},
    // 0.666666666666666629659...: 18th digit 9.
    {"two thirds", 0x3FE5555555555555u, ' ', "66666666666666663", 0, true},
    // 1.0e-300 = 1.00000000000000002505...e-300: rounds to 1 followed by zeros.
    {"1.0e-300", 0x01A56E1FC2F8F359u, ' ', "1", -299, true},
    // 0.999999999999999998819...e-14: seventeen nines and an 8 carry into a new digit.
    {"1.0e-14", 0x3D06849B86A12B9Bu, ' ', "1", -13, true},
    // 0.999999999999999999733...e153: eighteen nines.
    {"1.0e153", 0x5FB317E5EF3AB327u, ' ', "1", 154, true},
    {"1.0e22 exactly", 0x4480F0CF064DD592u, ' ', "1", 23, true},
    {"1.0e17 exactly", 0x4376345785D8A000u, ' ', "1", 18, true},
    // 123456789012345680 exactly.
    {"123456789012345678", 0x437B69B4BA630F35u, ' ', "12345678901234568", 18, true},
    {"2^53", 0x4340000000000000u, ' ', "9007199254740992", 16, true},
    {"9999999", 0x416312CFE0000000u, ' ', "9999999", 7, true},
    // 1.797693134862315708145...e308.
    {"largest finite", 0x7FEFFFFFFFFFFFFFu, ' ', "17976931348623157", 309, true},
    // 2.225073858507201383...e-308.
    {"smallest normal", 0x0010000000000000u, ' ', "22250738585072014", -307, true},
    // 2.225073858507200889...e-308.
    {"largest subnormal", 0x000FFFFFFFFFFFFFu, ' ', "22250738585072009", -307, true},
    // 4.940656458412465441...e-324.
    {"smallest subnormal", 0x0000000000000001u, ' ', "49406564584124654", -323, true},
    {"negative smallest subnormal", 0x8000000000000001u, '-', "49406564584124654", -323, true},
    // 1.482196937523739632...e-323.
    {"three smallest subnormals", 0x0000000000000003u, ' ', "14821969375237396", -322, true},
    {"infinity", 0x7FF0000000000000u, ' ', "1#INF", 1, false},
    {"negative infinity", 0xFFF0000000000000u, '-', "1#INF", 1, false},
    {"default NaN", 0xFFF8000000000000u, '-', "1#IND", 1, false},
    {"positive quiet NaN", 0x7FF8000000000000u, ' ', "1#QNAN", 1, false},
    {"quiet NaN with a payload", 0xFFF8000000000001u, '-', "1#QNAN", 1, false},
    {"largest quiet NaN", 0x7FFFFFFFFFFFFFFFu, ' ', "1#QNAN", 1, false},
    {"signalling NaN", 0x7FF0000000000001u, ' ', "1#SNAN", 1, false},
    {"negative signalling NaN", 0xFFF4000000000000u, '-', "1#SNAN", 1, false},
};

TEST(ToDecimal, Table) {
  for (const FormCase& c : form_cases) {
    const DecimalForm form = to_decimal(from_bits(c.bits));
    EXPECT_EQ(form.sign, c.sign) << c.name;
    EXPECT_EQ(form.text(), c.digits) << c.name;
    EXPECT_EQ(form.decpt, c.decpt) << c.name;
    EXPECT_EQ(form.valid, c.valid) << c.name;
  }
}

TEST(ToDecimal, LiteralsMatchBitPatterns) {
  // The table above is written in bits; check that they are the doubles its names say.
  EXPECT_EQ(from_bits(0x3FB999999999999Au), 0.1);
  EXPECT_EQ(from_bits(0x3E7AD7F29ABCAF48u), 1.0e-7);
  EXPECT_EQ(from_bits(0x44B52D02C7E14AF6u), 1.0e23);
  EXPECT_EQ(from_bits(0xBF5378CCC8000000u), -0.0011884689156431705);
  EXPECT_EQ(from_bits(0x40F02457E76C8B44u), 66117.494);
  EXPECT_EQ(from_bits(0x40D8F59072B020C5u), 25558.257);
  EXPECT_EQ(from_bits(0x01A56E1FC2F8F359u), 1.0e-300);
  EXPECT_EQ(from_bits(0x3D06849B86A12B9Bu), 1.0e-14);
  EXPECT_EQ(from_bits(0x5FB317E5EF3AB327u), 1.0e153);
  EXPECT_EQ(from_bits(0x4480F0CF064DD592u), 1.0e22);
  EXPECT_EQ(from_bits(0x4376345785D8A000u), 1.0e17);
  EXPECT_EQ(from_bits(0x437B69B4BA630F35u), 123456789012345678.0);
  EXPECT_EQ(from_bits(0x416312CFE0000000u), 9999999.0);
}

struct RoundCase {
  std::uint64_t leading;
  int decpt;
  const char* digits;
  int rounded_decpt;
};

constexpr RoundCase round_cases[] = {
    {123456789012345674u, 5, "12345678901234567", 5},   // 4 or less: dropped
    {123456789012345675u, 5, "12345678901234568", 5},   // 5: half up
    {123456789012345679u, 5, "12345678901234568", 5},
    {123456789999999995u, 5, "12345679", 5},            // carry through nines, digits end there
    {999999999999999995u, 3, "1", 4},                   // seventeen nines grow a digit
    {999999999999999994u, 3, "99999999999999999", 3},
    {100000000000000000u, -2, "1", -2},                 // trailing zeros dropped
    {100000000000000004u, -2, "1", -2},
    {100000000000000005u, -2, "10000000000000001", -2},
    {120000000000000009u, 0, "12000000000000001", 0},
    {120000000000000000u, 0, "12", 0},
};

TEST(RoundLeadingDigits, HalfUpWithCarry) {
  for (const RoundCase& c : round_cases) {
    const DecimalForm form = round_leading_digits(c.leading, c.decpt, '-');
    EXPECT_EQ(form.text(), c.digits) << c.leading;
    EXPECT_EQ(form.decpt, c.rounded_decpt) << c.leading;
    EXPECT_EQ(form.sign, '-') << c.leading;
    EXPECT_TRUE(form.valid) << c.leading;
  }
}

// floor(log10(2^n)) over every n a double can need, against the decimal exponent of 2^n
// as the C library prints it.
TEST(FloorLog10Pow2, EveryBinaryExponent) {
  for (int n = -1074; n <= 1023; ++n) {
    // 800 digits hold every power of two exactly, so nothing rounds into the exponent.
    char text[900];
    std::snprintf(text, sizeof text, "%.800e", std::ldexp(1.0, n));
    const char* e = std::strchr(text, 'e');
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(floor_log10_pow2(n), std::atoi(e + 1)) << n;
  }
}

struct CompareCase {
  const char* name;
  std::uint64_t c;
  int k;
  std::uint64_t m;
  int e;
  bool at_most;
};

constexpr CompareCase compare_cases[] = {
    {"equal integers", 1, 0, 1, 0, true},
    {"greater integer", 2, 0, 1, 0, false},
    {"0.5 against 2^-1", 5, -1, 1, -1, true},
    {"0.6 against 2^-1", 6, -1, 1, -1, false},
    {"1e22 exactly", 100000000000000000u, 5, 0x10F0CF064DD592u, 21, true},
    {"just above 1e22", 100000000000000001u, 5, 0x10F0CF064DD592u, 21, false},
    // 4.940656458412465441765...e-324
    {"below smallest subnormal", 4940656458412465441u, -342, 1, -1074, true},
    {"above smallest subnormal", 4940656458412465442u, -342, 1, -1074, false},
    // 1.797693134862315708145...e308
    {"below largest finite", 17976931348623157081u, 289, 0x1FFFFFFFFFFFFFu, 971, true},
    {"above largest finite", 17976931348623157082u, 289, 0x1FFFFFFFFFFFFFu, 971, false},
};

TEST(Pow10ProductAtMost, ExactComparison) {
  for (const CompareCase& c : compare_cases) {
    EXPECT_EQ(pow10_product_at_most(c.c, c.k, c.m, c.e), c.at_most) << c.name;
  }
}

}  // namespace
}  // namespace duopit::textio

namespace duopit::textio {
namespace {

// The reciprocal multiplications behind the digit groups are exact only by their constants:
// every eight-digit group there is, in the high half and, as its nines' complement, in the
// low half, so that every group value also meets every other lane.
TEST(SixteenDigits, EveryEightDigitGroupInBothHalves) {
  std::array<char, 16> out{};
  std::array<char, 16> expected{};
  expected.fill('0');
  for (int i = 8; i < 16; ++i) {
    expected[static_cast<std::size_t>(i)] = '9';
  }
  constexpr std::uint64_t pow10_8 = 100'000'000;
  for (std::uint64_t value = 0; value < pow10_8; ++value) {
    write_sixteen_digits(value * pow10_8 + (pow10_8 - 1 - value), out.data());
    if (out != expected) {
      FAIL() << "wrong digits for the group " << value;
    }
    // Count the high half up by one as a decimal odometer, the low half down with it.
    for (int i = 7; i >= 0 && ++expected[static_cast<std::size_t>(i)] > '9'; --i) {
      expected[static_cast<std::size_t>(i)] = '0';
    }
    for (int i = 0; i < 8; ++i) {
      expected[static_cast<std::size_t>(8 + i)] =
          static_cast<char>('0' + '9' - expected[static_cast<std::size_t>(i)]);
    }
  }
}

}  // namespace
}  // namespace duopit::textio
