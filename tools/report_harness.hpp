// tools/report_harness.hpp — the pieces of the report harness: the answer streams, the digest
// of one answer's outcome, and one answer run through the whole program in this process.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace duopit::tools {

// 64-bit FNV-1a, fed piece by piece.
class Digest {
 public:
  void add(std::string_view bytes);
  void add_number(std::uint64_t value);  // eight bytes, least significant first
  [[nodiscard]] std::uint64_t value() const { return state_; }

 private:
  std::uint64_t state_ = 0xCBF29CE484222325ULL;
};

// What one run leaves: its status, the report's bytes (absent when no report was created),
// standard output and standard error.
struct Outcome {
  int status = 0;
  bool has_report = false;
  std::string report, output, error;
};
[[nodiscard]] std::uint64_t digest_of(const Outcome& outcome);

// Runs the whole program in this process with `answer` and a line end as its standard input.
[[nodiscard]] Outcome run_answer(std::string_view answer);

// Every answer a surveyor types from −360 to 360 with up to `decimals` decimal places, in
// steps of 10^-decimals: index 0 is −360, the last 360; written without trailing zeros
// ("-12.5", "0.0001", "0"), as typed.
[[nodiscard]] std::uint64_t domain_size(int decimals);
[[nodiscard]] std::string domain_answer(int decimals, std::uint64_t index);
// Decimal places the domain's `index`-th answer shows (0 for whole degrees).
[[nodiscard]] int shown_decimals(int decimals, std::uint64_t index);

// A reproducible stream of generated answers: the same seed gives the same texts on every
// host (integer generator, decimal texts made by the C library's exact conversions).
class AnswerGenerator {
 public:
  explicit AnswerGenerator(std::uint64_t seed) : state_(seed) {}
  [[nodiscard]] std::string next();
  [[nodiscard]] std::uint64_t next_bits();
  [[nodiscard]] std::uint64_t below(std::uint64_t bound) { return next_bits() % bound; }

 private:
  [[nodiscard]] double unit_interval();  // [0, 1), 53 random bits
  std::uint64_t state_;
};

}  // namespace duopit::tools

namespace duopit::tools {

// The diagnostic build's account of the elementary calls of the runs since the last call,
// where the unit and its software model disagree; empty in every other build.
[[nodiscard]] std::string take_elementary_notes();

}  // namespace duopit::tools
