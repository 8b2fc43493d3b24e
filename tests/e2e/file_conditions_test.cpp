// The report file under real file-system conditions: absent, old and longer, a directory, a
// FIFO, a socket, a link to a null or a full device, read-only, and a directory where nothing
// can be created.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

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

// A name taken by what is not a plain file. A directory is refused; so are a FIFO and a
// socket, which would swallow the report and let the run end as a success, before anything
// is written, as on the desktop platform; a character device takes the report as a file does.
TEST(ReportFile, NameTakenByWhatIsNotAFile) {
  struct Case {
    const char* name;
    bool (*make)(const char* path);
    bool posix_only;
    int status;
    const char* err;
    const char* out;  // "" when the run ended before the prompt
  };
  const char* const refused =
      "\r\nrun-time error F6412: OPEN(duopit.dat)\r\n- file name or open request refused\r\n";
  const Case cases[] = {
      {"directory", [](const char* path) { return ::mkdir(path, 0755) == 0; }, false, 1,
       "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n", ""},
      {"FIFO", [](const char* path) { return ::mkfifo(path, 0644) == 0; }, false, 1, refused, ""},
      {"socket",
       [](const char* path) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         const bool bound =
             ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
         ::close(fd);
         return bound;
       },
       true, 1, refused, ""},
      {"link to /dev/null", [](const char* path) { return ::symlink("/dev/null", path) == 0; },
       true, 0, "", "Rumo de saida ficticio (em graus):\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.posix_only && !win32_helper_path().empty()) {
      continue;
    }
    TempDir dir;
    ASSERT_TRUE(c.make(dir.file("duopit.dat").c_str()));
    const RunResult result = run_zero(dir);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, c.out);
  }
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

// Read-only means read-only for every user: the superuser, who may write any file, is
// refused as an ordinary user is.
TEST(ReportFile, ReadOnlyFileIsRefusedAtTheCutForEveryUser) {
  for (const bool unprivileged : {true, false}) {
    SCOPED_TRACE(unprivileged ? "nobody" : "root");
    if (unprivileged && !launcher().empty()) {
      continue;  // a launcher's own files belong to the user who runs the tests
    }
    TempDir dir;
    write_file(dir.file("duopit.dat"), "an old report\r\n");
    ASSERT_EQ(::chmod(dir.file("duopit.dat").c_str(), 0444), 0);
    const RunResult result = run_zero(dir, unprivileged);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              "\r\nrun-time error F6421: WRITE(duopit.dat)\r\n- write access denied\r\n");
    EXPECT_EQ(read_file(dir.file("duopit.dat")), "an old report\r\n");
  }
}

// Under a file-size limit the report's writes fail with an error the run reports, rather than
// a signal that ends it silently; a report cut short at close is not a success; and console
// output that meets the limit is no error of the run.
TEST(ReportFile, FileSizeLimit) {
  struct Case {
    const char* name;
    const char* shell;  // how the shell starts the program ("$0" "$@")
    int status;
    const char* err;
    std::size_t report_bytes;
  };
  const Case cases[] = {
      {"second block", "exec prlimit --fsize=1024 \"$0\" \"$@\"", 1,
       "\r\nrun-time error F6423: WRITE(duopit.dat)\r\n- write failed\r\n", 1024},
      {"last bytes at close", "exec prlimit --fsize=2048 \"$0\" \"$@\"", 1,
       "\r\nrun-time error F6423: CLOSE(duopit.dat)\r\n- write failed\r\n", 2048},
      {"standard output past the limit",
       "head -c 5000 /dev/zero >out; exec prlimit --fsize=4096 \"$0\" \"$@\" >>out", 0, "", 2484},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    RunOptions options;
    options.stdin_data = "0\n";
    options.wrapper = {"sh", "-c", c.shell};
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report().substr(0, c.report_bytes));
  }
}

