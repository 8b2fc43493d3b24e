// tests/support/whole_run.cpp — one run of the program in the calling process.
#include "support/whole_run.hpp"

#include "lifecycle/run_state.hpp"
#include "lifecycle/startup.hpp"
#include "numerics/arithmetic.hpp"
#include "orientation/report.hpp"
#include "support/run_environment.hpp"
#include "textio/statement_state.hpp"

namespace duopit::testing {

int run_whole_program(FakePlatform& os, const lifecycle::CommandLine& command) {
  lifecycle::reset_run_state();
  textio::reset_statement_state();
  const std::uint16_t caller_control = saved_control_word();
  try {
    lifecycle::run_program(os, {numerics::set_run_precision, numerics::enable_run_traps},
                           orientation::run_orientation, command);
  } catch (const ProcessEnded& ended) {
    restore_control_word(caller_control);
    return ended.status;
  }
}

}  // namespace duopit::testing
