// numerics/arithmetic_trap.cpp — the trap handler.
#include "numerics/arithmetic_trap.hpp"

#include "lifecycle/run_state.hpp"

namespace duopit::numerics {

// The flag lives in the run's state: the handler consults it for as long as the run lasts.
bool in_elementary_function() { return lifecycle::run_state().in_elementary_function; }

void set_in_elementary_function(bool inside) {
  lifecycle::run_state().in_elementary_function = inside;
}

void handle_arithmetic_trap(lifecycle::RunTimeError kind) {
  if (in_elementary_function()) {
    // The function signalled its own error; the unit was already reset, and the
    // function goes on to report that error under its own name.
    return;
  }
  lifecycle::run_time_error(kind, lifecycle::Statement::math);
}

}  // namespace duopit::numerics
