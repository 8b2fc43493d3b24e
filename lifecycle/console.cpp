// lifecycle/console.cpp — the run's console units and the port that joins them to the
// platform's standard handles. A failed console write is not an error of the run: the
// prompt and the line ends are for the eye, and losing them must not cost the report.
#include "lifecycle/console.hpp"

#include "lifecycle/process_state.hpp"

namespace duopit::lifecycle {
namespace {

class StandardConsolePort final : public ConsolePort {
 public:
  platform::IoResult read_input(char* buffer, std::size_t max) override {
    return platform::current().read_std(platform::StdStream::input, buffer, max);
  }

  void write_output(std::string_view bytes) override {
    platform::Platform& os = platform::current();
    while (!bytes.empty()) {
      const platform::IoResult result =
          os.write_std(platform::StdStream::output, bytes.data(), bytes.size());
      if (result.error != platform::OsError::none || result.bytes == 0) {
        return;
      }
      bytes.remove_prefix(result.bytes);
    }
  }

  void discard_typed_line() override { platform::current().discard_typed_line(); }

  bool input_is_terminal() const override {
    return platform::current().std_kind(platform::StdStream::input) ==
           platform::HandleKind::terminal;
  }
};

// Stateless; the one port of the run.
StandardConsolePort standard_port;

}  // namespace

ConsoleUnit& console_input_unit() { return process_state().console_input; }

ConsoleUnit& console_output_unit() {
  ProcessState& state = process_state();
  return state.console_shared ? state.console_input : state.console_output;
}

ConsolePort& console_port() { return standard_port; }

}  // namespace duopit::lifecycle
