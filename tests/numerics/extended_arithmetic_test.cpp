// tests/numerics/extended_arithmetic_test.cpp — the software model of the run's arithmetic:
// hand-picked cases with their bits worked out from the rounding rules (on every host), and
// on x86-64 a differential run against the x87 unit itself.
#include "numerics/software/extended_arithmetic.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "numerics/uint128.hpp"

#if defined(DUOPIT_X87_REFERENCE)
#include "numerics/arithmetic_differential.hpp"
#include "numerics/x87_reference.hpp"
#endif

namespace duopit::numerics::software {
namespace {

constexpr std::int32_t bias = ExtendedReal::exponent_bias;
constexpr std::uint64_t one_significand = 0x8000000000000000;
constexpr std::uint16_t none = 0;
constexpr std::uint16_t invalid = exception_invalid;
constexpr std::uint16_t denormal = exception_denormal;
constexpr std::uint16_t zero_divide = exception_divide_by_zero;
constexpr std::uint16_t overflow = exception_overflow;
constexpr std::uint16_t underflow = exception_underflow;
constexpr std::uint16_t inexact = exception_inexact;

// The run's trap for a set of flags; an expected one is named by its flag.
constexpr std::optional<lifecycle::RunTimeError> run_trap(std::uint16_t flags) {
  return trap_kind(flags, run_control_masks);
}

constexpr ExtendedReal make(bool negative, std::int32_t exponent, std::uint64_t significand) {
  return {negative, exponent, significand};
}
constexpr ExtendedReal plus(std::int32_t exponent, std::uint64_t significand) {
  return make(false, exponent, significand);
}
constexpr ExtendedReal minus(std::int32_t exponent, std::uint64_t significand) {
  return make(true, exponent, significand);
}

constexpr ExtendedReal one = plus(bias, one_significand);
constexpr ExtendedReal two = plus(bias + 1, one_significand);
constexpr ExtendedReal positive_zero = plus(0, 0);
constexpr ExtendedReal negative_zero = minus(0, 0);
constexpr ExtendedReal positive_infinity = plus(0x7FFF, one_significand);
constexpr ExtendedReal smallest_normal = plus(1, one_significand);
constexpr ExtendedReal largest_53_bit = plus(0x7FFE, 0xFFFFFFFFFFFFF800);
constexpr ExtendedReal unnormal_one = plus(bias, 0x4000000000000000);
constexpr ExtendedReal denormal_value = plus(0, 0x1234);

std::string text(ExtendedReal x) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%c%04X:%016llX", x.negative ? '-' : '+',
                static_cast<unsigned>(x.exponent), static_cast<unsigned long long>(x.significand));
  return buffer;
}

enum class Op { add, sub, mul, div };

Outcome apply(Op op, ExtendedReal a, ExtendedReal b) {
  switch (op) {
    case Op::add: return add(a, b);
    case Op::sub: return sub(a, b);
    case Op::mul: return mul(a, b);
    case Op::div: return div(a, b);
  }
  return {};
}

struct OperationCase {
  const char* rule;
  Op op;
  ExtendedReal a;
  ExtendedReal b;
  ExtendedReal expected;
  std::uint16_t flags;
};

