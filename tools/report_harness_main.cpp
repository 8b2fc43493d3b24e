// tools/report_harness_main.cpp — runs the whole program for a stream of answers inside this
// process and prints a digest of the outcomes (report, console output, error text, status)
// per block of answers, or per answer; compares two such listings.
//
//   duopit_report_harness [OPTIONS] domain DECIMALS   every answer from -360 to 360 with up to
//                                                     DECIMALS decimal places
//   duopit_report_harness [OPTIONS] random COUNT      COUNT generated answers
//   duopit_report_harness [OPTIONS] answers TEXT...   the answers given
//   duopit_report_harness compare LISTING LISTING     the lines that differ, and their counts
//
// OPTIONS: --seed N (the random stream and the domain's sample, default 1), --block N (answers
// per digest, default 10000), --each (a line per answer, with its text), --blocks I,J,... (run
// only these blocks), --coarser C (leave out the domain answers with C decimals or fewer),
// --sample N (keep one domain answer in N, chosen by the seed).
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/report_harness.hpp"

namespace {

using namespace duopit::tools;

struct Options {
  std::uint64_t seed = 1;
  std::uint64_t block = 10000;
  bool each = false;
  std::set<std::uint64_t> blocks;  // empty: every block
  int coarser = -1;
  std::uint64_t sample = 1;
};

[[noreturn]] void usage() {
  std::fputs("usage: duopit_report_harness [--seed N] [--block N] [--each] [--blocks I,J,...]\n"
             "         [--coarser C] [--sample N]\n"
             "         (domain DECIMALS | random COUNT | answers TEXT...)\n"
             "       duopit_report_harness compare LISTING LISTING\n", stderr);
  std::exit(2);
}

std::uint64_t number(const char* text) {
  char* end = nullptr;
  const std::uint64_t value = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') {
    usage();
  }
  return value;
}

// Runs the answers block by block and prints each block's digest, or each answer's.
class Runner {
 public:
  explicit Runner(const Options& options) : options_(options) {}

  void add(const std::string& answer) {
    const std::uint64_t index = count_++;
    const std::uint64_t block = index / options_.block;
    if (!options_.blocks.empty() && options_.blocks.count(block) == 0) {
      return;
    }
    const std::uint64_t digest = digest_of(run_answer(answer));
    const std::string notes = take_elementary_notes();
    ++run_;
    if (options_.each) {
      std::printf("answer %" PRIu64 " %016" PRIx64 " %s\n%s", index, digest, answer.c_str(),
                  notes.c_str());
      return;
    }
    if (block != current_block_) {
      finish_block();
      current_block_ = block;
      block_digest_ = Digest{};
      block_first_ = index;
    }
    block_digest_.add_number(digest);
  }

  void finish() {
    finish_block();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() -
                                                         start_).count();
    std::fprintf(stderr, "report harness: %" PRIu64 " answers run in %.1f s\n", run_, seconds);
  }

 private:
  void finish_block() {
    if (current_block_ == none) {
      return;
    }
    std::printf("block %" PRIu64 " %" PRIu64 " %" PRIu64 " %016" PRIx64 "\n", current_block_,
                block_first_, count_in_block(), block_digest_.value());
    std::fflush(stdout);
    current_block_ = none;
  }
  std::uint64_t count_in_block() const {
    return std::min(count_, (current_block_ + 1) * options_.block) - block_first_;
  }

  static constexpr std::uint64_t none = ~std::uint64_t{0};
  const Options& options_;
  std::uint64_t count_ = 0, run_ = 0;
  std::uint64_t current_block_ = none, block_first_ = 0;
  Digest block_digest_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Lines keyed by their first two words ("block 12", "answer 345"), compared key by key.
int compare(const char* first_name, const char* second_name) {
  std::map<std::string, std::string> first;
  std::ifstream first_file(first_name), second_file(second_name);
  if (!first_file || !second_file) {
    usage();
  }
  const auto key_of = [](const std::string& line) {
    return line.substr(0, line.find(' ', line.find(' ') + 1));
  };
  for (std::string line; std::getline(first_file, line);) {
    if (line.rfind("block ", 0) == 0 || line.rfind("answer ", 0) == 0) {
      first[key_of(line)] = line;
    }
  }
  std::uint64_t same = 0, differing = 0, unmatched = 0;
  for (std::string line; std::getline(second_file, line);) {
    if (line.rfind("block ", 0) != 0 && line.rfind("answer ", 0) != 0) {
      continue;
    }
    const auto found = first.find(key_of(line));
    if (found == first.end()) {
      ++unmatched;
    } else if (found->second == line) {
      ++same;
      first.erase(found);
    } else {
      ++differing;
      std::printf("differs: %s | %s\n", found->second.c_str(), line.c_str());
      first.erase(found);
    }
  }
  unmatched += first.size();
  std::printf("compared: %" PRIu64 " identical, %" PRIu64 " differing, %" PRIu64 " unmatched\n",
              same, differing, unmatched);
  return differing == 0 && unmatched == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  int next = 1;
  const auto value = [&] { return next + 1 < argc ? argv[++next] : (usage(), nullptr); };
  for (; next < argc && std::strncmp(argv[next], "--", 2) == 0; ++next) {
    const std::string option = argv[next];
    if (option == "--seed") {
      options.seed = number(value());
    } else if (option == "--block") {
      options.block = number(value());
    } else if (option == "--each") {
      options.each = true;
    } else if (option == "--blocks") {
      for (char* item = std::strtok(value(), ","); item != nullptr;
           item = std::strtok(nullptr, ",")) {
        options.blocks.insert(number(item));
      }
    } else if (option == "--coarser") {
      options.coarser = static_cast<int>(number(value()));
    } else if (option == "--sample") {
      options.sample = number(value());
    } else {
      usage();
    }
  }
  if (next + 1 >= argc || options.block == 0 || options.sample == 0) {
    usage();
  }
  const std::string mode = argv[next];
  if (mode == "compare" && next + 2 < argc) {
    return compare(argv[next + 1], argv[next + 2]);
  }
  Runner runner(options);
  if (mode == "domain") {
    const int decimals = static_cast<int>(number(argv[next + 1]));
    AnswerGenerator sampler(options.seed);
    for (std::uint64_t index = 0; index < domain_size(decimals); ++index) {
      if (shown_decimals(decimals, index) > options.coarser &&
          sampler.below(options.sample) == 0) {
        runner.add(domain_answer(decimals, index));
      }
    }
  } else if (mode == "random") {
    AnswerGenerator generator(options.seed);
    for (std::uint64_t count = number(argv[next + 1]); count > 0; --count) {
      runner.add(generator.next());
    }
  } else if (mode == "answers") {
    for (int given = next + 1; given < argc; ++given) {
      runner.add(argv[given]);
    }
  } else {
    usage();
  }
  runner.finish();
  return 0;
}
