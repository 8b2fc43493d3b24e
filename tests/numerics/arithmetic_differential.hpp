// tests/numerics/arithmetic_differential.hpp — runs the software model of the run's arithmetic
// (numerics/software/extended_arithmetic.hpp) and the x87 unit side by side on drawn operands
// and counts the cases where they differ in a bit of the result or in a flag. Shared by the
// unit test (a few hundred thousand cases) and duopit_arithmetic_differential (millions).
// x86-64 only: the unit is the reference.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace duopit::arithmetic_differential {

// What is compared: the four operations and the store of an extended real as a 64-bit real.
enum class Check { add, sub, mul, div, store };
constexpr std::size_t check_count = 5;
constexpr std::array<std::string_view, check_count> check_names = {"add", "sub", "mul", "div",
                                                                   "store"};

struct Tally {
  std::array<std::uint64_t, check_count> compared{};
  std::array<std::uint64_t, check_count> mismatched{};
  // Cases also run under the run's own control word, where the unit traps.
  std::uint64_t trap_checks = 0;

  [[nodiscard]] std::uint64_t total_mismatched() const;
};

// Called with a description of each mismatch; the run goes on.
using MismatchReport = std::function<void(const std::string&)>;

// `count` cases of each check, drawn from a generator seeded with `seed`.
[[nodiscard]] Tally run_differential(std::uint64_t seed, std::uint64_t count,
                                     const MismatchReport& report);

// The seed in the environment variable `name` (decimal or 0x-hexadecimal) if it is set,
// otherwise a fresh one.
[[nodiscard]] std::uint64_t seed_from_environment(const char* name);

}  // namespace duopit::arithmetic_differential
