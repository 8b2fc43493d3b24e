// lifecycle/startup.hpp — the frame around the computation: start-up in its fixed order, one
// call of the computation, and the exit with status 0 when it returns.
#pragma once

#include "lifecycle/command_line.hpp"
#include "platform/platform.hpp"

namespace duopit::lifecycle {

// The arithmetic set-up is done by the numerics layer; start-up calls it at its places.
struct ArithmeticSetup {
  void (*set_precision)();  // 53-bit significands, pending exceptions cleared
  void (*enable_traps)();   // traps on invalid operation, division by zero, overflow
};

// Starts the process and runs the computation once; a command line that asks for help, the
// version, or holds a stray argument is answered instead, and nothing else happens.
[[noreturn]] void run_program(platform::Platform& os, ArithmeticSetup arithmetic,
                              void (*computation)(), const CommandLine& command = {});

}  // namespace duopit::lifecycle
