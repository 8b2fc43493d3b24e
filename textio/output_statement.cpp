// textio/output_statement.cpp — the write statement, from begin_write to the bytes the unit
// hands to the platform, in three stages:
//   1. begin_write finds the unit and the space where the statement's records go: the report
//      unit's buffer behind the bytes it holds, or the console's record buffer;
//   2. each item is laid out there as it arrives (free format or under the format), so its
//      characters are taken when it is passed and written once, at their final place;
//   3. end_write ends the last record, turns a failed layout into its run-time error, and
//      hands the records to the unit: the report unit takes them into its buffer (writing
//      each block it fills), the console writes each record under carriage control.
// The unit sees nothing of a statement before end_write.
#include "textio/output_statement.hpp"

#include <array>
#include <cassert>
#include <string_view>
#include <variant>

#include "lifecycle/console.hpp"
#include "lifecycle/console_output.hpp"
#include "lifecycle/file_unit.hpp"
#include "lifecycle/run_time_error.hpp"
#include "textio/fixed_layout.hpp"
#include "textio/free_layout.hpp"
#include "textio/record_space.hpp"

namespace duopit::textio {
namespace {

using lifecycle::RunTimeError;
using lifecycle::Statement;

// One statement at a time, from begin_write to end_write.
struct StatementState {
  bool active;
  bool to_console;
  lifecycle::FileUnit* unit;  // null for the console, or when the unit is not connected
  bool layout_failed;         // items after a failure are not laid out
  RunTimeError layout_error;  // meaningful when layout_failed
  std::variant<std::monostate, FreeLayout, FixedLayout> layout;  // free format, or a format
  RecordSpace space;
  std::array<char, lifecycle::console_statement_bytes> console_records;
};

// Lives between the calls of one statement; statements do not nest. Starts zero-filled
// (no layout yet), so it takes no page before the first statement.
StatementState statement;

// Stage 1: where the records go.
void find_space(std::int32_t unit_number) {
  statement.to_console = unit_number == console_unit;
  if (statement.to_console) {
    statement.unit = nullptr;
    statement.space.start(statement.console_records.data(),
                          statement.console_records.data() + statement.console_records.size(),
                          RecordSpace::Ending::marked);
    return;
  }
  statement.unit = lifecycle::find_unit(unit_number);
  if (statement.unit == nullptr) {
    statement.space.start(nullptr, nullptr, RecordSpace::Ending::crlf);  // reported at the end
    return;
  }
  statement.space.start(statement.unit->records_begin(), statement.unit->records_end(),
                        RecordSpace::Ending::crlf);
}

// More than the space holds cannot be kept until the statement ends.
void check_room() {
  if (statement.space.full() && (statement.to_console || statement.unit != nullptr)) {
    lifecycle::run_time_error(RunTimeError::out_of_memory, Statement::generic);
  }
}

// Stage 3 for the report unit, in the order a failure shows: a unit that is not connected,
// then the cut of an old file, then a layout that failed.
void hand_to_file() {
  if (statement.unit == nullptr) {
    lifecycle::run_time_error(RunTimeError::unit_not_connected, Statement::generic);
  }
  lifecycle::FileUnit& unit = *statement.unit;
  unit.begin_statement();
  if (statement.layout_failed) {
    lifecycle::run_time_error(statement.layout_error, Statement::write, unit.name());
  }
  unit.take_records(statement.space.size());
}

// Stage 3 for the console: each record under carriage control, in order.
void hand_to_console() {
  if (statement.layout_failed) {
    lifecycle::run_time_error(statement.layout_error, Statement::write, lifecycle::console_name);
  }
  const std::string_view bytes = statement.space.bytes();
  std::size_t start = 0;
  for (const RecordSpace::RecordEnd& end : statement.space.record_ends()) {
    lifecycle::write_console_record(bytes.substr(start, end.end - start), end.terminated,
                                    lifecycle::console_output_unit(), lifecycle::console_port());
    start = end.end;
  }
}

}  // namespace

void begin_write(std::int32_t unit, const char* format, int format_length) {
  if (unit != console_unit &&
      (unit < lifecycle::lowest_unit_number || unit > lifecycle::highest_unit_number)) {
    lifecycle::run_time_error(RunTimeError::unit_out_of_range, Statement::generic);
  }
  statement.active = true;
  find_space(unit);
  statement.layout_failed = false;
  if (format == nullptr) {
    statement.layout.emplace<FreeLayout>();
  } else {
    statement.layout.emplace<FixedLayout>(format, format_length);
  }
}

// Stage 2: the items, laid out as they arrive.
void write_text_item(const char* text, int length) {
  assert(statement.active);
  if (statement.layout_failed) {
    return;
  }
  const std::string_view item(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  if (auto* free = std::get_if<FreeLayout>(&statement.layout)) {
    free->place_text(statement.space, item);
  } else {
    std::get_if<FixedLayout>(&statement.layout)->place_item(statement.space, item);
  }
  check_room();
}

// Under a format a real has no text of its own: it takes an A descriptor as an empty item.
void write_real_item(double value) {
  assert(statement.active);
  if (statement.layout_failed) {
    return;
  }
  if (auto* free = std::get_if<FreeLayout>(&statement.layout)) {
    if (free->place_real(statement.space, value) != LayoutStatus::ok) {
      statement.layout_failed = true;
      statement.layout_error = RunTimeError::real_too_wide;
    }
  } else {
    std::get_if<FixedLayout>(&statement.layout)->place_item(statement.space, {});
  }
  check_room();
}

void end_write() {
  assert(statement.active);
  statement.active = false;
  auto* const fixed = std::get_if<FixedLayout>(&statement.layout);
  if (!statement.layout_failed) {
    if (fixed != nullptr) {
      fixed->finish(statement.space);
    } else {
      std::get_if<FreeLayout>(&statement.layout)->finish(statement.space);
    }
    check_room();
  }
  if (fixed != nullptr && fixed->status() != FormatStatus::ok) {
    statement.layout_failed = true;
    statement.layout_error = RunTimeError::format_bad_syntax;
  }
  if (statement.to_console) {
    hand_to_console();
  } else {
    hand_to_file();
  }
}

}  // namespace duopit::textio
