// The message frame of the run-time error path, termination and fatal start-up errors.
#include "lifecycle/run_time_error.hpp"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lifecycle/file_unit.hpp"
#include "lifecycle/startup.hpp"
#include "support/run_environment.hpp"

namespace duopit::lifecycle {
namespace {

using testing::RunEnvironment;

struct FrameCase {
  RunTimeError error;
  Statement statement;
  const char* name;
  std::vector<std::string> writes;  // one per write call to standard error
};

TEST(RunTimeError, MessageFrameIsWrittenPieceByPiece) {
  const FrameCase cases[] = {
      {RunTimeError::open_access_denied, Statement::open, "duopit.dat",
       {"\r\n", "run-time error ", "F6414", ": OPEN(", "duopit.dat", ")\r\n- ", "access denied",
        "\r\n"}},
      {RunTimeError::real_bad_syntax, Statement::read, "CON",
       {"\r\n", "run-time error ", "F6103", ": READ(", "CON", ")\r\n- ", "invalid real", "\r\n"}},
      {RunTimeError::trap_divide_by_zero, Statement::math, "ignored",
       {"\r\n", "run-time error ", "M6103", ": MATH\r\n- ", "floating-point error: divide by zero",
        "\r\n"}},
      {RunTimeError::unit_out_of_range, Statement::generic, "ignored",
       {"\r\n", "run-time error ", "F6314", "\r\n- ", "unit number outside -32767 to 32767",
        "\r\n"}},
      {RunTimeError::out_of_memory, Statement::generic, "",
       {"\r\n", "run-time error ", "F6700", "\r\n- ", "out of memory for input and output",
        "\r\n"}},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.writes[2]);
    RunEnvironment env;
    const auto status = env.run([&] { run_time_error(c.error, c.statement, c.name); });
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(env.os.error_writes, c.writes);
    EXPECT_EQ(env.os.output, "");
  }
}

TEST(RunTimeError, EmptyTextEndsTheNameWithoutDash) {
  RunEnvironment env;
  write_message(ErrorCode{'F', 6500}, Statement::read, "CON", "");
  EXPECT_EQ(env.os.error, "\r\nrun-time error F6500: READ(CON)\r\n\r\n");
}

TEST(RunTimeError, NumbersAlwaysHaveFourDigits) {
  for (int i = 0; i < static_cast<int>(RunTimeError::count); ++i) {
    const ErrorEntry& entry = error_entry(static_cast<RunTimeError>(i));
    EXPECT_TRUE(entry.code.letter == 'F' || entry.code.letter == 'M' || entry.code.letter == 'R');
    EXPECT_GE(entry.code.number, 6000);
    EXPECT_LE(entry.code.number, 6999);
    EXPECT_FALSE(entry.text.empty());
  }
}

TEST(RunTimeError, ClosedStandardErrorStillEndsWithStatusOne) {
  RunEnvironment env;
  env.os.kinds[2] = platform::HandleKind::closed;
  const auto status =
      env.run([] { run_time_error(RunTimeError::end_of_file, Statement::read, "CON"); });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.error, "");
}

TEST(Termination, EndsAnOpenConsoleLineOnce) {
  RunEnvironment env;
  console_output_unit().end_record(true);
  EXPECT_EQ(env.run_to_exit([] {}), 0);
  EXPECT_EQ(env.os.output, "\r\n");
}

TEST(Termination, NothingWhenTheLineIsClosed) {
  RunEnvironment env;
  EXPECT_EQ(env.run_to_exit([] {}), 0);
  EXPECT_EQ(env.os.output, "");
}

TEST(Termination, ErrorWhileClosingAtANormalEndSkipsTheLineEndAndFailsTheRun) {
  RunEnvironment env;
  console_output_unit().end_record(true);
  env.os.injected.push_back({testing::Op::write_file, 1, platform::OsError::no_space});
  const int status = env.run_to_exit([] {
    connect_unit(100, "duopit.dat");
    FileUnit* unit = find_unit(100);
    unit->begin_statement();
    std::memcpy(unit->records_begin(), "abc\r\n", 5);
    unit->take_records(5);
  });
  EXPECT_EQ(status, 1);  // the report lost its end: not a success
  EXPECT_EQ(env.os.error,
            "\r\nrun-time error F6422: CLOSE(duopit.dat)\r\n- no space left on device\r\n");
  EXPECT_EQ(env.os.output, "");  // the console line end was skipped
}

TEST(Termination, ErrorAfterARunTimeErrorKeepsStatusOne) {
  RunEnvironment env;
  env.os.injected.push_back({testing::Op::write_file, 1, platform::OsError::access_denied});
  const auto status = env.run([] {
    connect_unit(100, "duopit.dat");
    std::memcpy(find_unit(100)->records_begin(), "abc", 3);
    find_unit(100)->take_records(3);
    run_time_error(RunTimeError::end_of_file, Statement::read, "CON");
  });
  EXPECT_EQ(status, 1);
  EXPECT_EQ(env.os.error,
            "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"
            "\r\nrun-time error F6421: CLOSE(duopit.dat)\r\n- write access denied\r\n");
}

void never_called() { ADD_FAILURE() << "the computation ran after a fatal start-up error"; }
void no_precision() {}
void no_traps() {}

TEST(Startup, FatalFailureEndsWith255AndNoExitRoutines) {
  testing::FakePlatform os;
  os.prepare_error = platform::OsError::too_many_open;
  reset_run_state();
  try {
    run_program(os, {no_precision, no_traps}, never_called);
    FAIL() << "run_program returned";
  } catch (const testing::ProcessEnded& ended) {
    EXPECT_EQ(ended.status, 255);
  }
  EXPECT_EQ(os.error_writes,
            (std::vector<std::string>{"\r\n", "runtime error ", "R6008", "\r\n- ",
                                      "not enough resources to start the program", "\r\n"}));
  EXPECT_EQ(run_state().exit_routine_count, 0);
}

int computations = 0;
void count_computation() { ++computations; }

TEST(Startup, SharesTheConsoleUnitOnlyWhenBothHandlesAreTerminals) {
  using platform::HandleKind;
  struct Case {
    HandleKind input, output;
    bool shared;
  };
  const Case cases[] = {{HandleKind::terminal, HandleKind::terminal, true},
                        {HandleKind::terminal, HandleKind::pipe, false},
                        {HandleKind::file, HandleKind::terminal, false},
                        {HandleKind::closed, HandleKind::terminal, false}};
  for (const Case& c : cases) {
    testing::FakePlatform os;
    os.kinds = {c.input, c.output, HandleKind::pipe};
    reset_run_state();
    computations = 0;
    try {
      run_program(os, {no_precision, no_traps}, count_computation);
    } catch (const testing::ProcessEnded& ended) {
      EXPECT_EQ(ended.status, 0);
    }
    EXPECT_EQ(computations, 1);
    EXPECT_EQ(&console_input_unit() == &console_output_unit(), c.shared);
  }
}

}  // namespace
}  // namespace duopit::lifecycle
