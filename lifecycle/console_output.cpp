// lifecycle/console_output.cpp — carriage control and the console line discipline.
#include "lifecycle/console_output.hpp"

#include <algorithm>
#include <cstring>

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

void ConsoleRecord::put(std::string_view characters) {
  while (!characters.empty()) {
    if (used_ == buffer_.size()) {
      write_piece();
    }
    const std::size_t count = std::min(characters.size(), buffer_.size() - used_);
    std::memcpy(buffer_.data() + used_, characters.data(), count);
    used_ += count;
    characters.remove_prefix(count);
  }
}

void ConsoleRecord::write_piece() {
  std::string_view piece(buffer_.data(), used_);
  if (!first_piece_written_) {
    first_piece_written_ = true;
    if (!unit_.line_continues) {
      port_.write_output(carriage_control_prefix(piece.front(), unit_.line_open));
      piece.remove_prefix(1);
    }
    unit_.line_open = true;
    unit_.line_continues = false;
  }
  port_.write_output(piece);
  used_ = 0;
}

void ConsoleRecord::end(bool terminated) {
  if (!first_piece_written_ && used_ == 0) {
    buffer_[0] = ' ';  // an empty record is a single blank
    used_ = 1;
  }
  if (used_ > 0) {
    write_piece();
  }
  unit_.line_open = true;
  unit_.line_continues = !terminated;
  first_piece_written_ = false;  // ready for the statement's next record
}

void end_console_line() {
  ConsoleUnit& unit = console_output_unit();
  if (unit.line_open) {
    console_port().write_output("\r\n");
  }
}

}  // namespace duopit::lifecycle
