// textio/output_statement.hpp — the write statement: begin_write names the unit and the
// format (none for free format), the items follow in order, and end_write lays the record
// out and hands its bytes to the unit. Nothing reaches the unit before end_write. Failures
// end the run through the run-time error path.
#pragma once

#include <cstdint>
#include <limits>

namespace duopit::textio {

// The console output unit, as distinct from every numbered unit.
constexpr std::int32_t console_unit = std::numeric_limits<std::int32_t>::min();

// `format` null: free format. `format_length` -1: the format runs to its first NUL.
void begin_write(std::int32_t unit, const char* format = nullptr, int format_length = 0);
// A negative length gives an empty text.
void write_text_item(const char* text, int length);
void write_real_item(double value);
void end_write();

}  // namespace duopit::textio
