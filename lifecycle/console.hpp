// lifecycle/console.hpp — the console units "CON": the input line buffer, the console line
// state shared by output, input and termination, and the byte channels they use.
// When standard input and standard output are both terminals one unit serves both;
// otherwise output has a unit of its own and input never touches its line state.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/platform.hpp"

namespace duopit::lifecycle {

constexpr std::size_t console_buffer_bytes = 132;
constexpr std::string_view console_name = "CON";

struct ConsoleUnit {
  // Input side: the bytes of the last read from standard input.
  std::array<char, console_buffer_bytes> line_buffer{};
  std::int32_t line_pos = 0;    // index of the next byte to hand out
  std::int32_t line_last = -1;  // index of the last valid byte; -1 when empty
  bool end_of_file = false;
  // Console line state.
  bool line_open = false;       // a record was written and no line end has followed
  bool line_continues = false;  // the last record ended under the backslash
};

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

// The run's console units and port (set up at start-up).
ConsoleUnit& console_input_unit();
ConsoleUnit& console_output_unit();  // the same object as the input unit when shared
ConsolePort& console_port();

}  // namespace duopit::lifecycle
