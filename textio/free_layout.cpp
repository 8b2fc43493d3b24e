// textio/free_layout.cpp — placing texts and reals in free-format records.
// Pure: no I/O of its own and no globals; every character goes straight to its place in the
// RecordSpace.
//
// A record holds a leading blank and up to 79 columns. Texts are written as given and are
// split across records when they do not fit; a real stands right-justified in a 24-column
// field (25 after another real, for the separating blank) and moves whole to a new record.
// Blanks are only ever owed, never written ahead: one that is still owed when a record
// ends is written then, so no blank follows the last item of a record.
#include "textio/free_layout.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "textio/edit_real.hpp"

namespace duopit::textio {

// What does not fit fills the record to its last column and goes on in a new record, which
// starts with its own owed blank even when nothing is left to go on.
void FreeLayout::split_text(RecordSpace& space, std::string_view text) {
  while (static_cast<std::size_t>(room_) <= text.size()) {
    put_owed_blanks(space);
    space.put({text.data(), static_cast<std::size_t>(room_)});
    text.remove_prefix(static_cast<std::size_t>(room_));
    space.end_record(true);
    room_ = free_record_room;
    pending_blanks_ = 1;
    if (text.empty()) {
      return;
    }
  }
  put_owed_blanks(space);
  space.put(text);
  room_ -= static_cast<int>(text.size());
}

// The rule that a real too wide for a fresh record stops the run can never apply.
static_assert(1 + real_text_capacity < free_record_room);

// The field is widened when the text is longer than the field, so the text never takes
// the record's leading blank or the blank that separates it from a real before it. The
// rounding fixes the text's length, so the owed blanks are known before it is written, and
// they go out with it: a run of 32 blanks (more than a field can owe), then the text over
// its tail, with the scratch room write_real_text may use behind it.
void FreeLayout::place_real(RecordSpace& space, double value) {
  const PrintedReal real = round_for_printing(value);
  const int length = real.length();
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
  static_assert(real_field_width + 2 <= blank_run_bytes);
  if (space.room() < blanks + real_text_room) {
    put_real_near_the_end(space, real, blanks);
    return;
  }
  char* const at = space.claim(blanks + static_cast<std::size_t>(length), blanks + real_text_room);
  std::memcpy(at, blank_run.data(), blank_run_bytes);
  write_real_text(real, at + blanks);
}

// Near the end of the space there may be room for the text but not for the scratch room
// behind it: the text is made on its own and copied.
void FreeLayout::put_real_near_the_end(RecordSpace& space, const PrintedReal& real,
                                       std::size_t blanks) {
  space.put_blanks(blanks);
  space.put(text_of(real).view());
}

}  // namespace duopit::textio
