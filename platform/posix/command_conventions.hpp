// platform/posix/command_conventions.hpp — how a POSIX host's command-line tools answer: their
// own lines (help, version, usage error) end in LF, help is asked for with --help alone, and
// the manual is the manual page. The run's console lines keep their CR LF on every host.
#pragma once

#include <string_view>

namespace duopit::platform {

constexpr std::string_view command_line_end = "\n";
// Besides --help, the switch that asks for help on this host (none here).
constexpr std::string_view native_help_switch = "";
// The help's last sentence names the manual as a user of this host finds it.
constexpr std::string_view manual_reference = "The manual page duopit(1)";

}  // namespace duopit::platform
