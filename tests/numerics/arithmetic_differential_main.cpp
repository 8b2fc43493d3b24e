// tests/numerics/arithmetic_differential_main.cpp — duopit_arithmetic_differential COUNT [SEED]:
// compares the software arithmetic with the x87 unit on COUNT drawn cases in all, shared
// evenly among add, sub, mul, div and the store; prints the seed (drawn afresh when none is
// given), the cases and mismatches of each, and the first mismatches found. Exits 1 on any
// mismatch, 2 on a bad command line.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "numerics/arithmetic_differential.hpp"

namespace {

namespace differential = duopit::arithmetic_differential;

constexpr int shown_mismatches = 20;

bool read_number(const char* text, std::uint64_t& number) {
  char* end = nullptr;
  number = std::strtoull(text, &end, 0);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t total = 0;
  std::uint64_t seed = 0;
  if (argc < 2 || argc > 3 || !read_number(argv[1], total) ||
      (argc == 3 && !read_number(argv[2], seed))) {
    std::fprintf(stderr, "usage: %s COUNT [SEED]\n", argv[0]);
    return 2;
  }
  if (argc == 2) {
    seed = differential::seed_from_environment("DUOPIT_ARITHMETIC_SEED");
  }
  const std::uint64_t per_check =
      (total + differential::check_count - 1) / differential::check_count;
  std::printf("seed %llu, %llu cases per check\n", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(per_check));
  std::fflush(stdout);
  int shown = 0;
  const differential::Tally tally =
      differential::run_differential(seed, per_check, [&](const std::string& mismatch) {
        if (shown++ < shown_mismatches) {
          std::printf("mismatch: %s\n", mismatch.c_str());
        }
      });
  for (std::size_t i = 0; i < differential::check_count; ++i) {
    std::printf("%-6s %12llu compared %8llu mismatched\n",
                std::string(differential::check_names[i]).c_str(),
                static_cast<unsigned long long>(tally.compared[i]),
                static_cast<unsigned long long>(tally.mismatched[i]));
  }
  std::printf("of which under the run's traps: %llu\nmismatches: %llu\n",
              static_cast<unsigned long long>(tally.trap_checks),
              static_cast<unsigned long long>(tally.total_mismatched()));
  return tally.total_mismatched() == 0 ? 0 : 1;
}
