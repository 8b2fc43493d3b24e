// lifecycle/termination.cpp — process exit and the termination routine.
#include "lifecycle/termination.hpp"

#include <cassert>

#include "lifecycle/console.hpp"
#include "lifecycle/file_unit.hpp"
#include "lifecycle/run_state.hpp"

namespace duopit::lifecycle {
namespace {

// Runs the exit routines not yet run, most recent first, then ends the process.
[[noreturn]] void continue_exit() {
  RunState& state = run_state();
  while (state.exit_routine_count > 0) {
    const ExitRoutine routine = state.exit_routines[--state.exit_routine_count];
    routine();
  }
  end_process(state.exit_status);
}

}  // namespace

void register_exit_routine(ExitRoutine routine) {
  RunState& state = run_state();
  assert(state.exit_routine_count < max_exit_routines);
  state.exit_routines[state.exit_routine_count++] = routine;
}

void exit_process(int status) {
  run_state().exit_status = status;
  continue_exit();
}

void termination_routine() {
  RunState& state = run_state();
  if (state.termination_guard) {
    return;
  }
  state.termination_guard = true;
  close_all_units();
  console_output_unit().end_line(console_port());
}

void end_after_run_time_error() {
  RunState& state = run_state();
  if (state.termination_guard) {
    // Raised while termination closed the units: the remaining closes and the console
    // line end are skipped, and the exit goes on. A run that was ending normally has lost
    // the end of its report, so it must not end with the status of success.
    state.exit_status = state.exit_status == 0 ? 1 : state.exit_status;
    continue_exit();
  }
  exit_process(1);
}

}  // namespace duopit::lifecycle
