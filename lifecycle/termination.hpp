// lifecycle/termination.hpp — how the process ends: exit routines run most recent first, then
// the platform ends the process. The termination routine closes every connected unit and
// ends an open console line; a run-time error raised while it runs is reported and the exit
// goes on with the status that started it.
#pragma once

namespace duopit::lifecycle {

using ExitRoutine = void (*)();

// Registers a routine to run at exit. The run registers one, the termination routine; room
// for more is not kept, and registering a second is a programming error.
void register_exit_routine(ExitRoutine routine);

// Ends the process with `status` after the exit routines.
[[noreturn]] void exit_process(int status);

// The program's own exit routine.
void termination_routine();

// Where the run-time error path goes once its message is written: exit with status 1, or,
// when termination is already running, on with the exit it interrupted (with status 1 if
// that exit was a normal end: the report is incomplete).
[[noreturn]] void end_after_run_time_error();

}  // namespace duopit::lifecycle
