// bench/value_sets.hpp — the fixed inputs of the editing micro-benchmark: reals made from a
// seeded generator, so that every run and every build times the same values.
// Pure: no I/O, no globals. Does not time anything and does not check any conversion.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace duopit::bench {

constexpr std::size_t value_set_size = 4096;  // values per set; every iteration walks them all
constexpr std::uint64_t value_set_seed = 0x5EED'D00B'1E5E'7000;

// Reals made of random bit patterns, all non-finite patterns left out: every exponent, so
// every magnitude from the subnormals to the largest real, is about equally likely.
[[nodiscard]] std::vector<double> make_all_magnitude_values(std::size_t count, std::uint64_t seed);

// Reals of the sizes a survey report holds: magnitudes spread evenly over 1e-4 .. 1e5 on a
// logarithmic scale, either sign.
[[nodiscard]] std::vector<double> make_survey_values(std::size_t count, std::uint64_t seed);

}  // namespace duopit::bench
