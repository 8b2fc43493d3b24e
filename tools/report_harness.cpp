// tools/report_harness.cpp — the report harness's pieces: answer streams, digests and one run.
#include "tools/report_harness.hpp"

#include <cmath>
#include <cstdio>

#include "support/fake_platform.hpp"
#include "support/whole_run.hpp"

namespace duopit::tools {

void Digest::add(std::string_view bytes) {
  for (const char byte : bytes) {
    state_ = (state_ ^ static_cast<unsigned char>(byte)) * 0x100000001B3ULL;
  }
}

void Digest::add_number(std::uint64_t value) {
  char bytes[8];
  for (char& byte : bytes) {
    byte = static_cast<char>(value & 0xFF);
    value >>= 8;
  }
  add({bytes, sizeof bytes});
}

// Each piece is preceded by its length, so that no two outcomes run together alike.
std::uint64_t digest_of(const Outcome& outcome) {
  Digest digest;
  digest.add_number(static_cast<std::uint32_t>(outcome.status));
  digest.add_number(outcome.has_report ? outcome.report.size() : ~std::uint64_t{0});
  digest.add(outcome.report);
  digest.add_number(outcome.output.size());
  digest.add(outcome.output);
  digest.add_number(outcome.error.size());
  digest.add(outcome.error);
  return digest.value();
}

Outcome run_answer(std::string_view answer) {
  testing::FakePlatform os;
  os.input.assign(answer);
  os.input += '\n';
  Outcome outcome;
  outcome.status = testing::run_whole_program(os);
  if (const auto report = os.files.find("duopit.dat"); report != os.files.end()) {
    outcome.has_report = true;
    outcome.report = std::move(report->second.content);
  }
  outcome.output = std::move(os.output);
  outcome.error = std::move(os.error);
  return outcome;
}

namespace {

std::uint64_t power_of_ten(int decimals) {
  std::uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) {
    scale *= 10;
  }
  return scale;
}

template <typename... Values>
std::string format(const char* pattern, Values... values) {
  char text[400];
  const int length = std::snprintf(text, sizeof text, pattern, values...);
  return {text, static_cast<std::size_t>(length)};
}

}  // namespace

std::uint64_t domain_size(int decimals) { return 720 * power_of_ten(decimals) + 1; }

std::string domain_answer(int decimals, std::uint64_t index) {
  const std::uint64_t scale = power_of_ten(decimals);
  const std::uint64_t half = 360 * scale;
  const bool negative = index < half;
  const std::uint64_t magnitude = negative ? half - index : index - half;
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / scale);
  const int shown = shown_decimals(decimals, index);
  if (shown > 0) {
    const std::string fraction = std::to_string(magnitude % scale + scale);  // "1" + digits
    text += '.';
    text.append(fraction, 1, static_cast<std::size_t>(shown));
  }
  return text;
}

int shown_decimals(int decimals, std::uint64_t index) {
  std::uint64_t fraction = index % power_of_ten(decimals);  // −360 is a whole multiple
  int shown = decimals;
  while (shown > 0 && fraction % 10 == 0) {
    fraction /= 10;
    --shown;
  }
  return fraction == 0 ? 0 : shown;
}

// splitmix64: a full-period 64-bit sequence from any seed.
std::uint64_t AnswerGenerator::next_bits() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

double AnswerGenerator::unit_interval() {
  return static_cast<double>(next_bits() >> 11) * 0x1p-53;
}

// The kinds of answer and their shares, those of scripts/differential.py and the far ends it
// reaches only by chance. Every value below is an exact IEEE operation or a decimal text, and
// every draw a statement of its own (the order in which a call's arguments are evaluated is
// the compiler's), so the stream is the same on every host.
std::string AnswerGenerator::next() {
  const std::uint64_t kind = below(100);
  const bool negative = below(2) != 0;
  const int digits = static_cast<int>(below(17));
  const double uniform = unit_interval();
  const std::uint64_t pick = next_bits();  // the kind's own choice: decimals, an exponent, ...
  const auto in = [pick](int low, int high) {
    return low + static_cast<int>(pick % static_cast<std::uint64_t>(high - low + 1));
  };
  const char* sign = negative ? "-" : "";
  if (kind < 25) {  // a real within two turns either way, all 17 digits
    return format("%.17g", -720 + 1440 * uniform);
  }
  if (kind < 40) {  // within one turn, 0 to 12 decimals
    return format("%.*f", in(0, 12), 360 * uniform);
  }
  if (kind < 55) {  // exponent form, written with E, e, D or d
    std::string text = format("%.*E", digits + 1, -720 + 1440 * uniform);
    text[text.find('E')] = "EeDd"[in(0, 3)];
    return text;
  }
  if (kind < 65) {  // whole degrees
    return std::to_string(in(-1000, 1000));
  }
  if (kind < 75) {  // far-out turns, 10^3 to 10^21
    return format("%s%.*fE%d", sign, digits, 1 + 9 * uniform, in(3, 20));
  }
  if (kind < 80) {  // so large that the first sine refuses it (or the read does, beyond 10^308)
    return format("%s%.*fE+%d", sign, digits, 1 + 9 * uniform, in(21, 309));
  }
  if (kind < 90) {  // tiny, down through the subnormals to what reads as zero
    return format("%s%.*fE-%d", sign, digits, 1 + 9 * uniform, in(4, 325));
  }
  // a cardinal bearing (a multiple of 90 in −360 … 360) moved by a few units in its last places
  const double cardinal = 90.0 * (static_cast<int>(pick % 9) - 4);
  const double offset = std::ldexp(static_cast<double>(1 + (pick >> 8) % 1023),
                                   -20 - static_cast<int>((pick >> 24) % 40));
  return format("%.17g", negative ? cardinal - offset : cardinal + offset);
}

}  // namespace duopit::tools
