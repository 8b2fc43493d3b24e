// tests/textio/edit_real_test.cpp — the text of a single real in a free-format record:
// the two forms and the switch between them, the second rounding to 16 digits, the markers,
// and independence from the floating-point environment.
#include "support/decimal_form.hpp"

#include "numerics/arithmetic.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace duopit::textio {
namespace {

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

struct TextCase {
  const char* name;
  double value;
  const char* text;
  int length;
  int blanks_in_field;  // blanks before the text in its 24-column field
};

const TextCase text_cases[] = {
    {"survey x1", 25558.257, "25558.257000000000000", 21, 3},
    {"survey y1", 65769.466, "65769.466000000000000", 21, 3},
    // 66117494000000006 rounds to 6611749400000001: the representation error shows.
    {"survey y2", 66117.494, "66117.494000000010000", 21, 3},
    {"bearing", 71.27711999526346, "71.277119995263460", 18, 6},
    {"bearing R_ab", 244.53979848108142, "244.539798481081400", 19, 5},
    {"bearing R12", 115.4602015189186, "115.460201518918600", 19, 5},
    // 11884689156431705 rounds to 1188468915643171; one rounding would give ...170.
    {"double rounding", -0.0011884689156431705, "-1.188468915643171E-003", 23, 1},
    {"misclosure", -0.00040280357643496245, "-4.028035764349625E-004", 23, 1},
    // The last two of the 18 leading digits on both sides of 45: 879551521629914745 rounds to
    // 87955152162991475 and then up; 847032123946894444 rounds down both times.
    {"45 rounds up twice", from_bits(0x4021974DC53AF34Eu), "8.795515216299148", 17, 7},
    {"44 rounds down twice", from_bits(0x4020F0CDF20C4440u), "8.470321239468944", 17, 7},
    {"zero", 0.0, "0.000000000000000E+000", 22, 2},
    {"negative zero", -0.0, "0.000000000000000E+000", 22, 2},
    {"one", 1.0, "1.000000000000000", 17, 7},
    {"minus one", -1.0, "-1.000000000000000", 18, 6},
    {"one half", 0.5, "5.000000000000000E-001", 22, 2},
    {"0.1 hides its 17th digit", 0.1, "1.000000000000000E-001", 22, 2},
    {"largest fixed integer", 9999999.0, "9999999.000000000000000", 23, 1},
    {"smallest exponent integer", 10000000.0, "1.000000000000000E+007", 22, 2},
    {"1.0e-5", 1.0e-5, "1.000000000000000E-005", 22, 2},
    // 99999999999999995 x 10^-7: sixteen nines carry, the exponent stays -7.
    {"1.0e-7", 1.0e-7, "1.000000000000000E-007", 22, 2},
    {"1.0e20", 1.0e20, "1.000000000000000E+020", 22, 2},
    {"1.0e23", 1.0e23, "9.999999999999999E+022", 22, 2},
    {"18-digit integer", 123456789012345678.0, "1.234567890123457E+017", 22, 2},
    {"three-digit negative exponent", -1.0e-100, "-1.000000000000000E-100", 23, 1},
    {"largest finite", std::numeric_limits<double>::max(), "1.797693134862316E+308", 22, 2},
    {"smallest subnormal", std::numeric_limits<double>::denorm_min(), "4.940656458412465E-324", 22, 2},
    {"negative smallest subnormal", -std::numeric_limits<double>::denorm_min(), "-4.940656458412465E-324", 23, 1},
    {"infinity", std::numeric_limits<double>::infinity(), "1#INF.................", 22, 2},
    {"negative infinity", -std::numeric_limits<double>::infinity(), "1#INF.................", 22, 2},
    {"default NaN", from_bits(0xFFF8000000000000u), "1#IND.................", 22, 2},
    {"quiet NaN", from_bits(0x7FF8000000000000u), "1#QNAN................", 22, 2},
    {"negative quiet NaN with payload", from_bits(0xFFF8000000000001u), "1#QNAN................", 22, 2},
    {"signalling NaN", from_bits(0x7FF0000000000001u), "1#SNAN................", 22, 2},
    // Both sides of the fixed/exponent boundaries.
    // 0.99999999999999988898: 99999999999999989 rounds to sixteen nines, still below 1.
    {"largest below one", from_bits(0x3FEFFFFFFFFFFFFFu), "9.999999999999999E-001", 22, 2},
    // 1.00000000000000022204: the 17th digit 2 is dropped.
    {"smallest above one", from_bits(0x3FF0000000000001u), "1.000000000000000", 17, 7},
    // 9999999.99999999813735: 99999999999999981, the 17th digit 1 is dropped.
    {"largest below 1e7", from_bits(0x416312CFFFFFFFFFu), "9999999.999999998000000", 23, 1},
    {"negative largest below 1e7", from_bits(0xC16312CFFFFFFFFFu), "-9999999.999999998000000", 24, 0},
    // 2.49999999999999955591: 24999999999999996, the 17th digit 6 carries through nines.
    {"carry through nines in fixed form", from_bits(0x4003FFFFFFFFFFFFu), "2.500000000000000", 17, 7},
    // 0.999999999999999998819e-14: the first rounding already carries into 1e-14.
    {"first rounding carries", 1.0e-14, "1.000000000000000E-014", 22, 2},
    {"exponent 99 to 100", 1.0e100, "1.000000000000000E+100", 22, 2},
    {"exponent -10", 1.0e-10, "1.000000000000000E-010", 22, 2},
};

TEST(EditFreeReal, Table) {
  for (const TextCase& c : text_cases) {
    const RealText text = edit_free_real(c.value);
    EXPECT_EQ(text.view(), c.text) << c.name;
    EXPECT_EQ(text.length, c.length) << c.name;
    EXPECT_EQ(real_field_width - text.length, c.blanks_in_field) << c.name;
  }
}

DecimalForm make_form(char sign, int decpt, const std::string& digits) {
  DecimalForm form{sign, decpt, {}, static_cast<int>(digits.size()), true};
  for (std::size_t i = 0; i < digits.size(); ++i) {
    form.digits[i] = digits[i];
  }
  return form;
}

struct FormTextCase {
  const char* name;
  char sign;
  int decpt;
  const char* digits;
  const char* text;
};

// Decimal forms that no double produces but the editing must still handle.
const FormTextCase form_text_cases[] = {
    {"fixed carry adds an integer digit", ' ', 3, "99999999999999995", "1000.000000000000000"},
    {"fixed carry to eight integer digits", '-', 7, "99999999999999995", "-10000000.000000000000000"},
    {"exponent carry from 0.99... to 1", ' ', 0, "99999999999999999", "1.000000000000000E+000"},
    {"exponent carry at decpt 8", ' ', 8, "99999999999999995", "1.000000000000000E+008"},
    {"17th digit 4 is dropped", ' ', 2, "12345678901234564", "12.345678901234560"},
    {"17th digit 5 rounds up", ' ', 2, "12345678901234565", "12.345678901234570"},
    {"short digit string padded with zeros", '-', 1, "25", "-2.500000000000000"},
};

TEST(EditDecimalForm, CarriesAndPadding) {
  for (const FormTextCase& c : form_text_cases) {
    EXPECT_EQ(edit_decimal_form(make_form(c.sign, c.decpt, c.digits)).view(), c.text) << c.name;
  }
}

// Values from every kind of case above plus random bit patterns of every magnitude.
std::vector<double> environment_values() {
  std::vector<double> values;
  for (const TextCase& c : text_cases) {
    values.push_back(c.value);
  }
  std::mt19937_64 random(20240611);
  for (int i = 0; i < 20000; ++i) {
    values.push_back(from_bits(random()));
  }
  return values;
}

std::vector<std::string> edit_all(const std::vector<double>& values) {
  std::vector<std::string> texts;
  texts.reserve(values.size());
  for (const double v : values) {
    texts.emplace_back(edit_free_real(v).view());
  }
  return texts;
}

TEST(EditFreeReal, SameTextInEveryRoundingMode) {
  const std::vector<double> values = environment_values();
  const std::vector<std::string> expected = edit_all(values);
  for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    const std::vector<std::string> texts = edit_all(values);
    std::fesetround(FE_TONEAREST);
    for (std::size_t i = 0; i < values.size(); ++i) {
      ASSERT_EQ(texts[i], expected[i]) << "mode " << mode << ", bits " << std::hex
                                       << std::bit_cast<std::uint64_t>(values[i]);
    }
  }
}

