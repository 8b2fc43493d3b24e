// numerics/software/arithmetic_unit.hpp — the run's arithmetic on the software model of the
// x87 unit, for hosts without one: the same operations, the same bits and the same traps. The
// model computes under the run's environment (53-bit significands, rounding to nearest, traps
// on invalid operation, division by zero and overflow) from its first operation, so start-up
// has nothing to set; and it keeps no status between operations, so no fault is ever left
// pending for the elementary functions to take.
#pragma once

#include <bit>
#include <cstdint>
#include <type_traits>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/binary64.hpp"
#include "numerics/software/elementary_model.hpp"
#include "numerics/software/extended_arithmetic.hpp"
#include "numerics/software/extended_real.hpp"

namespace duopit::numerics {

// The model's value, in a type of this namespace, so that the program's calls find the run's
// operations below and never the model's own.
struct Extended {
  software::ExtendedReal value;
};

[[nodiscard]] inline software::ExtendedReal layout_of(Extended x) { return x.value; }

// Ends the run through the trap handler when `flags` hold one of the run's traps; the result
// then reads as zero, as the unit's does after a fault.
[[gnu::cold]] inline void take_trap(std::uint16_t flags) {
  if (const auto kind = trap_kind(flags, run_control_masks)) {
    handle_arithmetic_trap(*kind);
  }
}

template <typename Value>
[[nodiscard]] inline Value checked(Value value, std::uint16_t flags, Value zero) {
  if ((flags & ~run_control_masks & all_exception_masks) != 0) [[unlikely]] {
    take_trap(flags);
    return zero;
  }
  return value;
}

// A 64-bit real widened exactly; a signalling NaN is quieted, as the unit's load does.
[[nodiscard, gnu::always_inline]] inline Extended widen(double x) {
  return {software::from_real(x).value};
}

// An operand as the unit loads it: an extended value as it is, anything else as a 64-bit
// real, where loading a signalling NaN is an invalid operation.
template <typename T>
[[nodiscard]] inline software::Outcome operand(T value) {
  if constexpr (std::is_same_v<T, Extended>) {
    return {value.value, 0};
  } else {
    return software::from_real(static_cast<double>(value));
  }
}

// A normal operand, whose load flags nothing and which the inline path takes as it is.
template <typename T>
[[nodiscard, gnu::always_inline]] inline bool is_normal_operand(T value) {
  if constexpr (std::is_same_v<T, Extended>) {
    return software::is_normal(value.value);
  } else {
    return software::is_normal_real(static_cast<double>(value));
  }
}

template <typename T>
[[nodiscard, gnu::always_inline]] inline software::ExtendedReal normal_operand(T value) {
  if constexpr (std::is_same_v<T, Extended>) {
    return value.value;
  } else {
    return software::load_normal_real(static_cast<double>(value));
  }
}

// Each operation inline for two normal operands, whose result can trap only by overflow;
// anything else out of line, through the model's rules for special operands.
#define DUOPIT_SOFTWARE_OPERATION(name)                                                     \
  template <typename A, typename B>                                                        \
  [[nodiscard, gnu::cold, gnu::noinline]] Extended name##_general(A a_value, B b_value) {  \
    const software::Outcome a = operand(a_value);                                          \
    const software::Outcome b = operand(b_value);                                          \
    const software::Outcome result = software::name(a.value, b.value);                     \
    return {checked(result.value, a.flags | b.flags | result.flags,                        \
                    software::ExtendedReal{})};                                            \
  }                                                                                        \
                                                                                           \
  template <typename A, typename B>                                                        \
  [[nodiscard, gnu::always_inline]] inline Extended name(A a_value, B b_value) {           \
    if (is_normal_operand(a_value) && is_normal_operand(b_value)) [[likely]] {             \
      const software::Outcome result =                                                     \
          software::name##_normal(normal_operand(a_value), normal_operand(b_value));       \
      return {checked(result.value, result.flags, software::ExtendedReal{})};              \
    }                                                                                      \
    return name##_general(a_value, b_value);                                               \
  }

DUOPIT_SOFTWARE_OPERATION(add)
DUOPIT_SOFTWARE_OPERATION(sub)
DUOPIT_SOFTWARE_OPERATION(mul)
DUOPIT_SOFTWARE_OPERATION(div)

#undef DUOPIT_SOFTWARE_OPERATION

[[nodiscard, gnu::cold, gnu::noinline]] inline double to_real_general(Extended value) {
  const software::RealOutcome stored = software::to_real(value.value);
  return checked(stored.value, stored.flags, 0.0);
}

// The store of a normal value inline, as above.
[[nodiscard, gnu::always_inline]] inline double to_real(Extended value) {
  if (software::is_normal(value.value)) [[likely]] {
    const software::RealOutcome stored = software::store_normal(value.value);
    return checked(stored.value, stored.flags, 0.0);
  }
  return to_real_general(value);
}

inline void set_run_precision() {}
inline void enable_run_traps() {}

namespace unit {

// The model keeps no environment: there is nothing to save, mask or restore.
class FunctionEnvironment {
 public:
  FunctionEnvironment() = default;
  FunctionEnvironment(const FunctionEnvironment&) = delete;
  FunctionEnvironment& operator=(const FunctionEnvironment&) = delete;
  void restore() {}
};

// The unit refuses sine and cosine arguments of 2^63 or more.
inline bool sine_or_cosine(double x, bool sine, Extended& result) {
  if (software::from_real(x).value.exponent >= software::ExtendedReal::exponent_bias + 63) {
    return false;
  }
  result = {sine ? software::sine(x) : software::cosine(x)};
  return true;
}
[[nodiscard]] inline Extended arctangent_of_magnitude(double x) {
  const double magnitude =
      std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) & ~binary64_sign_bit);
  return {software::arctangent_of_magnitude(magnitude)};
}
[[nodiscard]] inline Extended half_pi() { return {software::half_pi()}; }
[[nodiscard]] inline Extended negated(Extended x) {
  x.value.negative = !x.value.negative;
  return x;
}

}  // namespace unit
}  // namespace duopit::numerics
