// numerics/x87/arithmetic_unit.cpp — the control and status words, the run's arithmetic
// set-up, the taking of a fault, and the unit's sine, cosine and arctangent; the operations
// themselves are inline in arithmetic_unit.hpp.
#include "numerics/x87/arithmetic_unit.hpp"

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

namespace unit {
namespace {

constexpr std::uint16_t condition_c2 = 0x0400;  // fsin/fcos: argument out of range

}  // namespace

FunctionEnvironment::FunctionEnvironment() {
  take_pending_trap();
  caller_control_ = control_word();
  set_control_word(static_cast<std::uint16_t>(
      (caller_control_ & ~(precision_field | rounding_field)) | precision_64_bits |
      all_exception_masks));
}

void FunctionEnvironment::restore() {
  asm volatile("fnclex");
  set_control_word(caller_control_);
}

// One block for both: the two instructions take the same operand and leave the same status
// bits.
bool sine_or_cosine(double x, bool sine, Extended& result) {
  std::uint16_t status = 0;
  asm volatile(
      "fldl %[x]\n\t"
      "testb %[sine], %[sine]\n\t"
      "jz 1f\n\t"
      "fsin\n\t"
      "jmp 2f\n"
      "1:\n\t"
      "fcos\n"
      "2:\n\t"
      "fnstsw %%ax\n\t"
      "movw %%ax, %[status]\n\t"
      "fstpt %[result]"
      : [result] "=m"(result), [status] "=m"(status)
      : [x] "m"(x), [sine] "q"(sine)
      : "ax", "memory", "st", "cc");
  return (status & condition_c2) == 0;
}

// arctan(|x| / 1) by the two-argument instruction.
Extended arctangent_of_magnitude(double x) {
  const Extended magnitude = x < 0 ? -static_cast<Extended>(x) : static_cast<Extended>(x);
  Extended result = 0;
  asm volatile(
      "fldt %[magnitude]\n\t"
      "fld1\n\t"
      "fpatan\n\t"
      "fstpt %[result]"
      : [result] "=m"(result)
      : [magnitude] "m"(magnitude)
      : "memory", "st", "st(1)");
  return result;
}

Extended half_pi() {
  Extended result = 0;
  asm volatile(
      "fldpi\n\t"
      "fld1\n\t"
      "fadd %%st(0), %%st(0)\n\t"
      "fdivrp\n\t"
      "fstpt %[result]"
      : [result] "=m"(result)
      :
      : "memory", "st", "st(1)");
  return result;
}

}  // namespace unit
}  // namespace duopit::numerics
