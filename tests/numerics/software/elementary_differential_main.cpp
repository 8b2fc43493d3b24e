// A large differential run of the software sine, cosine and arctangent against the x87 unit:
// `duopit_elementary_differential [count]` draws `count` arguments (default 1,000,000) per
// range from a fresh seed (DUOPIT_SEED repeats a run) and prints, per range, the share of
// results bit-identical to the unit's and the largest difference in units of the last place.
// x86-64 hosts only; scripts/elementary-differential.sh builds and runs it.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "numerics/software/elementary_model.hpp"
#include "numerics/software/reference.hpp"

namespace {

using duopit::numerics::software::ExtendedReal;
using namespace duopit::numerics::software::testing;

struct Range {
  const char* name;
  UnitFunction function;
  bool by_exponent;  // exponents in [low, high]; otherwise |x| uniform in [low, high)
  double low;
  double high;
};

constexpr double two_pi = 6.283185307179586;

constexpr Range ranges[] = {
    {"sine [0, 2pi)", UnitFunction::sine, false, 0, two_pi},
    {"cosine [0, 2pi)", UnitFunction::cosine, false, 0, two_pi},
    {"sine [2pi, 3000 turns)", UnitFunction::sine, false, two_pi, 3000 * two_pi},
    {"cosine [2pi, 3000 turns)", UnitFunction::cosine, false, two_pi, 3000 * two_pi},
    {"sine [2^15, 2^63)", UnitFunction::sine, true, 15, 62},
    {"cosine [2^15, 2^63)", UnitFunction::cosine, true, 15, 62},
    {"arctangent [2^-8, 2^9)", UnitFunction::arctangent, true, -8, 8},
    {"arctangent, any double", UnitFunction::arctangent, true, -1022, 1023},
};

double draw(std::mt19937_64& random, const Range& range) {
  if (range.by_exponent) {
    return random_double(random, static_cast<int>(range.low), static_cast<int>(range.high), true);
  }
  double x = 0;
  while (x == 0) {
    x = std::uniform_real_distribution<double>(range.low, range.high)(random);
  }
  return (random() & 1) != 0 ? -x : x;
}

ExtendedReal run_model(UnitFunction function, double x) {
  namespace model = duopit::numerics::software;
  switch (function) {
    case UnitFunction::sine:
      return model::sine(x);
    case UnitFunction::cosine:
      return model::cosine(x);
    case UnitFunction::arctangent:
      break;
  }
  return model::arctangent_of_magnitude(x);
}

}  // namespace

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const std::uint64_t seed = seed_for_run();
  std::printf("seed %llu, %ld arguments per range\n", static_cast<unsigned long long>(seed), count);
  std::mt19937_64 random(seed);
  bool within_one_unit = true;
  for (const Range& range : ranges) {
    const auto start = std::chrono::steady_clock::now();
    long identical = 0;
    std::uint64_t largest = 0;
    double worst = 0;
    for (long i = 0; i < count; ++i) {
      const double x = draw(random, range);
      const std::uint64_t ulps = ulps_between(run_model(range.function, x), run_unit(range.function, x));
      identical += ulps == 0 ? 1 : 0;
      if (ulps > largest) {
        largest = ulps;
        worst = x;
      }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-26s identical %7.3f%%  largest difference %llu ulp%s%a  (%.1f s)\n", range.name,
                100.0 * static_cast<double>(identical) / static_cast<double>(count),
                static_cast<unsigned long long>(largest), largest > 0 ? " at " : "",
                largest > 0 ? worst : 0.0, seconds);
    within_one_unit = within_one_unit && largest <= 1;
  }
  return within_one_unit ? 0 : 1;
}
