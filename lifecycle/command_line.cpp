// lifecycle/command_line.cpp — reading the command line and the texts that answer it.
#include "lifecycle/command_line.hpp"

#include <algorithm>

#ifndef DUOPIT_VERSION
#define DUOPIT_VERSION "unknown"
#endif

namespace duopit::lifecycle {
namespace {

constexpr std::string_view help =
    "usage: duopit [--help | --version]\r\n"
    "\r\n"
    "Orients an underground traverse run between two plumb wires. duopit asks for a\r\n"
    "fictitious starting bearing in degrees at the prompt\r\n"
    "  Rumo de saida ficticio (em graus):\r\n"
    "reads it from standard input (0 is the usual answer) and writes the report\r\n"
    "duopit.dat in the current directory, replacing any earlier one. The survey data\r\n"
    "are built into the program.\r\n"
    "\r\n"
    "  --help     show this text and exit\r\n"
    "  --version  show the version and exit\r\n"
    "\r\n"
    "The manual page duopit(1) explains the report and every error.\r\n";

constexpr std::string_view version = "duopit " DUOPIT_VERSION "\r\n";

// The argument as a terminal can show it safely: no control bytes, and not too long.
void show_argument(std::string_view argument, CommandLine& command) {
  const std::size_t kept = std::min(argument.size(), shown_argument_bytes);
  for (std::size_t i = 0; i < kept; ++i) {
    const auto byte = static_cast<unsigned char>(argument[i]);
    command.shown[i] = byte < 0x20 || byte == 0x7F ? '?' : argument[i];
  }
  command.shown_length = kept;
  if (kept < argument.size()) {
    for (std::size_t i = 0; i < 3; ++i) {
      command.shown[command.shown_length++] = '.';
    }
  }
}

}  // namespace

CommandLine read_command_line(int argc, const char* const* argv) {
  CommandLine command;
  if (argc <= 1) {
    return command;
  }
  const std::string_view first = argv[1] != nullptr ? argv[1] : "";
  if (argc == 2 && first == "--help") {
    command.request = Request::help;
  } else if (argc == 2 && first == "--version") {
    command.request = Request::version;
  } else {
    // The first argument that is not a lone --help or --version is the one shown.
    command.request = Request::usage_error;
    const bool first_is_known = first == "--help" || first == "--version";
    show_argument(first_is_known && argv[2] != nullptr ? argv[2] : first, command);
  }
  return command;
}

std::string_view help_text() { return help; }

std::string_view version_text() { return version; }

}  // namespace duopit::lifecycle
