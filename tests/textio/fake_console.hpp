// tests/textio/fake_console.hpp — an in-memory console port for the read statement's tests.
// As a terminal it serves one typed line per read (a line longer than the read's room is
// handed out over several reads, as a terminal does; an empty entry is a read of no bytes,
// as Ctrl-D on an empty line gives). As a file or pipe it serves a byte string in pieces of
// at most `piece` bytes. It records every write and the order of reads and writes.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <utility>

#include "lifecycle/console.hpp"

namespace duopit::testing {

class FakeConsole final : public lifecycle::ConsolePort {
 public:
  static FakeConsole terminal(std::deque<std::string> lines) {
    FakeConsole port;
    port.terminal_ = true;
    port.lines_ = std::move(lines);
    return port;
  }

  static FakeConsole stream(std::string bytes, std::size_t piece = 132) {
    FakeConsole port;
    port.bytes_ = std::move(bytes);
    port.piece_ = piece;
    return port;
  }

  platform::IoResult read_input(char* buffer, std::size_t max) override {
    ++reads;
    events += 'r';
    if (reads == fail_read) {
      return {0, platform::OsError::io_error};
    }
    std::string_view source;
    if (terminal_) {
      if (lines_.empty()) {
        ++reads_past_end;
        return {0, platform::OsError::none};
      }
      source = lines_.front();
    } else {
      source = std::string_view(bytes_).substr(std::min(offset_, bytes_.size()));
      max = std::min(max, piece_);
    }
    const std::size_t count = std::min(max, source.size());
    std::memcpy(buffer, source.data(), count);
    if (terminal_) {
      partly_read_ = count < source.size();
      if (partly_read_) {
        lines_.front().erase(0, count);
      } else {
        lines_.pop_front();
      }
    } else {
      offset_ += count;
    }
    return {count, platform::OsError::none};
  }

  void write_output(std::string_view bytes) override {
    written.append(bytes);
    events += 'w';
  }

  bool input_is_terminal() const override { return terminal_; }

  // At a terminal the rest of a partly read line is dropped; the lines after it stay.
  void discard_typed_line() override {
    events += 'd';
    if (terminal_ && !lines_.empty() && partly_read_) {
      lines_.pop_front();
      partly_read_ = false;
    }
  }

  // The typed lines no read has reached yet (the rest of a partly read one first).
  [[nodiscard]] const std::deque<std::string>& unread_lines() const { return lines_; }

  int fail_read = 0;        // the read (1-based) that fails; 0: none
  int reads = 0;
  int reads_past_end = 0;   // terminal reads made after the last typed line
  std::string written;
  std::string events;       // 'r' per read, 'w' per write, 'd' per discard, in order

 private:
  FakeConsole() = default;

  bool terminal_ = false;
  bool partly_read_ = false;
  std::deque<std::string> lines_;
  std::string bytes_;
  std::size_t offset_ = 0;
  std::size_t piece_ = 132;
};

// A console unit whose line state is as output and input can leave it: open or closed, and
// continued or not.
inline lifecycle::ConsoleUnit console_unit_with_line(bool open, bool continues) {
  lifecycle::ConsoleUnit unit;
  if (open || continues) {
    unit.end_record(!continues);
  }
  if (!open) {
    unit.end_line_by_input();
  }
  return unit;
}

}  // namespace duopit::testing
