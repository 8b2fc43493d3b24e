// lifecycle/console_output.hpp — how a record reaches the console: its first character is
// carriage control (a prefix chosen by the line state replaces it), the rest goes to standard
// output at once, untranslated and with no line end after it; the line is ended by the next
// record's prefix, by console input, or at termination.
#pragma once

#include <string_view>

#include "lifecycle/console.hpp"

namespace duopit::lifecycle {

// The bytes written in place of carriage-control character `control`.
[[nodiscard]] std::string_view carriage_control_prefix(char control, bool line_open);

// Writes one complete record under the line discipline and updates the line state. An empty
// record is a single blank. The record goes out in pieces of the unit's 132-byte record
// buffer, the prefix first; `terminated` is false after a backslash, so that the next record
// continues the same line.
void write_console_record(std::string_view record, bool terminated, ConsoleUnit& unit,
                          ConsolePort& port);

}  // namespace duopit::lifecycle
