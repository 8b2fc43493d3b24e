// lifecycle/console_output.cpp — carriage control and the console line discipline.
#include "lifecycle/console_output.hpp"

#include <algorithm>

namespace duopit::lifecycle {

std::string_view carriage_control_prefix(char control, bool line_open) {
  constexpr std::string_view new_page("\r\n\f\r \r", 6);
  switch (control) {
    case '+':
      return "\r";
    case '1':
      return new_page;
    case '0':
      return line_open ? "\r\n\r\n" : "\r\n";
    default:
      return line_open ? "\r\n" : "";
  }
}

// The record passes through the 132-byte buffer: the first piece holds the control character
// and what follows it, every later piece 132 characters of data.
void write_console_record(std::string_view record, bool terminated, ConsoleUnit& unit,
                          ConsolePort& port) {
  if (record.empty()) {
    record = " ";
  }
  std::size_t piece = console_buffer_bytes;
  if (!unit.line_continues()) {
    port.write_output(carriage_control_prefix(record.front(), unit.line_open()));
    record.remove_prefix(1);
    piece -= 1;
  }
  do {
    const std::size_t count = std::min(piece, record.size());
    port.write_output({record.data(), count});
    record.remove_prefix(count);
    piece = console_buffer_bytes;
  } while (!record.empty());
  unit.end_record(terminated);
}

}  // namespace duopit::lifecycle
