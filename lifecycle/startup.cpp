// lifecycle/startup.cpp — start-up, in order: the platform's process set-up, the answer to
// a command line that is not a plain run, 53-bit precision, the arithmetic traps, the console
// units (one shared unit when standard input and standard output are both terminals, else
// two), the termination routine; then the computation, once. No console interrupt handler is
// installed: an interrupt ends the process by the platform's default action, without
// termination.
#include "lifecycle/startup.hpp"

#include "lifecycle/console.hpp"
#include "lifecycle/run_state.hpp"
#include "lifecycle/run_time_error.hpp"
#include "lifecycle/termination.hpp"

namespace duopit::lifecycle {
namespace {

// Help and version on standard output (status 1 if they could not be written), or the
// usage error on standard error with status 2. No unit exists yet and none is made.
[[noreturn]] void answer(platform::Platform& os, const CommandLine& command) {
  using platform::StdStream;
  switch (command.request) {
    case Request::help:
      end_process(write_all_std(os, StdStream::output, help_text()) ? 0 : 1);
    case Request::version:
      end_process(write_all_std(os, StdStream::output, version_text()) ? 0 : 1);
    case Request::usage_error:
    case Request::run:
      break;
  }
  (void)(write_all_std(os, StdStream::error, usage_error_head) &&
         write_all_std(os, StdStream::error, {command.shown.data(), command.shown_length}) &&
         write_all_std(os, StdStream::error, usage_error_tail()));
  end_process(usage_error_status);
}

}  // namespace

void run_program(platform::Platform& os, ArithmeticSetup arithmetic, void (*computation)(),
                 const CommandLine& command) {
  install_platform(os);
  if (os.prepare_process() != platform::OsError::none) {
    fatal_startup_error(RunTimeError::startup_no_resources);
  }
  if (command.request != Request::run) {
    answer(os, command);
  }
  arithmetic.set_precision();

  arithmetic.enable_traps();
  set_up_console(os.std_kind(platform::StdStream::input) == platform::HandleKind::terminal &&
                 os.std_kind(platform::StdStream::output) == platform::HandleKind::terminal);
  register_exit_routine(termination_routine);

  computation();
  exit_process(0);
}

}  // namespace duopit::lifecycle
