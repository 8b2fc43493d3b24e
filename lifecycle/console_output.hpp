// lifecycle/console_output.hpp — how a record reaches the console: its first character is
// carriage control (a prefix chosen by the line state replaces it), the rest goes to standard
// output at once, untranslated and with no line end after it; the line is ended by the next
// record's prefix, by console input, or at termination.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "lifecycle/console.hpp"

namespace duopit::lifecycle {

// The bytes written in place of carriage-control character `control`.
[[nodiscard]] std::string_view carriage_control_prefix(char control, bool line_open);

// The console records of one statement, one at a time: its characters collect in the unit's 132-byte record
// buffer; a record longer than that goes out in pieces, the first under carriage control.
class ConsoleRecord {
 public:
  ConsoleRecord(ConsoleUnit& unit, ConsolePort& port) : unit_(unit), port_(port) {}
  void put(std::string_view characters);
  // Ends the record; `terminated` is false after a backslash, so the next record continues
  // the same line.
  void end(bool terminated);

 private:
  void write_piece();

  ConsoleUnit& unit_;
  ConsolePort& port_;
  std::array<char, console_buffer_bytes> buffer_{};
  std::size_t used_ = 0;
  bool first_piece_written_ = false;
};

// At termination: CR LF on standard output if the console output line is open.
void end_console_line();

}  // namespace duopit::lifecycle
