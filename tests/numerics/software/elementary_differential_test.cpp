// The software sine, cosine and arctangent against the x87 unit itself (x86-64 hosts): over
// each range, every result within one unit in the last place of the unit's, and at least a
// floor share bit-identical. The seed is fresh each run and printed (DUOPIT_SEED repeats it).
#include <gtest/gtest.h>

#if defined(__x86_64__)

#include <cstdint>
#include <cstdio>
#include <random>

#include "numerics/software/elementary_model.hpp"
#include "numerics/software/reference.hpp"

namespace duopit::numerics::software {
namespace {

using testing::from_bits;
using testing::random_double;
using testing::run_unit;
using testing::UnitFunction;

enum class Spread { uniform, by_exponent };

struct Range {
  const char* name;
  UnitFunction function;
  Spread spread;
  double low;   // uniform: |x| in [low, high); by exponent: exponents in [low, high]
  double high;
  double identical_floor;  // least share of results bit-identical to the unit's
};

constexpr double two_pi = 6.283185307179586;

// With the unit's own sine error, its 68-bit 1 − cos r and arctan(1/x), and its π₆₆/2 in the
// arctangent modelled, about 99.8% of sines and cosines come out identical, 99.7% of
// arctangents near 1 and nearly all others. The arctangent takes the ratios the bearing rule
// can form: any double, both signs.
constexpr Range ranges[] = {
    {"sine, one turn", UnitFunction::sine, Spread::uniform, 0, two_pi, 0.995},
    {"cosine, one turn", UnitFunction::cosine, Spread::uniform, 0, two_pi, 0.995},
    {"sine, 3000 turns", UnitFunction::sine, Spread::uniform, two_pi, 3000 * two_pi, 0.995},
    {"cosine, 3000 turns", UnitFunction::cosine, Spread::uniform, two_pi, 3000 * two_pi, 0.995},
    {"sine, up to 2^63", UnitFunction::sine, Spread::by_exponent, 15, 62, 0.995},
    {"cosine, up to 2^63", UnitFunction::cosine, Spread::by_exponent, 15, 62, 0.995},
    {"arctangent, near 1", UnitFunction::arctangent, Spread::by_exponent, -8, 8, 0.993},
    {"arctangent, any ratio", UnitFunction::arctangent, Spread::by_exponent, -1022, 1023, 0.995},
};

double draw(std::mt19937_64& random, const Range& range) {
  if (range.spread == Spread::by_exponent) {
    return random_double(random, static_cast<int>(range.low), static_cast<int>(range.high), true);
  }
  const double x = std::uniform_real_distribution<double>(range.low, range.high)(random);
  return (random() & 1) != 0 ? -x : x;
}

ExtendedReal run_model(UnitFunction function, double x) {
  switch (function) {
    case UnitFunction::sine:
      return sine(x);
    case UnitFunction::cosine:
      return cosine(x);
    case UnitFunction::arctangent:
      break;
  }
  return arctangent_of_magnitude(x);
}

TEST(AgainstTheUnit, EveryRangeWithinOneUnitAndMostlyIdentical) {
  const std::uint64_t seed = testing::seed_for_run();
  std::printf("seed %llu (set DUOPIT_SEED to repeat)\n", static_cast<unsigned long long>(seed));
  std::mt19937_64 random(seed);
  constexpr int count = 20000;
  for (const Range& range : ranges) {
    int identical = 0;
    for (int i = 0; i < count; ++i) {
      const double x = draw(random, range);
      const ExtendedReal unit = run_unit(range.function, x);
      const ExtendedReal model = run_model(range.function, x);
      identical += model == unit ? 1 : 0;
      ASSERT_LE(testing::ulps_between(model, unit), 1U) << range.name << std::hexfloat << " " << x;
    }
    const double share = static_cast<double>(identical) / count;
    std::printf("%-24s %5d of %d identical (%.2f%%)\n", range.name, identical, count, 100 * share);
    EXPECT_GE(share, range.identical_floor) << range.name;
  }
}

struct NamedArgument {
  const char* name;
  UnitFunction function;
  std::uint64_t bits;
};
constexpr NamedArgument named_arguments[] = {
    {"sin, smallest normal", UnitFunction::sine, 0x0010000000000000},
    {"cos, smallest normal", UnitFunction::cosine, 0x0010000000000000},
    {"cos 2^-32, just above a midpoint", UnitFunction::cosine, 0x3DF0000000000000},
    {"sin, double nearest pi/2", UnitFunction::sine, 0x3FF921FB54442D18},
    {"cos, double nearest pi/2", UnitFunction::cosine, 0x3FF921FB54442D18},
    {"cos, double above pi/2", UnitFunction::cosine, 0x3FF921FB54442D19},
    {"sin, double nearest pi", UnitFunction::sine, 0x400921FB54442D18},
    {"sin 2^62", UnitFunction::sine, 0x43D0000000000000},
    {"cos 2^62", UnitFunction::cosine, 0x43D0000000000000},
    {"sin 2^63 - 2^11", UnitFunction::sine, 0x43DFFFFFFFFFFFFF},
    {"cos -(2^63 - 2^11)", UnitFunction::cosine, 0xC3DFFFFFFFFFFFFF},
    {"atan 1", UnitFunction::arctangent, 0x3FF0000000000000},
    {"atan -1", UnitFunction::arctangent, 0xBFF0000000000000},
    {"atan 2^-1000", UnitFunction::arctangent, 0x0170000000000000},
    {"atan largest double", UnitFunction::arctangent, 0x7FEFFFFFFFFFFFFF},
    {"atan 1 + 2^-52", UnitFunction::arctangent, 0x3FF0000000000001},
};

TEST(AgainstTheUnit, NamedArguments) {
  for (const NamedArgument& a : named_arguments) {
    const double x = from_bits(a.bits);
    EXPECT_EQ(run_model(a.function, x), run_unit(a.function, x)) << a.name;
  }
}

TEST(AgainstTheUnit, HalfPiIsTheUnitsPiHalved) {
  long double unit = 0;
  asm volatile("fldpi\n\tfld1\n\tfadd %%st(0), %%st(0)\n\tfdivrp\n\tfstpt %0"
               : "=m"(unit)
               :
               : "memory", "st", "st(1)");
  EXPECT_EQ(testing::extended_from_unit(unit), half_pi());
  // arctan of the largest double is π/2 − 2^-1024, which rounds to the same value.
  EXPECT_EQ(run_unit(UnitFunction::arctangent, from_bits(0x7FEFFFFFFFFFFFFF)), half_pi());
}

}  // namespace
}  // namespace duopit::numerics::software

#endif
