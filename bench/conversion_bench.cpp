// bench/conversion_bench.cpp — micro-benchmark of the program's editing of reals against the
// standard library's on the same values: edit_free_real against std::to_chars, scientific,
// 16 significant digits. Each iteration walks a whole value set, so the time per value is the
// iteration time divided by the set size ("set_size" counter). Before anything is timed, the
// two conversions are checked to do the same job on each set; a pair that does not is
// reported as an error instead of a time.
// scripts/bench.sh runs this with JSON output and prints the ratios; it sets no targets.
#include <benchmark/benchmark.h>

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bench/edit_agreement.hpp"
#include "bench/value_sets.hpp"
#include "support/decimal_form.hpp"

namespace duopit::bench {
namespace {

// 16 significant digits in exponent form: "-1.234567890123456e-308" is 23 characters.
constexpr int std_fraction_digits = 15;
constexpr std::size_t std_text_capacity = 32;

using Values = std::vector<double>;

// Both editors must give 16-digit texts of the same real, at most one unit apart in the last
// digit. Returns a description of the first value where not.
std::optional<std::string> check_editing(const Values& values) {
  std::array<char, std_text_capacity> buffer{};
  for (const double value : values) {
    const textio::RealText ours = textio::edit_free_real(value);
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::scientific, std_fraction_digits);
    const std::string theirs(buffer.data(), error == std::errc{} ? end : buffer.data());
    const std::optional<SixteenDigits> ours_digits = read_sixteen_digits(ours.view());
    const std::optional<SixteenDigits> theirs_digits = read_sixteen_digits(theirs);
    if (!ours_digits || !theirs_digits || !within_one_unit(*ours_digits, *theirs_digits)) {
      return "edited " + std::string(ours.view()) + " against " + theirs;
    }
  }
  return std::nullopt;
}

void count_values(benchmark::State& state, std::size_t set_size) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(set_size));
  state.counters["set_size"] = static_cast<double>(set_size);
}

void edit_with_duopit(benchmark::State& state, const Values& values) {
  for (auto _ : state) {
    for (const double value : values) {
      textio::RealText text = textio::edit_free_real(value);
      benchmark::DoNotOptimize(text);
    }
  }
  count_values(state, values.size());
}

void edit_with_std(benchmark::State& state, const Values& values) {
  std::array<char, std_text_capacity> buffer{};
  for (auto _ : state) {
    for (const double value : values) {
      const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                        std::chars_format::scientific, std_fraction_digits);
      benchmark::DoNotOptimize(result.ptr);
      benchmark::DoNotOptimize(buffer);
    }
  }
  count_values(state, values.size());
}

// Registers "<operation>/duopit/<set>" and "<operation>/std/<set>"; when the check found a
// disagreement both report it as their error.
template <typename Set>
void register_pair(const std::string& operation, const std::string& set_name, const Set& set,
                   void (*ours)(benchmark::State&, const Set&),
                   void (*theirs)(benchmark::State&, const Set&),
                   const std::optional<std::string>& disagreement) {
  const auto register_one = [&](const std::string& side, auto* run) {
    const std::string name = operation + "/" + side + "/" + set_name;
    benchmark::RegisterBenchmark(name.c_str(), [&set, run, disagreement](benchmark::State& state) {
      if (disagreement) {
        state.SkipWithError(("the two conversions disagree: " + *disagreement).c_str());
        return;
      }
      run(state, set);
    });
  };
  register_one("duopit", ours);
  register_one("std", theirs);
}

}  // namespace
}  // namespace duopit::bench

int main(int argc, char** argv) {
  using namespace duopit::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  // The sets live until main returns, as long as the registered benchmarks that use them.
  const Values all_magnitudes = make_all_magnitude_values(value_set_size, value_set_seed);
  const Values survey = make_survey_values(value_set_size, value_set_seed + 1);

  register_pair<Values>("edit", "all_magnitudes", all_magnitudes, edit_with_duopit,
                        edit_with_std, check_editing(all_magnitudes));
  register_pair<Values>("edit", "survey", survey, edit_with_duopit, edit_with_std,
                        check_editing(survey));

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
