// Measures the x87 unit's own relative error in its sine, the curve behind
// unit_sine_error_curve in numerics/software/elementary_model.cpp (x86-64 hosts):
// `duopit_unit_sine_curve [samples per node]` prints the curve's values, in units of 2^-79,
// at the nodes r = j/128 of [0, π/4].
//
// Below π/4 the argument is its own remainder. Near a rounding midpoint the unit rounds up
// exactly when sin r·(1 + ε) lies above the midpoint; so for the arguments near each node
// whose sine lies within 0.05 of a unit of a midpoint, the offset ε that best separates the
// ones the unit rounded up from the ones it rounded down is the curve's value there.
#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "numerics/software/reference.hpp"

namespace {

using namespace duopit::numerics::software::testing;

constexpr int nodes = 101;  // j/128 up to π/4
constexpr double node_spacing = 1.0 / 128;
constexpr double quarter_pi = 0.7853981633974483;
constexpr double units_per_ulp_share = 65536;  // 2^-79 relative = 2^-16 of a unit at 2^-63

struct Sample {
  double below_midpoint;  // (distance above the midpoint, in units)/(significand in [1, 2))
  bool rounded_up;
};

// The offset, in 2^-16 of a unit at significand 1, that misclassifies the fewest samples.
int best_offset(const std::vector<Sample>& samples) {
  int best = 0;
  long fewest = -1;
  for (int offset = -2000; offset <= 2000; ++offset) {
    const double e = offset / units_per_ulp_share;
    long wrong = 0;
    for (const Sample& s : samples) {
      wrong += ((s.below_midpoint + e > 0) != s.rounded_up) ? 1 : 0;
    }
    if (fewest < 0 || wrong < fewest) {
      fewest = wrong;
      best = offset;
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const long per_node = argc > 1 ? std::atol(argv[1]) : 120000;
  std::mt19937_64 random(12345);
  mpfr_t x, exact, truncated, fraction;
  mpfr_inits2(300, exact, fraction, static_cast<mpfr_ptr>(nullptr));
  mpfr_init2(x, 53);
  mpfr_init2(truncated, 64);
  for (int j = 0; j < nodes; ++j) {
    const double low = std::max(1e-6, (j - 0.5) * node_spacing);
    const double high = std::min(quarter_pi, (j + 0.5) * node_spacing);
    std::uniform_real_distribution<double> draw(low, high);
    std::vector<Sample> samples;
    for (long i = 0; i < per_node; ++i) {
      const double r = draw(random);
      mpfr_set_d(x, r, MPFR_RNDN);
      mpfr_sin(exact, x, MPFR_RNDN);
      mpfr_set(truncated, exact, MPFR_RNDZ);
      mpfr_sub(fraction, exact, truncated, MPFR_RNDN);
      mpfr_mul_2si(fraction, fraction, 64 - mpfr_get_exp(truncated), MPFR_RNDN);
      const double above_midpoint = mpfr_get_d(fraction, MPFR_RNDN) - 0.5;
      if (std::fabs(above_midpoint) > 0.05) {
        continue;
      }
      const double significand =
          std::ldexp(mpfr_get_d(truncated, MPFR_RNDN), 1 - static_cast<int>(mpfr_get_exp(truncated)));
      const bool rounded_up = !(run_unit(UnitFunction::sine, r) == extended_of(truncated));
      samples.push_back({above_midpoint / significand, rounded_up});
    }
    std::printf("%d,%s", best_offset(samples), j % 12 == 11 ? "\n" : " ");
    std::fflush(stdout);
  }
  std::printf("\n");
  mpfr_clears(x, exact, truncated, fraction, static_cast<mpfr_ptr>(nullptr));
  return 0;
}
