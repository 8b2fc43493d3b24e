// Elementary functions and the arithmetic traps, in the run's arithmetic environment.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/elementary.hpp"
#include "numerics/arithmetic.hpp"
#include "numerics/software/extended_real.hpp"
#include "support/run_environment.hpp"

namespace duopit::numerics {
namespace {

using testing::RunEnvironment;

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// The message a MATH error writes on standard error.
std::string math_message(const char* number, const char* text) {
  return std::string("\r\nrun-time error M") + number + ": MATH\r\n- " + text + "\r\n";
}

TEST(Pi, FourTimesArctangentOfOneIsTheRealNearestPi) {
  RunEnvironment env;
  const double pi = to_real(mul(4, atan(1)));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(pi), 0x400921FB54442D18ULL);
}

TEST(Arithmetic, RoundsTo53BitsButKeepsTheExtendedExponentRange) {
  RunEnvironment env;
  // 1 + 2^-60 rounds to 1 with 53-bit significands; 1 + 2^-52 is kept.
  EXPECT_EQ(to_real(add(1, div(1, 0x1p60))), 1.0);
  EXPECT_EQ(to_real(add(1, div(1, 0x1p52))), 1.0 + 0x1p-52);
  // 1e308 × 10 / 100 stays in range while in the unit.
  const double tenth = to_real(div(mul(1e308, 10), 100));
  EXPECT_GT(tenth, 0.99e307);
  EXPECT_LT(tenth, 1.01e307);
}

TEST(Elementary, SpecialArguments) {
  RunEnvironment env;
  const double denormal = from_bits(1);
  const double inf = std::numeric_limits<double>::infinity();
  // pi rounded to a 64-bit significand, halved.
  const software::ExtendedReal half_pi{false, 0x3FFF, 0xC90FDAA22168C235ULL};
  const struct {
    const char* name;
    Extended result;
    software::ExtendedReal expected;
  } cases[] = {
      {"sin 0", sin(0.0), layout_of(widen(0.0))},
      {"sin -0", sin(-0.0), layout_of(widen(-0.0))},
      {"cos 0", cos(0.0), layout_of(widen(1.0))},
      {"cos -0", cos(-0.0), layout_of(widen(1.0))},
      {"sin denormal", sin(denormal), layout_of(widen(denormal))},
      {"cos denormal", cos(denormal), layout_of(widen(1.0))},
      {"atan denormal", atan(denormal), layout_of(widen(denormal))},
      {"atan -0", atan(-0.0), layout_of(widen(-0.0))},
      {"atan inf", atan(inf), half_pi},
      {"atan -inf", atan(-inf), {true, half_pi.exponent, half_pi.significand}},
      {"atan -1", atan(-1.0), layout_of(unit::negated(atan(1.0)))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(layout_of(c.result), c.expected);
  }
  EXPECT_TRUE(layout_of(widen(-0.0)).negative);
  EXPECT_FALSE(in_elementary_function());
}

TEST(Elementary, SineJustBelowTwoToTheSixtyThreeStillReturns) {
  RunEnvironment env;
  const double x = 0x1p63 - 0x1p11;  // the largest real below 2^63
  const auto status = env.run([&] { (void)sin(x); });
  EXPECT_FALSE(status.has_value());
  EXPECT_EQ(env.os.error, "");
}

struct MathErrorCase {
  const char* name;
  Extended (*function)(double);
  double argument;
  const char* number;
  const char* text;
};

TEST(Elementary, ErrorsEndTheRunWithTheFunctionsName) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const MathErrorCase cases[] = {
      {"sin 2^63", sin, 0x1p63, "6205", "sin: TLOSS error"},
      {"cos 1e19", cos, 1e19, "6205", "cos: TLOSS error"},
      {"sin -1e300", sin, -1e300, "6205", "sin: TLOSS error"},
      {"sin inf", sin, inf, "6201", "sin: DOMAIN error"},
      {"cos -inf", cos, -inf, "6201", "cos: DOMAIN error"},
      {"sin nan", sin, nan, "6201", "sin: DOMAIN error"},
      {"atan nan", atan, nan, "6201", "atan: DOMAIN error"},
  };
  for (const MathErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunEnvironment env;
    const auto status = env.run([&] { (void)c.function(c.argument); });
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(env.os.error, math_message(c.number, c.text));
  }
}

struct TrapCase {
  const char* name;
  std::function<void()> body;
  const char* number;
  const char* text;
};

TEST(ArithmeticTraps, EndTheRunAtTheFaultingOperation) {
  const TrapCase cases[] = {
      {"1/0", [] { (void)div(1, 0); }, "6103", "floating-point error: divide by zero"},
      {"0/0", [] { (void)div(0, 0); }, "6101", "floating-point error: invalid"},
      {"store of 1e308*10", [] { (void)to_real(mul(1e308, 10)); }, "6104",
       "floating-point error: overflow"},
      {"inf-inf",
       [] {
         const double inf = std::numeric_limits<double>::infinity();
         (void)sub(inf, inf);
       },
       "6101", "floating-point error: invalid"},
      {"product beyond the extended range",
       [] {
         Extended power = mul(1e300, 1e300);  // 1e600, then 1e1200, 1e2400, 1e4800
         for (int i = 0; i < 3; ++i) {
           power = mul(power, power);
         }
         (void)mul(power, power);
       },
       "6104", "floating-point error: overflow"},
  };
  for (const TrapCase& c : cases) {
    SCOPED_TRACE(c.name);
    RunEnvironment env;
    const auto status = env.run(c.body);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(env.os.error, math_message(c.number, c.text));
  }
}

TEST(ArithmeticTraps, UnderflowAndInexactAreSilent) {
  RunEnvironment env;
  const auto status = env.run([] {
    EXPECT_EQ(to_real(div(1e-300, 1e300)), 0.0);
    EXPECT_EQ(to_real(div(1, 3)), 1.0 / 3.0);
  });
  EXPECT_FALSE(status.has_value());
}

TEST(ArithmeticTraps, HandlerIgnoresTrapsInsideAnElementaryFunction) {
  RunEnvironment env;
  set_in_elementary_function(true);
  const auto status =
      env.run([] { handle_arithmetic_trap(lifecycle::RunTimeError::trap_invalid); });
  set_in_elementary_function(false);
  EXPECT_FALSE(status.has_value());
  EXPECT_EQ(env.os.error, "");
}

TEST(ArithmeticTraps, KindFollowsThePriorityOfTheFlags) {
  using lifecycle::RunTimeError;
  constexpr std::uint16_t run_control = 0x0272;
  EXPECT_EQ(trap_kind(0x0001, run_control), RunTimeError::trap_invalid);
  EXPECT_EQ(trap_kind(0x0041 | 0x0200, run_control), RunTimeError::trap_stack_overflow);
  EXPECT_EQ(trap_kind(0x0041, run_control), RunTimeError::trap_stack_underflow);
  EXPECT_EQ(trap_kind(0x0005, run_control), RunTimeError::trap_invalid);
  EXPECT_EQ(trap_kind(0x0024, run_control), RunTimeError::trap_divide_by_zero);
  EXPECT_EQ(trap_kind(0x0028, run_control), RunTimeError::trap_overflow);
  EXPECT_EQ(trap_kind(0x0030, run_control), std::nullopt);  // underflow, inexact: masked
}

}  // namespace
}  // namespace duopit::numerics
