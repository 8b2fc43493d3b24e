// numerics/arithmetic_trap.cpp — decoding of the unit's fault flags and the trap handler.
#include "numerics/arithmetic_trap.hpp"

#include "lifecycle/run_state.hpp"

namespace duopit::numerics {
namespace {

constexpr std::uint16_t flag_stack_fault = 0x0040;  // status word, with an invalid operation
constexpr std::uint16_t condition_c1 = 0x0200;  // with a stack fault: 1 overflow, 0 underflow

}  // namespace

std::optional<lifecycle::RunTimeError> trap_kind(std::uint16_t status, std::uint16_t control) {
  using lifecycle::RunTimeError;
  const std::uint16_t unmasked = status & static_cast<std::uint16_t>(~control) & all_exception_masks;
  if ((unmasked & exception_invalid) != 0) {
    if ((status & flag_stack_fault) != 0) {
      return (status & condition_c1) != 0 ? RunTimeError::trap_stack_overflow
                                          : RunTimeError::trap_stack_underflow;
    }
    return RunTimeError::trap_invalid;
  }
  if ((unmasked & exception_divide_by_zero) != 0) {
    return RunTimeError::trap_divide_by_zero;
  }
  if ((unmasked & exception_denormal) != 0) {
    return RunTimeError::trap_denormal;
  }
  if ((unmasked & exception_overflow) != 0) {
    return RunTimeError::trap_overflow;
  }
  if ((unmasked & exception_underflow) != 0) {
    return RunTimeError::trap_underflow;
  }
  if ((unmasked & exception_inexact) != 0) {
    return RunTimeError::trap_inexact;
  }
  return std::nullopt;
}

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
