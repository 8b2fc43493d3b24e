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
    const std::string_view part(text.data(), static_cast<std::size_t>(room_));
    space.put(static_cast<std::size_t>(pending_blanks_), part);
    pending_blanks_ = 0;
    text.remove_prefix(static_cast<std::size_t>(room_));
    space.end_record(true);
    room_ = free_record_room;
    pending_blanks_ = 1;
    if (text.empty()) {
      return;
    }
  }
  space.put(static_cast<std::size_t>(pending_blanks_), text);
  pending_blanks_ = 0;
  room_ -= static_cast<int>(text.size());
}

// The rule that a real too wide for a fresh record stops the run can never apply.
static_assert(1 + real_text_capacity < free_record_room);

// The field is widened when the text is longer than the field, so the text never takes
// the record's leading blank or the blank that separates it from a real before it. The
// rounding fixes the text's length, so the owed blanks are known before it is written, and
// they go out with it in one claim: a run of 32 blanks (more than a field can owe), then the
// text over its tail, its scratch runs spilling behind (see record_space.hpp).
void FreeLayout::place_real(RecordSpace& space, double value) {
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
