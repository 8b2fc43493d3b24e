// The console dialogue on a real pseudo-terminal (standard input and output both on it) and
// through pipes: what the screen shows, what an interrupt leaves, and read failures.
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/process_runner.hpp"

namespace duopit::e2e {
namespace {

using namespace std::chrono_literals;

const std::string prompt = "Rumo de saida ficticio (em graus):";
// The program's CR LF as the screen receives it: the terminal's output processing turns
// its LF into CR LF.
const std::string line_end_on_screen = "\r\r\n";

TEST(Terminal, PromptAloneThenTheEchoAndNothingAfter) {
  TempDir dir;
  PtySession session(dir.path());
  EXPECT_EQ(session.read_until(prompt), prompt);
  // While the prompt waits the report file exists and is still empty on disk.
  EXPECT_EQ(read_file(dir.file("duopit.dat")), "");
  session.type("0\n");
  const RunResult result = session.wait();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  // The terminal echoes the answer right after the colon; the program writes nothing more.
  EXPECT_EQ(result.out, prompt + "0\r\n");
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report());
}

TEST(Terminal, InterruptWhileThePromptWaitsLeavesAnOldReportEmpty) {
  TempDir dir;
  write_file(dir.file("duopit.dat"), "an old report\r\n");
  PtySession session(dir.path());
  EXPECT_EQ(session.read_until(prompt), prompt);
  session.signal(SIGINT);
  const RunResult result = session.wait();
  EXPECT_EQ(result.signal, SIGINT);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, prompt);
  EXPECT_EQ(read_file(dir.file("duopit.dat")), "");
}

enum class Report { complete, before_prompt };

// One line typed at the prompt: what the run ends with and what it leaves.
struct TypedCase {
  const char* name;
  std::string keys;
  int status;
  const char* error_head;  // the start of standard error
  std::string screen;      // everything the terminal showed; empty: not checked
  Report report;
};

TEST(Terminal, TypedAnswers) {
  const std::string f6407 = "\r\nrun-time error F6407: READ(CON)\r\n- ";
  const TypedCase cases[] = {
      {"131 characters", "0" + std::string(130, ' ') + "\n", 0, "", "", Report::complete},
      {"132 characters", std::string(132, '1') + "\n", 1, f6407.c_str(), "",
       Report::before_prompt},
      // The user's line was not ended by an accepted answer, so termination ends it.
      {"Ctrl-D on an empty line", "\x04", 1, "\r\nrun-time error F6501: READ(CON)\r\n- ",
       prompt + line_end_on_screen, Report::before_prompt},
      {"Ctrl-D after a value", "0\x04", 0, "", "", Report::complete},
      {"value ended by a blank that fails", "abc 5\n", 1,
       "\r\nrun-time error F6103: READ(CON)\r\n- ", prompt + "abc 5\r\n" + line_end_on_screen,
       Report::before_prompt},
  };
  for (const TypedCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    PtySession session(dir.path());
    session.read_until(prompt);
    session.type(c.keys);
    const RunResult result = session.wait();
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err.substr(0, std::string(c.error_head).size()), c.error_head);
    if (!c.screen.empty()) {
      EXPECT_EQ(result.out, c.screen);
    }
    const std::string report = read_file(dir.file("duopit.dat"));
    EXPECT_EQ(report, c.report == Report::complete
                          ? expected_report()
                          : expected_report().substr(0, report_bytes_before_prompt));
  }
}

// What the user typed beyond a refused line must not reach the shell that reads the terminal
// after the program: here a command that would create a marker file.
TEST(Terminal, RestOfARefusedLineNeverReachesTheNextReader) {
  TempDir dir;
  PtyOptions shell;
  shell.command = {"sh", "-c", "\"$0\" \"$@\"; echo \"status $?\"; exec sh"};
  for (const std::string& word : program_command()) {
    shell.command.push_back(word);
  }
  PtySession session(dir.path(), shell);
  session.read_until(prompt);
  session.type(std::string(132, '1') + " touch marker\n");
  session.read_until("status 1");
  session.type("echo next; exit\n");
  const RunResult result = session.wait();
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("next"), std::string::npos) << result.out;
  EXPECT_EQ(::access(dir.file("marker").c_str(), F_OK), -1) << "the rest of the line ran";
  EXPECT_EQ(result.err.rfind("\r\nrun-time error F6407: READ(CON)\r\n- ", 0), 0u) << result.err;
}

// A second run in the same directory must not write into the report that a first run, still
// waiting at its prompt, holds; the first run's report comes out whole.
TEST(Terminal, SecondRunIsRefusedWhileTheFirstHoldsTheReport) {
  TempDir dir;
  PtySession first(dir.path());
  first.read_until(prompt);
  RunOptions options;
  options.input = Input::pipe;
  options.stdin_data = "1e21\n";
  const RunResult second = run_program(dir.path(), options);
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.err,
            "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied: another run is "
            "writing the file\r\n");
  EXPECT_EQ(second.out, "");  // refused before the prompt
  first.type("0\n");
  EXPECT_EQ(first.wait().status, 0);
  EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report());
}

