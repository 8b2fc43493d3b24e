// numerics/arithmetic_trap.hpp — what a fault of the arithmetic unit means: the exception flags
// (the unit's and its software model's), the fault's kind from the status word, and the handler
// that reports it unless an elementary function is signalling its own error. Pure decoding
// apart from the handler.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "lifecycle/run_time_error.hpp"

namespace duopit::numerics {

// The six exceptions, as the arithmetic unit numbers them: the same bit is the exception's
// mask in the control word and its flag in the status word; the software model raises the
// same bits.
constexpr std::uint16_t exception_invalid = 0x0001;
constexpr std::uint16_t exception_denormal = 0x0002;
constexpr std::uint16_t exception_divide_by_zero = 0x0004;
constexpr std::uint16_t exception_overflow = 0x0008;
constexpr std::uint16_t exception_underflow = 0x0010;
constexpr std::uint16_t exception_inexact = 0x0020;
constexpr std::uint16_t all_exception_masks = 0x003F;
// The run's traps: invalid operation, division by zero and overflow, as a control word's
// exception masks would leave them unmasked.
constexpr std::uint16_t run_control_masks =
    exception_denormal | exception_underflow | exception_inexact;

constexpr std::uint16_t exception_stack_fault = 0x0040;  // status word, with an invalid operation
constexpr std::uint16_t condition_c1 = 0x0200;  // with a stack fault: 1 overflow, 0 underflow

// The unmasked fault recorded in a status word, by the unit's order of priority (a stack
// fault before any other invalid operation, then invalid, divide by zero, denormal,
// overflow, underflow, inexact). None when no unmasked flag is set.
[[nodiscard]] constexpr std::optional<lifecycle::RunTimeError> trap_kind(std::uint16_t status,
                                                                         std::uint16_t control) {
  using lifecycle::RunTimeError;
  const auto unmasked = static_cast<std::uint16_t>(status & ~control & all_exception_masks);
  if ((unmasked & exception_invalid) != 0) {
    if ((status & exception_stack_fault) != 0) {
      return (status & condition_c1) != 0 ? RunTimeError::trap_stack_overflow
                                          : RunTimeError::trap_stack_underflow;
    }
    return RunTimeError::trap_invalid;
  }
  constexpr std::pair<std::uint16_t, RunTimeError> by_priority[] = {
      {exception_divide_by_zero, RunTimeError::trap_divide_by_zero},
      {exception_denormal, RunTimeError::trap_denormal},
      {exception_overflow, RunTimeError::trap_overflow},
      {exception_underflow, RunTimeError::trap_underflow},
      {exception_inexact, RunTimeError::trap_inexact},
  };
  for (const auto& [exception, kind] : by_priority) {
    if ((unmasked & exception) != 0) {
      return kind;
    }
  }
  return std::nullopt;
}

// Set while an elementary function runs; a trap raised then is the function's own signal.
[[nodiscard]] bool in_elementary_function();
void set_in_elementary_function(bool inside);

// The arithmetic trap handler: ignored inside an elementary function, otherwise reported
// with kind MATH (it does not return then).
void handle_arithmetic_trap(lifecycle::RunTimeError kind);

}  // namespace duopit::numerics
