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

#include <cstddef>


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

}  // namespace duopit::textio
