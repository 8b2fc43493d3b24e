// lifecycle/console.cpp — the console line's ends, the run's console units and the port that
// joins them to the platform's standard handles. A failed console write is not an error of
// the run: the prompt and the line ends are for the eye, and losing them must not cost the
// report.
#include "lifecycle/console.hpp"

#include "lifecycle/run_state.hpp"

namespace duopit::lifecycle {
namespace {

class StandardConsolePort final : public ConsolePort {
 public:
  platform::IoResult read_input(char* buffer, std::size_t max) override {
    return os().read_std(platform::StdStream::input, buffer, max);
  }

  void write_output(std::string_view bytes) override {
    (void)write_all_std(os(), platform::StdStream::output, bytes);
  }

  void discard_typed_line() override { os().discard_typed_line(); }

  bool input_is_terminal() const override {
    return os().std_kind(platform::StdStream::input) == platform::HandleKind::terminal;
  }
};

// The one port of the run. It holds no state: everything it does goes to the platform.
constinit StandardConsolePort standard_port;

}  // namespace

bool write_all_std(platform::Platform& os, platform::StdStream stream, std::string_view text) {
  while (!text.empty()) {
    const platform::IoResult result = os.write_std(stream, text.data(), text.size());
    if (result.error != platform::OsError::none || result.bytes == 0) {
      return false;
    }
    text.remove_prefix(result.bytes);
  }
  return true;
}

void ConsoleUnit::begin_input(ConsolePort& port) {
  if (!line_open_) {
    return;
  }
  if (!line_continues_) {
    port.write_output("\r\n");
  }
  line_continues_ = false;
  drop_input();
}

void ConsoleUnit::end_line(ConsolePort& port) const {
  if (line_open_) {
    port.write_output("\r\n");
  }
}

void set_up_console(bool shared) { run_state().console.shared = shared; }

ConsoleUnit& console_input_unit() { return run_state().console.input; }

ConsoleUnit& console_output_unit() {
  ConsoleUnits& console = run_state().console;
  return console.shared ? console.input : console.output;
}

ConsolePort& console_port() { return standard_port; }

}  // namespace duopit::lifecycle
