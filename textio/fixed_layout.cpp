// textio/fixed_layout.cpp — A-editing of text items and record ends under a format.
// Pure apart from the sink it is handed; applies no carriage control: the first character of a
// record is data like any other.
#include "textio/fixed_layout.hpp"

#include <algorithm>
#include <cstddef>

namespace duopit::textio {
namespace {

constexpr std::string_view blank_run = "                                ";  // 32 blanks

class DiscardingSink final : public RecordSink {
 public:
  void put(std::string_view) override {}
  void end_record(bool) override {}
};

// The record being built: blanks owed before the next character placed, and the sink.
class RecordBuilder {
 public:
  explicit RecordBuilder(RecordSink& sink) : sink_(sink) {}

  void owe_blanks(std::size_t count) { pending_blanks_ += count; }

  // Owed blanks go out only in front of characters: with nothing to place they stay owed.
  void place(std::string_view characters) {
    if (characters.empty()) {
      return;
    }
    while (pending_blanks_ > 0) {
      const std::size_t run = std::min(pending_blanks_, blank_run.size());
      sink_.put(blank_run.substr(0, run));
      pending_blanks_ -= run;
    }
    sink_.put(characters);
  }

  // Blanks still owed at the end of a record are dropped.
  void end_record(bool terminated) {
    pending_blanks_ = 0;
    sink_.end_record(terminated);
  }

 private:
  RecordSink& sink_;
  std::size_t pending_blanks_ = 0;
};

// A-editing: width -1 takes the item's own length.
void edit_a(std::string_view item, int width, RecordBuilder& record) {
  const std::size_t field = width < 0 ? item.size() : static_cast<std::size_t>(width);
  if (field > item.size()) {
    record.owe_blanks(field - item.size());
    record.place(item);
  } else {
    record.place(item.substr(0, field));
  }
}

[[nodiscard]] FormatStatus lay_out(const char* format, int format_length,
                                   std::span<const std::string_view> items, RecordSink& sink) {
  FormatWalker walker(format, format_length);
  if (walker.status() != FormatStatus::ok) {
    return FormatStatus::bad_syntax;
  }
  RecordBuilder record(sink);
  bool a_edit_since_start = false;  // an item was placed since the format (re)started
  for (const std::string_view item : items) {
    Descriptor descriptor = walker.next_a_edit();
    while (descriptor.kind == Descriptor::Kind::end_of_format) {
      if (!a_edit_since_start) {
        return FormatStatus::bad_syntax;  // another pass would find no A either: no end
      }
      record.end_record(true);
      walker.revert();
      a_edit_since_start = false;
      descriptor = walker.next_a_edit();
    }
    if (descriptor.kind != Descriptor::Kind::a_edit) {
      return FormatStatus::bad_syntax;
    }
    a_edit_since_start = true;
    edit_a(item, descriptor.width, record);
  }
  const bool left_open = walker.finish();
  record.end_record(!left_open);
  return FormatStatus::ok;
}

}  // namespace

FormatStatus lay_out_fixed(const char* format, int format_length,
                           std::span<const std::string_view> items, RecordSink& sink) {
  // A dry run first: every way the layout can fail shows there, so a failing statement puts
  // nothing at all to the unit. With at most one item the layout fails, if at all, before it
  // puts anything (a format without an A), so the dry run would only repeat the work.
  if (items.size() > 1) {
    DiscardingSink dry_run;
    if (lay_out(format, format_length, items, dry_run) != FormatStatus::ok) {
      return FormatStatus::bad_syntax;
    }
  }
  return lay_out(format, format_length, items, sink);
}

}  // namespace duopit::textio
