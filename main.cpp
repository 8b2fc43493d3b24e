// main.cpp — wires start-up: the host's platform layer, the command line, the arithmetic
// set-up of the numerics layer and the orientation computation.
#include "lifecycle/startup.hpp"
#include "native_platform.hpp"
#include "numerics/arithmetic.hpp"
#include "orientation/report.hpp"

int main(int argc, char** argv) {
  // The platform lives in this frame, which the process never leaves: run_program ends it.
  duopit::platform::NativePlatform native_platform;
  duopit::lifecycle::run_program(native_platform,
                                 {duopit::numerics::set_run_precision,
                                  duopit::numerics::enable_run_traps},
                                 duopit::orientation::run_orientation,
                                 duopit::lifecycle::read_command_line(argc, argv));
}
