// textio/format_shape.hpp — the tokens of a format text and the check of its shape, the part
// of the format walker (format.hpp) that runs before anything is handed out. Constant
// expressions, so that a format the program names as a literal is checked when the program is
// compiled; the walker runs the same check on a text it meets only at run time.
// Pure: reads only the bytes it is given, never past the length. Blanks and tabs are ignored
// everywhere, also between the digits of a number.
#pragma once

#include <string_view>

namespace duopit::textio {

enum class FormatStatus {
  ok,
  bad_syntax,  // the text is not a format of the known kinds, or it cannot place the items given
};

// Groups that may stand nested inside the outer parentheses.
constexpr int max_group_depth = 8;
// Largest repeat count, and largest A width in characters; larger numbers are bad syntax, so a
// typing slip cannot ask for billions of blanks or repetitions.
constexpr int max_format_number = 32767;

namespace format_shape {

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

[[nodiscard]] constexpr bool is_blank(char c) { return c == ' ' || c == '\t'; }
[[nodiscard]] constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

[[nodiscard]] constexpr int skip_blanks(std::string_view text, int pos) {
  while (pos < static_cast<int>(text.size()) && is_blank(text[pos])) {
    ++pos;
  }
  return pos;
}

// Decimal digits from `pos` (which holds one), blanks between them ignored.
[[nodiscard]] constexpr Number read_number(std::string_view text, int pos) {
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

[[nodiscard]] constexpr Token bad_token(int at) { return {Token::Kind::bad, 0, 0, at, at}; }

[[nodiscard]] constexpr Token simple_token(Token::Kind kind, int at) {
  return {kind, 1, 0, at, at + 1};
}

// The A descriptor at `pos`, with the repeat count already read.
[[nodiscard]] constexpr Token read_a_edit(std::string_view text, int start, int pos, int count) {
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

[[nodiscard]] constexpr Token read_token(std::string_view text, int pos) {
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

[[nodiscard]] constexpr bool ends_descriptor(Token::Kind kind) {
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
[[nodiscard]] constexpr Shape check_shape(std::string_view text) {
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


}  // namespace format_shape
}  // namespace duopit::textio
