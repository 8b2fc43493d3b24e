// textio/output_statement.cpp — the write statement, from begin_write to the bytes the unit
// hands to the platform, in three stages:
//   1. begin_write finds the unit and the space where the statement's records go: the report
//      unit's buffer behind the bytes it holds, or the console's record buffer;
//   2. each item is laid out there as it arrives (free format or under the format), so its
//      characters are taken when it is passed and written once, at their final place;
//   3. end_write ends the last record, turns a failed layout into its run-time error, and
//      hands the records to the unit: the report unit takes them into its buffer (writing
//      each block it fills), the console writes each record under carriage control.
// The unit sees nothing of a statement before end_write. A statement of the report in free
// format, the usual one, takes the shortest way through each stage; the rest is out of line.
#include "textio/output_statement.hpp"

#include <array>
#include <cstring>
#include <optional>
#include <string_view>

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

// A format text checked once, and its walker at the start, which reads the copy kept here.
constexpr std::size_t max_kept_format_bytes = 32;
struct CheckedFormat {
  std::array<char, max_kept_format_bytes> text;
  std::size_t size;  // 0: none
  std::optional<FormatWalker> walker;
};

// One statement at a time, from begin_write to end_write.
struct StatementState {
  lifecycle::FileUnit* unit;  // null for the console, or when the unit is not connected
  bool to_console;
  bool formatted;              // a format was given: fixed_layout, else free_layout
  std::optional<FreeLayout> free_layout;
  RecordSpace space;
  std::optional<FixedLayout> fixed_layout;
  // The last two format texts checked: every title of the report has the same format, the
  // prompt another, and checking them again would cost more than the editing they guide.
  // Keyed by the text itself, so a format changed in place is checked again.
  std::array<CheckedFormat, 2> checked_formats;
  std::size_t next_replaced;  // the entry a new format replaces
};

// Lives between the calls of one statement; statements do not nest. Starts zero-filled
// (no layout yet), so it takes no page before the first statement.
constinit StatementState statement{};

// --- Stage 1: where the records go -------------------------------------------------------

[[gnu::noinline]] void use_console_space() {
  statement.to_console = true;
  statement.unit = nullptr;
  lifecycle::ConsoleUnit& console = lifecycle::console_output_unit();
  statement.space.start(console.records_begin(), console.records_end(),
                        RecordSpace::Ending::marked);
}

void find_space(std::int32_t unit_number) {
  if (unit_number == console_unit) {
    use_console_space();
    return;
  }
  statement.to_console = false;
  statement.unit = lifecycle::find_unit(unit_number);
  if (statement.unit == nullptr) {
    statement.space.start(nullptr, nullptr, RecordSpace::Ending::crlf);  // reported at the end
    return;
  }
  statement.space.start(statement.unit->records_begin(), statement.unit->records_end(),
                        RecordSpace::Ending::crlf);
}

// --- Stage 2: the items, laid out as they arrive -----------------------------------------

// More than the space holds cannot be kept until the statement ends; for a unit that is not
// connected nothing is kept anyway, and the end says so.
[[gnu::noinline]] void refuse_full_statement() {
  if (statement.to_console || statement.unit != nullptr) {
    lifecycle::run_time_error(RunTimeError::out_of_memory, Statement::generic);
  }
}

void check_room() {
  if (statement.space.full()) {
    refuse_full_statement();
  }
}

// The walker of `text` at its start: from a format checked before, or checked now and kept
// in place of the older of the two.
const FormatWalker& checked_walker(std::string_view text) {
  for (const CheckedFormat& checked : statement.checked_formats) {
    if (text == std::string_view(checked.text.data(), checked.size)) {
      return *checked.walker;
    }
  }
  CheckedFormat& fresh = statement.checked_formats[statement.next_replaced];
  statement.next_replaced = (statement.next_replaced + 1) % statement.checked_formats.size();
  std::memcpy(fresh.text.data(), text.data(), text.size());
  fresh.size = text.size();
  fresh.walker.emplace(std::string_view(fresh.text.data(), text.size()));
  return *fresh.walker;
}

[[gnu::noinline]] void start_formatted(const char* format, int format_length) {
  const std::string_view text = format_text(format, format_length);
  if (text.empty() || text.size() > max_kept_format_bytes) {
    statement.fixed_layout.emplace(format, format_length);  // never kept: checked each time
    return;
  }
  statement.fixed_layout.emplace(checked_walker(text));
}

[[gnu::noinline]] void place_formatted_item(std::string_view item) {
  statement.fixed_layout->place_item(statement.space, item);
}

// --- Stage 3: the records to the unit -----------------------------------------------------

[[gnu::noinline]] void finish_formatted() { statement.fixed_layout->finish(statement.space); }

// Only a format can make a layout fail: free format places every item.
bool layout_failed() {
  return statement.formatted && statement.fixed_layout->status() != FormatStatus::ok;
}

// The console writes each record under carriage control, in order.
[[gnu::noinline]] void hand_to_console() {
  if (layout_failed()) {
    lifecycle::run_time_error(RunTimeError::format_bad_syntax, Statement::write,
                              lifecycle::console_name);
  }
  const std::string_view bytes = statement.space.bytes();
  std::size_t start = 0;
  for (const RecordSpace::RecordEnd& end : statement.space.record_ends()) {
    lifecycle::write_console_record({bytes.data() + start, end.end - start}, end.terminated,
                                    lifecycle::console_output_unit(), lifecycle::console_port());
    start = end.end;
  }
}

// A failure shows in this order: a unit that is not connected, then the cut of an old file
// (begin_statement), then a layout that failed.
[[gnu::noinline]] void refuse_statement() {
  if (statement.unit == nullptr) {
    lifecycle::run_time_error(RunTimeError::unit_not_connected, Statement::generic);
    return;
  }
  statement.unit->begin_statement();
  lifecycle::run_time_error(RunTimeError::format_bad_syntax, Statement::write,
                            statement.unit->name());
}

// The report unit takes the records into its buffer.
void hand_to_file() {
  if (statement.unit == nullptr || layout_failed()) {
    refuse_statement();
    return;
  }
  statement.unit->begin_statement();
  statement.unit->take_records(statement.space.size());
}

}  // namespace

void begin_write(std::int32_t unit, const char* format, int format_length) {
  if (unit != console_unit &&
      (unit < lifecycle::lowest_unit_number || unit > lifecycle::highest_unit_number)) {
    lifecycle::run_time_error(RunTimeError::unit_out_of_range, Statement::generic);
  }
  find_space(unit);
  statement.formatted = format != nullptr;
  if (statement.formatted) {
    start_formatted(format, format_length);
  } else {
    statement.free_layout.emplace();
  }
}

void write_text_item(const char* text, int length) {
  const std::string_view item(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  if (statement.formatted) {
    place_formatted_item(item);
  } else {
    statement.free_layout->place_text(statement.space, item);
  }
  check_room();
}

// Under a format a real has no text of its own: it takes an A descriptor as an empty item.
void write_real_item(double value) {
  if (statement.formatted) {
    place_formatted_item({});
  } else {
    statement.free_layout->place_real(statement.space, value);
  }
  check_room();
}

void end_write() {
  if (statement.formatted) {
    finish_formatted();
  } else {
    statement.free_layout->finish(statement.space);
  }
  check_room();
  if (statement.to_console) {
    hand_to_console();
  } else {
    hand_to_file();
  }
}

}  // namespace duopit::textio
