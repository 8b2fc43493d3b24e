// lifecycle/command_line.hpp — what the command line asks for. A run needs no argument: its
// one input comes at the prompt. "--help" (and "/?" on the desktop platform) and "--version"
// are answered on standard output; anything else is a mistake, refused with a one-line usage
// error before anything is opened, so that a stray argument can never cut an old report.
// Pure: the texts are composed here and written by start-up.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace duopit::lifecycle {

enum class Request {
  run,          // no argument: the survey run
  help,         // "--help": the usage text, status 0
  version,      // "--version": the name and version, status 0
  usage_error,  // anything else: one line on standard error, status 2
};

// At most this many bytes of a refused argument are shown.
constexpr std::size_t shown_argument_bytes = 40;

struct CommandLine {
  Request request = Request::run;
  // The refused argument as shown: control bytes as "?", cut to 40 bytes with "..." after.
  std::array<char, shown_argument_bytes + 3> shown{};
  std::size_t shown_length = 0;
};

[[nodiscard]] CommandLine read_command_line(int argc, const char* const* argv);

constexpr int usage_error_status = 2;

// The texts, every line ended as the host's command-line tools end theirs (LF on POSIX,
// CR LF on the desktop platform); the run's own console lines are not these.
[[nodiscard]] std::string_view help_text();
[[nodiscard]] std::string_view version_text();
// The usage error is the head, the shown argument and the tail.
constexpr std::string_view usage_error_head = "duopit: unexpected argument \"";
[[nodiscard]] std::string_view usage_error_tail();

}  // namespace duopit::lifecycle
