// The report file under real file-system conditions: absent, old and longer, a directory,
// a link to a full device, read-only, and a directory where nothing can be created.
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

RunResult run_zero(const TempDir& dir, bool unprivileged = false) {
  RunOptions options;
  options.stdin_data = "0\n";
  options.unprivileged = unprivileged;
  return run_program(dir.path(), options);
}

TEST(ReportFile, CreatedWhenAbsent) {
  TempDir dir;
  const RunResult result = run_zero(dir);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report());
}

TEST(ReportFile, OldLongerContentIsGoneEntirely) {
  TempDir dir;
  write_file(dir.file("duopit.dat"), std::string(10000, '#'));
  const RunResult result = run_zero(dir);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report());
}

TEST(ReportFile, DirectoryOfThatNameIsAccessDenied) {
  TempDir dir;
  ASSERT_EQ(::mkdir(dir.file("duopit.dat").c_str(), 0755), 0);
  const RunResult result = run_zero(dir);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n");
  EXPECT_EQ(result.out, "");  // the run ended before the prompt
}

TEST(ReportFile, LinkToAFullDeviceFailsAtTheFirstBlock) {
  TempDir dir;
  ASSERT_EQ(::symlink("/dev/full", dir.file("duopit.dat").c_str()), 0);
  const RunResult result = run_zero(dir);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "\r\nrun-time error F6422: WRITE(duopit.dat)\r\n- no space left on device\r\n");
  // The console line opened by the prompt is still ended at termination.
  EXPECT_EQ(result.out, "Rumo de saida ficticio (em graus):\r\n");
}

TEST(ReportFile, ReadOnlyFileIsRefusedAtTheCut) {
  TempDir dir;
  write_file(dir.file("duopit.dat"), "an old report\r\n");
  ASSERT_EQ(::chmod(dir.file("duopit.dat").c_str(), 0444), 0);
  const RunResult result = run_zero(dir, true);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "\r\nrun-time error F6421: WRITE(duopit.dat)\r\n- write access denied\r\n");
  EXPECT_EQ(read_file(dir.file("duopit.dat")), "an old report\r\n");
}

TEST(ReportFile, DirectoryWhereNothingCanBeCreated) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);
  const RunResult result = run_zero(dir, true);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n");
}

// Console output that cannot be written (closed, a full device, a pipe nobody reads) must
// neither end the run nor reach or cost the report.
TEST(StandardHandles, FailingConsoleOutputDoesNotCostTheReport) {
  struct Case {
    const char* name;
    void (*set)(RunOptions&);
  };
  const Case cases[] = {
      {"closed", [](RunOptions& o) { o.close_stdout = true; }},
      {"full device", [](RunOptions& o) { o.stdout_to_dev_full = true; }},
      {"pipe whose reader has gone", [](RunOptions& o) { o.stdout_reader_gone = true; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    RunOptions options;
    options.stdin_data = "0\n";
    c.set(options);
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report());
  }
}

TEST(StandardHandles, ClosedErrorNeverReachesTheReport) {
  TempDir dir;
  RunOptions options;
  options.stdin_data = "abc\n";
  options.close_stderr = true;
  const RunResult result = run_program(dir.path(), options);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report().substr(0, report_bytes_before_prompt));
}

TEST(StandardHandles, ClosedInputIsAFailedRead) {
  TempDir dir;
  RunOptions options;
  options.input = Input::closed;
  const RunResult result = run_program(dir.path(), options);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err.rfind("\r\nrun-time error F6500: READ(CON)\r\n- ", 0), 0u) << result.err;
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report().substr(0, report_bytes_before_prompt));
}

}  // namespace
}  // namespace duopit::e2e
