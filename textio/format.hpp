// textio/format.hpp — the format walker: checks a format text and hands out its A
// descriptors one at a time, with repeat counts and groups expanded.
// It knows the A descriptor (with or without width), the backslash (or dollar sign), commas,
// repeat counts and nested groups; any other text is bad syntax. It lays nothing out and holds
// no copy of the text: a position and a bounded stack of open groups, no allocation.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "textio/format_shape.hpp"

namespace duopit::textio {

struct Descriptor {
  enum class Kind {
    a_edit,         // A-editing; `width` is its width, or -1 when the descriptor gives none
    end_of_format,  // the ")" that closes the whole format
    bad_syntax,     // the format does not parse; every call answers the same
  };
  Kind kind;
  int width;  // characters; meaningful for a_edit only
};

// The format's bytes: `length` of them, up to the first NUL for -1; an empty view (which never
// checks) for a null format or another negative length.
[[nodiscard]] constexpr std::string_view format_text(const char* format, int length) {
  if (format == nullptr || length < -1) {
    return {};
  }
  if (length == -1) {
    return {format, std::char_traits<char>::length(format)};
  }
  return {format, static_cast<std::size_t>(length)};
}

class FormatWalker {
 public:
  // Checks the whole format at once, so a bad format is known before anything is handed out;
  // for a literal, when the program is compiled.
  constexpr FormatWalker(const char* format, int length)
      : FormatWalker(format_text(format, length)) {}
  constexpr explicit FormatWalker(std::string_view text) : text_(text) {
    const format_shape::Shape shape = format_shape::check_shape(text_);
    status_ = shape.status;
    reversion_ = shape.reversion;
    final_close_ = shape.final_close;
    last_backslash_ = shape.last_backslash;
    if (shape.first.kind == format_shape::Token::Kind::a_edit) {
      first_a_start_ = shape.body_start;
      first_a_next_ = shape.first.next;
      first_a_count_ = shape.first.count;
      first_a_width_ = shape.first.width;
    }
    pos_ = shape.body_start;
  }

  [[nodiscard]] constexpr FormatStatus status() const { return status_; }

  // The next A descriptor in format order, repeats expanded, or end_of_format: after the
  // final ")" it keeps answering end_of_format until revert() is called. Backslashes on the
  // way are passed over, and a group holding no A descriptor is stepped over whole, however
  // often it repeats: while items remain a backslash has no effect, so only the A descriptors
  // matter (finish() looks for the backslashes after the last item).
  [[nodiscard]] Descriptor next_a_edit();

  // Processes the rest of the format up to the final ")" and says whether a backslash stands on
  // that stretch. Repeats still owed are taken into account without being expanded one by one.
  [[nodiscard]] bool finish();

  // Starts again at the last group at the top level of the format (with its repeat count), or
  // at the first descriptor when the format has no group: where the next record begins when
  // items remain at the final ")".
  void revert();

 private:
  struct Frame {
    int body_start;  // position just after the group's "("
    int count_left;  // passes through the body still to make, the current one included
  };

  // Pushes the group whose body starts at `body_start`, or steps over it whole when it holds
  // no A descriptor.
  void enter_group(int body_start, int count);

  std::string_view text_;
  FormatStatus status_ = FormatStatus::bad_syntax;
  int reversion_ = 0;   // position revert() returns to
  int final_close_ = 0;      // position of the ")" that ends the format
  // The body's first token when it is an A descriptor, kept from the check so that the walk
  // does not read it again: where it starts, where it ends, its repeat count and width. Every
  // statement under the report's formats, each a copy of a walker made when the program was
  // compiled, starts there: reading the token again would cost each some 120 instructions.
  int first_a_start_ = -1;
  int first_a_next_ = 0;
  int first_a_count_ = 0;
  int first_a_width_ = 0;
  int last_backslash_ = -1;  // position of the last backslash anywhere in it, -1 if none
  int pos_ = 0;        // next byte to read
  int depth_ = 0;      // open nested groups on stack_
  int a_left_ = 0;     // further repetitions owed of the last A descriptor handed out
  int a_width_ = 0;
  std::array<Frame, max_group_depth> stack_{};
};

}  // namespace duopit::textio
