// main.cpp — wires start-up: the POSIX platform, the command line, the arithmetic set-up of
// the numerics layer and the orientation computation.
#include "lifecycle/startup.hpp"
#include "numerics/x87.hpp"
#include "orientation/report.hpp"
#include "platform/posix/posix_platform.hpp"

namespace {
// The process's platform layer; it lives until the process ends.
duopit::platform::PosixPlatform posix_platform;
}  // namespace

int main(int argc, char** argv) {
  duopit::lifecycle::run_program(posix_platform,
                                 {duopit::numerics::set_run_precision,
                                  duopit::numerics::enable_run_traps},
                                 duopit::orientation::run_orientation,
                                 duopit::lifecycle::read_command_line(argc, argv));
}
