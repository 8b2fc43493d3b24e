// tests/numerics/x87_reference.hpp — the x87 unit itself as the reference for the software
// model of the run's arithmetic: each operation runs in one asm statement, under the run's
// precision (53 bits) and rounding (to nearest), and hands back the result with the status
// word's exception flags instead of trapping. x86-64 only.
//
// The masked functions run with every exception masked, so the unit gives its masked response
// and records every exception it met; the unmasked ones run under the run's own control word
// (invalid, divide by zero and overflow unmasked) and report whether the unit trapped, so a
// test can check that the first of those three masked flags is the trap the run would take.
// Operand order and instructions are those of numerics/x87.hpp: b is loaded first, so the
// instruction sees a in st(0) and b in st(1) and leaves a op b in st(1).
#pragma once

#if defined(__x86_64__)

#include <bit>
#include <cstdint>
#include <cstring>

#include "numerics/software/extended_real.hpp"

namespace duopit::x87_reference {

using numerics::software::ExtendedReal;

// Control words: precision 53 bits, round to nearest; all exceptions masked, or the run's
// traps (invalid, divide by zero, overflow) unmasked.
constexpr std::uint16_t masked_control = 0x027F;
constexpr std::uint16_t run_control = 0x0272;
constexpr std::uint16_t exception_flags = 0x003F;
constexpr std::uint16_t error_summary = 0x0080;

// The ten bytes fldt reads and fstpt writes.
struct alignas(16) Register80 {
  std::uint64_t significand = 0;
  std::uint16_t sign_exponent = 0;
};

[[nodiscard]] inline Register80 to_register(ExtendedReal x) {
  return {x.significand,
          static_cast<std::uint16_t>((x.negative ? 0x8000 : 0) | (x.exponent & 0x7FFF))};
}

[[nodiscard]] inline ExtendedReal from_register(Register80 r) {
  return {(r.sign_exponent & 0x8000) != 0, r.sign_exponent & 0x7FFF, r.significand};
}

enum class Operation { add, sub, mul, div };

// What the unit gave with every exception masked.
struct UnitResult {
  ExtendedReal value;
  std::uint16_t flags;
};
struct UnitRealResult {
  std::uint64_t bits;
  std::uint16_t flags;
};
// What the unit did under the run's control word: the unmasked exceptions it trapped on
// (0 when it did not trap) and, if it did not, the result.
struct UnitTrapResult {
  ExtendedReal value;
  std::uint16_t trapped;
};

// a op b with every exception masked, each operand loaded as the program loads it: LoadA and
// LoadB are "fldl" for a 64-bit real held in a double, "fldt" for an extended real.
#define DUOPIT_REFERENCE_MASKED(instruction, load_a, load_b)                       \
  Register80 result;                                                               \
  std::uint16_t status;                                                            \
  std::uint16_t saved;                                                             \
  const std::uint16_t control = masked_control;                                    \
  asm volatile(                                                                    \
      "fnstcw %[saved]\n\t"                                                        \
      "fldcw %[control]\n\t"                                                       \
      "fnclex\n\t" load_b " %[b]\n\t" load_a " %[a]\n\t" instruction "\n\t"        \
      "fnstsw %%ax\n\t"                                                            \
      "fstpt %[result]\n\t"                                                        \
      "fnclex\n\t"                                                                 \
      "fldcw %[saved]"                                                             \
      : [result] "=m"(result), "=a"(status), [saved] "=m"(saved)                   \
      : [a] "m"(a), [b] "m"(b), [control] "m"(control)                             \
      : "cc", "memory", "st", "st(1)");                                            \
  return {from_register(result), static_cast<std::uint16_t>(status & exception_flags)};

#define DUOPIT_REFERENCE_OPERATION(name, instruction)                              \
  [[nodiscard]] inline UnitResult name##_real_real(double a, double b) {           \
    DUOPIT_REFERENCE_MASKED(instruction, "fldl", "fldl")                           \
  }                                                                                \
  [[nodiscard]] inline UnitResult name##_real_extended(double a, ExtendedReal bx) { \
    const Register80 b = to_register(bx);                                          \
    DUOPIT_REFERENCE_MASKED(instruction, "fldl", "fldt")                           \
  }                                                                                \
  [[nodiscard]] inline UnitResult name##_extended_real(ExtendedReal ax, double b) { \
    const Register80 a = to_register(ax);                                          \
    DUOPIT_REFERENCE_MASKED(instruction, "fldt", "fldl")                           \
  }                                                                                \
  [[nodiscard]] inline UnitResult name##_extended_extended(ExtendedReal ax,        \
                                                           ExtendedReal bx) {      \
    const Register80 a = to_register(ax);                                          \
    const Register80 b = to_register(bx);                                          \
    DUOPIT_REFERENCE_MASKED(instruction, "fldt", "fldt")                           \
  }

