// lifecycle/run_time_error.hpp — the one path by which a failure of any layer ends the run:
// a numbered message on standard error, then exit status 1 through termination; and the
// fatal start-up failure, status 255. Every number and text the program can show lives in
// one table (run_time_error.cpp), and one writer lays out every message.
#pragma once

#include <string_view>

namespace duopit::lifecycle {

// The statement that failed; selects the statement text of the message.
enum class Statement {
  close,    // closing units at termination
  write,    // a write statement
  open,     // connecting the report file
  read,     // the console read
  math,     // an arithmetic trap or an elementary function
  generic,  // a failure that names no statement
  startup,  // start-up could not finish: the "runtime error R6008" frame
};

enum class RunTimeError {
  repeat_count_overflow,     // F6100: repeat count outside the signed 32-bit range
  repeat_count_bad_char,     // F6101: a character that does not belong in a repeat count
  real_too_large,            // F6102: typed value too large for a 64-bit real
  real_bad_syntax,           // F6103: typed value is not a real
  repeat_count_two_hashes,   // F6302: a repeat count with two "#"
  repeat_count_bad_radix,    // F6303: a repeat count radix outside 2 to 36
  format_bad_syntax,         // F6311: a format text that does not parse
  unit_out_of_range,         // F6314: unit number outside -32767 to 32767
  line_too_long,             // F6407: a terminal line filled the 132-byte buffer
  open_invalid,              // F6412: the platform refused an argument of the open
  open_access_denied,        // F6414: permission denied, or a directory
  open_in_use,               // F6414: another run is writing the file
  open_exists,               // F6415: the file was created meanwhile
  open_not_found,            // F6416: no such file or directory
  open_too_many_files,       // F6417: no descriptor left
  unit_table_full,           // F6418: no free entry in the unit table
  unit_not_connected,        // F6419: a write to a unit that no open request connected
  write_access_denied,       // F6421: the file cannot be written (read-only, permission)
  write_no_space,            // F6422: the device is full
  write_failed,              // F6423: any other failure of a file write
  read_failed,               // F6500: the read from standard input failed
  end_of_file,               // F6501: end of input
  repeat_count_zero,         // F6502: a repeat count of 0, or "*" with nothing before it
  repeat_count_twice,        // F6503: a second repeat count before the value of the first
  value_not_real,            // F6504: a quoted or parenthesised value
  real_too_wide,             // F6602: a real that cannot be placed in a new record
  out_of_memory,             // F6700: no room for the I/O records
  trap_invalid,              // M6101: invalid operation
  trap_denormal,             // M6102: denormal operand
  trap_divide_by_zero,       // M6103: division by zero
  trap_overflow,             // M6104: overflow
  trap_underflow,            // M6105: underflow
  trap_inexact,              // M6106: inexact result
  trap_square_root,          // M6108: square root of a negative number
  trap_stack_overflow,       // M6110: register stack overflow
  trap_stack_underflow,      // M6111: register stack underflow
  atan_domain,               // M6201: arctangent of a NaN
  sin_domain,                // M6201: sine of an infinity or a NaN
  cos_domain,                // M6201: cosine of an infinity or a NaN
  sin_tloss,                 // M6205: sine of an argument of 2^63 or more in magnitude
  cos_tloss,                 // M6205: cosine of an argument of 2^63 or more in magnitude
  startup_no_resources,      // R6008: no descriptor or memory to start the program
  count,                     // not an error: how many there are, the rows of their table
};

// Letter and number as shown: F6414, M6103.
struct ErrorCode {
  char letter;
  int number;
};

// An error's row of the table: its number and its text.
struct ErrorEntry {
  RunTimeError error;
  ErrorCode code;
  std::string_view text;
};

[[nodiscard]] const ErrorEntry& error_entry(RunTimeError error);

// Reports `error` for `statement` on the unit or file `file_name` ("CON", "duopit.dat";
// ignored by the kinds that show no name) and ends the run with status 1. Raised while
// termination closes the units, it skips the rest of the closes and the console line end
// and goes on with the exit.
[[noreturn]] void run_time_error(RunTimeError error, Statement statement,
                                 std::string_view file_name = {});

// A failure before the computation: the start-up frame and status 255, without exit routines.
[[noreturn]] void fatal_startup_error(RunTimeError error);

// The one writer of messages: one unchecked, untranslated write per piece to standard
// error. An empty text ends a file name with ")\r\n" instead of ")\r\n- ".
void write_message(ErrorCode code, Statement statement, std::string_view file_name,
                   std::string_view text);

}  // namespace duopit::lifecycle
