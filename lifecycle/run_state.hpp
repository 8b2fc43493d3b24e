// lifecycle/run_state.hpp — the state a run keeps from start-up to the end of the process, in
// one record, each piece with the reason it must live that long. It holds the state of this
// layer and of the platform layer below it. Of the layers above, orientation and numerics
// keep none of their own (the survey lives in the computation's frame; the one flag of the
// elementary functions is here); textio keeps the statement in progress in
// textio/statement_state.hpp, because this layer cannot name textio's types without
// reversing the layering.
// Every member starts at zero, so the record lies in zero-filled memory and a part of it
// costs no page until it is used.
#pragma once

#include <array>

#include "lifecycle/console.hpp"
#include "lifecycle/file_unit.hpp"
#include "lifecycle/termination.hpp"
#include "platform/platform.hpp"

namespace duopit::lifecycle {

// The one routine registered: the program's termination routine.
constexpr int max_exit_routines = 1;

struct RunState {
  // The operating system as the run sees it: installed first thing at start-up (tests
  // install a fake), and used by the units, the error path and the exit to the very end.
  platform::Platform* os;
  // The exit: the routines registered at start-up run when the process ends, most recent
  // first; a run-time error raised while they run needs the status the exit began with and
  // the guard that keeps termination from starting twice.
  std::array<ExitRoutine, max_exit_routines> exit_routines;
  int exit_routine_count;
  int exit_status;
  bool termination_guard;
  // Set by the numerics layer while an elementary function runs: a trap raised then is the
  // function's own signal, which the trap handler leaves to the function to report.
  bool in_elementary_function;
  // The console units: their line state is shared by console output, console input and
  // termination, which ends a line left open.
  ConsoleUnits console;
  // The file units the computation connects: each write statement finds its unit here, and
  // termination closes them all. Last, being the largest: only the first unit is ever used.
  UnitTable units;
};

[[nodiscard]] RunState& run_state();

// Back to the state of a process that has not started: for tests that run the program's
// layers more than once in one process.
void reset_run_state();

// The platform in use. Start-up installs the real one; tests may install their own.
void install_platform(platform::Platform& platform);
[[nodiscard]] platform::Platform& os();

// Ends the process at once through the platform in use; runs nothing of the program's own.
[[noreturn]] void end_process(int status);

}  // namespace duopit::lifecycle
