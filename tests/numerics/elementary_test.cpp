// Elementary functions and the arithmetic traps, in the run's arithmetic environment.
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/elementary.hpp"
#include "numerics/x87.hpp"
#include "support/run_environment.hpp"

namespace duopit::numerics {
namespace {

using testing::RunEnvironment;

double from_bits(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// The message a MATH error writes on standard error.
std::string math_message(const char* number, const char* text) {
  return std::string("\r\nrun-time error M") + number + ": MATH\r\n- " + text + "\r\n";
}

TEST(ControlWord, RunEnvironmentHas53BitsAndThreeTraps) {
  const std::uint16_t saved = control_word();
  set_control_word(0x037F);
  set_run_precision();
  EXPECT_EQ(control_word() & precision_field, precision_53_bits);
  EXPECT_EQ(control_word() & all_exception_masks, 0x037F & all_exception_masks);
  enable_run_traps();
  // Low byte 0xF2 reads back as 0x72: bit 7 is reserved and stays clear.
  EXPECT_EQ(control_word() & precision_field, precision_53_bits);
  EXPECT_EQ(control_word() & all_exception_masks,
            exception_denormal | exception_underflow | exception_inexact);
  EXPECT_EQ(control_word() & rounding_field, 0);
  set_control_word(saved);
}

TEST(Pi, FourTimesArctangentOfOneIsTheRealNearestPi) {
  RunEnvironment env;
  const double pi = to_real(mul(4, atan(1)));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(pi), 0x400921FB54442D18ULL);
}

TEST(Arithmetic, RoundsTo53BitsButKeepsTheExtendedExponentRange) {
  RunEnvironment env;
  // 1 + 2^-60 rounds to 1 with 53-bit significands.
  EXPECT_EQ(to_real(add(1, 0x1p-60L)), 1.0);
  // 1e308 × 10 / 100 stays in range while in the unit.
  EXPECT_EQ(to_real(div(mul(1e308, 10), 100)), to_real(div(1e309L / 10, 10)));
}

TEST(Elementary, SpecialArguments) {
  RunEnvironment env;
  EXPECT_EQ(sin(0.0), 0.0L);
  EXPECT_TRUE(std::signbit(sin(-0.0)));
  EXPECT_EQ(cos(0.0), 1.0L);
  EXPECT_EQ(cos(-0.0), 1.0L);
  const double denormal = from_bits(1);
  EXPECT_EQ(sin(denormal), static_cast<long double>(denormal));
  EXPECT_EQ(cos(denormal), 1.0L);
  EXPECT_EQ(atan(denormal), static_cast<long double>(denormal));
  EXPECT_EQ(atan(-0.0), 0.0L);
  EXPECT_TRUE(std::signbit(atan(-0.0)));
  const long double half_pi = 1.57079632679489661923132169163975144L;
  EXPECT_EQ(atan(std::numeric_limits<double>::infinity()), half_pi);
  EXPECT_EQ(atan(-std::numeric_limits<double>::infinity()), -half_pi);
  EXPECT_EQ(atan(-1.0), -atan(1.0));
}

TEST(Elementary, KeepTheCallersControlWord) {
  RunEnvironment env;
  const std::uint16_t before = control_word();
  (void)sin(1.0);
  (void)cos(2.0);
  (void)atan(3.0);
  EXPECT_EQ(control_word(), before);
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
  long double (*function)(double);
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
         const long double inf = std::numeric_limits<long double>::infinity();
         (void)sub(inf, inf);
       },
       "6101", "floating-point error: invalid"},
      {"product beyond the extended range", [] { (void)mul(1e4000L, 1e4000L); }, "6104",
       "floating-point error: overflow"},
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

TEST(ArithmeticTraps, AFaultPendingBeforeAFunctionIsTheCallersTrap) {
  RunEnvironment env;
  const auto status = env.run([] {
    // A division by zero whose fault is still pending when atan is entered.
    const std::uint16_t control = control_word();
    set_control_word(control | all_exception_masks);
    volatile long double zero = 0;
    volatile long double quotient = 1 / zero;
    (void)quotient;
    set_control_word(control);  // the divide-by-zero flag is now an unmasked, pending fault
    (void)atan(1.0);
  });
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(env.os.error, math_message("6103", "floating-point error: divide by zero"));
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

// A faulting operation resets the unit and hands the fault on; when the handler returns (as it
// does for a function's own signal), the result reads as zero, the run's control word is back
// and the next operation runs normally.
TEST(ArithmeticTraps, FaultingOperationLeavesTheUnitUsable) {
  RunEnvironment env;
  const std::uint16_t run_control = control_word();
  set_in_elementary_function(true);
  const auto status = env.run([run_control] {
    const Extended quotient = div(1.0, 0.0);
    EXPECT_EQ(quotient, 0.0L);
    EXPECT_EQ(control_word(), run_control);
    EXPECT_EQ(to_real(mul(div(3.0, 2.0), 4.0)), 6.0);
    const double overflowed = to_real(mul(1e300, 1e300));
    EXPECT_EQ(overflowed, 0.0);
    EXPECT_EQ(control_word(), run_control);
  });
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
