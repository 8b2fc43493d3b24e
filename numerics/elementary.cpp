// numerics/elementary.cpp — the common frame of the elementary functions: the function's own
// arithmetic environment is entered (a fault pending from the caller is taken first, as the
// caller's), the argument is classified, the unit computes, the caller's environment comes
// back and the function reports its own error if it has one.
#include "numerics/elementary.hpp"

#include <cstdint>

#include "lifecycle/run_time_error.hpp"
#include "numerics/binary64.hpp"

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
  const Binary64Fields fields = fields_of(x);
  if (fields.biased_exponent == 0) {
    return ArgumentClass::zero_or_denormal;
  }
  if (fields.biased_exponent == binary64_exponent_special) {
    return fields.fraction == 0 ? ArgumentClass::infinite : ArgumentClass::not_a_number;
  }
  return ArgumentClass::normal;
}

// The function's environment and the flag the trap handler consults, for one call.
class FunctionFrame {
 public:
  FunctionFrame() { set_in_elementary_function(true); }
  FunctionFrame(const FunctionFrame&) = delete;
  FunctionFrame& operator=(const FunctionFrame&) = delete;

  // Restores the caller's environment, then reports the function's error if it has one.
  void finish(Function function, MathError error) {
    environment_.restore();
    set_in_elementary_function(false);
    if (error != MathError::none) {
      lifecycle::run_time_error(run_time_error_of(function, error), lifecycle::Statement::math);
    }
  }

 private:
  unit::FunctionEnvironment environment_;  // entered before the flag is set
};

Extended sine_or_cosine(double x, bool sine) {
  FunctionFrame frame;
  Extended result = widen(0);
  MathError error = MathError::none;
  switch (classify(x)) {
    case ArgumentClass::normal:
      if (!unit::sine_or_cosine(x, sine, result)) {
        error = MathError::tloss;
      } else {
        observe_elementary(sine ? "sin" : "cos", x, result);
      }
      break;
    case ArgumentClass::zero_or_denormal:
      result = widen(sine ? x : 1.0);
      break;
    case ArgumentClass::infinite:
    case ArgumentClass::not_a_number:
      error = MathError::domain;
      break;
  }
  frame.finish(sine ? Function::sin : Function::cos, error);
  return result;
}

}  // namespace

Extended sin(double x) { return sine_or_cosine(x, true); }

Extended cos(double x) { return sine_or_cosine(x, false); }

Extended atan(double x) {
  FunctionFrame frame;
  Extended result = widen(0);
  MathError error = MathError::none;
  switch (classify(x)) {
    case ArgumentClass::normal:
      result = unit::arctangent_of_magnitude(x);
      if (x < 0) {
        result = unit::negated(result);
      }
      observe_elementary("atan", x, result);
      break;
    case ArgumentClass::zero_or_denormal:
      result = widen(x);
      break;
    case ArgumentClass::infinite:
      result = x < 0 ? unit::negated(unit::half_pi()) : unit::half_pi();
      break;
    case ArgumentClass::not_a_number:
      error = MathError::domain;
      break;
  }
  frame.finish(Function::atan, error);
  return result;
}

}  // namespace duopit::numerics
