// lifecycle/startup.cpp — start-up, in order: the platform's process set-up, 53-bit
// precision, the console unit, the arithmetic traps, a second console unit when standard
// input and standard output are not both terminals, the termination routine; then the
// computation, once. No console interrupt handler is installed: an interrupt ends the
// process by the platform's default action, without termination.
#include "lifecycle/startup.hpp"

#include "lifecycle/process_state.hpp"
#include "lifecycle/termination.hpp"

namespace duopit::lifecycle {

void run_program(platform::Platform& os, ArithmeticSetup arithmetic, void (*computation)()) {
  platform::install(os);
  if (os.prepare_process() != platform::OsError::none) {
    fatal_startup_error(startup_error_no_resources, "not enough resources to start the program");
  }
  arithmetic.set_precision();

  ProcessState& state = process_state();
  state.console_input = ConsoleUnit{};
  arithmetic.enable_traps();
  state.console_shared = os.std_kind(platform::StdStream::input) == platform::HandleKind::terminal &&
                         os.std_kind(platform::StdStream::output) == platform::HandleKind::terminal;
  state.console_output = ConsoleUnit{};
  register_exit_routine(termination_routine);

  computation();
  exit_process(0);
}

}  // namespace duopit::lifecycle
