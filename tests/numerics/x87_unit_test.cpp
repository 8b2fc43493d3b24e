// The x87 unit's own environment: the run's control word, the caller's control word kept by the
// elementary functions, a fault left pending by the caller, and the unit after a fault.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "numerics/arithmetic.hpp"
#include "numerics/arithmetic_trap.hpp"
#include "numerics/elementary.hpp"
#include "support/run_environment.hpp"

namespace duopit::numerics {
namespace {

using testing::RunEnvironment;

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

TEST(Elementary, KeepTheCallersControlWord) {
  RunEnvironment env;
  const std::uint16_t before = control_word();
  (void)sin(1.0);
  (void)cos(2.0);
  (void)atan(3.0);
  EXPECT_EQ(control_word(), before);
  EXPECT_FALSE(in_elementary_function());
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

}  // namespace
}  // namespace duopit::numerics
