// bench/value_sets.cpp — seeded generation of the micro-benchmark's reals.
// Pure: no I/O, no globals; the generator is a plain 64-bit mixer so that the sets do not
// depend on the standard library's distributions, which may change between versions.
#include "bench/value_sets.hpp"

#include <bit>
#include <cmath>

namespace duopit::bench {
namespace {

// A 64-bit generator with a full period and good mixing; the state is the caller's.
class Mixer {
 public:
  explicit Mixer(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    state_ += 0x9E37'79B9'7F4A'7C15;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EB;
    return z ^ (z >> 31);
  }
  // Uniform on [0, 1) with 53 random bits.
  double next_unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double next_sign() { return (next() & 1) != 0 ? -1.0 : 1.0; }

 private:
  std::uint64_t state_;
};

constexpr std::uint64_t exponent_mask = 0x7FF0'0000'0000'0000;

double next_finite(Mixer& mixer) {
  for (;;) {
    const std::uint64_t bits = mixer.next();
    if ((bits & exponent_mask) != exponent_mask) {
      return std::bit_cast<double>(bits);
    }
  }
}

}  // namespace

std::vector<double> make_all_magnitude_values(std::size_t count, std::uint64_t seed) {
  Mixer mixer(seed);
  std::vector<double> values;
  values.reserve(count);
  while (values.size() < count) {
    values.push_back(next_finite(mixer));
  }
  return values;
}

std::vector<double> make_survey_values(std::size_t count, std::uint64_t seed) {
  constexpr double smallest_power = -4.0;
  constexpr double power_span = 9.0;  // up to 1e5
  Mixer mixer(seed);
  std::vector<double> values;
  values.reserve(count);
  while (values.size() < count) {
    const double power = smallest_power + power_span * mixer.next_unit();
    values.push_back(mixer.next_sign() * std::pow(10.0, power));
  }
  return values;
}

}  // namespace duopit::bench
