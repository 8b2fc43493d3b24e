// textio/free_layout.hpp — the layout of a free-format output record: one leading blank,
// texts exactly as given, each real right-justified in a 24-column field, records wrapped
// at 79 columns after the leading blank.
// Pure: places characters and record ends in a RecordSpace and knows nothing of units,
// terminators or run-time errors. No layout of it can fail: a real moved to a new record
// always fits there (its field is at most 26 columns of the 79), and a text is split.
#pragma once

#include <cstddef>
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

  void place_real(RecordSpace& space, double value);

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

}  // namespace duopit::textio
