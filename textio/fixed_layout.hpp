// textio/fixed_layout.hpp — lays out the items of one output statement under a format text.
// It places characters and record ends in a RecordSpace; which unit they reach, and any
// carriage control a console applies, is the unit's business, not this layer's.
#pragma once

#include <cstddef>
#include <string_view>

#include "textio/format.hpp"
#include "textio/record_space.hpp"

namespace duopit::textio {

// The records of one statement, laid out item by item as the items arrive: each item is
// edited under the next A descriptor (right-aligned in a wider field, cut to the width of a
// narrower one); finish() processes the format on to its final ")", where a backslash on
// that last stretch leaves the record open. Items left over at the final ")" end the record
// and start a new one from the last top-level group. Once the format turns out not to parse,
// or its A descriptors could never take the items, the status is bad_syntax and nothing more
// is placed; the statement then keeps nothing of what was placed.
class FixedLayout {
 public:
  // Constant expressions: a layout of a literal format is checked when the program is
  // compiled, and a statement starts from a copy of it.
  constexpr FixedLayout(const char* format, int format_length)
      : FixedLayout(format_text(format, format_length)) {}
  constexpr explicit FixedLayout(std::string_view format)
      : walker_(format), status_(walker_.status()) {}

  void place_item(RecordSpace& space, std::string_view item);
  void finish(RecordSpace& space);
  [[nodiscard]] constexpr FormatStatus status() const { return status_; }

 private:
  void edit_a(RecordSpace& space, std::string_view item, int width);
  void end_record(RecordSpace& space, bool terminated);

  FormatWalker walker_;
  FormatStatus status_;
  std::size_t pending_blanks_ = 0;  // owed before the next character placed in the record
  bool a_edit_since_start_ = false;  // an item was placed since the format (re)started
};

}  // namespace duopit::textio