const OperationCase operation_cases[] = {
    // Ties at the 53rd bit go to the even neighbour; above half goes up.
    {"1 + 2^-53 ties down to 1", Op::add, one, plus(bias - 53, one_significand), one, inexact},
    {"(1 + 2^-52) + 2^-53 ties up", Op::add, plus(bias, 0x8000000000000800),
     plus(bias - 53, one_significand), plus(bias, 0x8000000000001000), inexact},
    {"1 + 3 x 2^-54 rounds up", Op::add, one, plus(bias - 53, 0xC000000000000000),
     plus(bias, 0x8000000000000800), inexact},
    {"64-bit operand rounds even alone", Op::add, plus(bias, 0xFFFFFFFFFFFFFFFF), positive_zero,
     two, inexact},
    {"(2^27+1)(2^26+1) ties to even", Op::mul, plus(bias + 27, 0x8000001000000000),
     plus(bias + 26, 0x8000002000000000), plus(bias + 53, 0x8000003000000000), inexact},
    {"1/3", Op::div, one, plus(bias + 1, 0xC000000000000000), plus(bias - 2, 0xAAAAAAAAAAAAA800),
     inexact},
    // Signed zeros under round to nearest.
    {"x - x is +0", Op::sub, minus(bias + 1, 0xC000000000000000),
     minus(bias + 1, 0xC000000000000000), positive_zero, none},
    {"-x + x is +0", Op::add, minus(bias, 0xF0F0F0F0F0F0F000), plus(bias, 0xF0F0F0F0F0F0F000),
     positive_zero, none},
    {"-0 + -0 is -0", Op::add, negative_zero, negative_zero, negative_zero, none},
    {"-0 - +0 is -0", Op::sub, negative_zero, positive_zero, negative_zero, none},
    {"+0 - +0 is +0", Op::sub, positive_zero, positive_zero, positive_zero, none},
    {"-2 x 0 is -0", Op::mul, minus(bias + 1, one_significand), positive_zero, negative_zero,
     none},
    // Invalid operations give the negative quiet NaN; a nonzero over zero is infinite.
    {"1 / 0", Op::div, one, positive_zero, positive_infinity, zero_divide},
    {"-1 / 0", Op::div, minus(bias, one_significand), positive_zero,
     minus(0x7FFF, one_significand), zero_divide},
    {"0 / 0", Op::div, positive_zero, negative_zero, real_indefinite, invalid},
    {"inf - inf", Op::sub, positive_infinity, positive_infinity, real_indefinite, invalid},
    {"0 x inf", Op::mul, negative_zero, positive_infinity, real_indefinite, invalid},
    {"inf / inf", Op::div, positive_infinity, positive_infinity, real_indefinite, invalid},
    {"inf / 0 is exact", Op::div, positive_infinity, positive_zero, positive_infinity, none},
    {"unnormal operand", Op::add, unnormal_one, one, real_indefinite, invalid},
    {"pseudo-infinity operand", Op::mul, plus(0x7FFF, 0), one, real_indefinite, invalid},
    // NaNs: the larger significand wins, quiet above signalling; equal ones give the positive.
    {"larger NaN significand", Op::add, plus(0x7FFF, 0xC000000000000001),
     minus(0x7FFF, 0xC000000000000002), minus(0x7FFF, 0xC000000000000002), none},
    {"quiet beats signalling", Op::sub, plus(0x7FFF, 0x8000000000000005),
     minus(0x7FFF, 0xC000000000000001), minus(0x7FFF, 0xC000000000000001), invalid},
    {"signalling NaN is quieted", Op::mul, one, minus(0x7FFF, 0x8000000000000005),
     minus(0x7FFF, 0xC000000000000005), invalid},
    {"equal NaNs give the positive", Op::div, minus(0x7FFF, 0xC000000000000009),
     plus(0x7FFF, 0xC000000000000009), plus(0x7FFF, 0xC000000000000009), none},
    {"NaN hides a denormal", Op::add, denormal_value, plus(0x7FFF, 0xC000000000000001),
     plus(0x7FFF, 0xC000000000000001), none},
    // Denormal operands.
    {"denormal + 1", Op::add, denormal_value, one, one, denormal | inexact},
    {"denormal / 0 flags only the zero divide", Op::div, denormal_value, positive_zero,
     positive_infinity, zero_divide},
    {"pseudo-denormal reads as exponent 1", Op::mul, plus(0, one_significand), one,
     smallest_normal, denormal},
    // Range ends: overflow to infinity, tiny results on the 53-bit grid of the smallest normal.
    {"largest x 2 overflows", Op::mul, largest_53_bit, two, positive_infinity,
     overflow | inexact},
    {"largest x 1 stays", Op::mul, largest_53_bit, one, largest_53_bit, none},
    {"exact tiny result", Op::mul, smallest_normal, plus(bias - 1, one_significand),
     plus(0, 0x4000000000000000), none},
    {"tiny result rounded on the grid", Op::div, smallest_normal,
     plus(bias + 1, 0xC000000000000000), plus(0, 0x2AAAAAAAAAAAA800), underflow | inexact},
    {"rounds up to the smallest normal", Op::mul, smallest_normal,
     plus(bias - 1, 0xFFFFFFFFFFFFFFF0), smallest_normal, inexact},
    {"tiny after rounding too", Op::mul, smallest_normal, plus(bias - 1, 0xFFFFFFFFFFFFF800),
     smallest_normal, underflow | inexact},
    {"half the grid step ties to zero", Op::mul, smallest_normal,
     plus(bias - 53, one_significand), positive_zero, underflow | inexact},
    // Normal operands whose result leaves the normal range, or only just stays in it.
    {"largest + half step carries into overflow", Op::add, largest_53_bit,
     plus(0x7FFE - 53, one_significand), positive_infinity, overflow | inexact},
    {"x + -x at the top exponent is +0", Op::add, largest_53_bit,
     minus(0x7FFE, 0xFFFFFFFFFFFFF800), positive_zero, none},
    {"cancellation below the smallest normal is exact", Op::sub,
     plus(1, 0x8000000000000800), smallest_normal, plus(0, 0x800), none},
    {"2 x smallest normal x 1/2 stays normal", Op::mul, plus(2, one_significand),
     plus(bias - 1, one_significand), smallest_normal, none},
    {"smallest normal / 2 is an exact denormal", Op::div, smallest_normal, two,
     plus(0, 0x4000000000000000), none},
    {"(2^53 + 1) / 2 ties to even, down", Op::div, plus(bias + 53, 0x8000000000000400), two,
     plus(bias + 52, one_significand), inexact},
    {"(2^53 + 3) / 2 ties to even, up", Op::div, plus(bias + 53, 0x8000000000000C00), two,
     plus(bias + 52, 0x8000000000001000), inexact},
    {"-1 / 3, the dividend below the divisor", Op::div, minus(bias, one_significand),
     plus(bias + 1, 0xC000000000000000), minus(bias - 2, 0xAAAAAAAAAAAAA800), inexact},
    {"2^-64 is all below the kept bits of 1", Op::add, one, plus(bias - 64, one_significand),
     one, inexact},
    {"1 - 2^-200 only sets the sticky bit", Op::sub, one, plus(bias - 200, one_significand), one,
     inexact},
    {"2 - 2^-53 (1 + 2^-52) borrows below a tie", Op::sub, two,
     plus(bias - 53, 0x8000000000000800), plus(bias, 0xFFFFFFFFFFFFF800), inexact},
    // Either side of the exponent gaps where the aligned sum or difference changes method.
    {"2^-63 x 1.5 is the last gap aligned in 64 bits", Op::add, one,
     plus(bias - 63, 0xC000000000000000), one, inexact},
    {"1 - (1/2 - 2^-65), a gap of two, loses its top bit", Op::sub, one,
     plus(bias - 2, 0xFFFFFFFFFFFFFFFF), plus(bias - 1, one_significand), inexact},
    {"1 - (1 - 2^-64), a gap of one, cancels to 2^-64", Op::sub, one,
     plus(bias - 1, 0xFFFFFFFFFFFFFFFF), plus(bias - 64, one_significand), none},
    {"(2 - 2^-63) - (1/2 + 2^-64) needs 65 bits", Op::add, plus(bias, 0xFFFFFFFFFFFFFFFF),
     minus(bias - 1, 0x8000000000000001), plus(bias, 0xC000000000000000), inexact},
    {"a gap of zero, the smaller first, takes the sign of the other", Op::sub,
     plus(bias, 0x8000000000000800), plus(bias, 0x8000000000001800),
     minus(bias - 51, one_significand), none},
};

