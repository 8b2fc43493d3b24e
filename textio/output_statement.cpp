// textio/output_statement.cpp — the statement state between begin_write and end_write, and
// the sinks that carry a laid-out record to the report file or the console.
#include "textio/output_statement.hpp"

#include <array>
#include <cassert>
#include <cstring>
#include <string_view>

#include "lifecycle/console.hpp"
#include "lifecycle/console_output.hpp"
#include "lifecycle/file_unit.hpp"
#include "lifecycle/run_time_error.hpp"
#include "textio/fixed_layout.hpp"
#include "textio/free_layout.hpp"
#include "textio/record_sink.hpp"

namespace duopit::textio {
namespace {

using lifecycle::RunTimeError;
using lifecycle::Statement;

constexpr std::size_t max_items = 16;
constexpr std::size_t text_store_bytes = 2048;

// One statement at a time: the items with private copies of their texts.
struct StatementState {
  bool active = false;
  std::int32_t unit = 0;
  const char* format = nullptr;
  int format_length = 0;
  std::array<OutputItem, max_items> items{};
  std::size_t item_count = 0;
  std::array<char, text_store_bytes> text_store{};
  std::size_t text_used = 0;
};

// The statement being built; statements do not nest.
StatementState statement;

class FileSink final : public RecordSink {
 public:
  explicit FileSink(lifecycle::FileUnit& unit) : unit_(unit) {}
  void put(std::string_view characters) override { unit_.put(characters); }
  void end_record(bool terminated) override {
    if (terminated) {
      unit_.end_record();
    }
  }

 private:
  lifecycle::FileUnit& unit_;
};

class ConsoleSink final : public RecordSink {
 public:
  ConsoleSink() : record_(lifecycle::console_output_unit(), lifecycle::console_port()) {}
  void put(std::string_view characters) override { record_.put(characters); }
  void end_record(bool terminated) override { record_.end(terminated); }

 private:
  lifecycle::ConsoleRecord record_;
};

OutputItem& new_item() {
  assert(statement.active);
  if (statement.item_count == statement.items.size()) {
    lifecycle::run_time_error(RunTimeError::out_of_memory, Statement::generic);
  }
  return statement.items[statement.item_count++];
}

// Lays the items out into `sink`; `name` is the unit's name for error messages.
void lay_out(RecordSink& sink, std::string_view name) {
  const std::span<const OutputItem> items(statement.items.data(), statement.item_count);
  if (statement.format == nullptr) {
    if (lay_out_free(items, sink) != LayoutStatus::ok) {
      lifecycle::run_time_error(RunTimeError::real_too_wide, Statement::write, name);
    }
    return;
  }
  std::array<std::string_view, max_items> texts{};
  for (std::size_t i = 0; i < items.size(); ++i) {
    texts[i] = items[i].text;
  }
  if (lay_out_fixed(statement.format, statement.format_length,
                    std::span<const std::string_view>(texts.data(), items.size()),
                    sink) != FormatStatus::ok) {
    lifecycle::run_time_error(RunTimeError::format_bad_syntax, Statement::write, name);
  }
}

}  // namespace

void begin_write(std::int32_t unit, const char* format, int format_length) {
  if (unit != console_unit &&
      (unit < lifecycle::lowest_unit_number || unit > lifecycle::highest_unit_number)) {
    lifecycle::run_time_error(RunTimeError::unit_out_of_range, Statement::generic);
  }
  statement.active = true;
  statement.unit = unit;
  statement.format = format;
  statement.format_length = format_length;
  statement.item_count = 0;
  statement.text_used = 0;
}

void write_text_item(const char* text, int length) {
  OutputItem& item = new_item();
  const std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
  if (size > statement.text_store.size() - statement.text_used) {
    lifecycle::run_time_error(RunTimeError::out_of_memory, Statement::generic);
  }
  char* copy = statement.text_store.data() + statement.text_used;
  if (size > 0) {
    std::memcpy(copy, text, size);
  }
  statement.text_used += size;
  item = OutputItem{OutputItem::Kind::text, std::string_view(copy, size), 0};
}

void write_real_item(double value) {
  new_item() = OutputItem{OutputItem::Kind::real, {}, value};
}

void end_write() {
  assert(statement.active);
  if (statement.unit == console_unit) {
    ConsoleSink sink;
    lay_out(sink, lifecycle::console_name);
  } else {
    lifecycle::FileUnit* unit = lifecycle::find_unit(statement.unit);
    if (unit == nullptr) {
      lifecycle::run_time_error(RunTimeError::unit_not_connected, Statement::generic);
    }
    unit->begin_statement();
    FileSink sink(*unit);
    lay_out(sink, unit->name());
  }
  statement.active = false;
}

}  // namespace duopit::textio
