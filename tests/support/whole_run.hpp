// tests/support/whole_run.hpp — the whole program run inside the calling process: start-up,
// the orientation and the exit, exactly as main() wires them, on a fake platform in place of
// the operating system. The run's state and the statement state start afresh for each run,
// and the caller's control word (on the x87 unit) is back when the run has ended, so one
// process can run the program any number of times: the fault sweep and the report harness
// both run it this way.
#pragma once

#include "lifecycle/command_line.hpp"
#include "support/fake_platform.hpp"

namespace duopit::testing {

// Runs the program once, from start-up to its end, with `os` as the operating system;
// the exit status. Whatever the run wrote is in `os`.
[[nodiscard]] int run_whole_program(FakePlatform& os, const lifecycle::CommandLine& command = {});

}  // namespace duopit::testing
