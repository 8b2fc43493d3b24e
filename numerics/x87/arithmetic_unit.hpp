// numerics/x87/arithmetic_unit.hpp — the run's arithmetic on the x87 unit: each operation
// rounds under the control word in force (53-bit significands while the program runs, with the
// extended exponent range) and any unmasked fault it raises is taken at once, before anything
// uses the result.
//
// Each operation runs entirely inside one asm statement, through memory operands, so the
// compiler never holds a value on the register stack across it. After the operation the
// status word is read without waiting; if its error-summary bit is set, an unmasked fault is
// pending: the unit is reset (which also empties the register stack the faulting instruction
// left behind), the run's control word is restored, the result reads as zero, and the fault
// is handed to the trap handler before the result is used. The operations are defined here,
// inline: an operation is a handful of instructions, fewer than a call would cost.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/software/extended_real.hpp"

namespace duopit::numerics {

// An 80-bit extended real, as held in the arithmetic unit.
using Extended = long double;

// Control word fields besides the exception masks.
constexpr std::uint16_t precision_field = 0x0300;
constexpr std::uint16_t precision_53_bits = 0x0200;
constexpr std::uint16_t precision_64_bits = 0x0300;
constexpr std::uint16_t rounding_field = 0x0C00;

[[nodiscard]] std::uint16_t control_word();
void set_control_word(std::uint16_t word);
[[nodiscard]] std::uint16_t status_word();

// An extended value read as sign, biased exponent and significand: the same layout on every
// implementation, for comparing results bit for bit.
[[nodiscard]] inline software::ExtendedReal layout_of(Extended value) {
  unsigned char bytes[10];
  std::memcpy(bytes, &value, sizeof bytes);
  std::uint64_t significand = 0;
  std::memcpy(&significand, bytes, sizeof significand);
  const unsigned sign_exponent = bytes[8] | (static_cast<unsigned>(bytes[9]) << 8);
  return {(sign_exponent & 0x8000) != 0, static_cast<std::int32_t>(sign_exponent & 0x7FFF),
          significand};
}

// A 64-bit real widened exactly.
[[nodiscard]] inline Extended widen(double x) { return x; }

// Start-up, first part: 53-bit significands, every other bit kept; pending exceptions cleared.
void set_run_precision();
// Start-up, second part: bits 8 to 15 kept, low byte 0xF2 — traps on invalid operation,
// division by zero and overflow; denormal, underflow and inexact masked.
void enable_run_traps();

// Reports the fault recorded in `status` after an operation has reset the unit; `control`
// is the control word the operation ran under.
[[gnu::cold]] void take_trap(std::uint16_t status, std::uint16_t control);

constexpr std::uint16_t error_summary = 0x0080;  // status word: an unmasked fault is pending

// The program's own arithmetic. A trap (an unmasked fault) ends the run with its number.
//
// Each operand is loaded as it is held: an extended real with fldt, any other number as a
// 64-bit real with fldl, which holds the program's reals and small integers exactly. So a
// 64-bit real is not first widened into a temporary of its own.
template <typename T>
using Operand = std::conditional_t<std::is_same_v<T, Extended>, Extended, double>;

// a op b for one of the popping x87 instructions; `b` is loaded first, so the instruction
// sees a in st(0) and b in st(1) and leaves a op b.
#define DUOPIT_X87_BINARY(instruction, load_a, load_b)                              \
  Extended result;                                                                 \
  std::uint16_t status;                                                            \
  std::uint16_t control;                                                           \
  asm volatile(                                                                    \
      load_b " %[b]\n\t"                                                            \
      load_a " %[a]\n\t" instruction                                                \
      "\n\t"                                                                       \
      "fnstsw %%ax\n\t"                                                            \
      "testb $0x80, %%al\n\t"                                                      \
      "jnz 1f\n\t"                                                                 \
      "fstpt %[result]\n\t"                                                        \
      "jmp 2f\n"                                                                   \
      "1:\n\t"                                                                     \
      "fnstcw %[control]\n\t"                                                      \
      "fnclex\n\t"                                                                 \
      "fninit\n\t"                                                                 \
      "fldcw %[control]\n\t"                                                       \
      "fldz\n\t"                                                                   \
      "fstpt %[result]\n"                                                          \
      "2:"                                                                         \
      : [result] "=m"(result), "=a"(status), [control] "=m"(control)               \
      : [a] "m"(a), [b] "m"(b)                                                     \
      : "cc", "memory", "st", "st(1)");                                            \
  if ((status & error_summary) != 0) {                                             \
    take_trap(status, control);                                                    \
  }                                                                                \
  return result;

// The operation `name` for every pair of operand types, each with its own loads.
#define DUOPIT_X87_OPERATION(name, instruction)                                     \
  template <typename A, typename B>                                                \
  [[nodiscard]] inline Extended name(A a_value, B b_value) {                       \
    const Operand<A> a = a_value;                                                  \
    const Operand<B> b = b_value;                                                  \
    constexpr bool real_a = std::is_same_v<Operand<A>, double>;                    \
    constexpr bool real_b = std::is_same_v<Operand<B>, double>;                    \
    if constexpr (real_a && real_b) {                                              \
      DUOPIT_X87_BINARY(instruction, "fldl", "fldl")                               \
    } else if constexpr (real_a) {                                                 \
      DUOPIT_X87_BINARY(instruction, "fldl", "fldt")                               \
    } else if constexpr (real_b) {                                                 \
      DUOPIT_X87_BINARY(instruction, "fldt", "fldl")                               \
    } else {                                                                       \
      DUOPIT_X87_BINARY(instruction, "fldt", "fldt")                               \
    }                                                                              \
  }

DUOPIT_X87_OPERATION(add, "faddp")
DUOPIT_X87_OPERATION(sub, "fsubp")
DUOPIT_X87_OPERATION(mul, "fmulp")
DUOPIT_X87_OPERATION(div, "fdivp")

#undef DUOPIT_X87_OPERATION
#undef DUOPIT_X87_BINARY

// Stores an extended value as a 64-bit real: rounds to 53 bits and to the real's exponent range.
[[nodiscard]] inline double to_real(Extended value) {
  double result;
  std::uint16_t status;
  std::uint16_t control;
  asm volatile(
      "fldt %[value]\n\t"
      "fstpl %[result]\n\t"
      "fnstsw %%ax\n\t"
      "testb $0x80, %%al\n\t"
      "jz 2f\n\t"
      "fnstcw %[control]\n\t"
      "fnclex\n\t"
      "fninit\n\t"
      "fldcw %[control]\n\t"
      "fldz\n\t"
      "fstpl %[result]\n"
      "2:"
      : [result] "=m"(result), "=a"(status), [control] "=m"(control)
      : [value] "m"(value)
      : "cc", "memory", "st");
  if ((status & error_summary) != 0) {
    take_trap(status, control);
  }
  return result;
}

// Takes a fault left pending in the status word by arithmetic outside these functions:
// reported as the caller's arithmetic fault. Nothing happens when none is pending.
void take_pending_trap();

// What the elementary functions ask of the unit (their common frame is elementary.cpp).
namespace unit {

// The functions' own environment for as long as it lives: a fault pending from the caller is
// taken first, then every trap is masked, with 64-bit significands and rounding to nearest.
// `restore` clears what the function raised and brings back the caller's control word.
class FunctionEnvironment {
 public:
  FunctionEnvironment();
  FunctionEnvironment(const FunctionEnvironment&) = delete;
  FunctionEnvironment& operator=(const FunctionEnvironment&) = delete;
  void restore();

 private:
  std::uint16_t caller_control_ = 0;
};

// Sine or cosine of a normal argument by the unit's own instruction, with its own reduction;
// false when the unit refuses the argument (|x| >= 2^63).
bool sine_or_cosine(double x, bool sine, Extended& result);
// arctan(|x|) of a normal argument.
[[nodiscard]] Extended arctangent_of_magnitude(double x);
// The unit's pi, halved.
[[nodiscard]] Extended half_pi();
[[nodiscard]] inline Extended negated(Extended value) { return -value; }

}  // namespace unit

}  // namespace duopit::numerics