// The AT&T mnemonics of numerics/x87/arithmetic_unit.hpp: with a in st(0) and b in st(1) each
// leaves a op b.
DUOPIT_REFERENCE_OPERATION(add, "faddp")
DUOPIT_REFERENCE_OPERATION(sub, "fsubp")
DUOPIT_REFERENCE_OPERATION(mul, "fmulp")
DUOPIT_REFERENCE_OPERATION(div, "fdivp")

#undef DUOPIT_REFERENCE_OPERATION
#undef DUOPIT_REFERENCE_MASKED

[[nodiscard]] inline UnitResult operate(Operation operation, ExtendedReal a, ExtendedReal b) {
  switch (operation) {
    case Operation::add: return add_extended_extended(a, b);
    case Operation::sub: return sub_extended_extended(a, b);
    case Operation::mul: return mul_extended_extended(a, b);
    case Operation::div: return div_extended_extended(a, b);
  }
  return {};
}

[[nodiscard]] inline UnitResult operate(Operation operation, double a, double b) {
  switch (operation) {
    case Operation::add: return add_real_real(a, b);
    case Operation::sub: return sub_real_real(a, b);
    case Operation::mul: return mul_real_real(a, b);
    case Operation::div: return div_real_real(a, b);
  }
  return {};
}

[[nodiscard]] inline UnitResult operate(Operation operation, double a, ExtendedReal b) {
  switch (operation) {
    case Operation::add: return add_real_extended(a, b);
    case Operation::sub: return sub_real_extended(a, b);
    case Operation::mul: return mul_real_extended(a, b);
    case Operation::div: return div_real_extended(a, b);
  }
  return {};
}

[[nodiscard]] inline UnitResult operate(Operation operation, ExtendedReal a, double b) {
  switch (operation) {
    case Operation::add: return add_extended_real(a, b);
    case Operation::sub: return sub_extended_real(a, b);
    case Operation::mul: return mul_extended_real(a, b);
    case Operation::div: return div_extended_real(a, b);
  }
  return {};
}

// The 64-bit real load: fldl, then the register as it holds the value.
[[nodiscard]] inline UnitResult load_real(double x) {
  Register80 result;
  std::uint16_t status;
  std::uint16_t saved;
  const std::uint16_t control = masked_control;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fldcw %[control]\n\t"
      "fnclex\n\t"
      "fldl %[x]\n\t"
      "fnstsw %%ax\n\t"
      "fstpt %[result]\n\t"
      "fnclex\n\t"
      "fldcw %[saved]"
      : [result] "=m"(result), "=a"(status), [saved] "=m"(saved)
      : [x] "m"(x), [control] "m"(control)
      : "cc", "memory", "st");
  return {from_register(result), static_cast<std::uint16_t>(status & exception_flags)};
}

