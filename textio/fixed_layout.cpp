// textio/fixed_layout.cpp — A-editing of text items and record ends under a format.
// Pure apart from the space it is handed; applies no carriage control: the first character of
// a record is data like any other.
#include "textio/fixed_layout.hpp"

namespace duopit::textio {

// A-editing: width -1 takes the item's own length. Owed blanks go out only in front of
// characters: an empty item leaves them owed.
void FixedLayout::edit_a(RecordSpace& space, std::string_view item, int width) {
  const std::size_t field = width < 0 ? item.size() : static_cast<std::size_t>(width);
  if (field > item.size()) {
    pending_blanks_ += field - item.size();
  } else {
    item = {item.data(), field};
  }
  if (item.empty()) {
    return;
  }
  space.put(pending_blanks_, item);
  pending_blanks_ = 0;
}

// Blanks still owed at the end of a record are dropped.
void FixedLayout::end_record(RecordSpace& space, bool terminated) {
  pending_blanks_ = 0;
  space.end_record(terminated);
}

void FixedLayout::place_item(RecordSpace& space, std::string_view item) {
  if (status_ != FormatStatus::ok) {
    return;
  }
  Descriptor descriptor = walker_.next_a_edit();
  while (descriptor.kind == Descriptor::Kind::end_of_format) {
    if (!a_edit_since_start_) {
      status_ = FormatStatus::bad_syntax;  // another pass would find no A either: no end
      return;
    }
    end_record(space, true);
    walker_.revert();
    a_edit_since_start_ = false;
    descriptor = walker_.next_a_edit();
  }
  if (descriptor.kind != Descriptor::Kind::a_edit) {
    status_ = FormatStatus::bad_syntax;
    return;
  }
  a_edit_since_start_ = true;
  edit_a(space, item, descriptor.width);
}

void FixedLayout::finish(RecordSpace& space) {
  if (status_ != FormatStatus::ok) {
    return;
  }
  const bool left_open = walker_.finish();
  end_record(space, !left_open);
}

}  // namespace duopit::textio
