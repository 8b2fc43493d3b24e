// textio/line_source.cpp — lines from standard input through the console unit's buffer.
#include "textio/line_source.hpp"

#include <algorithm>
#include <cassert>

namespace duopit::textio {
namespace {

constexpr std::size_t buffer_bytes = lifecycle::console_buffer_bytes;
// A read whose third byte from the end is Ctrl-Z (Ctrl-Z, CR, LF typed as a line) is end of
// input, and whatever came before it on that line is dropped.
constexpr char ctrl_z = '\x1A';

}  // namespace

void LineSource::begin_input() { unit_.begin_input(port_); }

// Input that ends right after a value has no line left to dispose of; the line has ended.
void LineSource::end_line_at_end_of_input() { unit_.end_line_by_input(); }

ReadStatus LineSource::next_char(char& c) {
  if (!unit_.has_input()) {
    const ReadStatus refilled = refill();
    if (refilled != ReadStatus::ok) {
      return refilled;
    }
  }
  c = unit_.take_char();
  return ReadStatus::ok;
}

void LineSource::put_back() { unit_.put_back(); }

// Fills the buffer from standard input. The checks come in this order: the read failed or
// returned nothing; a last line without LF gets one; a full terminal read without LF is a
// line too long; a Ctrl-Z third from the end is end of input. Nothing of a refused read is
// handed out.
ReadStatus LineSource::refill() {
  unit_.drop_input();
  if (unit_.input_ended()) {
    return ReadStatus::end_of_file;
  }
  bool failed = false;
  const std::size_t n = read_piece(failed);
  if (failed) {
    return ReadStatus::read_failed;
  }
  if (n == 0) {
    unit_.mark_input_ended();
    return ReadStatus::end_of_file;
  }
  char* const buffer = unit_.input_buffer();
  const bool ends_in_lf = buffer[n - 1] == '\n';
  const bool append_lf = n < buffer_bytes && !ends_in_lf;
  if (append_lf) {
    buffer[n] = '\n';
  }
  if (n == buffer_bytes && !ends_in_lf && port_.input_is_terminal()) {
    // The rest of the refused line still waits at the terminal: it must not reach whoever
    // reads the terminal next, such as the shell.
    port_.discard_typed_line();
    return ReadStatus::line_too_long;
  }
  if (n >= 3 && buffer[n - 3] == ctrl_z) {
    unit_.mark_input_ended();
    return ReadStatus::end_of_file;
  }
  unit_.hold_input(append_lf ? n + 1 : n);
  return ReadStatus::ok;
}

// On a terminal one read returns one typed line: exactly one read is made. From a file or a
// pipe, reads are repeated until the piece is full, ends in LF or the input ends, so that a
// writer that splits a line over several writes does not split the value in it. A failed
// read fails the whole piece: a value cut short by it must not be taken as typed.
std::size_t LineSource::read_piece(bool& failed) {
  char* const buffer = unit_.input_buffer();
  const bool terminal = port_.input_is_terminal();
  std::size_t n = 0;
  do {
    const platform::IoResult result = port_.read_input(buffer + n, buffer_bytes - n);
    if (result.error != platform::OsError::none) {
      failed = true;
      return 0;
    }
    if (result.bytes == 0) {
      unit_.mark_input_ended();
      return n;
    }
    n += std::min(result.bytes, buffer_bytes - n);
  } while (!terminal && n < buffer_bytes && buffer[n - 1] != '\n');
  return n;
}

// On a terminal a read holds one whole line, so the rest of it is dropped by emptying the
// buffer; otherwise characters are taken up to and including the next LF. Input that ends
// first simply ends the line. Either way the user's line end has ended the console line.
ReadStatus LineSource::dispose_of_line() {
  if (port_.input_is_terminal()) {
    unit_.drop_input();
  } else {
    char c = 0;
    do {
      const ReadStatus got = next_char(c);
      if (got == ReadStatus::end_of_file) {
        break;
      }
      if (got != ReadStatus::ok) {
        return got;
      }
    } while (c != '\n');
  }
  unit_.end_line_by_input();
  return ReadStatus::ok;
}

}  // namespace duopit::textio
