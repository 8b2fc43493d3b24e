// numerics/elementary.cpp — the common frame of the elementary functions: a fault pending
// from the caller is taken first (as the caller's), then the function runs with every trap
// masked, 64-bit significands and rounding to nearest, classifies its argument, computes,
// restores the caller's control word and reports its own error if it has one.
#include "numerics/elementary.hpp"

#include <bit>
#include <cstdint>

#include "lifecycle/run_time_error.hpp"
#include "numerics/arithmetic_trap.hpp"

namespace duopit::numerics {
namespace {

enum class MathError { none, domain, tloss };
enum class Function { atan, sin, cos };

// The message of each function's errors is named after the function: "sin: TLOSS error".
lifecycle::RunTimeError run_time_error_of(Function function, MathError error) {
  using lifecycle::RunTimeError;
  switch (function) {
    case Function::atan:
      break;
    case Function::sin:
      return error == MathError::tloss ? RunTimeError::sin_tloss : RunTimeError::sin_domain;
    case Function::cos:
      return error == MathError::tloss ? RunTimeError::cos_tloss : RunTimeError::cos_domain;
  }
  return RunTimeError::atan_domain;  // the arctangent has no argument too large
}

enum class ArgumentClass { normal, zero_or_denormal, infinite, not_a_number };

ArgumentClass classify(double x) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const std::uint64_t exponent = (bits >> 52) & 0x7FF;
  const std::uint64_t fraction = bits & 0xFFFFFFFFFFFFFULL;
  if (exponent == 0) {
    return ArgumentClass::zero_or_denormal;
  }
  if (exponent == 0x7FF) {
    return fraction == 0 ? ArgumentClass::infinite : ArgumentClass::not_a_number;
  }
  return ArgumentClass::normal;
}

// Saves the caller's control word and switches to the functions' own environment.
class FunctionFrame {
 public:
  FunctionFrame() {
    take_pending_trap();
    set_in_elementary_function(true);
    caller_control_ = control_word();
    set_control_word(static_cast<std::uint16_t>(
        (caller_control_ & ~(precision_field | rounding_field)) | precision_64_bits |
        all_exception_masks));
  }
  FunctionFrame(const FunctionFrame&) = delete;
  FunctionFrame& operator=(const FunctionFrame&) = delete;

  // Restores the caller's environment, then reports the function's error if it has one.
  void finish(Function function, MathError error) {
    asm volatile("fnclex");
    set_control_word(caller_control_);
    set_in_elementary_function(false);
    if (error != MathError::none) {
      lifecycle::run_time_error(run_time_error_of(function, error), lifecycle::Statement::math);
    }
  }

 private:
  std::uint16_t caller_control_ = 0;
};

constexpr std::uint16_t condition_c2 = 0x0400;  // fsin/fcos: argument out of range

// fsin or fcos of a normal argument; false when the unit refuses it (|x| >= 2^63). One block
// for both: the two instructions take the same operand and leave the same status bits.
bool reduce_and_apply(double x, bool sine, Extended& result) {
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

Extended sine_or_cosine(double x, bool sine) {
  FunctionFrame frame;
  Extended result = 0;
  MathError error = MathError::none;
  switch (classify(x)) {
    case ArgumentClass::normal:
      if (!reduce_and_apply(x, sine, result)) {
        error = MathError::tloss;
      }
      break;
    case ArgumentClass::zero_or_denormal:
      result = sine ? static_cast<Extended>(x) : 1.0L;
      break;
    case ArgumentClass::infinite:
    case ArgumentClass::not_a_number:
      error = MathError::domain;
      break;
  }
  frame.finish(sine ? Function::sin : Function::cos, error);
  return result;
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

}  // namespace

Extended sin(double x) { return sine_or_cosine(x, true); }

Extended cos(double x) { return sine_or_cosine(x, false); }

Extended atan(double x) {
  FunctionFrame frame;
  Extended result = 0;
  MathError error = MathError::none;
  switch (classify(x)) {
    case ArgumentClass::normal:
      result = arctangent_of_magnitude(x);
      if (x < 0) {
        result = -result;
      }
      break;
    case ArgumentClass::zero_or_denormal:
      result = x;
      break;
    case ArgumentClass::infinite:
      result = x < 0 ? -half_pi() : half_pi();
      break;
    case ArgumentClass::not_a_number:
      error = MathError::domain;
      break;
  }
  frame.finish(Function::atan, error);
  return result;
}

}  // namespace duopit::numerics
