// textio/read_statement.cpp — the console read statement: obtaining lines from standard input,
// finding each value among blanks, separators and line ends, and disposing of the rest of
// the line. The core returns statuses; only the three program-facing calls at the end turn
// a failure into a run-time error. It does not convert texts itself (convert_real) and does
// not decide what the console port is connected to (start-up does).
#include "textio/read_statement.hpp"

#include <algorithm>
#include <array>
#include <cassert>
#include <limits>
#include <cstdlib>
#include <optional>

#include "textio/convert_real.hpp"
#include "textio/repeat_count.hpp"
#include "textio/statement_state.hpp"

namespace duopit::textio {
namespace {

using lifecycle::RunTimeError;

struct ReadError {
  ReadStatus status;
  RunTimeError error;
};

// The error of each status but ok, in the order of the enumeration: a status without a row
// leaves the last row empty, and the check of the order fails.
constexpr std::array<ReadError, static_cast<std::size_t>(ReadStatus::count) - 1> read_errors{{
    {ReadStatus::end_of_file, RunTimeError::end_of_file},
    {ReadStatus::read_failed, RunTimeError::read_failed},
    {ReadStatus::line_too_long, RunTimeError::line_too_long},
    {ReadStatus::bad_syntax, RunTimeError::real_bad_syntax},
    {ReadStatus::too_large, RunTimeError::real_too_large},
    {ReadStatus::not_a_real, RunTimeError::value_not_real},
    {ReadStatus::repeat_zero, RunTimeError::repeat_count_zero},
    {ReadStatus::repeat_twice, RunTimeError::repeat_count_twice},
    {ReadStatus::repeat_bad_char, RunTimeError::repeat_count_bad_char},
    {ReadStatus::repeat_overflow, RunTimeError::repeat_count_overflow},
    {ReadStatus::repeat_two_hashes, RunTimeError::repeat_count_two_hashes},
    {ReadStatus::repeat_bad_radix, RunTimeError::repeat_count_bad_radix},
}};

constexpr bool read_errors_in_enum_order() {
  for (std::size_t i = 0; i < read_errors.size(); ++i) {
    if (static_cast<std::size_t>(read_errors[i].status) != i + 1) {
      return false;
    }
  }
  return true;
}
static_assert(read_errors_in_enum_order());

}  // namespace

RunTimeError to_run_time_error(ReadStatus status) {
  assert(status != ReadStatus::ok && "ok is not an error");
  return read_errors[static_cast<std::size_t>(status) - 1].error;
}

ReadStatement::ReadStatement(lifecycle::ConsoleUnit& unit, lifecycle::ConsolePort& port)
    : line_(unit, port) {}

ReadStatus ReadStatement::read_real(double& destination) {
  if (!started_) {
    started_ = true;
    line_.begin_input();
  }
  if (repeat_left_ > 0) {
    --repeat_left_;
    return deliver(destination);
  }
  if (slash_seen_) {
    return ReadStatus::ok;
  }
  const ReadStatus scanned = scan_value();
  if (scanned != ReadStatus::ok) {
    return scanned;
  }
  return deliver(destination);
}

ReadStatus ReadStatement::finish() {
  if (ended_by_line_end_) {
    return ReadStatus::ok;
  }
  return line_.dispose_of_line();
}

// Collects one value: characters up to a separator, with the repeat count, parentheses and
// quotes handled as they come. The value is in value_text_ and scan_mode_ when it ends.
ReadStatus ReadStatement::scan_value() {
  value_length_ = 0;
  scan_mode_ = ScanMode::plain;
  after_closing_quote_ = false;
  count_given_ = false;
  ended_by_line_end_ = false;
  for (;;) {
    char c = 0;
    const ReadStatus got = line_.next_char(c);
    if (got == ReadStatus::end_of_file && value_in_progress()) {
      // Input that ends right after a value (a file whose last line fills its last piece
      // exactly, without a line end) ends the value; there is no line left to dispose of.
      line_.end_line_at_end_of_input();
      ended_by_line_end_ = true;
      last_separator_ = ' ';
      return ReadStatus::ok;
    }
    if (got != ReadStatus::ok) {
      return got;
    }
    const Step step = scan_mode_ == ScanMode::quoted ? take_quoted(c) : take_plain(c);
    if (step == Step::value_ended) {
      return ReadStatus::ok;
    }
    if (step == Step::failed) {
      return failure_;
    }
  }
}

ReadStatement::Step ReadStatement::take_plain(char c) {
  const bool nothing_yet = value_length_ == 0 && !count_given_;
  const bool plain = scan_mode_ == ScanMode::plain;
  switch (c) {
    case '\r':
    case '\n':
      return take_line_end();
    case ' ':
    case '\t':
      if (nothing_yet || !plain) {
        return Step::more;
      }
      return end_value(' ');
    case ',':
      // Blanks around a comma make one separator.
      if (nothing_yet && last_separator_ == ' ') {
        last_separator_ = ',';
        return Step::more;
      }
      if (!plain) {
        break;
      }
      return end_value(',');
    case '/':
      slash_seen_ = true;
      return end_value('/');
    case '*':
      if (plain) {
        return take_repeat_count();
      }
      break;
    case '(':
      if (plain && value_length_ == 0) {
        scan_mode_ = ScanMode::parenthesised;
        return Step::more;
      }
      break;
    case ')':
      if (!plain) {
        return end_value(' ');
      }
      break;
    case '\'':
    case '"':
      if (plain && value_length_ == 0) {
        scan_mode_ = ScanMode::quoted;
        quote_ = c;
        return Step::more;
      }
      break;
    default:
      break;
  }
  return append(c);
}

// Inside quotes everything is text up to the closing quote, a doubled quote standing for one;
// a line end inside them only moves on to the next line. The character after the closing
// quote ends the value.
ReadStatement::Step ReadStatement::take_quoted(char c) {
  const bool line_end = c == '\r' || c == '\n';
  if (!after_closing_quote_) {
    if (c == quote_) {
      after_closing_quote_ = true;
      return Step::more;
    }
    if (line_end) {
      return take_line_end();
    }
    return append(c);
  }
  if (c == quote_) {
    after_closing_quote_ = false;
    return append(c);
  }
  if (line_end) {
    return take_line_end();
  }
  if (c == '/') {
    slash_seen_ = true;
  }
  return end_value(c == ',' || c == '/' ? c : ' ');
}

// A line end is put back and its line disposed of; then it acts as a blank, except that it
// does not end a value inside parentheses or quotes, nor one that has not begun.
ReadStatement::Step ReadStatement::take_line_end() {
  line_.put_back();
  const ReadStatus disposed = line_.dispose_of_line();
  if (disposed != ReadStatus::ok) {
    return fail(disposed);
  }
  const bool open_quote = scan_mode_ == ScanMode::quoted && !after_closing_quote_;
  if (scan_mode_ == ScanMode::parenthesised || open_quote ||
      (value_length_ == 0 && !count_given_ && scan_mode_ == ScanMode::plain)) {
    return Step::more;
  }
  ended_by_line_end_ = true;
  return end_value(' ');
}

// The characters before "*" are a count; what follows is the value it repeats (a null value
// when a separator follows at once). Only one count may precede a value, and it must be
// non-zero.
ReadStatement::Step ReadStatement::take_repeat_count() {
  const RepeatCount count =
      parse_repeat_count({value_text_.data(), static_cast<std::size_t>(value_length_)});
  if (count.status != ReadStatus::ok) {
    return fail(count.status);
  }
  if (count_given_) {
    return fail(ReadStatus::repeat_twice);
  }
  if (count.value == 0) {
    return fail(ReadStatus::repeat_zero);
  }
  count_given_ = true;
  // A negative count is taken as a very large one: with one destination only the value
  // that follows it shows.
  repeat_left_ = count.value > 0 ? count.value - 1 : std::numeric_limits<std::int32_t>::max();
  value_length_ = 0;
  return Step::more;
}

ReadStatement::Step ReadStatement::end_value(char separator) {
  last_separator_ = separator;
  return Step::value_ended;
}

ReadStatement::Step ReadStatement::fail(ReadStatus status) {
  failure_ = status;
  return Step::failed;
}

// Has the value begun, so that the end of input can end it?
bool ReadStatement::value_in_progress() const {
  if (scan_mode_ == ScanMode::quoted) {
    return after_closing_quote_;
  }
  return scan_mode_ == ScanMode::plain && (value_length_ > 0 || count_given_);
}

// A value may hold 259 characters. The 260th refuses it at once, without reading on: input
// that never ends a value (endless NUL bytes, say) must not keep the run waiting.
ReadStatement::Step ReadStatement::append(char c) {
  if (static_cast<std::size_t>(value_length_) == max_value_length) {
    return fail(ReadStatus::bad_syntax);
  }
  value_text_[static_cast<std::size_t>(value_length_)] = c;
  ++value_length_;
  return Step::more;
}

ReadStatus ReadStatement::deliver(double& destination) const {
  if (value_length_ == 0) {
    return ReadStatus::ok;  // a null value leaves the destination as it was
  }
  if (scan_mode_ != ScanMode::plain) {
    return ReadStatus::not_a_real;
  }
  const Converted converted =
      convert_real({value_text_.data(), static_cast<std::size_t>(value_length_)});
  if (converted.status != ReadStatus::ok) {
    return converted.status;
  }
  destination = converted.value;
  return ReadStatus::ok;
}

namespace {

void raise_if_failed(ReadStatus status) {
  if (status != ReadStatus::ok) {
    lifecycle::run_time_error(to_run_time_error(status), lifecycle::Statement::read,
                              lifecycle::console_name);
  }
}

// An item or an end without begin_read is a fault of the program itself, never of its
// input: it stops at once rather than read from a statement nobody began.
ReadStatement& statement_in_progress() {
  std::optional<ReadStatement>& statement = statement_state().read;
  if (!statement) {
    std::abort();
  }
  return *statement;
}

}  // namespace

// The program has one read statement at a time, kept in the run's state between its calls;
// it owns no resources and needs no destruction.
void begin_read() {
  statement_state().read.emplace(lifecycle::console_input_unit(), lifecycle::console_port());
}

void read_real_item(double& destination) {
  raise_if_failed(statement_in_progress().read_real(destination));
}

void end_read() {
  const ReadStatus status = statement_in_progress().finish();
  statement_state().read.reset();
  raise_if_failed(status);
}

}  // namespace duopit::textio
