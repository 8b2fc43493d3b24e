// numerics/software/extended_arithmetic.hpp — the run's arithmetic done in integers: the
// four operations on extended reals, the load of a 64-bit real and the store of an extended
// real as one, each giving the bits and the exception flags the x87 unit gives under the
// run's control word (53-bit significands, round to nearest even, the extended exponent range).
// Nothing here uses the host's floating point, so a host without that unit gets the same bits.
//
// The flags are those of the unit's masked response: every exception the operation meets is
// reported and the value is the one the unit delivers when that exception is masked. The
// caller decides which flags are traps: the run traps on invalid, divide by zero and overflow
// (run_control_masks, trap_kind in numerics/arithmetic_trap.hpp), and then uses no value.
//
// Operands are any 80-bit pattern, including denormals, pseudo-denormals and the formats the
// unit refuses (unnormals, pseudo-infinities, pseudo-NaNs); `exponent` must lie in 0..0x7FFF.
#pragma once

#include <bit>
#include <cstdint>

#include "numerics/arithmetic_trap.hpp"
#include "numerics/software/extended_direct.hpp"
#include "numerics/software/extended_real.hpp"

namespace duopit::numerics::software {

// The negative quiet NaN the unit delivers for an invalid operation ("real indefinite").
constexpr ExtendedReal real_indefinite{true, ExtendedReal::exponent_special,
                                       0xC000000000000000};

// An extended result and the exceptions met on the way to it.
struct Outcome {
  ExtendedReal value;
  std::uint16_t flags = 0;
};

// A 64-bit real result (a store) and the exceptions met on the way to it.
struct RealOutcome {
  double value = 0;
  std::uint16_t flags = 0;
};

// The 64-bit real load: exact. A subnormal real becomes a normalised extended real and flags
// denormal; a signalling NaN flags invalid and is quieted. Inline for a normal real, the
// common case: its 52 fraction bits go below the integer bit and its exponent is rebiased.
// The load of a subnormal, an infinity or a NaN (or any other real).
[[nodiscard, gnu::cold]] Outcome from_unusual_real(double x);

// A normal real: its exponent field is neither 0 (zeros, subnormals) nor all ones.
[[nodiscard, gnu::always_inline]] inline bool is_normal_real(double x) {
  constexpr int real_fraction_bits = 52;
  constexpr std::uint64_t real_exponent_special = 0x7FF;
  const std::uint64_t biased = (std::bit_cast<std::uint64_t>(x) >> real_fraction_bits) &
                               real_exponent_special;
  return biased - 1 < real_exponent_special - 1;
}

// The load of a normal real, which flags nothing.
[[nodiscard, gnu::always_inline]] inline ExtendedReal load_normal_real(double x) {
  constexpr int real_fraction_bits = 52;
  constexpr std::int32_t real_exponent_special = 0x7FF;
  constexpr std::int32_t rebias = ExtendedReal::exponent_bias - 1023;
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased = static_cast<std::int32_t>(bits >> real_fraction_bits) & real_exponent_special;
  const std::uint64_t significand = direct::integer_bit | bits << (64 - 1 - real_fraction_bits);
  return {(bits & direct::integer_bit) != 0, biased + rebias, significand};
}

// A zero loads inline too: a constant zero then folds away, and a zero operand costs little.
[[nodiscard, gnu::always_inline]] inline Outcome from_real(double x) {
  if (is_normal_real(x)) [[likely]] {
    return {load_normal_real(x), 0};
  }
  const auto bits = std::bit_cast<std::uint64_t>(x);
  if ((bits & ~direct::integer_bit) == 0) {
    return {{bits != 0, 0, 0}, 0};
  }
  return from_unusual_real(x);
}

// a + b, a − b, a × b, a ÷ b: the exact result rounded once to a 53-bit significand, to
// nearest even, within the extended exponent range. Tiny results become extended denormals
// whose last kept bit is that of a 53-bit significand at the smallest normal exponent.
// Inline for the common case, which the direct path finishes; the general path takes any
// operands, out of line.
[[nodiscard]] Outcome add_general(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome sub_general(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome mul_general(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome div_general(ExtendedReal a, ExtendedReal b);

[[nodiscard, gnu::always_inline]] inline Outcome from_direct(direct::Direct result) {
  return {result.value, result.inexact ? exception_inexact : std::uint16_t{0}};
}

[[nodiscard, gnu::always_inline]] inline Outcome add(ExtendedReal a, ExtendedReal b) {
  if (direct::both_normal(a, b)) [[likely]] {
    if (const direct::Direct sum = direct::add(a, b); sum.done) [[likely]] {
      return from_direct(sum);
    }
  }
  return add_general(a, b);
}

[[nodiscard, gnu::always_inline]] inline Outcome sub(ExtendedReal a, ExtendedReal b) {
  if (direct::both_normal(a, b)) [[likely]] {
    if (const direct::Direct difference = direct::subtract(a, b); difference.done) [[likely]] {
      return from_direct(difference);
    }
  }
  return sub_general(a, b);
}

[[nodiscard, gnu::always_inline]] inline Outcome mul(ExtendedReal a, ExtendedReal b) {
  if (direct::both_normal(a, b)) [[likely]] {
    if (const direct::Direct product = direct::multiply(a, b); product.done) [[likely]] {
      return from_direct(product);
    }
  }
  return mul_general(a, b);
}

[[nodiscard, gnu::always_inline]] inline Outcome div(ExtendedReal a, ExtendedReal b) {
  if (direct::both_normal(a, b)) [[likely]] {
    if (const direct::Direct quotient = direct::divide(a, b); quotient.done) [[likely]] {
      return from_direct(quotient);
    }
  }
  return div_general(a, b);
}

// The store of an extended real as a 64-bit real: rounded once to 53 bits within the real's
// range, a tiny value denormalised before that rounding; NaNs keep the top of their payload
// and are quieted. Inline for a normal value that stays a normal real.
[[nodiscard]] RealOutcome to_real_general(ExtendedReal x);

[[nodiscard, gnu::always_inline]] inline RealOutcome to_real(ExtendedReal x) {
  if (const direct::DirectReal stored = direct::store(x); stored.done) [[likely]] {
    return {std::bit_cast<double>(stored.bits), stored.inexact ? exception_inexact : std::uint16_t{0}};
  }
  return to_real_general(x);
}

}  // namespace duopit::numerics::software
