// textio/free_layout.hpp — the layout of a free-format output record: one leading blank,
// texts exactly as given, each real right-justified in a 24-column field, records wrapped
// at 79 columns after the leading blank.
// Pure: places characters and record ends in a RecordSpace and knows nothing of units,
// terminators or run-time errors. No layout of it can fail: a real moved to a new record
// always fits there (its field is at most 26 columns of the 79), and a text is split.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "textio/edit_real.hpp"
#include "textio/record_space.hpp"

namespace duopit::textio {

constexpr int free_record_room = 79;  // columns of a record, its leading blank not counted

// The records of one statement, laid out item by item as the items arrive. Every record,
// the last one too, is ended with end_record(true).
class FreeLayout {
 public:
  // A text is never preceded by a separating blank; only a record's leading blank can be owed
  // before it.
  void place_text(RecordSpace& space, std::string_view text) {
    pending_blanks_ = pending_blanks_ == 1 ? 1 : 0;
    after_number_ = false;
    if (static_cast<std::size_t>(room_) > text.size()) {
      space.put(static_cast<std::size_t>(pending_blanks_), text);
      pending_blanks_ = 0;
      room_ -= static_cast<int>(text.size());
      return;
    }
    split_text(space, text);
  }

  inline void place_real(RecordSpace& space, double value);

  // Back to the start of a statement: the first record, with its leading blank owed. Field by
  // field, so that the items placed next see the values without reading them back.
  void restart() {
    room_ = free_record_room;
    pending_blanks_ = 1;
    after_number_ = false;
  }

  // Ends the last record, with the blanks still owed.
  void finish(RecordSpace& space) {
    space.end_record(true, static_cast<std::size_t>(pending_blanks_));
    pending_blanks_ = 0;
  }

 private:
  // A text that does not fit the record.
  [[gnu::noinline]] void split_text(RecordSpace& space, std::string_view text);

  int room_ = free_record_room;  // free columns in the current record
  int pending_blanks_ = 1;       // blanks owed before the next character; first the leading one
  bool after_number_ = false;    // the last item placed in this record was a real
};

// The field is widened when the text is longer than the field, so the text never takes
// the record's leading blank or the blank that separates it from a real before it. The
// rounding fixes the text's length, so the owed blanks are known before it is written, and
// they go out with it in one claim: a run of 32 blanks (more than a field can owe), then the
// text over its tail, its scratch runs spilling behind (see record_space.hpp).
inline void FreeLayout::place_real(RecordSpace& space, double value) {
  const PrintedReal real = round_for_printing(value);
  const int length = real.length;
  const int separator = after_number_ ? 1 : 0;
  const int width = separator + std::max(real_field_width, length);
  after_number_ = true;
  pending_blanks_ += width - length;
  if (room_ <= width) {
    space.end_record(true);  // the real opens the next record, with no further leading blank
    room_ = free_record_room;
  }
  room_ -= width;
  const auto blanks = static_cast<std::size_t>(pending_blanks_);
  pending_blanks_ = 0;
  // The blank run covers every blank a field can owe, and what it and the text's scratch runs
  // store past the claim stays within the spill: the claim covers a field of at least 24
  // columns, the text at least 17 characters.
  static_assert(real_field_width + 2 <= blank_run_bytes);
  static_assert(blank_run_bytes - real_field_width <= RecordSpace::spill_bytes);
  static_assert(real_text_room - real_text_shortest <= RecordSpace::spill_bytes);
  char* const at = space.claim(blanks + static_cast<std::size_t>(length));
  if (at == nullptr) [[unlikely]] {
    return;
  }
  std::memcpy(at, blank_run.data(), blank_run_bytes);
  write_real_text(real, at + blanks);
}

}  // namespace duopit::textio
