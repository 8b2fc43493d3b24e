// textio/read_statement.hpp — the console read statement: reading reals typed in free format
// from standard input, line by line through the console unit's 132-byte buffer.
// ReadStatement is the pure core: it works on the unit and port it is given and returns a
// status. begin_read / read_real_item / end_read are the program's statement on the run's
// console and turn a failure into a run-time error. Reading under a format, from files, or
// into anything but a 64-bit real is not provided.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "lifecycle/console.hpp"
#include "lifecycle/run_time_error.hpp"
#include "textio/line_source.hpp"
#include "textio/read_status.hpp"

namespace duopit::textio {

// Longest value text a read keeps; the next character makes the value bad_syntax at once.
constexpr std::size_t max_value_length = 259;

// One read statement on a console unit: construct, read_real for each item, then finish.
//
// Values are separated by blanks, tabs, commas, slashes and line ends; blanks, tabs and
// whole blank lines before a value are passed over. "r*v" gives r copies of v, "r*" alone
// r null values. A null value (a separator with nothing before it) leaves its destination
// as it was, and after "/" every later item is left as it was. Everything after the last
// value on its line is dropped by finish.
class ReadStatement {
 public:
  ReadStatement(lifecycle::ConsoleUnit& unit, lifecycle::ConsolePort& port);

  // Finds the next value and, unless it is null, stores it into `destination`. The first
  // item ends an open console line (CR LF unless the line is continued) before reading.
  [[nodiscard]] ReadStatus read_real(double& destination);
  // Disposes of the rest of the current line: the whole buffer on a terminal, otherwise up
  // to and including the next LF. Clears the unit's line_open.
  [[nodiscard]] ReadStatus finish();

 private:
  enum class ScanMode { plain, parenthesised, quoted };
  // What one character did to the value being collected.
  enum class Step { more, value_ended, failed };

  [[nodiscard]] ReadStatus scan_value();
  [[nodiscard]] Step take_plain(char c);
  [[nodiscard]] Step take_quoted(char c);
  [[nodiscard]] Step take_line_end();
  [[nodiscard]] Step take_repeat_count();
  [[nodiscard]] Step end_value(char separator);
  [[nodiscard]] Step fail(ReadStatus status);
  [[nodiscard]] bool value_in_progress() const;
  [[nodiscard]] Step append(char c);
  [[nodiscard]] ReadStatus deliver(double& destination) const;

  LineSource line_;
  std::array<char, max_value_length + 1> value_text_{};
  std::int32_t value_length_ = 0;
  ScanMode scan_mode_ = ScanMode::plain;
  char quote_ = '\'';
  bool after_closing_quote_ = false;
  char last_separator_ = ',';
  std::int32_t repeat_left_ = 0;
  bool count_given_ = false;        // the value being collected follows a repeat count
  bool ended_by_line_end_ = false;  // the last value's line is already disposed of
  bool slash_seen_ = false;
  bool started_ = false;
  ReadStatus failure_ = ReadStatus::ok;  // set by fail() for scan_value to return
};

// The program's read statement on the run's console input unit and port. Each call ends the
// run with a run-time error of the statement READ on "CON" when the read fails.
void begin_read();
void read_real_item(double& destination);
void end_read();

}  // namespace duopit::textio
