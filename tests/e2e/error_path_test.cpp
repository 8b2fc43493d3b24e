// The run-time error path of a real process: arithmetic faults and elementary-function
// errors, provoked through the probe that wraps the program's start-up and termination.
#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

struct ProbeCase {
  const char* name;
  int status;
  const char* error;
};

TEST(ErrorPath, ArithmeticFaultsOfARealProcess) {
  const ProbeCase cases[] = {
      {"bearing-zero-dy", 0, ""},  // due east: a bearing, taken without a division
      {"bearing-zero-zero", 1, "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n"},
      {"sin-2^63", 1, "\r\nrun-time error M6205: MATH\r\n- sin: TLOSS error\r\n"},
      {"sin-below-2^63", 0, ""},
      {"atan-nan", 1, "\r\nrun-time error M6201: MATH\r\n- atan: DOMAIN error\r\n"},
      {"divide-then-atan", 1,
       "\r\nrun-time error M6103: MATH\r\n- floating-point error: divide by zero\r\n"},
      {"overflow", 1, "\r\nrun-time error M6104: MATH\r\n- floating-point error: overflow\r\n"},
      {"startup-failure", 255,
       "\r\nruntime error R6008\r\n- not enough resources to start the program\r\n"},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    RunOptions options;
    options.program = probe_path();
    options.arguments = {c.name};
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.error);
    EXPECT_EQ(result.out, "");
  }
}

TEST(ErrorPath, ClosedStandardErrorStillGivesStatusOne) {
  TempDir dir;
  RunOptions options;
  options.program = probe_path();
  options.arguments = {"bearing-zero-zero"};
  options.close_stderr = true;
  const RunResult result = run_program(dir.path(), options);
  EXPECT_EQ(result.status, 1);
}

}  // namespace
}  // namespace duopit::e2e
