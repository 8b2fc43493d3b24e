// textio/line_source.hpp — where the console read's characters come from: standard input,
// one line at a time through the console unit's 132-byte buffer. It refills the buffer
// (one read per typed line at a terminal; from a file or pipe, reads gathered up to a line
// end), refuses what a refill must refuse (a failed read, end of input, a terminal line too
// long, a Ctrl-Z line), and disposes of the rest of a line. It knows nothing of values.
#pragma once

#include <cstddef>

#include "lifecycle/console.hpp"
#include "textio/read_status.hpp"

namespace duopit::textio {

class LineSource {
 public:
  LineSource(lifecycle::ConsoleUnit& unit, lifecycle::ConsolePort& port)
      : unit_(unit), port_(port) {}

  // At the first item of a statement: a console line left open by output is ended (CR LF,
  // unless the last record asked to continue the line, as the prompt does) and the buffer
  // emptied, so that the value comes from a fresh read.
  void begin_input();
  // The next character of the current line, refilling the buffer when it is used up.
  [[nodiscard]] ReadStatus next_char(char& c);
  // Hands the last character out again.
  void put_back();
  // Drops the rest of the current line: the whole buffer at a terminal (one read is one
  // line), otherwise characters up to and including the next LF. Clears the unit's
  // line_open: the user's line end has ended the console line.
  [[nodiscard]] ReadStatus dispose_of_line();
  void end_line_at_end_of_input();

 private:
  [[nodiscard]] ReadStatus refill();
  [[nodiscard]] std::size_t read_piece(bool& failed);

  lifecycle::ConsoleUnit& unit_;
  lifecycle::ConsolePort& port_;
};

}  // namespace duopit::textio
