// plot/command_line.hpp — what duopit-plot's command line asks for: the report to read (one
// argument, duopit.dat when there is none), where the picture goes (-o FILE, or -o - for
// standard output; duopit.svg beside the report when not given), or --help or --version.
// Pure: the texts are composed here and written by main.
#pragma once

#include <string>
#include <string_view>

namespace duopit::plot {

enum class Request {
  draw,         // read the report, write the picture
  help,         // "--help": the usage text, status 0
  version,      // "--version": the name and version, status 0
  usage_error,  // anything else: one line on standard error, status 2
};

struct CommandLine {
  Request request = Request::draw;
  std::string report = "duopit.dat";
  std::string picture;        // the picture's file, empty when it goes to standard output
  bool to_standard_output = false;
  std::string error;          // usage error: the one-line message, without its line end
};

[[nodiscard]] CommandLine read_command_line(int argc, const char* const* argv);

// The picture's path when -o does not name one: duopit.svg in the report's directory.
[[nodiscard]] std::string picture_beside(const std::string& report);

// A name from the command line as a terminal can show it safely on one line: control bytes
// as "?", cut to 40 bytes with "..." after.
[[nodiscard]] std::string shown(std::string_view argument);

[[nodiscard]] std::string_view help_text();
[[nodiscard]] std::string_view version_text();
constexpr std::string_view usage_line =
    "usage: duopit-plot [-o FILE | -o -] [REPORT] | --help | --version";

}  // namespace duopit::plot
