// tests/e2e/process_runner.cpp — fork and exec of the program with the chosen standard
// handles, and a poll loop that feeds standard input and collects the outputs.
#include "e2e/process_runner.hpp"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

namespace duopit::e2e {
namespace {

void check(bool ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
  }
}

void drop_privileges() {
  if (::getuid() == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
      ::_exit(126);
    }
  }
}

RunResult decode(int wait_status, std::string out, std::string err) {
  RunResult result;
  if (WIFEXITED(wait_status)) {
    result.status = WEXITSTATUS(wait_status);
  } else if (WIFSIGNALED(wait_status)) {
    result.signal = WTERMSIG(wait_status);
  }
  result.out = std::move(out);
  result.err = std::move(err);
  return result;
}

// A copy of `from` at `to` that every user may read and run.
std::string copy_for_everyone(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(to, std::filesystem::perms::owner_all |
                                       std::filesystem::perms::group_exec |
                                       std::filesystem::perms::others_exec |
                                       std::filesystem::perms::group_read |
                                       std::filesystem::perms::others_read);
  return to;
}

// `copied_launcher`: the target is a copy of the program, started through this copy of the
// launcher (empty when there is no launcher).
[[noreturn]] void exec_program(const std::vector<std::string>& wrapper,
                               const std::string& program = {},
                               const std::vector<std::string>& arguments = {},
                               const std::string& copied_launcher = {}) {
  std::vector<std::string> words = wrapper;
  const std::string target = program.empty() ? program_path() : program;
  if (!copied_launcher.empty()) {
    words.push_back(copied_launcher);
  } else if (!launcher().empty() && (target == program_path() || target == probe_path() ||
                                     target == win32_helper_path())) {
    words.push_back(launcher());
  }
  words.push_back(target);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

TempDir::TempDir() {
  char pattern[] = "/tmp/duopit-e2e-XXXXXX";
  check(::mkdtemp(pattern) != nullptr, "mkdtemp");
  path_ = pattern;
  ::chmod(path_.c_str(), 0777);  // reachable when a test runs the program as nobody
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::permissions(path_, std::filesystem::perms::all, ignored);
  std::filesystem::remove_all(path_, ignored);
}

namespace {
// The environment's choice of program when it is set, else the built one.
std::string chosen(const char* variable, const char* built) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0' ? value : built;
}
}  // namespace

std::string program_path() { return chosen("DUOPIT_E2E_PROGRAM", DUOPIT_BINARY); }

std::string probe_path() { return chosen("DUOPIT_E2E_PROBE", DUOPIT_PROBE); }

std::string launcher() { return chosen("DUOPIT_E2E_LAUNCHER", ""); }

void place_program(const std::string& path) {
  if (launcher().empty()) {
    check(::symlink(program_path().c_str(), path.c_str()) == 0, "symlink");
    return;
  }
  write_file(path, "#!/bin/sh\nexec '" + launcher() + "' '" + program_path() + "' \"$@\"\n");
  check(::chmod(path.c_str(), 0755) == 0, "chmod");
}

std::vector<std::string> program_command() {
  std::vector<std::string> words;
  if (!launcher().empty()) {
    words.push_back(launcher());
  }
  words.push_back(program_path());
  return words;
}

std::string win32_helper_path() { return chosen("DUOPIT_E2E_WIN32_HELPER", ""); }