TEST(ExtendedArithmetic, HandPickedOperations) {
  for (const OperationCase& c : operation_cases) {
    const Outcome outcome = apply(c.op, c.a, c.b);
    EXPECT_EQ(text(outcome.value), text(c.expected)) << c.rule;
    EXPECT_EQ(outcome.flags, c.flags) << c.rule;
  }
}

struct StoreCase {
  const char* rule;
  ExtendedReal x;
  std::uint64_t expected;
  std::uint16_t flags;
};

constexpr std::int32_t real_min_exponent = bias - 1022;  // 2^-1022, the smallest normal real

const StoreCase store_cases[] = {
    {"1", one, 0x3FF0000000000000, none},
    {"tie goes to even, down", plus(bias, 0x8000000000000400), 0x3FF0000000000000, inexact},
    {"tie goes to even, up", plus(bias, 0x8000000000000C00), 0x3FF0000000000002, inexact},
    {"-0", negative_zero, 0x8000000000000000, none},
    {"exact subnormal", plus(real_min_exponent - 51, one_significand), 0x0000000000000002, none},
    {"1.5 x 2^-1074 ties to 2^-1073", plus(real_min_exponent - 52, 0xC000000000000000),
     0x0000000000000002, underflow | inexact},
    {"2^-1075 ties to zero", minus(real_min_exponent - 53, one_significand), 0x8000000000000000,
     underflow | inexact},
    {"just below 2^-1022 rounds up, not tiny", plus(real_min_exponent - 1, 0xFFFFFFFFFFFFFC00),
     0x0010000000000000, inexact},
    {"2^-1022 (1 - 2^-53) is tiny", plus(real_min_exponent - 1, 0xFFFFFFFFFFFFF800),
     0x0010000000000000, underflow | inexact},
    {"extended denormal", denormal_value, 0, underflow | inexact},
    {"largest real", plus(bias + 1023, 0xFFFFFFFFFFFFF800), 0x7FEFFFFFFFFFFFFF, none},
    {"2^1023 (1 - 2^-54) rounds up into the top exponent", plus(bias + 1022, 0xFFFFFFFFFFFFFC00),
     0x7FE0000000000000, inexact},
    {"tie above 2^-1022 goes to even", minus(real_min_exponent, 0x8000000000000400),
     0x8010000000000000, inexact},
    {"just above a tie rounds up", plus(bias + 1, 0x8000000000000401), 0x4000000000000001,
     inexact},
    {"largest real + half step overflows", plus(bias + 1023, 0xFFFFFFFFFFFFFC00),
     0x7FF0000000000000, overflow | inexact},
    {"-2^1024 overflows", minus(bias + 1024, one_significand), 0xFFF0000000000000,
     overflow | inexact},
    {"signalling NaN", minus(0x7FFF, 0x8000000000000801), 0xFFF8000000000001, invalid},
    {"quiet NaN keeps its payload top", plus(0x7FFF, 0xFFFFFFFFFFFFFFFF), 0x7FFFFFFFFFFFFFFF,
     none},
    {"unnormal", unnormal_one, 0xFFF8000000000000, invalid},
};

