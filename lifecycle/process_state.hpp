// lifecycle/process_state.hpp — the few pieces of state that the process model needs for the
// whole run: the exit routines, the termination guard and status, the console units. The
// report-file unit table lives with the file units (file_unit.cpp).
#pragma once

#include <array>

#include "lifecycle/console.hpp"
#include "lifecycle/termination.hpp"

namespace duopit::lifecycle {

constexpr int max_exit_routines = 4;

struct ProcessState {
  std::array<ExitRoutine, max_exit_routines> exit_routines{};
  int exit_routine_count = 0;
  int exit_status = 0;
  bool termination_guard = false;  // set when the termination routine begins
  ConsoleUnit console_input;       // the shared unit when both standard handles are terminals
  ConsoleUnit console_output;      // used only when the units are separate
  bool console_shared = false;
};

ProcessState& process_state();

// Back to the state of a process that has not started: for tests that run the program's
// layers more than once in one process.
void reset_process_state();

}  // namespace duopit::lifecycle