// Enter alone is no answer: the read goes on to the next line, and the answer typed there
// is the bearing (100 here, where an empty answer would have been 0).
TEST(Terminal, EnterAloneWaitsForTheNextLine) {
  TempDir dir;
  PtySession session(dir.path());
  session.read_until(prompt);
  session.type("\n");
  EXPECT_EQ(session.read_for(300ms), prompt + "\r\n");
  session.type("   \n100\n");
  const RunResult result = session.wait();
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, prompt + "\r\n   \r\n100\r\n");
  const std::vector<std::string> records = records_of(read_file(dir.file("duopit.dat")));
  ASSERT_EQ(records.size(), 65u);
  EXPECT_EQ(records[14], " R_1a =     100.000000000000000");
}

// At a Linux terminal Ctrl-Z is the suspend key, not a byte for the program: the shell stops
// the job, and `fg` brings it back to the same read.
TEST(Terminal, SuspendKeyStopsTheJobAndFgResumesTheRead) {
  TempDir dir;
  place_program(dir.file("duopit"));
  PtyOptions shell;
  shell.command = {"/bin/sh", "-i"};
  shell.error_on_terminal = true;
  shell.environment = {"PS1=$ ", "ENV=/dev/null", "PATH=" + dir.path() + ":/usr/bin:/bin"};
  PtySession session(dir.path(), shell);
  session.read_until("$ ");
  session.type("duopit\n");
  session.read_until(prompt);
  session.type("\x1a");
  EXPECT_NE(session.read_until("Stopped").find("Stopped"), std::string::npos);
  session.type("fg\n");
  session.read_until("fg\r\nduopit\r\n");
  session.type("100\n");
  session.read_until("100\r\n$ ");
  session.type("echo status $?; exit\n");
  const RunResult result = session.wait();
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("status 0\r\n"), std::string::npos) << result.out;
  const std::vector<std::string> records = records_of(read_file(dir.file("duopit.dat")));
  ASSERT_EQ(records.size(), 65u);
  EXPECT_EQ(records[14], " R_1a =     100.000000000000000");
}

struct PipedCase {
  const char* input;
  int status;
  const char* error;  // standard error, byte for byte
};

TEST(PipedInput, AcceptedAndRejectedAnswers) {
  const PipedCase cases[] = {
      {"12.5\n", 0, ""},
      {"  1.25D1  \n", 0, ""},
      {"\n\n   \n0\n", 0, ""},
      {"", 1, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"},
      {"\n", 1, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"},
      {"  \n\n", 1, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"},
      {"abc\n", 1, "\r\nrun-time error F6103: READ(CON)\r\n- invalid real\r\n"},
      {"1e400x\n", 1, "\r\nrun-time error F6102: READ(CON)\r\n- real value too large\r\n"},
      {"'12.5'\n", 1, "\r\nrun-time error F6504: READ(CON)\r\n- value is not a real\r\n"},
      {"0*5\n", 1, "\r\nrun-time error F6502: READ(CON)\r\n- zero repeat count\r\n"},
      {"2*3*4\n", 1, "\r\nrun-time error F6503: READ(CON)\r\n- repeat count repeated\r\n"},
      {"x*5\n", 1, "\r\nrun-time error F6101: READ(CON)\r\n- invalid character in repeat count\r\n"},
      {"12\x1a\r\n", 1, "\r\nrun-time error F6501: READ(CON)\r\n- end of file encountered\r\n"},
  };
  for (const PipedCase& c : cases) {
    SCOPED_TRACE(c.input);
    TempDir dir;
    RunOptions options;
    options.input = Input::pipe;
    options.stdin_data = c.input;
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.error);
    EXPECT_EQ(result.out, prompt + "\r\n");
    const std::string report = read_file(dir.file("duopit.dat"));
    if (c.status == 0) {
      EXPECT_GT(report.size(), report_bytes_before_prompt);
      EXPECT_EQ(report.substr(0, report_bytes_before_prompt),
                expected_report().substr(0, report_bytes_before_prompt));
    } else {
      EXPECT_EQ(report, expected_report().substr(0, report_bytes_before_prompt));
      // One message: the frame starts once.
      EXPECT_EQ(result.err.find("run-time error", 10), std::string::npos);
    }
  }
}

// Input that never ends a value is refused once the value passes 259 characters, instead of
// being read for ever.
TEST(PipedInput, EndlessInputIsRefused) {
  TempDir dir;
  RunOptions options;
  options.wrapper = {"sh", "-c", "exec \"$0\" \"$@\" </dev/zero"};
  const RunResult result = run_program(dir.path(), options);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6103: READ(CON)\r\n- invalid real\r\n");
}

}  // namespace
}  // namespace duopit::e2e