BackgroundProgram::BackgroundProgram(const std::string& directory, const std::string& program,
                                     const std::vector<std::string>& arguments) {
  int in_pipe[2];
  int out_pipe[2];
  check(::pipe2(in_pipe, O_CLOEXEC) == 0 && ::pipe2(out_pipe, O_CLOEXEC) == 0, "pipe");
  pid_ = ::fork();
  check(pid_ >= 0, "fork");
  if (pid_ == 0) {
    ::dup2(in_pipe[0], 0);
    ::dup2(out_pipe[1], 1);
    if (::chdir(directory.c_str()) != 0) {
      ::_exit(125);
    }
    exec_program({}, program, arguments);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  input_ = in_pipe[1];
  output_ = out_pipe[0];
}

BackgroundProgram::~BackgroundProgram() {
  ::close(input_);
  ::close(output_);
  ::waitpid(pid_, nullptr, 0);
}

std::string BackgroundProgram::read_until(const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (seen_.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd ready{output_, POLLIN, 0};
    char buffer[256];
    ssize_t n = 0;
    if (::poll(&ready, 1, 100) <= 0 || (n = ::read(output_, buffer, sizeof buffer)) <= 0) {
      continue;
    }
    seen_.append(buffer, static_cast<std::size_t>(n));
  }
  return seen_;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string expected_report() {
  return read_file(std::string(DUOPIT_TEST_DATA) + "/report_answer_zero.dat");
}

std::vector<std::string> records_of(const std::string& report) {
  std::vector<std::string> records;
  std::size_t start = 0;
  for (std::size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2) {
    records.push_back(report.substr(start, end - start));
  }
  EXPECT_EQ(start, report.size()) << "bytes after the last CR LF";
  return records;
}

double value_of(const std::string& record) {
  return std::stod(record.substr(record.find_last_of(' ') + 1));
}

AnsweredRun run_with_answer(const std::string& input, Input kind) {
  TempDir dir;
  RunOptions options;
  options.input = kind;
  options.stdin_data = input;
  AnsweredRun run{run_program(dir.path(), options), {}};
  run.report = read_file(dir.file("duopit.dat"));
  return run;
}

void write_file(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

RunResult run_program(const std::string& directory, const RunOptions& options) {
  // The program may end before it has read all its input; writing more must not kill us.
  ::signal(SIGPIPE, SIG_IGN);
  int out_pipe[2];
  int err_pipe[2];
  int in_pipe[2] = {-1, -1};
  check(::pipe2(out_pipe, O_CLOEXEC) == 0, "pipe");
  check(::pipe2(err_pipe, O_CLOEXEC) == 0, "pipe");
  std::string input_file;
  if (options.input == Input::pipe) {
    check(::pipe2(in_pipe, O_CLOEXEC) == 0, "pipe");
  } else if (options.input == Input::file) {
    input_file = directory + "/../" + std::filesystem::path(directory).filename().string() +
                 ".stdin";
    write_file(input_file, options.stdin_data);
  }
  // The unprivileged user may not reach the build tree (a checkout under a private
  // directory): it runs a copy of the program, and of its launcher, beside the temporary
  // directory.
  std::string program = options.program;
  std::string program_copy;
  std::string launcher_copy;
  if (options.unprivileged && program.empty()) {
    program_copy = copy_for_everyone(program_path(), directory + ".program");
    if (!launcher().empty()) {
      launcher_copy = copy_for_everyone(launcher(), directory + ".launcher");
    }
    program = program_copy;
  }

  const pid_t pid = ::fork();
  check(pid >= 0, "fork");
  if (pid == 0) {
    if (::chdir(directory.c_str()) != 0) {
      ::_exit(125);
    }
    switch (options.input) {
      case Input::file: {
        const int fd = ::open(input_file.c_str(), O_RDONLY);
        ::dup2(fd, 0);
        ::close(fd);
        break;
      }
      case Input::pipe:
        ::dup2(in_pipe[0], 0);
        break;
      case Input::closed:
        ::close(0);
        break;
    }
    if (options.close_stdout) {
      ::close(1);
    } else if (options.stdout_reader_gone) {
      int broken[2];
      if (::pipe(broken) != 0) {
        ::_exit(124);
      }
      ::close(broken[0]);
      ::dup2(broken[1], 1);
      ::close(broken[1]);
    } else if (options.stdout_to_dev_full) {
      const int fd = ::open("/dev/full", O_WRONLY);
      ::dup2(fd, 1);
      ::close(fd);
    } else {
      ::dup2(out_pipe[1], 1);
    }
    if (options.close_stderr) {
      ::close(2);
    } else {
      ::dup2(err_pipe[1], 2);
    }
    if (options.unprivileged) {
      drop_privileges();
    }
    exec_program(options.wrapper, program, options.arguments, launcher_copy);
  }

  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  std::size_t written = 0;
  if (options.input == Input::pipe) {
    ::close(in_pipe[0]);
    if (options.stdin_data.empty()) {
      ::close(in_pipe[1]);
      in_pipe[1] = -1;
    }
  }
  std::string out;
  std::string err;
  bool out_open = true;
  bool err_open = true;
  while (out_open || err_open) {
    pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}, {in_pipe[1], POLLOUT, 0}};
    fds[0].fd = out_open ? out_pipe[0] : -1;
    fds[1].fd = err_open ? err_pipe[0] : -1;
    if (::poll(fds, 3, 30000) <= 0) {
      ::kill(pid, SIGKILL);
      break;
    }
    char buffer[65536];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents != 0) {
        const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n <= 0) {
          (i == 0 ? out_open : err_open) = false;
        } else {
          (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
        }
      }
    }
    if (in_pipe[1] >= 0 && fds[2].revents != 0) {
      const ssize_t n = ::write(in_pipe[1], options.stdin_data.data() + written,
                                std::min<std::size_t>(65536, options.stdin_data.size() - written));
      if (n > 0) {
        written += static_cast<std::size_t>(n);
      }
      if (n <= 0 || written == options.stdin_data.size()) {
        ::close(in_pipe[1]);
        in_pipe[1] = -1;
      }
    }
  }
  if (in_pipe[1] >= 0) {
    ::close(in_pipe[1]);
  }
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  int wait_status = 0;
  ::waitpid(pid, &wait_status, 0);
  if (!launcher_copy.empty()) {
    ::unlink(launcher_copy.c_str());
  }
  if (!program_copy.empty()) {
    ::unlink(program_copy.c_str());
  }
  if (!input_file.empty()) {
    ::unlink(input_file.c_str());
  }
  return decode(wait_status, std::move(out), std::move(err));
}

