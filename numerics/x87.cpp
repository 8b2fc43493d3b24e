// numerics/x87.cpp — the x87 operations behind x87.hpp. Every operation runs entirely inside
// one asm statement, through memory operands, so the compiler never holds a value on the
// register stack across it. After the operation the status word is read without waiting;
// if the error-summary bit is set, an unmasked fault is pending: the unit is reset (which
// also empties the register stack the faulting instruction left behind), the run's control
// word is restored, and the fault is handed to the trap handler before the result is used.
#include "numerics/x87.hpp"

#include "numerics/arithmetic_trap.hpp"

namespace duopit::numerics {
namespace {

constexpr std::uint16_t error_summary = 0x0080;

// Reports the fault recorded in `status` (the unit has already been reset).
void take_trap(std::uint16_t status, std::uint16_t control) {
  if (const auto kind = trap_kind(status, control)) {
    handle_arithmetic_trap(*kind);
  }
}

// a op b for one of the popping x87 instructions; `b` is loaded first, so the instruction
// sees a in st(0) and b in st(1) and leaves a op b.
#define DUOPIT_X87_BINARY(instruction)                                              \
  Extended result = 0;                                                             \
  std::uint16_t status = 0;                                                        \
  std::uint16_t control = 0;                                                       \
  asm volatile(                                                                    \
      "fnstcw %[control]\n\t"                                                      \
      "fldt %[b]\n\t"                                                              \
      "fldt %[a]\n\t" instruction                                                  \
      "\n\t"                                                                       \
      "fnstsw %%ax\n\t"                                                            \
      "testb $0x80, %%al\n\t"                                                      \
      "jnz 1f\n\t"                                                                 \
      "fstpt %[result]\n\t"                                                        \
      "jmp 2f\n"                                                                   \
      "1:\n\t"                                                                     \
      "fnclex\n\t"                                                                 \
      "fninit\n\t"                                                                 \
      "fldcw %[control]\n"                                                         \
      "2:\n\t"                                                                     \
      "movw %%ax, %[status]"                                                       \
      : [result] "=m"(result), [status] "=m"(status), [control] "=m"(control)      \
      : [a] "m"(a), [b] "m"(b)                                                     \
      : "ax", "cc", "memory", "st", "st(1)");                                      \
  if ((status & error_summary) != 0) {                                             \
    take_trap(status, control);                                                    \
  }                                                                                \
  return result;

}  // namespace

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

Extended add(Extended a, Extended b) { DUOPIT_X87_BINARY("faddp") }
Extended sub(Extended a, Extended b) { DUOPIT_X87_BINARY("fsubp") }
Extended mul(Extended a, Extended b) { DUOPIT_X87_BINARY("fmulp") }
Extended div(Extended a, Extended b) { DUOPIT_X87_BINARY("fdivp") }

#undef DUOPIT_X87_BINARY

double to_real(Extended value) {
  double result = 0;
  std::uint16_t status = 0;
  std::uint16_t control = 0;
  asm volatile(
      "fnstcw %[control]\n\t"
      "fldt %[value]\n\t"
      "fstpl %[result]\n\t"
      "fnstsw %%ax\n\t"
      "testb $0x80, %%al\n\t"
      "jz 2f\n\t"
      "fnclex\n\t"
      "fninit\n\t"
      "fldcw %[control]\n"
      "2:\n\t"
      "movw %%ax, %[status]"
      : [result] "=m"(result), [status] "=m"(status), [control] "=m"(control)
      : [value] "m"(value)
      : "ax", "cc", "memory", "st");
  if ((status & error_summary) != 0) {
    take_trap(status, control);
  }
  return result;
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
