// lifecycle/command_line.cpp — reading the command line and the texts that answer it.
#include "lifecycle/command_line.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>

#include "platform/command_conventions.hpp"

#ifndef DUOPIT_VERSION
#define DUOPIT_VERSION "unknown"
#endif

namespace duopit::lifecycle {
namespace {

// A text composed when the program is compiled: the pieces joined, each '\n' in them
// replaced by the host's line end for a command-line tool's own lines.
struct ComposedText {
  std::array<char, 1024> bytes{};
  std::size_t size = 0;
  constexpr ComposedText(std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces) {
      for (char c : piece) {
        for (char out : c == '\n' ? platform::command_line_end : std::string_view(&c, 1)) {
          bytes.at(size++) = out;
        }
      }
    }
  }
  [[nodiscard]] constexpr std::string_view view() const { return {bytes.data(), size}; }
};

constexpr bool has_native_help = !platform::native_help_switch.empty();

constexpr ComposedText usage_line{
    "usage: duopit [", platform::native_help_switch, has_native_help ? " | " : "",
    "--help | --version]"};

constexpr ComposedText help{
    usage_line.view(),
    "\n"
    "\n"
    "Orients an underground traverse run between two plumb wires. duopit asks for a\n"
    "fictitious starting bearing in degrees at the prompt\n"
    "  Rumo de saida ficticio (em graus):\n"
    "reads it from standard input (0 is the usual answer) and writes the report\n"
    "duopit.dat in the current directory, replacing any earlier one. The survey data\n"
    "are built into the program.\n"
    "\n",
    has_native_help ? "  /?, --help show this text and exit\n" : "  --help     show this text and exit\n",
    "  --version  show the version and exit\n"
    "\n",
    platform::manual_reference, " explains the report and every error.\n"};
static_assert(!has_native_help || platform::native_help_switch == "/?",
              "the help's option list names /? as the native switch");

constexpr ComposedText version{"duopit " DUOPIT_VERSION "\n"};

constexpr ComposedText usage_tail{"\"; ", usage_line.view(), "\n"};

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
  const bool asks_help =
      first == "--help" || (has_native_help && first == platform::native_help_switch);
  if (argc == 2 && asks_help) {
    command.request = Request::help;
  } else if (argc == 2 && first == "--version") {
    command.request = Request::version;
  } else {
    // The first argument that is not a lone --help or --version is the one shown.
    command.request = Request::usage_error;
    const bool first_is_known = asks_help || first == "--version";
    show_argument(first_is_known && argv[2] != nullptr ? argv[2] : first, command);
  }
  return command;
}

std::string_view help_text() { return help.view(); }

std::string_view version_text() { return version.view(); }

std::string_view usage_error_tail() { return usage_tail.view(); }

}  // namespace duopit::lifecycle