PtySession::PtySession(const std::string& directory, const PtyOptions& options) {
  int slave = -1;
  check(::openpty(&master_, &slave, nullptr, nullptr, nullptr) == 0, "openpty");
  int err_pipe[2];
  check(::pipe2(err_pipe, O_CLOEXEC) == 0, "pipe");
  pid_ = ::fork();
  check(pid_ >= 0, "fork");
  if (pid_ == 0) {
    ::setsid();
    ::ioctl(slave, TIOCSCTTY, 0);
    ::dup2(slave, 0);
    ::dup2(slave, 1);
    ::dup2(options.error_on_terminal ? slave : err_pipe[1], 2);
    ::close(slave);
    ::close(master_);
    if (::chdir(directory.c_str()) != 0) {
      ::_exit(125);
    }
    for (const std::string& setting : options.environment) {
      const std::size_t equals = setting.find('=');
      ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
    if (options.command.empty()) {
      exec_program({});
    }
    exec_program({}, options.command.front(), {options.command.begin() + 1, options.command.end()});
  }
  ::close(slave);
  ::close(err_pipe[1]);
  error_pipe_ = err_pipe[0];
}

PtySession::~PtySession() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::close(master_);
  ::close(error_pipe_);
}

std::string PtySession::read_until(const std::string& text, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (screen_.find(text) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      break;
    }
    pollfd fd{master_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
      break;
    }
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) {
      break;
    }
    screen_.append(buffer, static_cast<std::size_t>(n));
  }
  return screen_;
}

std::string PtySession::read_for(std::chrono::milliseconds limit) {
  return read_until(std::string(1, '\0') + "never", limit);
}

void PtySession::type(const std::string& keys) {
  check(::write(master_, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size()), "type");
}

void PtySession::signal(int number) { ::kill(pid_, number); }

RunResult PtySession::wait(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int wait_status = 0;
  while (::waitpid(pid_, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &wait_status, 0);
      break;
    }
    (void)read_for(std::chrono::milliseconds(20));
  }
  pid_ = -1;
  (void)read_for(std::chrono::milliseconds(50));
  std::string err;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(error_pipe_, buffer, sizeof buffer)) > 0) {
    err.append(buffer, static_cast<std::size_t>(n));
  }
  return decode(wait_status, screen_, std::move(err));
}

}  // namespace duopit::e2e
