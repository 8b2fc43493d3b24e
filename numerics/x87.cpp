// numerics/x87.cpp — the control and status words, the run's arithmetic set-up, and the
// taking of a fault; the operations themselves are inline in x87.hpp.
#include "numerics/x87.hpp"

#include "numerics/arithmetic_trap.hpp"

namespace duopit::numerics {

void take_trap(std::uint16_t status, std::uint16_t control) {
  if (const auto kind = trap_kind(status, control)) {
    handle_arithmetic_trap(*kind);
  }
}

std::uint16_t control_word() {
  std::uint16_t word = 0;
  asm volatile("fnstcw %0" : "=m"(word));
  return word;
}

void set_control_word(std::uint16_t word) { asm volatile("fldcw %0" : : "m"(word)); }

std::uint16_t status_word() {
  std::uint16_t word = 0;
  asm volatile("fnstsw %0" : "=m"(word));
  return word;
}

void set_run_precision() {
  set_control_word(static_cast<std::uint16_t>((control_word() & ~precision_field) |
                                              precision_53_bits));
  asm volatile("fnclex");
}

void enable_run_traps() {
  set_control_word(static_cast<std::uint16_t>((control_word() & 0xFF00) | 0x00F2));
}

void take_pending_trap() {
  const std::uint16_t status = status_word();
  if ((status & error_summary) == 0) {
    return;
  }
  const std::uint16_t control = control_word();
  asm volatile("fnclex\n\tfninit\n\tfldcw %0" : : "m"(control) : "memory");
  take_trap(status, control);
}

}  // namespace duopit::numerics