#if !defined(DUOPIT_NUMERICS_SOFTWARE)
// The x87 unit at 24-bit precision, rounding toward zero, with every exception unmasked:
// nothing in the editing may depend on it or fault under it.
TEST(EditFreeReal, SameTextUnderAnyX87ControlWord) {
  const std::vector<double> values = environment_values();
  const std::vector<std::string> expected = edit_all(values);
  const std::uint16_t saved = numerics::control_word();
  const auto word = static_cast<std::uint16_t>((saved & ~(numerics::precision_field | numerics::all_exception_masks)) |
                                               numerics::rounding_field);
  std::vector<RealText> texts(values.size());
  numerics::set_control_word(word);
  for (std::size_t i = 0; i < values.size(); ++i) {
    texts[i] = edit_free_real(values[i]);
  }
  numerics::set_control_word(saved);
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(texts[i].view(), expected[i]);
  }
}
#endif

#if defined(__GLIBC__)
// With every arithmetic exception trapping, any floating-point operation on a NaN, an
// infinity or an inexact result would stop the test with a signal.
TEST(EditFreeReal, NoFloatingPointOperationsUnderTraps) {
  const std::vector<double> values = environment_values();
  std::vector<RealText> texts(values.size());
  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW | FE_UNDERFLOW | FE_INEXACT);
  for (std::size_t i = 0; i < values.size(); ++i) {
    texts[i] = edit_free_real(values[i]);
  }
  fedisableexcept(FE_ALL_EXCEPT);
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
  const std::vector<std::string> expected = edit_all(values);
  for (std::size_t i = 0; i < values.size(); ++i) {
    ASSERT_EQ(texts[i].view(), expected[i]);
  }
}
#endif

}  // namespace
}  // namespace duopit::textio
