// textio/format.cpp — tokens of a format text, the check of its shape, and the walk through it.
// Pure: reads only the bytes it is given (never past the length), writes nothing but its own
// state. Blanks and tabs are ignored everywhere, also between the digits of a number.
#include "textio/format.hpp"

#include <cassert>
#include <cstring>

namespace duopit::textio {
namespace {

struct Token {
  enum class Kind { group_open, a_edit, backslash, comma, close, end_of_text, bad };
  Kind kind;
  int count;  // repeat count standing before a group or an A descriptor; 1 when none
  int width;  // A width, or -1
  int start;  // first byte of the token, its repeat count included
  int next;   // first byte after it
};

struct Number {
  int value;
  int next;
  bool usable;  // from 1 to max_format_number
};

[[nodiscard]] bool is_blank(char c) { return c == ' ' || c == '\t'; }
[[nodiscard]] bool is_digit(char c) { return c >= '0' && c <= '9'; }

[[nodiscard]] int skip_blanks(std::string_view text, int pos) {
  while (pos < static_cast<int>(text.size()) && is_blank(text[pos])) {
    ++pos;
  }
  return pos;
}

// Decimal digits from `pos` (which holds one), blanks between them ignored.
[[nodiscard]] Number read_number(std::string_view text, int pos) {
  long long value = 0;
  while (pos < static_cast<int>(text.size()) && is_digit(text[pos])) {
    if (value <= max_format_number) {  // stop growing once too large: no overflow
      value = value * 10 + (text[pos] - '0');
    }
    pos = skip_blanks(text, pos + 1);
  }
  const bool usable = value >= 1 && value <= max_format_number;
  return {usable ? static_cast<int>(value) : 0, pos, usable};
}

[[nodiscard]] Token bad_token(int at) { return {Token::Kind::bad, 0, 0, at, at}; }

[[nodiscard]] Token simple_token(Token::Kind kind, int at) { return {kind, 1, 0, at, at + 1}; }

// The A descriptor at `pos`, with the repeat count already read.
[[nodiscard]] Token read_a_edit(std::string_view text, int start, int pos, int count) {
  const int after = skip_blanks(text, pos + 1);
  if (after >= static_cast<int>(text.size()) || !is_digit(text[after])) {
    return {Token::Kind::a_edit, count, -1, start, after};
  }
  const Number width = read_number(text, after);
  if (!width.usable) {
    return bad_token(after);
  }
  return {Token::Kind::a_edit, count, width.value, start, width.next};
}

[[nodiscard]] Token read_token(std::string_view text, int pos) {
  const int length = static_cast<int>(text.size());
  const int start = skip_blanks(text, pos);
  if (start >= length) {
    return {Token::Kind::end_of_text, 0, 0, start, start};
  }
  int at = start;
  int count = 1;
  const bool counted = is_digit(text[at]);
  if (counted) {
    const Number repeat = read_number(text, at);
    if (!repeat.usable || repeat.next >= length) {
      return bad_token(at);
    }
    count = repeat.value;
    at = repeat.next;
  }
  const char c = text[at];
  if (c == '(') {
    return {Token::Kind::group_open, count, 0, start, at + 1};
  }
  if (c == 'A' || c == 'a') {
    return read_a_edit(text, start, at, count);
  }
  if (counted) {  // only groups and A descriptors take a repeat count
    return bad_token(at);
  }
  switch (c) {
    case '\\':
    case '$':
      return simple_token(Token::Kind::backslash, at);
    case ',':
      return simple_token(Token::Kind::comma, at);
    case ')':
      return simple_token(Token::Kind::close, at);
    default:
      return bad_token(at);
  }
}

[[nodiscard]] bool ends_descriptor(Token::Kind kind) {
  return kind == Token::Kind::a_edit || kind == Token::Kind::backslash ||
         kind == Token::Kind::close;
}

struct Shape {
  FormatStatus status;
  int body_start;      // just after the outer "("
  int reversion;       // start of the last top-level group, or body_start when there is none
  int final_close;     // the ")" that ends the format
  int last_backslash;  // the last backslash, at any depth; -1 when there is none
  Token first;         // the body's first token
};

constexpr Shape bad_shape{FormatStatus::bad_syntax, 0, 0, 0, -1, {Token::Kind::bad, 0, 0, 0, 0}};

// Checks the whole format: outer parentheses, nesting depth, where commas may stand, no empty
// nested group. Text after the matching ")" is not looked at.
[[nodiscard]] Shape check_shape(std::string_view text) {
  const Token open = read_token(text, 0);
  if (open.kind != Token::Kind::group_open || text[open.start] != '(') {
    return bad_shape;  // no "(" first, or a repeat count before it
  }
  int reversion = open.next;
  int last_backslash = -1;
  Token first = bad_token(open.next);
  int depth = 0;
  Token::Kind previous = Token::Kind::group_open;
  for (int pos = open.next;;) {
    const Token token = read_token(text, pos);
    switch (token.kind) {
      case Token::Kind::end_of_text:  // the length ends before the matching ")"
      case Token::Kind::bad:
        return bad_shape;
      case Token::Kind::group_open:
        if (depth == max_group_depth) {
          return bad_shape;
        }
        if (depth == 0) {
          reversion = token.start;
        }
        ++depth;
        break;
      case Token::Kind::comma:
        if (!ends_descriptor(previous)) {
          return bad_shape;  // a comma only follows a descriptor
        }
        break;
      case Token::Kind::close:
        if (depth == 0) {
          return {FormatStatus::ok, open.next, reversion, token.start, last_backslash, first};
        }
        if (previous == Token::Kind::group_open) {
          return bad_shape;  // "()" inside a format describes nothing to repeat
        }
        --depth;
        break;
      case Token::Kind::backslash:
        last_backslash = token.start;
        break;
      case Token::Kind::a_edit:
        break;
    }
    if (pos == open.next) {
      first = token;
    }
    previous = token.kind;
    pos = token.next;
  }
}

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

FormatStatus check_format(const char* format, int length) {
  return check_shape(format_text(format, length)).status;
}

std::string_view format_text(const char* format, int length) {
  if (format == nullptr || length < -1) {
    return {};
  }
  if (length == -1) {
    return {format, std::strlen(format)};
  }
  return {format, static_cast<std::size_t>(length)};
}

FormatWalker::FormatWalker(const char* format, int length)
    : FormatWalker(format_text(format, length)) {}

FormatWalker::FormatWalker(std::string_view text) : text_(text) {
  const Shape shape = check_shape(text_);
  status_ = shape.status;
  reversion_ = shape.reversion;
  final_close_ = shape.final_close;
  last_backslash_ = shape.last_backslash;
  if (shape.first.kind == Token::Kind::a_edit) {
    first_a_start_ = shape.body_start;
    first_a_next_ = shape.first.next;
    first_a_count_ = shape.first.count;
    first_a_width_ = shape.first.width;
  }
  body_start_ = shape.body_start;
  pos_ = body_start_;
}

Descriptor FormatWalker::next() { return step(false); }

Descriptor FormatWalker::next_a_edit() { return step(true); }

Descriptor FormatWalker::step(bool a_edits_only) {
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
        if (!a_edits_only) {
          return {Descriptor::Kind::backslash, 0};
        }
        break;
      case Token::Kind::comma:
        break;
      case Token::Kind::group_open:
        enter_group(token.next, token.count, a_edits_only);
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

void FormatWalker::enter_group(int body_start, int count, bool a_edits_only) {
  if (a_edits_only) {
    const GroupScan body = scan_to_close(text_, body_start);
    if (!body.has_a_edit) {
      pos_ = body.close + 1;  // nothing in it could take an item: step over every pass at once
      return;
    }
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
