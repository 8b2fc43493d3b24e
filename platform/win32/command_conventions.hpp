// platform/win32/command_conventions.hpp — how the desktop platform's console programs answer:
// every line ends in CR LF, /? asks for help as well as --help, and the manual is the text
// file that ships next to the program.
#pragma once

#include <string_view>

namespace duopit::platform {

constexpr std::string_view command_line_end = "\r\n";
// Besides --help, the switch that asks for help on this host.
constexpr std::string_view native_help_switch = "/?";
// The help's last sentence names the manual as a user of this host finds it.
constexpr std::string_view manual_reference = "The manual duopit.txt, next to duopit.exe,";

}  // namespace duopit::platform
