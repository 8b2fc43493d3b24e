// The whole program run in-process, twice in a row on fresh fake platforms: each run must
// start from a clean state, so the second gives the same bytes, status and messages as the
// first, whatever the first left behind.
#include "support/whole_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace duopit::testing {
namespace {

struct Outcome {
  int status;
  std::string report, output, error;
  bool operator==(const Outcome&) const = default;
};

Outcome run_with_answer(const std::string& typed) {
  FakePlatform os;
  os.input = typed;
  const int status = run_whole_program(os);
  const auto report = os.files.find("duopit.dat");
  return {status, report == os.files.end() ? "" : report->second.content, os.output, os.error};
}

TEST(WholeRun, RepeatsByteForByteInOneProcess) {
  const struct {
    const char* typed;
    int status;
    std::size_t report_bytes;
    std::ptrdiff_t records;
  } cases[] = {
      {"0\n", 0, 2484, 65},
      {"12x\n", 1, 0, 0},  // an input error: the status and message, whatever the report holds
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const Outcome first = run_with_answer(c.typed);
    EXPECT_EQ(first.status, c.status);
    if (c.status == 0) {
      EXPECT_EQ(first.report.size(), c.report_bytes);
      EXPECT_EQ(std::count(first.report.begin(), first.report.end(), '\n'), c.records);
      EXPECT_TRUE(first.error.empty());
    } else {
      EXPECT_NE(first.error.find("run-time error"), std::string::npos) << first.error;
    }
    EXPECT_EQ(run_with_answer(c.typed), first);
  }
}

}  // namespace
}  // namespace duopit::testing
