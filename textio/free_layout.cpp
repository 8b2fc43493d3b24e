// textio/free_layout.cpp — placing texts and reals in free-format records.
// Pure: no I/O of its own and no globals; everything goes through the RecordSink, one piece
// per record (the record is assembled here first).
//
// A record holds a leading blank and up to 79 columns. Texts are written as given and are
// split across records when they do not fit; a real stands right-justified in a 24-column
// field (25 after another real, for the separating blank) and moves whole to a new record.
// Blanks are only ever owed, never written ahead: one that is still owed when a record
// ends is written then, so no blank follows the last item of a record.
#include "textio/free_layout.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "textio/edit_real.hpp"

namespace duopit::textio {
namespace {

class FreeRecordWriter {
 public:
  explicit FreeRecordWriter(RecordSink& sink) : sink_(sink) { record_.fill(' '); }

  void place_text(std::string_view text);
  [[nodiscard]] LayoutStatus place_real(double value);
  void finish();

 private:
  void put_owed_blanks();
  void put(std::string_view characters);
  void put_real_text(const RealText& text);
  void flush();  // hands the characters so far to the sink, within the record
  void end_record();

  RecordSink& sink_;
  std::array<char, 128> record_;  // the record so far; 80 characters at the most
  std::size_t used_ = 0;
  int room_ = free_record_room;  // free columns in the current record
  int pending_blanks_ = 1;       // blanks owed before the next character; first the leading one
  bool after_number_ = false;    // the last item placed in this record was a real
};

void FreeRecordWriter::put(std::string_view characters) {
  if (characters.size() > record_.size() - used_) {
    flush();  // never with this layout's records
    if (characters.size() > record_.size()) {
      sink_.put(characters);
      return;
    }
  }
  std::memcpy(record_.data() + used_, characters.data(), characters.size());
  used_ += characters.size();
}

// The record buffer is all blanks beyond what has been placed, so owed blanks are placed by
// counting them in.
// A real's text is copied whole, storage and all, when the record has room for it and for
// the blanks that then restore what lies beyond it: two fixed-size moves instead of calls.
void FreeRecordWriter::put_real_text(const RealText& text) {
  constexpr std::size_t storage = std::tuple_size_v<decltype(text.chars)>;
  if (record_.size() - used_ < 2 * storage) {
    put(text.view());
    return;
  }
  std::memcpy(record_.data() + used_, text.chars.data(), storage);
  used_ += static_cast<std::size_t>(text.length);
  std::memset(record_.data() + used_, ' ', storage);
}

void FreeRecordWriter::put_owed_blanks() {
  if (pending_blanks_ <= 0) {
    pending_blanks_ = 0;
    return;
  }
  auto count = static_cast<std::size_t>(pending_blanks_);
  pending_blanks_ = 0;
  while (count > record_.size() - used_) {  // never with this layout's records
    count -= record_.size() - used_;
    used_ = record_.size();
    flush();
  }
  used_ += count;
}

void FreeRecordWriter::flush() {
  sink_.put(std::string_view(record_.data(), used_));
  record_.fill(' ');
  used_ = 0;
}

void FreeRecordWriter::end_record() {
  flush();
  sink_.end_record(true);
}

// A text is never preceded by a separating blank; only a record's leading blank can be
// owed before it. What does not fit fills the record to its last column and goes on in a
// new record, which starts with its own owed blank even when nothing is left to go on.
void FreeRecordWriter::place_text(std::string_view text) {
  pending_blanks_ = pending_blanks_ == 1 ? 1 : 0;
  after_number_ = false;
  while (static_cast<std::size_t>(room_) <= text.size()) {
    put_owed_blanks();
    put(text.substr(0, static_cast<std::size_t>(room_)));
    text.remove_prefix(static_cast<std::size_t>(room_));
    end_record();
    room_ = free_record_room;
    pending_blanks_ = 1;
    if (text.empty()) {
      return;
    }
  }
  put_owed_blanks();
  put(text);
  room_ -= static_cast<int>(text.size());
}

// The field is widened when the text is longer than the field, so the text never takes
// the record's leading blank or the blank that separates it from a real before it.
LayoutStatus FreeRecordWriter::place_real(double value) {
  const RealText text = edit_free_real(value);
  const int separator = after_number_ ? 1 : 0;
  const int width = separator + std::max(real_field_width, text.length);
  after_number_ = true;
  pending_blanks_ += width - text.length;
  if (room_ <= width) {
    if (width >= free_record_room) {
      return LayoutStatus::real_too_wide;
    }
    end_record();  // the real opens the next record, with no further leading blank
    room_ = free_record_room;
  }
  put_owed_blanks();
  put_real_text(text);
  room_ -= width;
  return LayoutStatus::ok;
}

void FreeRecordWriter::finish() {
  put_owed_blanks();
  end_record();
}

}  // namespace

LayoutStatus lay_out_free(std::span<const OutputItem> items, RecordSink& sink) {
  FreeRecordWriter writer(sink);
  for (const OutputItem& item : items) {
    if (item.kind == OutputItem::Kind::text) {
      writer.place_text(item.text);
    } else if (writer.place_real(item.real) != LayoutStatus::ok) {
      return LayoutStatus::real_too_wide;
    }
  }
  writer.finish();
  return LayoutStatus::ok;
}

}  // namespace duopit::textio
