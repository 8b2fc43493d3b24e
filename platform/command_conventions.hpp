// platform/command_conventions.hpp — how the host's own command-line tools answer, for the
// program's own lines (help, version, usage error): on POSIX hosts they end in LF, help is
// asked for with --help alone and the manual is the manual page; on the desktop platform
// every line ends in CR LF, /? asks for help as well, and the manual is the text file that
// ships next to the program. The run's console lines keep their CR LF on every host.
#pragma once

#include <string_view>

namespace duopit::platform {

#if defined(_WIN32)
constexpr std::string_view command_line_end = "\r\n";
constexpr std::string_view native_help_switch = "/?";
constexpr std::string_view manual_reference = "The manual duopit.txt, next to duopit.exe,";
#else
constexpr std::string_view command_line_end = "\n";
constexpr std::string_view native_help_switch = "";  // --help alone
constexpr std::string_view manual_reference = "The manual page duopit(1)";
#endif

}  // namespace duopit::platform
