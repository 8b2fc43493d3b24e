// textio/output_statement.cpp — the write statement, from begin_write to the bytes the unit
// hands to the platform, in three stages:
//   1. begin_write finds the unit and the space where the statement's records go: the report
//      unit's buffer behind the bytes it holds, or the console's record room;
//   2. each item is laid out there as it arrives (free format or under the format), so its
//      characters are taken when it is passed and written once, at their final place;
//   3. end_write ends the last record, turns a failed layout into its run-time error, and
//      hands the records to the unit: the report unit takes them into its buffer (writing
//      each block it fills), the console writes each record under carriage control.
// The unit sees nothing of a statement before end_write. A statement of the report in free
// format, the usual one, takes the shortest way through each stage, inline in the caller
// (output_statement.hpp); this file holds every other way.
#include "textio/output_statement.hpp"

#include <string_view>

#include "lifecycle/console.hpp"
#include "lifecycle/console_output.hpp"
#include "lifecycle/run_time_error.hpp"
#include "textio/statement_state.hpp"

namespace duopit::textio {
namespace {

using lifecycle::RunTimeError;
using lifecycle::Statement;

// The units' memory runs on past their rooms as far as the layout may spill.
static_assert(lifecycle::record_spill_bytes >= RecordSpace::spill_bytes);

// --- Stage 1: where the records go -------------------------------------------------------

[[gnu::noinline]] void begin_on_console(WriteStatement& statement) {
  lifecycle::ConsoleUnit& console = lifecycle::console_output_unit();
  statement.route = Route::free_to_console;
  statement.unit = nullptr;
  statement.space.start(console.records_begin(), console.records_end(),
                        RecordSpace::Ending::marked);
}

// Nothing is kept for a unit that is not connected; the end reports it.
[[gnu::noinline]] void begin_unconnected(WriteStatement& statement) {
  statement.route = Route::unconnected;
  statement.space.start(nullptr, nullptr, RecordSpace::Ending::crlf);
}

// The statement lays out under `layout` from here on; one to a unit not connected keeps its
// route, which its end reports.
void lay_out_under(WriteStatement& statement, FixedLayout& layout) {
  if (statement.route != Route::unconnected) {
    statement.route = Route::formatted;
  }
  statement.fixed = &layout;
}

// A format met only at run time is checked by every statement that names it.
[[gnu::noinline]] void begin_formatted(WriteStatement& statement, const char* format,
                                       int format_length) {
  lay_out_under(statement, statement.own.emplace(format_text(format, format_length)));
}

// Every statement but free format to a connected file: the console, a unit that is not
// connected, a unit number out of range. No layout yet.
void begin_route(WriteStatement& statement, std::int32_t unit, lifecycle::FileUnit* file) {
  if (unit == console_unit) {
    begin_on_console(statement);
  } else {
    if (unit < lifecycle::lowest_unit_number || unit > lifecycle::highest_unit_number) {
      lifecycle::run_time_error(RunTimeError::unit_out_of_range, Statement::generic);
    }
    statement.unit = file;
    if (file == nullptr) {
      begin_unconnected(statement);
    } else {
      statement.route = Route::free_to_file;
      statement.space.start(file->records_begin(), file->records_end(),
                            RecordSpace::Ending::crlf);
    }
  }
  statement.fixed = nullptr;
}

// --- Stage 2: the items, laid out as they arrive -----------------------------------------

bool formatted(const WriteStatement& statement) { return statement.fixed != nullptr; }

void check_room() {
  if (statement_state().write.space.full()) [[unlikely]] {
    refuse_full_statement();
  }
}

// --- Stage 3: the records to the unit -----------------------------------------------------

// The console writes each record under carriage control, in order.
void hand_to_console(const RecordSpace& space) {
  const std::string_view bytes = space.bytes();
  std::size_t start = 0;
  for (const RecordSpace::RecordEnd& end : space.record_ends()) {
    lifecycle::write_console_record({bytes.data() + start, end.end - start}, end.terminated,
                                    lifecycle::console_output_unit(), lifecycle::console_port());
    start = end.end;
  }
}

}  // namespace

// Every statement but free format to a connected file: the console, a unit that is not
// connected, a unit number out of range, a format.
[[gnu::noinline]] void begin_unusual(std::int32_t unit, lifecycle::FileUnit* file,
                                     const char* format, int format_length) {
  WriteStatement& statement = statement_state().write;
  begin_route(statement, unit, file);
  if (format != nullptr) {
    begin_formatted(statement, format, format_length);
  } else {
    statement.free.restart();
  }
}

void begin_write(std::int32_t unit, const FixedLayout& format) {
  WriteStatement& statement = statement_state().write;
  begin_route(statement, unit, connected_unit(statement, unit));
  lay_out_under(statement, statement.own.emplace(format));
}

// Under a format a real has no text of its own: it takes an A descriptor as an empty item.
[[gnu::noinline]] void place_formatted_item(std::string_view item) {
  WriteStatement& statement = statement_state().write;
  statement.fixed->place_item(statement.space, item);
}

// More than the space holds cannot be kept until the statement ends; for a unit that is not
// connected nothing is kept anyway, and the end says so.
[[gnu::noinline]] void refuse_full_statement() {
  if (statement_state().write.route != Route::unconnected) {
    lifecycle::run_time_error(RunTimeError::out_of_memory, Statement::generic);
  }
}

// A failure shows in this order: a unit that is not connected, then the cut of an old file
// (begin_statement), then a layout that failed.
[[gnu::noinline]] void end_unusual() {
  WriteStatement& statement = statement_state().write;
  if (formatted(statement)) {
    statement.fixed->finish(statement.space);
  } else {
    statement.free.finish(statement.space);
  }
  check_room();
  if (statement.route == Route::unconnected) {
    lifecycle::run_time_error(RunTimeError::unit_not_connected, Statement::generic);
  }
  const bool failed = formatted(statement) && statement.fixed->status() != FormatStatus::ok;
  const bool to_console = statement.unit == nullptr;
  if (!to_console) {
    statement.unit->begin_statement();
  }
  if (failed) {
    lifecycle::run_time_error(RunTimeError::format_bad_syntax, Statement::write,
                              to_console ? lifecycle::console_name : statement.unit->name());
  }
  if (to_console) {
    hand_to_console(statement.space);
  } else {
    statement.unit->take_records(statement.space.size());
  }
}

}  // namespace duopit::textio