TEST(ExtendedArithmetic, HandPickedStores) {
  for (const StoreCase& c : store_cases) {
    const RealOutcome outcome = to_real(c.x);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(outcome.value), c.expected) << c.rule;
    EXPECT_EQ(outcome.flags, c.flags) << c.rule;
  }
}

struct LoadCase {
  std::uint64_t bits;
  ExtendedReal expected;
  std::uint16_t flags;
};

const LoadCase load_cases[] = {
    {0x3FF0000000000000, one, none},
    {0xC000000000000001, minus(bias + 1, 0x8000000000000800), none},
    {0x0000000000000000, positive_zero, none},
    {0x8000000000000000, negative_zero, none},
    {0x0010000000000000, plus(bias - 1022, one_significand), none},
    {0xFFEFFFFFFFFFFFFF, minus(bias + 1023, 0xFFFFFFFFFFFFF800), none},
    {0x0000000000000001, plus(bias - 1074, one_significand), denormal},
    {0x000FFFFFFFFFFFFF, plus(bias - 1023, 0xFFFFFFFFFFFFF000), denormal},
    {0xFFF0000000000000, minus(0x7FFF, one_significand), none},
    {0x7FF0000000000001, plus(0x7FFF, 0xC000000000000800), invalid},
    {0x7FF8000000000000, plus(0x7FFF, 0xC000000000000000), none},
};

TEST(ExtendedArithmetic, LoadOfARealIsExact) {
  for (const LoadCase& c : load_cases) {
    const Outcome outcome = from_real(std::bit_cast<double>(c.bits));
    EXPECT_EQ(text(outcome.value), text(c.expected)) << std::hex << c.bits;
    EXPECT_EQ(outcome.flags, c.flags) << std::hex << c.bits;
  }
}

TEST(ExtendedArithmetic, TheFirstTrapFollowsTheUnitsPriority) {
  EXPECT_EQ(run_trap(overflow | invalid | inexact), run_trap(invalid));
  EXPECT_EQ(run_trap(overflow | zero_divide), run_trap(zero_divide));
  EXPECT_EQ(run_trap(overflow | denormal | underflow | inexact), run_trap(overflow));
  EXPECT_EQ(run_trap(denormal | underflow | inexact), std::nullopt);
}

struct ShiftCase {
  std::uint64_t high;
  std::uint64_t low;
  int count;
  std::uint64_t expected_high;
  std::uint64_t expected_low;
};

// Shifts across the halves, with and without bits falling off the end.
const ShiftCase shift_cases[] = {
    {0x10, 0, 0, 0x10, 0},
    {0x10, 0, 64, 0, 0x10},
    {0x10, 1, 64, 0, 0x11},
    {0x10, 0, 65, 0, 0x8},
    {0x11, 0, 65, 0, 0x9},
    {0x10, 0, 68, 0, 0x1},
    {0x10, 0, 69, 0, 0x1},
    {0x8000000000000000, 0, 126, 0, 0x2},
    {0, 1, 128, 0, 1},
    {0, 0, 200, 0, 0},
    {0x1, 0x8000000000000000, 63, 0, 0x3},
    {0x1, 0x8000000000000001, 63, 0, 0x3},
    {0x1, 0x4000000000000000, 63, 0, 0x3},
    {0, 0x8000000000000001, 1, 0, 0x4000000000000001},
    {0x3, 0x1, 1, 0x1, 0x8000000000000001},
};

