// textio/output_statement.hpp — the write statement: begin_write names the unit and the
// format (none for free format), the items follow in order, and end_write lays the record
// out and hands its bytes to the unit. Nothing reaches the unit before end_write. Failures
// end the run through the run-time error path.
//
// The report's usual statement, free format to a connected file, takes its way here, inline
// in the caller: begin, items and end are then a few instructions each, where calls would
// cost as many again and reload the statement's state every time. Every other way (a format,
// the console, a unit not connected, a statement too long for its room) is out of line, in
// output_statement.cpp. A statement too long for its room is known when it ends: its items
// place nothing once the room is full, and nothing of it reaches the unit.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

#include "lifecycle/file_unit.hpp"
#include "textio/statement_state.hpp"

namespace duopit::textio {

// The console output unit, as distinct from every numbered unit.
constexpr std::int32_t console_unit = std::numeric_limits<std::int32_t>::min();

// The ways out of line.
// `file` is the connected unit numbered `unit`, or null.
void begin_unusual(std::int32_t unit, lifecycle::FileUnit* file, const char* format,
                   int format_length);
void place_formatted_item(std::string_view item);
void refuse_full_statement();
void end_unusual();

// The connected unit numbered `unit`, or null. The unit of the statement before is looked at
// first: a report writes all its records to one unit. Units stay connected to the end of the
// run, so it is the one the table would give for its number.
inline lifecycle::FileUnit* connected_unit(const WriteStatement& statement, std::int32_t unit) {
  lifecycle::FileUnit* const file = statement.unit;
  if (file == nullptr || file->number() != unit) {
    return lifecycle::find_unit(unit);
  }
  return file;
}

// Under a format checked when the program was compiled (a constexpr FixedLayout): the
// statement lays out with a copy of it, and never checks the text.
void begin_write(std::int32_t unit, const FixedLayout& format);

// `format` null: free format. `format_length` -1: the format runs to its first NUL; a text
// met only at run time is checked by every statement that names it.
inline void begin_write(std::int32_t unit, const char* format = nullptr,
                        int format_length = 0) {
  WriteStatement& statement = statement_state().write;
  lifecycle::FileUnit* const file = connected_unit(statement, unit);
  if (file == nullptr || format != nullptr) {
    begin_unusual(unit, file, format, format_length);
    return;
  }
  statement.route = Route::free_to_file;
  statement.unit = file;
  statement.fixed = nullptr;
  statement.space.start(file->records_begin(), file->records_end(), RecordSpace::Ending::crlf);
  statement.free.restart();
}

// A negative length gives an empty text.
inline void write_text_item(const char* text, int length) {
  WriteStatement& statement = statement_state().write;
  const std::string_view item(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  if (statement.fixed != nullptr) {
    place_formatted_item(item);
    return;
  }
  statement.free.place_text(statement.space, item);
}

inline void write_real_item(double value) {
  WriteStatement& statement = statement_state().write;
  if (statement.fixed != nullptr) {
    place_formatted_item({});  // under a format a real takes an A descriptor as an empty item
    return;
  }
  statement.free.place_real(statement.space, value);
}

inline void end_write() {
  WriteStatement& statement = statement_state().write;
  if (statement.route != Route::free_to_file) {
    end_unusual();
    return;
  }
  statement.free.finish(statement.space);
  if (statement.space.full()) {
    refuse_full_statement();
  }
  statement.unit->take_statement(statement.space.size());
}

}  // namespace duopit::textio
