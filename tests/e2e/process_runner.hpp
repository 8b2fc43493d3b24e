// tests/e2e/process_runner.hpp — runs the built program as a real process in a temporary
// directory: standard input from a file, a pipe, a closed descriptor or a pseudo-terminal;
// standard output and standard error captured byte for byte; the exit status or the signal.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace duopit::e2e {

// A fresh directory under /tmp, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

enum class Input { file, pipe, closed };

struct RunOptions {
  Input input = Input::file;
  std::string stdin_data;
  bool close_stdout = false;
  bool close_stderr = false;
  bool stdout_to_dev_full = false;
  bool stdout_reader_gone = false;     // a pipe whose read end is already closed
  bool unprivileged = false;           // run as nobody (tests run as root)
  std::vector<std::string> wrapper;    // a command to run the program under, such as strace
  std::string program;                 // empty: the built duopit
  std::vector<std::string> arguments;
};

struct RunResult {
  int status = -1;  // exit status, or -1 when a signal ended the process
  int signal = 0;
  std::string out;
  std::string err;
};

// The program and the probe under test: the built ones, or those that DUOPIT_E2E_PROGRAM and
// DUOPIT_E2E_PROBE name, run through the command that DUOPIT_E2E_LAUNCHER names when it is
// set (wine, for programs of the 32-bit desktop platform).
[[nodiscard]] std::string program_path();
[[nodiscard]] std::string probe_path();
[[nodiscard]] std::string launcher();
// The words that start the program: the launcher, if any, then the program. A shell that is
// given them as "$0" "$@" starts the program as the runner does.
[[nodiscard]] std::vector<std::string> program_command();
// Makes `path` start the program, as an installed program is started from the PATH: a link to
// it, or a script that starts it through the launcher.
void place_program(const std::string& path);
// The desktop platform's test helper (DUOPIT_E2E_WIN32_HELPER), or empty on other hosts.
[[nodiscard]] std::string win32_helper_path();

// A program left running beside the one under test: its standard input is a pipe kept open
// until the object goes, its standard output is read on demand.
class BackgroundProgram {
 public:
  BackgroundProgram(const std::string& directory, const std::string& program,
                    const std::vector<std::string>& arguments);
  ~BackgroundProgram();
  BackgroundProgram(const BackgroundProgram&) = delete;
  BackgroundProgram& operator=(const BackgroundProgram&) = delete;
  // Standard output until `text` has arrived or ten seconds have passed.
  std::string read_until(const std::string& text);

 private:
  int pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  std::string seen_;
};
[[nodiscard]] RunResult run_program(const std::string& directory, const RunOptions& options);
[[nodiscard]] std::string read_file(const std::string& path);
// The report of a run with the answer 0, as the expected-data file holds it.
[[nodiscard]] std::string expected_report();
// The records of a report, without their CR LF; bytes after the last CR LF fail the test.
[[nodiscard]] std::vector<std::string> records_of(const std::string& report);
// The real at the end of a value record.
[[nodiscard]] double value_of(const std::string& record);

// A run in a fresh directory with `input` as standard input, and the report it left.
struct AnsweredRun {
  RunResult result;
  std::string report;
};
[[nodiscard]] AnsweredRun run_with_answer(const std::string& input, Input kind = Input::file);
// Records 1 to 12 of that report: what a run that fails at the read leaves in the file.
constexpr std::size_t report_bytes_before_prompt = 536;
void write_file(const std::string& path, const std::string& content);

// What runs on a pseudo-terminal other than the bare program.
struct PtyOptions {
  std::vector<std::string> command;      // empty: the built duopit; else run through the PATH
  bool error_on_terminal = false;        // standard error on the terminal as well, as in a shell
  std::vector<std::string> environment;  // NAME=value, replacing the inherited variable
};

// The program on a pseudo-terminal that is its standard input and standard output (its
// controlling terminal); standard error goes to a pipe unless the options put it there too.
class PtySession {
 public:
  explicit PtySession(const std::string& directory) : PtySession(directory, PtyOptions{}) {}
  PtySession(const std::string& directory, const PtyOptions& options);
  ~PtySession();
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // Screen bytes until `text` has arrived or the time is up; everything read so far.
  std::string read_until(const std::string& text,
                         std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Screen bytes arriving within `limit`.
  std::string read_for(std::chrono::milliseconds limit);
  void type(const std::string& keys);
  void signal(int number);
  // Waits for the end; reads the rest of the screen and standard error.
  RunResult wait(std::chrono::milliseconds limit = std::chrono::seconds(10));
  [[nodiscard]] const std::string& screen() const { return screen_; }

 private:
  int master_ = -1;
  int error_pipe_ = -1;
  int pid_ = -1;
  std::string screen_;
};

}  // namespace duopit::e2e
