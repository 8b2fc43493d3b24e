// lifecycle/console.hpp — the console units "CON": the input line buffer, the console line
// state shared by output, input and termination, the room where a console write statement's
// records wait, and the byte channels they use. A unit's fields change only through its own
// operations. When standard input and standard output are both terminals one unit serves
// both; otherwise output has a unit of its own and input never touches its line state.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lifecycle/record_room.hpp"
#include "platform/platform.hpp"

namespace duopit::lifecycle {

constexpr std::size_t console_buffer_bytes = 132;
constexpr std::string_view console_name = "CON";

// Writes all of `text` to a standard handle, calling again after a short write; false if
// some of it could not be written.
bool write_all_std(platform::Platform& os, platform::StdStream stream, std::string_view text);

// The console's byte channels as the statements see them. The real port forwards to the
// platform's standard handles; tests give their own.
class ConsolePort {
 public:
  // One untranslated read of at most `max` bytes from standard input.
  [[nodiscard]] virtual platform::IoResult read_input(char* buffer, std::size_t max) = 0;
  // Untranslated bytes to standard output, at once.
  virtual void write_output(std::string_view bytes) = 0;
  // Was standard input a terminal when the run started?
  [[nodiscard]] virtual bool input_is_terminal() const = 0;
  // Drops the rest of the line being typed at the terminal, so that a refused line does
  // not reach whoever reads the terminal next.
  virtual void discard_typed_line() = 0;

 protected:
  // Never destroyed through this interface: the run's instance lives until the process ends,
  // and a trivial destructor keeps it out of the exit-time destructor list.
  ~ConsolePort() = default;
};

// Every member starts at zero, so that a unit costs no page until it is used.
class ConsoleUnit {
 public:
  // --- The console line --------------------------------------------------------------------
  // A record was written and no line end has followed.
  [[nodiscard]] bool line_open() const { return line_open_; }
  // The last record ended under a backslash: the next one continues its line.
  [[nodiscard]] bool line_continues() const { return line_continues_; }
  // A record has gone to standard output; unless `terminated`, the next continues its line.
  void end_record(bool terminated) {
    line_open_ = true;
    line_continues_ = !terminated;
  }
  // Before the first item of a read: a line that output left open is ended, with CR LF
  // unless the last record asked to continue it (as the prompt does, so that the echo of the
  // typing follows it), and what the buffer still holds is dropped, so that the value comes
  // from a fresh read.
  void begin_input(ConsolePort& port);
  // The user's line end, or the end of the input, has ended the console line.
  void end_line_by_input() { line_open_ = false; }
  // At termination: CR LF if the line is open.
  void end_line(ConsolePort& port) const;

  // --- The input buffer: the bytes of the last read, handed out one at a time ---------------
  [[nodiscard]] bool has_input() const { return next_ < end_; }
  [[nodiscard]] char take_char() {
    assert(has_input());
    return input_[next_++];
  }
  // Hands the last character taken out again.
  void put_back() {
    assert(next_ > 0);
    --next_;
  }
  // Where a read puts its bytes; hold_input(size) then hands out the first `size` of them.
  [[nodiscard]] char* input_buffer() { return input_.data(); }
  void hold_input(std::size_t size) {
    assert(size <= input_.size());
    next_ = 0;
    end_ = static_cast<std::uint32_t>(size);
  }
  void drop_input() { next_ = end_ = 0; }
  // The input has ended: every later refill finds the end at once.
  [[nodiscard]] bool input_ended() const { return input_ended_; }
  void mark_input_ended() { input_ended_ = true; }
  // What is handed out lies within what the last read brought (checked by the fuzz target).
  [[nodiscard]] bool input_in_bounds() const { return next_ <= end_ && end_ <= input_.size(); }

  // --- Where a console write statement lays out its records; record_spill_bytes follow the end
  [[nodiscard]] char* records_begin() { return records_.data(); }
  [[nodiscard]] char* records_end() { return records_.data() + console_statement_bytes; }

 private:
  std::uint32_t next_ = 0;  // the next byte of input_ to hand out
  std::uint32_t end_ = 0;   // input_[next_, end_) is still to be handed out
  bool input_ended_ = false;
  bool line_open_ = false;
  bool line_continues_ = false;
  std::array<char, console_buffer_bytes> input_{};
  std::array<char, console_statement_bytes + record_spill_bytes> records_{};
};

// The run's console units (in the run's state).
struct ConsoleUnits {
  ConsoleUnit input;    // the shared unit when both standard handles are terminals
  ConsoleUnit output;   // used only when the units are separate
  bool shared = false;
};

// Start-up, on the run's fresh state: one unit shared by input and output, or two.
void set_up_console(bool shared);

ConsoleUnit& console_input_unit();
ConsoleUnit& console_output_unit();  // the same object as the input unit when shared
ConsolePort& console_port();

}  // namespace duopit::lifecycle