TEST(WideUnsigned, ShiftRightFoldsLostBitsIntoTheLast) {
  for (const ShiftCase& c : shift_cases) {
    const Uint128 shifted = shift_right_jamming(from_halves(c.high, c.low), c.count);
    EXPECT_EQ(high_half(shifted), c.expected_high)
        << std::hex << c.high << ":" << c.low << " >> " << std::dec << c.count;
    EXPECT_EQ(low_half(shifted), c.expected_low)
        << std::hex << c.high << ":" << c.low << " >> " << std::dec << c.count;
  }
}

TEST(WideUnsigned, ProductCarriesAcrossTheHalves) {
  const std::uint64_t all = ~std::uint64_t{0};
  EXPECT_EQ(Uint128{all} * all, from_halves(all - 1, 1));  // (2^64 - 1)^2
  EXPECT_EQ(Uint128{0x100000000} * 0x100000000, from_halves(1, 0));
  EXPECT_EQ(Uint128{0xFFFFFFFF} * 0xFFFFFFFF, from_halves(0, 0xFFFFFFFE00000001));
  EXPECT_EQ(from_halves(0, all) + 1, from_halves(1, 0));
  EXPECT_EQ(from_halves(1, 0) - 1, from_halves(0, all));
  EXPECT_EQ(leading_bit(from_halves(0, 1)), 0);
  EXPECT_EQ(leading_bit(from_halves(1, 0)), 64);
}

#if defined(DUOPIT_X87_REFERENCE)

// The masked flags predict the run's traps: for each case the unit under the run's own control
// word traps on exactly the first of invalid, divide by zero and overflow that it flags with
// every exception masked, and the model flags the same.
struct TrapCase {
  const char* rule;
  x87_reference::Operation op;
  ExtendedReal a;
  ExtendedReal b;
  std::uint16_t trap;
};

const TrapCase trap_cases[] = {
    {"1 / 0", x87_reference::Operation::div, one, positive_zero, zero_divide},
    {"0 / 0", x87_reference::Operation::div, positive_zero, positive_zero, invalid},
    {"signalling NaN / 0", x87_reference::Operation::div, plus(0x7FFF, 0x8000000000000001),
     positive_zero, invalid},
    {"largest x largest", x87_reference::Operation::mul, largest_53_bit, largest_53_bit,
     overflow},
    {"inf - inf", x87_reference::Operation::sub, positive_infinity, positive_infinity, invalid},
    {"inf / 0", x87_reference::Operation::div, positive_infinity, positive_zero, 0},
    {"underflow does not trap", x87_reference::Operation::mul, smallest_normal, smallest_normal,
     0},
    {"denormal operand does not trap", x87_reference::Operation::add, denormal_value, one, 0},
    {"unnormal", x87_reference::Operation::add, unnormal_one, one, invalid},
};

TEST(ExtendedArithmeticOnTheUnit, MaskedFlagsPredictTheRunsTraps) {
  for (const TrapCase& c : trap_cases) {
    const auto unmasked = x87_reference::operate_under_run_traps(c.op, c.a, c.b);
    const auto masked = x87_reference::operate(c.op, c.a, c.b);
    EXPECT_EQ(unmasked.trapped, c.trap) << c.rule;
    EXPECT_EQ(run_trap(masked.flags), run_trap(c.trap)) << c.rule;
    EXPECT_EQ(run_trap(apply(static_cast<Op>(c.op), c.a, c.b).flags), run_trap(c.trap)) << c.rule;
  }
  const auto store = x87_reference::store_under_run_traps(plus(bias + 1024, one_significand));
  EXPECT_EQ(store.trapped, overflow);
}

TEST(ExtendedArithmeticOnTheUnit, AgreesBitForBitOnDrawnOperands) {
  constexpr std::uint64_t cases_per_check = 200'000;
  const std::uint64_t seed =
      arithmetic_differential::seed_from_environment("DUOPIT_ARITHMETIC_SEED");
  std::cout << "seed " << seed << " (set DUOPIT_ARITHMETIC_SEED to repeat)\n";
  RecordProperty("seed", std::to_string(seed));
  int shown = 0;
  const auto tally = arithmetic_differential::run_differential(
      seed, cases_per_check, [&](const std::string& mismatch) {
        if (shown++ < 20) {
          ADD_FAILURE() << mismatch;
        }
      });
  EXPECT_EQ(tally.total_mismatched(), 0U) << "seed " << seed;
  for (const std::uint64_t compared : tally.compared) {
    EXPECT_GE(compared, cases_per_check);
  }
}

#endif  // DUOPIT_X87_REFERENCE

}  // namespace
}  // namespace duopit::numerics::software
