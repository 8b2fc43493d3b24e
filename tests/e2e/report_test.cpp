// The whole run of the real program: the report byte for byte, the console dialogue, the
// exit status, and how the report reaches the file.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

const std::string prompt = "Rumo de saida ficticio (em graus):";

using Outcome = AnsweredRun;

TEST(Report, AnswerZeroGivesTheExactReport) {
  for (const Input input : {Input::file, Input::pipe}) {
    const Outcome run = run_with_answer("0\n", input);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.result.err, "");
    EXPECT_EQ(run.result.out, prompt + "\r\n");
    EXPECT_EQ(run.report.size(), 2484u);
    EXPECT_EQ(run.report, expected_report());
  }
}

TEST(Report, NullAnswersGiveTheSameReportAsZero) {
  for (const char* answer : {",\n", "/\n", "3* 5\n", "  ,  12.5\n", "0\r\n"}) {
    SCOPED_TRACE(answer);
    const Outcome run = run_with_answer(answer);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(run.report, expected_report());
  }
}

TEST(Report, RecordKinds) {
  const std::vector<std::string> records = records_of(run_with_answer("0\n").report);
  ASSERT_EQ(records.size(), 65u);
  int titles = 0, labelled = 0, bare = 0, blank = 0;
  for (const std::string& record : records) {
    if (record == " ") {
      ++blank;
    } else if (record.size() == 180) {
      ++titles;
    } else if (record.find('=') != std::string::npos) {
      ++labelled;
    } else {
      ++bare;
    }
  }
  EXPECT_EQ(titles, 8);
  EXPECT_EQ(labelled, 28);
  EXPECT_EQ(bare, 2);
  EXPECT_EQ(blank, 27);
}

TEST(Report, TypedBearingShowsAfterItsRoundTripThroughRadians) {
  const std::vector<std::string> r300 = records_of(run_with_answer("300\n").report);
  ASSERT_EQ(r300.size(), 65u);
  EXPECT_EQ(r300[14], " R_1a =     300.000000000000100");
  const std::vector<std::string> r100 = records_of(run_with_answer("100\n").report);
  ASSERT_EQ(r100.size(), 65u);
  EXPECT_EQ(r100[14], " R_1a =     100.000000000000000");
}

TEST(Report, CorrectedBearingIsNotFoldedIntoOneTurn) {
  struct Case {
    const char* answer;
    const char* record_47;
  };
  const Case cases[] = {{"1000\n", "      475.46020151891"},
                        {"-300\n", "     -244.53979848108"},
                        {"-400\n", "     -244.53979848108"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const std::vector<std::string> records = records_of(run_with_answer(c.answer).report);
    ASSERT_EQ(records.size(), 65u);
    EXPECT_EQ(records[46].rfind(c.record_47, 0), 0u) << records[46];
  }
}

// The last two answers put the fictitious P2 due east and due west of P1: its bearing is
// taken without dividing by the zero north difference.
TEST(Report, CorrectedTraverseDoesNotDependOnTheAnswer) {
  const std::vector<std::string> zero = records_of(expected_report());
  const struct {
    const char* answer;
    const char* record_39;  // the fictitious bearing P1 -> P2, when it is checked
  } cases[] = {{"0\n", nullptr},
               {"100\n", nullptr},
               {"300\n", nullptr},
               {"-45\n", nullptr},
               {"720\n", nullptr},
               {"134.183081523655\n", " R12 ficticio =      90.000000000000000"},
               {"-45.816918476345\n", " R12 ficticio =     270.000000000000000"}};
  for (const auto& [answer, record_39] : cases) {
    SCOPED_TRACE(answer);
    const Outcome run = run_with_answer(answer);
    EXPECT_EQ(run.result.status, 0);
    const std::vector<std::string> records = records_of(run.report);
    ASSERT_EQ(records.size(), 65u);
    if (record_39 != nullptr) {
      EXPECT_EQ(records[38], record_39);
    }
    for (int n = 51; n <= 62; ++n) {
      if (records[n - 1] == " ") {
        EXPECT_EQ(zero[n - 1], " ");
        continue;
      }
      const double expected = value_of(zero[n - 1]);
      EXPECT_NEAR(value_of(records[n - 1]), expected, std::abs(expected) * 1e-14) << n;
      EXPECT_EQ(records[n - 1].substr(0, 8), zero[n - 1].substr(0, 8));
    }
    EXPECT_NEAR(value_of(records[62]), value_of(zero[62]), 1e-10);
    EXPECT_NEAR(value_of(records[63]), value_of(zero[63]), 1e-10);
  }
}

// The sine refuses an argument of 2^63 radians or more: 2^63 × 180 / pi is about
// 5.2845e20 degrees.
TEST(Report, HugeBearingStopsAtTheFirstSineAfterEighteenRecords) {
  const std::vector<std::string> zero = records_of(expected_report());
  for (const char* answer : {"1e308\n", "5.3e20\n", "-5.3e20\n"}) {
    SCOPED_TRACE(answer);
    const Outcome run = run_with_answer(answer);
    EXPECT_EQ(run.result.status, 1);
    EXPECT_EQ(run.result.err, "\r\nrun-time error M6205: MATH\r\n- sin: TLOSS error\r\n");
    const std::vector<std::string> records = records_of(run.report);
    ASSERT_EQ(records.size(), 18u);
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (i != 14) {
        EXPECT_EQ(records[i], zero[i]) << "record " << i + 1;
      }
    }
    EXPECT_EQ(records[14].rfind(" R_1a =", 0), 0u);
  }
  for (const char* answer : {"5.28e20\n", "-5.28e20\n"}) {
    SCOPED_TRACE(answer);
    const Outcome run = run_with_answer(answer);
    EXPECT_EQ(run.result.status, 0);
    EXPECT_EQ(records_of(run.report).size(), 65u);
  }
}

TEST(Report, ReachesTheFileInThreeWrites) {
  TempDir dir;
  RunOptions options;
  options.stdin_data = "0\n";
  const std::string trace = dir.path() + "/../" + "duopit-trace.txt";
  options.wrapper = {"strace", "-f", "-qq", "-e", "trace=openat,write", "-e", "signal=none",
                     "-o", trace};
  const RunResult result = run_program(dir.path(), options);
  ASSERT_EQ(result.status, 0) << result.err;
  std::ifstream in(trace);
  std::string line;
  std::vector<std::string> file_writes;
  std::string report_fd;
  // Lines such as: 1234  openat(AT_FDCWD, "duopit.dat", O_RDWR|O_CLOEXEC) = 3
  //                1234  write(3, "..."..., 1024) = 1024
  const auto result_of = [](const std::string& call) { return call.substr(call.rfind("= ") + 2); };
  while (std::getline(in, line)) {
    if (line.find("openat(") != std::string::npos &&
        line.find("\"duopit.dat\"") != std::string::npos) {
      report_fd = result_of(line);
    } else if (const std::size_t at = line.find("write("); at != std::string::npos &&
               !report_fd.empty() &&
               line.compare(at + 6, report_fd.size() + 1, report_fd + ",") == 0) {
      file_writes.push_back(result_of(line));
    }
  }
  std::remove(trace.c_str());
  EXPECT_EQ(file_writes, (std::vector<std::string>{"1024", "1024", "436"}));
}

}  // namespace
}  // namespace duopit::e2e