// Arguments are answered before anything is opened: an old report keeps its bytes and its
// modification time.
TEST(CommandLine, AnsweredWithoutTouchingTheReport) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string out_head;
    std::string err;
  };
  // The tool's own lines end as the host's tools end theirs; /? is help on the desktop
  // platform only.
  const bool desktop = !win32_helper_path().empty();
  const std::string eol = desktop ? "\r\n" : "\n";
  const std::string usage = desktop ? "usage: duopit [/? | --help | --version]"
                                    : "usage: duopit [--help | --version]";
  const std::string usage_tail = "\"; " + usage + eol;
  const std::string help_head = usage + eol + eol + "Orients";
  const Case cases[] = {
      {{"--help"}, 0, help_head, ""},
      {{"--version"}, 0, "duopit 1.0" + eol, ""},
      {{"/?"}, desktop ? 0 : 2, desktop ? help_head : "",
       desktop ? "" : "duopit: unexpected argument \"/?" + usage_tail},
      {{"-h"}, 2, "", "duopit: unexpected argument \"-h" + usage_tail},
      {{"0"}, 2, "", "duopit: unexpected argument \"0" + usage_tail},
      {{"--help", "--version"}, 2, "", "duopit: unexpected argument \"--version" + usage_tail},
      {{"\x1b]0;x\x07" + std::string(60, 'a')}, 2, "",
       "duopit: unexpected argument \"?]0;x?" + std::string(34, 'a') + "..." + usage_tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.front());
    TempDir dir;
    write_file(dir.file("duopit.dat"), "an old report\r\n");
    const timespec long_ago[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file("duopit.dat").c_str(), long_ago, 0), 0);
    RunOptions options;
    options.stdin_data = "0\n";
    options.arguments = c.arguments;
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out.substr(0, c.out_head.size()), c.out_head);
    if (c.status == 0) {  // every line of the answer ends alike, the last one included
      EXPECT_EQ(result.out.substr(result.out.size() - eol.size()), eol);
      const auto lines = std::count(result.out.begin(), result.out.end(), '\n');
      EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\r'), desktop ? lines : 0);
    }
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(read_file(dir.file("duopit.dat")), "an old report\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("duopit.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
  }
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

// With no descriptor to spare, start-up fails; every standard handle was looked at first, so
// the message still reaches standard error although standard input is closed.
TEST(StandardHandles, FatalStartUpFailureReachesAnOpenStandardError) {
  if (!DUOPIT_PROGRAM_STATIC) {
    GTEST_SKIP() << "a dynamically linked program needs descriptors to load its libraries";
  }
  TempDir dir;
  RunOptions options;
  options.input = Input::closed;
  options.wrapper = {"prlimit", "--nofile=0"};
  const RunResult result = run_program(dir.path(), options);
  EXPECT_EQ(result.status, 255);
  EXPECT_EQ(result.err,
            "\r\nruntime error R6008\r\n- not enough resources to start the program\r\n");
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(::access(dir.file("duopit.dat").c_str(), F_OK), -1);
}

// On the desktop platform another program may hold the report open without sharing it:
// the open is refused as a sharing violation, of the permission-denied class, and the file
// keeps its bytes. (POSIX files have no share modes; a second run is refused there by its
// hold, in the terminal tests.)
TEST(ReportFile, HeldWithoutSharingByAnotherProgram) {
  if (win32_helper_path().empty()) {
    GTEST_SKIP() << "no share modes on this host";
  }
  TempDir dir;
  write_file(dir.file("duopit.dat"), "an old report\r\n");
  BackgroundProgram holder(dir.path(), win32_helper_path(), {"hold", "duopit.dat"});
  ASSERT_NE(holder.read_until("held").find("held"), std::string::npos);
  const RunResult result = run_zero(dir);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "\r\nrun-time error F6414: OPEN(duopit.dat)\r\n- access denied\r\n");
  EXPECT_EQ(read_file(dir.file("duopit.dat")), "an old report\r\n");
}

// A standard handle that the desktop platform does not give at all: input fails as a failed
// read, output and error are lost without costing the report.
TEST(StandardHandles, AbsentHandlesOfTheDesktopPlatform) {
  if (win32_helper_path().empty()) {
    GTEST_SKIP() << "POSIX descriptors are closed, not absent (see the tests above)";
  }
  struct Case {
    const char* handle;
    const char* input;
    int status;
    const char* err_head;
    std::size_t report_bytes;
  };
  const Case cases[] = {
      {"0", "0\n", 1, "\r\nrun-time error F6500: READ(CON)\r\n- ", report_bytes_before_prompt},
      {"1", "0\n", 0, "", 2484},
      {"2", "abc\n", 1, "", report_bytes_before_prompt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handle);
    TempDir dir;
    RunOptions options;
    options.stdin_data = c.input;
    options.program = win32_helper_path();
    options.arguments = {"absent", c.handle, program_path()};
    const RunResult result = run_program(dir.path(), options);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err.substr(0, std::string(c.err_head).size()), c.err_head);
    EXPECT_EQ(read_file(dir.file("duopit.dat")), expected_report().substr(0, c.report_bytes));
  }
}

}  // namespace
}  // namespace duopit::e2e
