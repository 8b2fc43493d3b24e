// textio/read_status.hpp — how a console read ends: every outcome of obtaining lines, of
// reading a repeat count and of scanning and converting a value, each one a run-time error
// but ok.
#pragma once

#include "lifecycle/run_time_error.hpp"

namespace duopit::textio {

enum class ReadStatus {
  ok,
  end_of_file,        // end of input before a value was complete (F6501)
  read_failed,        // the read from standard input failed (F6500)
  line_too_long,      // a terminal read filled the buffer without a line end (F6407)
  bad_syntax,         // the value is not a real, or is longer than 259 characters (F6103)
  too_large,          // the value lies beyond the largest finite real (F6102)
  not_a_real,         // a quoted or parenthesised value (F6504)
  repeat_zero,        // a repeat count of 0 or below, or "*" with nothing before it (F6502)
  repeat_twice,       // a second repeat count before the value of the first (F6503)
  repeat_bad_char,    // a repeat count with a character that does not belong (F6101)
  repeat_overflow,    // a repeat count outside the signed 32-bit range (F6100)
  repeat_two_hashes,  // a repeat count with two "#" (F6302)
  repeat_bad_radix,   // a repeat count whose radix is outside 2 to 36 (F6303)
  count,              // not a status: how many there are
};

// The run-time error that reports `status`. Precondition: status is not ok.
[[nodiscard]] lifecycle::RunTimeError to_run_time_error(ReadStatus status);

}  // namespace duopit::textio
