// plot/command_line.cpp — reading duopit-plot's command line and the texts that answer it.
#include "plot/command_line.hpp"

#include <algorithm>
#include <cstddef>
#include <filesystem>

#ifndef DUOPIT_VERSION
#define DUOPIT_VERSION "unknown"
#endif

namespace duopit::plot {
namespace {

constexpr std::string_view help =
    "usage: duopit-plot [-o FILE | -o -] [REPORT]\n"
    "\n"
    "Draws a duopit report as an SVG picture: the wires P1 and P2, the true direction\n"
    "P1 -> P2, the fictitious traverse (dashed) and the corrected one (solid), the\n"
    "rotation between them, the misclosure at P2 magnified as the picture states, a\n"
    "scale bar and a north arrow. REPORT is duopit.dat in the current directory when\n"
    "not given; the picture is written to duopit.svg beside it.\n"
    "\n"
    "  -o FILE    write the picture to FILE instead (-o - for standard output)\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Exit status: 0, the picture is written; 1, the report was cut short by a failed\n"
    "run: what it holds is drawn and the missing sections are named on standard error;\n"
    "2, no picture: the file is not a duopit report, a file cannot be read or written,\n"
    "or the command line is wrong.\n";

constexpr std::string_view version = "duopit-plot " DUOPIT_VERSION "\n";

// At most this many bytes of a refused argument are shown.
constexpr std::size_t shown_argument_bytes = 40;

CommandLine refuse(std::string_view message) {
  CommandLine command;
  command.request = Request::usage_error;
  command.error = "duopit-plot: " + std::string(message) + "; " + std::string(usage_line);
  return command;
}

CommandLine refuse_argument(std::string_view argument) {
  return refuse("unexpected argument \"" + shown(argument) + "\"");
}

}  // namespace

std::string shown(std::string_view argument) {
  std::string text(argument.substr(0, shown_argument_bytes));
  std::replace_if(
      text.begin(), text.end(),
      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
  if (argument.size() > shown_argument_bytes) {
    text += "...";
  }
  return text;
}

CommandLine read_command_line(int argc, const char* const* argv) {
  CommandLine command;
  if (argc == 2 && std::string_view(argv[1]) == "--help") {
    command.request = Request::help;
    return command;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--version") {
    command.request = Request::version;
    return command;
  }
  bool report_given = false, picture_given = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "-o") {
      if (i + 1 == argc) {
        return refuse("-o needs a file name, or - for standard output");
      }
      if (picture_given) {
        return refuse_argument(argument);
      }
      picture_given = true;
      const std::string_view target = argv[++i];
      command.to_standard_output = target == "-";
      command.picture = command.to_standard_output ? std::string() : std::string(target);
    } else if (argument.empty() || argument.front() == '-' || report_given) {
      return refuse_argument(argument);
    } else {
      report_given = true;
      command.report = std::string(argument);
    }
  }
  if (!picture_given) {
    command.picture = picture_beside(command.report);
  }
  return command;
}

std::string picture_beside(const std::string& report) {
  return (std::filesystem::path(report).parent_path() / "duopit.svg").string();
}

std::string_view help_text() { return help; }

std::string_view version_text() { return version; }

}  // namespace duopit::plot
