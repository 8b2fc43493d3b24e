// The software sine, cosine and arctangent against MPFR: the constants, the exact argument
// reduction, and correct rounding of the 128-bit evaluation.
#include "numerics/software/elementary_model.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>

#include "numerics/software/reference.hpp"

namespace duopit::numerics::software {
namespace {

using testing::extended_of;
using testing::from_bits;
using testing::random_double;
using testing::set_scaled;

// An MPFR number with a fixed precision, freed at scope end.
class Big {
 public:
  explicit Big(mpfr_prec_t bits = 400) { mpfr_init2(value_, bits); }
  Big(const Big&) = delete;
  Big& operator=(const Big&) = delete;
  ~Big() { mpfr_clear(value_); }
  mpfr_ptr get() { return value_; }

 private:
  mpfr_t value_;
};

// π rounded to 66 significant bits, halved: the reduction's step, exactly.
void set_reduction_step(mpfr_ptr target) {
  Big pi(66);
  mpfr_const_pi(pi.get(), MPFR_RNDN);
  mpfr_div_2ui(target, pi.get(), 1, MPFR_RNDN);
}

struct ExactReduction {
  std::uint32_t quadrant;
  Big remainder;
};

// q = the integer nearest x/step and r = x − q·step, from the definition.
void reduce_exactly(double x, ExactReduction& out) {
  Big step;
  set_reduction_step(step.get());
  Big quotient;
  mpfr_set_d(quotient.get(), x, MPFR_RNDN);
  mpfr_div(quotient.get(), quotient.get(), step.get(), MPFR_RNDN);
  mpfr_rint(quotient.get(), quotient.get(), MPFR_RNDN);
  mpz_t q;
  mpz_init(q);
  mpfr_get_z(q, quotient.get(), MPFR_RNDN);
  out.quadrant = static_cast<std::uint32_t>(mpz_fdiv_ui(q, 4));
  mpz_clear(q);
  mpfr_mul(quotient.get(), quotient.get(), step.get(), MPFR_RNDN);  // exact at 400 bits
  mpfr_set_d(out.remainder.get(), x, MPFR_RNDN);
  mpfr_sub(out.remainder.get(), out.remainder.get(), quotient.get(), MPFR_RNDN);
}

// 1 − RN_b(1 − cos r), exactly, into target.
void set_held_cosine(mpfr_ptr target, mpfr_srcptr r, int bits) {
  Big complement;
  mpfr_cos(complement.get(), r, MPFR_RNDN);
  mpfr_ui_sub(complement.get(), 1, complement.get(), MPFR_RNDN);
  Big held(bits);
  mpfr_set(held.get(), complement.get(), MPFR_RNDN);
  mpfr_ui_sub(target, 1, held.get(), MPFR_RNDN);
}

enum class Function { sine, cosine };

// sin x or cos x as the model defines them, computed by MPFR from the exact reduction: the
// sine of the remainder carries the unit's relative error before the rounding.
ExtendedReal model_reference(Function function, double x) {
  ExactReduction reduction{0, Big()};
  reduce_exactly(x, reduction);
  const std::uint32_t q = (reduction.quadrant + (function == Function::cosine ? 1 : 0)) % 4;
  Big result(64);
  if (q % 2 == 0) {
    const ReducedArgument r = reduce_argument(x);
    Big exact;
    mpfr_sin(exact.get(), reduction.remainder.get(), MPFR_RNDN);
    Big error;
    mpfr_mul_si(error.get(), exact.get(), unit_sine_error(r.magnitude, r.scale), MPFR_RNDN);
    mpfr_div_2ui(error.get(), error.get(), 79, MPFR_RNDN);
    mpfr_add(result.get(), exact.get(), error.get(), MPFR_RNDN);
  } else {
    Big held;
    set_held_cosine(held.get(), reduction.remainder.get(), unit_held_bits);
    mpfr_set(result.get(), held.get(), MPFR_RNDN);
  }
  if (q >= 2) {
    mpfr_neg(result.get(), result.get(), MPFR_RNDN);
  }
  return extended_of(result.get());
}

ExtendedReal reference_of_remainder(Function function, Uint128 magnitude, int scale) {
  Big r;
  set_scaled(r.get(), magnitude, scale, false);
  Big result(64);
  if (function == Function::sine) {
    mpfr_sin(result.get(), r.get(), MPFR_RNDN);
  } else {
    mpfr_cos(result.get(), r.get(), MPFR_RNDN);
  }
  return extended_of(result.get());
}

// arctan|x| up to 1; above, π₆₆/2 − arctan(1/|x|), 1/|x| and its arctangent to 400 bits, the
// arctangent rounded to held_bits if that is not 0.
void set_model_arctangent(mpfr_ptr target, double x, int held_bits = 0) {
  Big argument;
  mpfr_set_d(argument.get(), x, MPFR_RNDN);
  mpfr_abs(argument.get(), argument.get(), MPFR_RNDN);
  if (mpfr_cmp_ui(argument.get(), 1) <= 0) {
    mpfr_atan(target, argument.get(), MPFR_RNDN);
    return;
  }
  mpfr_ui_div(argument.get(), 1, argument.get(), MPFR_RNDN);
  Big complement;
  mpfr_atan(complement.get(), argument.get(), MPFR_RNDN);
  if (held_bits != 0) {
    Big held(held_bits);
    mpfr_set(held.get(), complement.get(), MPFR_RNDN);
    mpfr_set(complement.get(), held.get(), MPFR_RNDN);
  }
  set_reduction_step(target);
  mpfr_sub(target, target, complement.get(), MPFR_RNDN);
}

ExtendedReal reference_arctangent(double x) {
  Big result;
  set_model_arctangent(result.get(), x);
  return extended_of(result.get());
}

std::uint64_t announced_seed() {
  const std::uint64_t seed = testing::seed_for_run();
  std::printf("seed %llu (set DUOPIT_SEED to repeat)\n", static_cast<unsigned long long>(seed));
  return seed;
}

ExtendedReal remainder_function(Function function, Uint128 magnitude, int scale) {
  return function == Function::sine ? sine_of_remainder(magnitude, scale)
                                    : cosine_of_remainder(magnitude, scale);
}

TEST(Constants, ReductionStepIsPiRoundedTo66BitsHalved) {
  Big pi(66);
  mpfr_const_pi(pi.get(), MPFR_RNDN);
  Big ours(66);
  set_scaled(ours.get(), reduction_pi_66, 64, false);
  EXPECT_EQ(mpfr_cmp(pi.get(), ours.get()), 0);
}

TEST(Constants, HalfPiIsPiRoundedTo64BitsThenHalved) {
  Big pi(64);
  mpfr_const_pi(pi.get(), MPFR_RNDN);
  mpfr_div_2ui(pi.get(), pi.get(), 1, MPFR_RNDN);
  EXPECT_EQ(half_pi(), extended_of(pi.get()));
}

// sin, cos or arctan of k/128, to 400 bits.
void set_breakpoint_value(mpfr_ptr target, TableFunction function, std::size_t k) {
  mpfr_set_ui(target, k, MPFR_RNDN);
  mpfr_div_2ui(target, target, 7, MPFR_RNDN);
  switch (function) {
    case TableFunction::sine:
      mpfr_sin(target, target, MPFR_RNDN);
      break;
    case TableFunction::cosine:
      mpfr_cos(target, target, MPFR_RNDN);
      break;
    case TableFunction::arctangent:
      mpfr_atan(target, target, MPFR_RNDN);
      break;
  }
}

struct Table {
  TableFunction function;
  std::size_t size;
};
constexpr Table tables[] = {{TableFunction::sine, 102}, {TableFunction::cosine, 102},
                            {TableFunction::arctangent, 129}};

// Each 128-bit entry is the true value truncated: below it by less than one unit of 2^-128 (cos 0
// = 1, which does not fit, by exactly one).
TEST(Tables, FractionEntriesAreTruncatedValues) {
  for (const Table table : tables) {
    for (std::size_t k = 0; k < table.size; ++k) {
      Big below;
      set_breakpoint_value(below.get(), table.function, k);
      mpfr_mul_2ui(below.get(), below.get(), 128, MPFR_RNDN);
      Big ours;
      set_scaled(ours.get(), fraction_table_entry(table.function, k), 0, false);
      mpfr_sub(below.get(), below.get(), ours.get(), MPFR_RNDN);
      const double shortfall = mpfr_get_d(below.get(), MPFR_RNDN);
      EXPECT_GE(shortfall, 0.0) << static_cast<int>(table.function) << " " << k;
      EXPECT_LE(shortfall, 1.0) << static_cast<int>(table.function) << " " << k;
    }
  }
}

// Arguments from 1/2 (the first that may leave quadrant 0) up to just below 2^63.
TEST(Reduction, NearestMultipleAndExactRemainder) {
  std::mt19937_64 random(announced_seed());
  for (int i = 0; i < 20000; ++i) {
    const double x = random_double(random, -1, 62, true);
    ExactReduction expected{0, Big()};
    reduce_exactly(x, expected);
    const ReducedArgument got = reduce_argument(x);
    Big remainder;
    set_scaled(remainder.get(), got.magnitude, got.scale, got.negative);
    ASSERT_EQ(got.quadrant, expected.quadrant) << std::hexfloat << x;
    ASSERT_EQ(mpfr_cmp(remainder.get(), expected.remainder.get()), 0) << std::hexfloat << x;
  }
}

TEST(Reduction, SmallArgumentsAreTheirOwnRemainder) {
  for (const double x : {from_bits(0x0010000000000000), 0x1p-60, -0.25, 0x1.fffffffffffffp-2}) {
    const ReducedArgument got = reduce_argument(x);
    Big remainder;
    set_scaled(remainder.get(), got.magnitude, got.scale, got.negative);
    EXPECT_EQ(got.quadrant, 0U);
    EXPECT_EQ(mpfr_cmp_d(remainder.get(), x), 0) << std::hexfloat << x;
  }
}

// Kinds of remainder |r| = magnitude·2^-scale the evaluation meets.
struct RemainderKind {
  const char* name;
  int low_bits;   // magnitude has between low_bits and high_bits significant bits
  int high_bits;
  int low_scale;  // scale drawn from [low_scale, high_scale]
  int high_scale;
};
constexpr RemainderKind remainder_kinds[] = {
    {"after reduction, up to pi/4", 66, 66, 65, 65},
    {"after reduction, tiny (near a multiple of pi/2)", 1, 58, 65, 65},
    {"small argument, not reduced", 53, 53, 54, 1074},
    {"below the first breakpoint", 53, 53, 60, 70},
};

Uint128 random_magnitude(std::mt19937_64& random, const RemainderKind& kind, int scale) {
  const int bits = kind.low_bits + static_cast<int>(random() % (kind.high_bits - kind.low_bits + 1));
  Uint128 magnitude = (Uint128{random()} << 64) | random();
  magnitude = (magnitude >> (128 - bits)) | (Uint128{1} << (bits - 1));
  // A remainder never exceeds half the step: about pi/4.
  const Uint128 half_step = reduction_pi_66 / 2;
  while (scale == 65 && magnitude > half_step) {
    magnitude >>= 1;
  }
  return magnitude;
}

// The four ways the functions round a remainder's sine or cosine.
enum class Way {
  sine,                     // correctly rounded
  cosine,                   // correctly rounded
  sine_with_error,          // sin r·(1 + a·2^-79) for |a| ≤ 2000, the unit's error and more
  cosine_held_to_68_bits,   // 1 − RN68(1 − cos r); one in 64 lands exactly halfway: to even
};

ExtendedReal reference_by_way(Way way, mpfr_srcptr r, std::int32_t adjustment) {
  Big value;
  switch (way) {
    case Way::sine:
      mpfr_sin(value.get(), r, MPFR_RNDN);
      break;
    case Way::cosine:
      mpfr_cos(value.get(), r, MPFR_RNDN);
      break;
    case Way::sine_with_error: {
      mpfr_sin(value.get(), r, MPFR_RNDN);
      Big error;
      mpfr_mul_si(error.get(), value.get(), adjustment, MPFR_RNDN);
      mpfr_div_2ui(error.get(), error.get(), 79, MPFR_RNDN);
      mpfr_add(value.get(), value.get(), error.get(), MPFR_RNDN);
      break;
    }
    case Way::cosine_held_to_68_bits:
      set_held_cosine(value.get(), r, unit_held_bits);
      break;
  }
  return extended_of(value.get());
}

ExtendedReal evaluate_by_way(Way way, Uint128 magnitude, int scale, std::int32_t adjustment) {
  switch (way) {
    case Way::sine:
      return sine_of_remainder(magnitude, scale);
    case Way::cosine:
      return cosine_of_remainder(magnitude, scale);
    case Way::sine_with_error:
      return sine_of_remainder(magnitude, scale, adjustment);
    case Way::cosine_held_to_68_bits:
      break;
  }
  return cosine_of_remainder(magnitude, scale, unit_held_bits);
}

TEST(CorrectRounding, RemaindersOfEveryKindEveryWay) {
  std::mt19937_64 random(announced_seed());
  for (const RemainderKind& kind : remainder_kinds) {
    for (int i = 0; i < 4000; ++i) {
      const int scale =
          kind.low_scale + static_cast<int>(random() % (kind.high_scale - kind.low_scale + 1));
      const Uint128 magnitude = random_magnitude(random, kind, scale);
      const std::int32_t adjustment = static_cast<std::int32_t>(random() % 4001) - 2000;
      Big r;
      set_scaled(r.get(), magnitude, scale, false);
      for (const Way way : {Way::sine, Way::cosine, Way::sine_with_error,
                            Way::cosine_held_to_68_bits}) {
        const ExtendedReal expected = reference_by_way(way, r.get(), adjustment);
        ASSERT_EQ(evaluate_by_way(way, magnitude, scale, adjustment), expected)
            << kind.name << ", way " << static_cast<int>(way);
      }
    }
  }
}

// cos 2^-32 = 1 − 2^-65 + 2^-132.6…: a hair above the midpoint between 1 − 2^-64 and 1, closer
// than the 128-bit evaluation can resolve; its truncations leave it above the midpoint too.
TEST(NearMidpoint, CosineJustAboveAMidpoint) {
  const Uint128 magnitude = 1;
  const int scale = 32;
  const ExtendedReal one{false, ExtendedReal::exponent_bias, 1ULL << 63};
  EXPECT_EQ(reference_of_remainder(Function::cosine, magnitude, scale), one);
  for (const int bits : {0, unit_held_bits}) {
    EXPECT_EQ(cosine_of_remainder(magnitude, scale, bits), one) << bits;
  }
  EXPECT_EQ(cosine(0x1p-32), one);
  EXPECT_EQ(cosine(-0x1p-32), one);
}

// At the breakpoints k/128 themselves, one unit of 2^-65 either side, and halfway between two
// (where either neighbour may be taken), the table entry is most of the result.
TEST(CorrectRounding, AtAndBesideBreakpoints) {
  for (Uint128 k = 1; k <= 100; ++k) {
    for (const Uint128 magnitude : {(k << 58) - 1, k << 58, (k << 58) + 1, (2 * k + 1) << 57}) {
      for (const Function function : {Function::sine, Function::cosine}) {
        const ExtendedReal expected = reference_of_remainder(function, magnitude, 65);
        ASSERT_EQ(remainder_function(function, magnitude, 65), expected) << static_cast<int>(k);
      }
    }
  }
}

// Values within 2^-12 of a unit of a rounding boundary, found in a random sample.
TEST(CorrectRounding, NearMidpointsFoundBySearch) {
  std::mt19937_64 random(announced_seed());
  int found = 0;
  for (int i = 0; i < 300000 && found < 40; ++i) {
    const Uint128 magnitude = random_magnitude(random, remainder_kinds[0], 65);
    Big r;
    set_scaled(r.get(), magnitude, 65, false);
    Big exact(200);
    mpfr_sin(exact.get(), r.get(), MPFR_RNDN);
    Big truncated(64);
    mpfr_set(truncated.get(), exact.get(), MPFR_RNDZ);
    Big fraction(200);  // the bits past the 64th, in units of the last place
    mpfr_sub(fraction.get(), exact.get(), truncated.get(), MPFR_RNDN);
    mpfr_mul_2si(fraction.get(), fraction.get(), 64 - mpfr_get_exp(truncated.get()), MPFR_RNDN);
    mpfr_sub_d(fraction.get(), fraction.get(), 0.5, MPFR_RNDN);
    mpfr_abs(fraction.get(), fraction.get(), MPFR_RNDN);
    if (mpfr_cmp_ui_2exp(fraction.get(), 1, -12) > 0) {
      continue;
    }
    ++found;
    const ExtendedReal expected = extended_of(exact.get());
    EXPECT_EQ(sine_of_remainder(magnitude, 65), expected);
  }
  EXPECT_GE(found, 10);
}

struct ArgumentKind {
  const char* name;
  int low_exponent;
  int high_exponent;
};
constexpr ArgumentKind arctangent_kinds[] = {
    {"tiny", -1022, -8},      {"below the first breakpoint", -12, -8},
    {"table", -7, -1},        {"around 1", -1, 0},
    {"above 1", 0, 8},        {"huge", 9, 1023},
};

// Both ways: correctly rounded, and above 1 with arctan(1/x) held to 68 bits first.
TEST(CorrectRounding, Arctangent) {
  std::mt19937_64 random(announced_seed());
  for (const ArgumentKind& kind : arctangent_kinds) {
    for (int i = 0; i < 4000; ++i) {
      const double x = random_double(random, kind.low_exponent, kind.high_exponent, true);
      for (const int held_bits : {0, unit_held_bits}) {
        Big exact;
        set_model_arctangent(exact.get(), x, held_bits);
        const ExtendedReal expected = extended_of(exact.get());
        ASSERT_EQ(arctangent_of(x, held_bits), expected) << kind.name << std::hexfloat << " " << x;
      }
    }
  }
}

// At the breakpoints k/128 and halfway between them, for u = x up to 1 and u = 1/x above.
TEST(CorrectRounding, ArctangentAtBreakpoints) {
  for (int k = 1; k <= 128; ++k) {
    for (const double x : {k / 128.0, 128.0 / k, (k - 0.5) / 128.0, 256.0 / (2 * k - 1)}) {
      const ExtendedReal expected = reference_arctangent(x);
      EXPECT_EQ(arctangent_of(x), expected) << x;
    }
  }
}

// |approximation − exact| in units of the approximation's last bit.
double error_in_units(const Unrounded& approximation, mpfr_srcptr exact) {
  Big difference;
  set_scaled(difference.get(), approximation.value, 126 - approximation.exponent, false);
  mpfr_sub(difference.get(), difference.get(), exact, MPFR_RNDN);
  mpfr_mul_2si(difference.get(), difference.get(), 126 - approximation.exponent, MPFR_RNDN);
  mpfr_abs(difference.get(), difference.get(), MPFR_RNDN);
  return mpfr_get_d(difference.get(), MPFR_RNDN);
}

// The rounding is only as sound as the error bound: the largest error seen must stay well
// inside it.
TEST(ErrorBound, SineAndCosineStayFarInsideTheBound) {
  std::mt19937_64 random(announced_seed());
  for (const RemainderKind& kind : remainder_kinds) {
    double largest = 0;
    for (int i = 0; i < 4000; ++i) {
      const int scale =
          kind.low_scale + static_cast<int>(random() % (kind.high_scale - kind.low_scale + 1));
      const Uint128 magnitude = random_magnitude(random, kind, scale);
      Big r;
      set_scaled(r.get(), magnitude, scale, false);
      Big exact;
      mpfr_sin(exact.get(), r.get(), MPFR_RNDN);
      largest = std::max(largest, error_in_units(unrounded_sine_of_remainder(magnitude, scale),
                                                 exact.get()));
      mpfr_cos(exact.get(), r.get(), MPFR_RNDN);
      largest = std::max(largest, error_in_units(unrounded_cosine_of_remainder(magnitude, scale),
                                                 exact.get()));
    }
    std::printf("%-48s largest error %.1f units\n", kind.name, largest);
    EXPECT_LE(largest, evaluation_error_bound / 4) << kind.name;
  }
}

TEST(ErrorBound, ArctangentStaysFarInsideTheBound) {
  std::mt19937_64 random(announced_seed());
  for (const ArgumentKind& kind : arctangent_kinds) {
    double largest = 0;
    for (int i = 0; i < 4000; ++i) {
      const double x = random_double(random, kind.low_exponent, kind.high_exponent, false);
      Big exact;
      set_model_arctangent(exact.get(), x);
      largest = std::max(largest, error_in_units(unrounded_arctangent(x), exact.get()));
    }
    std::printf("%-28s largest error %.1f units\n", kind.name, largest);
    EXPECT_LE(largest, evaluation_error_bound / 4) << kind.name;
  }
}

struct NamedArgument {
  const char* name;
  std::uint64_t bits;
};
constexpr NamedArgument trig_arguments[] = {
    {"smallest normal", 0x0010000000000000},
    {"2^-30", 0x3E10000000000000},
    {"-2^-7", 0xBF80000000000000},
    {"double nearest pi/4", 0x3FE921FB54442D18},
    {"double nearest pi/2", 0x3FF921FB54442D18},
    {"double above pi/2", 0x3FF921FB54442D19},
    {"double nearest pi", 0x400921FB54442D18},
    {"double nearest -3pi/2", 0xC012D97C7F3321D2},
    {"double nearest 2pi", 0x401921FB54442D18},
    {"1e6", 0x412E848000000000},
    {"2^62", 0x43D0000000000000},
    {"2^63 - 2^11", 0x43DFFFFFFFFFFFFF},
    {"-(2^63 - 2^11)", 0xC3DFFFFFFFFFFFFF},
};

TEST(Functions, SineAndCosineAtNamedArguments) {
  for (const NamedArgument& a : trig_arguments) {
    const double x = from_bits(a.bits);
    EXPECT_EQ(sine(x), model_reference(Function::sine, x)) << a.name;
    EXPECT_EQ(cosine(x), model_reference(Function::cosine, x)) << a.name;
  }
}

// Below 2^-32, sin x = x(1 − x²/6…) and cos x = 1 − x²/2 both round to their first term.
TEST(Functions, TinyArgumentsGiveTheArgumentAndOne) {
  for (const double x : {from_bits(0x0010000000000000), -0x1p-500, 0x1.234567p-40}) {
    Big value;
    mpfr_set_d(value.get(), x, MPFR_RNDN);
    const ExtendedReal exact_x = extended_of(value.get());
    EXPECT_EQ(sine(x), exact_x) << x;
    EXPECT_EQ(arctangent_of_magnitude(x), exact_x) << x;
    EXPECT_EQ(cosine(x), (ExtendedReal{false, ExtendedReal::exponent_bias, 1ULL << 63})) << x;
  }
}

TEST(Functions, ArctangentAtNamedArguments) {
  Big quarter_pi(64);
  mpfr_const_pi(quarter_pi.get(), MPFR_RNDN);
  mpfr_div_2ui(quarter_pi.get(), quarter_pi.get(), 2, MPFR_RNDN);
  ExtendedReal minus_quarter_pi = extended_of(quarter_pi.get());
  minus_quarter_pi.negative = true;
  EXPECT_EQ(arctangent_of_magnitude(1.0), extended_of(quarter_pi.get()));
  EXPECT_EQ(arctangent_of_magnitude(-1.0), minus_quarter_pi);
  // Beyond 2^65, π₆₆/2 − 1/x rounds to π/2 rounded.
  EXPECT_EQ(arctangent_of_magnitude(0x1p70), half_pi());
  EXPECT_EQ(arctangent_of_magnitude(from_bits(0x7FEFFFFFFFFFFFFF)), half_pi());
}

}  // namespace
}  // namespace duopit::numerics::software
