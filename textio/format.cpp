// textio/format.cpp — the walk through a checked format (its tokens and check are in
// format_shape.hpp). Pure: reads only the bytes it is given (never past the length), writes
// nothing but its own state.
#include "textio/format.hpp"

#include <cassert>

namespace duopit::textio {
namespace {

using format_shape::read_token;
using format_shape::Token;

struct GroupScan {
  int close;  // position of the ")" that closes the group
  bool has_a_edit;
  bool has_backslash;
};

// From `pos` inside a group's body (or the outer body) of a checked format to the ")" closing
// that group: what stands on the way, each descriptor counted once, repeats not expanded.
[[nodiscard]] GroupScan scan_to_close(std::string_view text, int pos) {
  GroupScan scan{pos, false, false};
  for (int level = 0;;) {
    const Token token = read_token(text, pos);
    switch (token.kind) {
      case Token::Kind::group_open:
        ++level;
        break;
      case Token::Kind::a_edit:
        scan.has_a_edit = true;
        break;
      case Token::Kind::backslash:
        scan.has_backslash = true;
        break;
      case Token::Kind::close:
        if (level == 0) {
          scan.close = token.start;
          return scan;
        }
        --level;
        break;
      case Token::Kind::comma:
        break;
      case Token::Kind::end_of_text:
      case Token::Kind::bad:
        assert(false && "scan_to_close on a format that did not check");
        scan.close = token.start;
        return scan;
    }
    pos = token.next;
  }
}

}  // namespace

Descriptor FormatWalker::next_a_edit() {
  if (status_ != FormatStatus::ok) {
    return {Descriptor::Kind::bad_syntax, 0};
  }
  if (a_left_ > 0) {
    --a_left_;
    return {Descriptor::Kind::a_edit, a_width_};
  }
  if (pos_ == first_a_start_ && depth_ == 0) {
    pos_ = first_a_next_;
    a_width_ = first_a_width_;
    a_left_ = first_a_count_ - 1;
    return {Descriptor::Kind::a_edit, a_width_};
  }
  for (;;) {
    const Token token = read_token(text_, pos_);
    pos_ = token.next;
    switch (token.kind) {
      case Token::Kind::a_edit:
        a_width_ = token.width;
        a_left_ = token.count - 1;
        return {Descriptor::Kind::a_edit, a_width_};
      case Token::Kind::backslash:
      case Token::Kind::comma:
        break;
      case Token::Kind::group_open:
        enter_group(token.next, token.count);
        break;
      case Token::Kind::close:
        if (depth_ == 0) {
          pos_ = token.start;  // stay on the final ")": later calls answer the same
          return {Descriptor::Kind::end_of_format, 0};
        }
        if (--stack_[depth_ - 1].count_left > 0) {
          pos_ = stack_[depth_ - 1].body_start;
        } else {
          --depth_;
        }
        break;
      case Token::Kind::end_of_text:
      case Token::Kind::bad:
        assert(false && "walking a format that did not check");
        return {Descriptor::Kind::bad_syntax, 0};
    }
  }
}

void FormatWalker::enter_group(int body_start, int count) {
  const GroupScan body = scan_to_close(text_, body_start);
  if (!body.has_a_edit) {
    pos_ = body.close + 1;  // nothing in it could take an item: step over every pass at once
    return;
  }
  stack_[depth_++] = {body_start, count};
}

bool FormatWalker::finish() {
  if (status_ != FormatStatus::ok) {
    return false;
  }
  a_left_ = 0;
  if (depth_ == 0) {
    // Outside every group the rest of the format is the text up to its final ")".
    const bool backslash = last_backslash_ >= pos_;
    pos_ = final_close_;
    return backslash;
  }
  bool backslash = false;
  // Innermost group outwards: the rest of the current pass, then one more whole pass of the body
  // if the group still repeats (further passes can add nothing new).
  for (; depth_ > 0; --depth_) {
    const Frame& frame = stack_[depth_ - 1];
    const GroupScan rest = scan_to_close(text_, pos_);
    backslash = backslash || rest.has_backslash;
    if (frame.count_left > 1) {
      backslash = backslash || scan_to_close(text_, frame.body_start).has_backslash;
    }
    pos_ = rest.close + 1;
  }
  const GroupScan rest = scan_to_close(text_, pos_);
  pos_ = rest.close;
  return backslash || rest.has_backslash;
}

void FormatWalker::revert() {
  pos_ = reversion_;
  depth_ = 0;
  a_left_ = 0;
}

}  // namespace duopit::textio