// The store of an extended real as a 64-bit real: fldt, then fstpl.
[[nodiscard]] inline UnitRealResult store_real(ExtendedReal xx) {
  const Register80 x = to_register(xx);
  double result;
  std::uint16_t status;
  std::uint16_t saved;
  const std::uint16_t control = masked_control;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fldcw %[control]\n\t"
      "fnclex\n\t"
      "fldt %[x]\n\t"
      "fstpl %[result]\n\t"
      "fnstsw %%ax\n\t"
      "fnclex\n\t"
      "fldcw %[saved]"
      : [result] "=m"(result), "=a"(status), [saved] "=m"(saved)
      : [x] "m"(x), [control] "m"(control)
      : "cc", "memory", "st");
  return {std::bit_cast<std::uint64_t>(result),
          static_cast<std::uint16_t>(status & exception_flags)};
}

// a op b on extended operands under the run's control word. A trap leaves the unit in an
// unknown state, so it is reset (as numerics/x87.hpp does) before the caller's word returns.
#define DUOPIT_REFERENCE_TRAPPING(instruction)                                     \
  const Register80 a = to_register(ax);                                            \
  const Register80 b = to_register(bx);                                            \
  Register80 result{};                                                             \
  std::uint16_t status;                                                            \
  std::uint16_t saved;                                                             \
  const std::uint16_t control = run_control;                                       \
  asm volatile(                                                                    \
      "fnstcw %[saved]\n\t"                                                        \
      "fldcw %[control]\n\t"                                                       \
      "fnclex\n\t"                                                                 \
      "fldt %[b]\n\t"                                                              \
      "fldt %[a]\n\t" instruction "\n\t"                                           \
      "fnstsw %%ax\n\t"                                                            \
      "testb $0x80, %%al\n\t"                                                      \
      "jnz 1f\n\t"                                                                 \
      "fstpt %[result]\n\t"                                                        \
      "jmp 2f\n"                                                                   \
      "1:\n\t"                                                                     \
      "fninit\n"                                                                   \
      "2:\n\t"                                                                     \
      "fldcw %[saved]"                                                             \
      : [result] "=m"(result), "=a"(status), [saved] "=m"(saved)                   \
      : [a] "m"(a), [b] "m"(b), [control] "m"(control)                             \
      : "cc", "memory", "st", "st(1)");                                            \
  const bool trapped = (status & error_summary) != 0;                              \
  return {from_register(result),                                                   \
          static_cast<std::uint16_t>(trapped ? status & ~control & exception_flags : 0)};

[[nodiscard]] inline UnitTrapResult operate_under_run_traps(Operation operation,
                                                            ExtendedReal ax, ExtendedReal bx) {
  switch (operation) {
    case Operation::add: { DUOPIT_REFERENCE_TRAPPING("faddp") }
    case Operation::sub: { DUOPIT_REFERENCE_TRAPPING("fsubp") }
    case Operation::mul: { DUOPIT_REFERENCE_TRAPPING("fmulp") }
    case Operation::div: { DUOPIT_REFERENCE_TRAPPING("fdivp") }
  }
  return {};
}

#undef DUOPIT_REFERENCE_TRAPPING

// The store under the run's control word.
[[nodiscard]] inline UnitTrapResult store_under_run_traps(ExtendedReal xx) {
  const Register80 x = to_register(xx);
  double result = 0;
  std::uint16_t status;
  std::uint16_t saved;
  const std::uint16_t control = run_control;
  asm volatile(
      "fnstcw %[saved]\n\t"
      "fldcw %[control]\n\t"
      "fnclex\n\t"
      "fldt %[x]\n\t"
      "fstpl %[result]\n\t"
      "fnstsw %%ax\n\t"
      "testb $0x80, %%al\n\t"
      "jz 2f\n\t"
      "fninit\n"
      "2:\n\t"
      "fldcw %[saved]"
      : [result] "=m"(result), "=a"(status), [saved] "=m"(saved)
      : [x] "m"(x), [control] "m"(control)
      : "cc", "memory", "st");
  const bool trapped = (status & error_summary) != 0;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(result);
  return {{false, 0, bits},
          static_cast<std::uint16_t>(trapped ? status & ~control & exception_flags : 0)};
}

}  // namespace duopit::x87_reference

#endif  // __x86_64__
