// numerics/software/extended_arithmetic.hpp — the run's arithmetic done in integers: the
// four operations on extended reals, the load of a 64-bit real and the store of an extended
// real as one, each giving the bits and the exception flags the x87 unit gives under the
// run's control word (53-bit significands, round to nearest even, the extended exponent range).
// Nothing here uses the host's floating point, so a host without that unit gets the same bits.
//
// Every operation is the exact result (extended_exact.hpp) rounded once and packed for its
// target (extended_rounding.hpp). Two normal operands go there straight, inline; any other
// operand goes out of line first through the special operands' rules
// (extended_arithmetic.cpp), then on to the same exact result and rounding.
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
#include "numerics/binary64.hpp"
#include "numerics/software/extended_exact.hpp"
#include "numerics/software/extended_real.hpp"
#include "numerics/software/extended_rounding.hpp"

namespace duopit::numerics::software {

// The negative quiet NaN the unit delivers for an invalid operation ("real indefinite").
constexpr ExtendedReal real_indefinite{true, ExtendedReal::exponent_special,
                                       0xC000000000000000};

// The 64-bit real load: exact. A subnormal real becomes a normalised extended real and flags
// denormal; a signalling NaN flags invalid and is quieted. Inline for a normal real, the
// common case: its 52 fraction bits go below the integer bit and its exponent is rebiased.
// The load of a subnormal, an infinity or a NaN (or any other real).
[[nodiscard, gnu::cold]] Outcome from_unusual_real(double x);

// A normal real: its exponent field is neither 0 (zeros, subnormals) nor all ones.
[[nodiscard, gnu::always_inline]] inline bool is_normal_real(double x) {
  const auto biased = static_cast<unsigned>(fields_of(x).biased_exponent);
  return biased - 1 < binary64_exponent_special - 1;
}

// The load of a normal real, which flags nothing.
[[nodiscard, gnu::always_inline]] inline ExtendedReal load_normal_real(double x) {
  constexpr std::int32_t rebias = ExtendedReal::exponent_bias - binary64_exponent_bias;
  const Binary64Fields f = fields_of(x);
  return {f.negative, f.biased_exponent + rebias,
          integer_bit | f.fraction << (64 - 1 - binary64_fraction_bits)};
}

// A zero loads inline too: a constant zero then folds away, and a zero operand costs little.
[[nodiscard, gnu::always_inline]] inline Outcome from_real(double x) {
  if (is_normal_real(x)) [[likely]] {
    return {load_normal_real(x), 0};
  }
  const auto bits = std::bit_cast<std::uint64_t>(x);
  if ((bits & ~binary64_sign_bit) == 0) {
    return {{bits != 0, 0, 0}, 0};
  }
  return from_unusual_real(x);
}

// ±|a| ± |b| for two finite nonzero values, unpacked: the operand of larger magnitude gives
// the sign; an exact cancellation is +0 when rounding to nearest.
[[nodiscard, gnu::always_inline]] inline Outcome add_unpacked(bool a_negative, Exact a,
                                                              bool b_negative, Exact b) {
  const bool subtract = a_negative != b_negative;
  if (is_smaller(a, b)) {
    const Exact larger = b;
    b = a;
    a = larger;
    a_negative = b_negative;
  }
  if (!subtract) {
    return round_extended(a_negative, add_exact(a, b));
  }
  if (a.exponent == b.exponent && a.significand == b.significand) {
    return {ExtendedReal{}, 0};
  }
  return round_extended(a_negative, subtract_exact(a, b));
}

// a + b, a − b, a × b, a ÷ b: the exact result rounded once to a 53-bit significand, to
// nearest even, within the extended exponent range. For two normal operands, inline:
[[nodiscard, gnu::always_inline]] inline Outcome add_normal(ExtendedReal a, ExtendedReal b) {
  return add_unpacked(a.negative, unpack_normal(a), b.negative, unpack_normal(b));
}

[[nodiscard, gnu::always_inline]] inline Outcome sub_normal(ExtendedReal a, ExtendedReal b) {
  return add_unpacked(a.negative, unpack_normal(a), !b.negative, unpack_normal(b));
}

[[nodiscard, gnu::always_inline]] inline Outcome mul_normal(ExtendedReal a, ExtendedReal b) {
  return round_extended(a.negative != b.negative,
                        multiply_exact(unpack_normal(a), unpack_normal(b)));
}

[[nodiscard, gnu::always_inline]] inline Outcome div_normal(ExtendedReal a, ExtendedReal b) {
  return round_extended(a.negative != b.negative, divide_exact(unpack_normal(a), unpack_normal(b)));
}

// ... and out of line when either operand is not normal.
[[nodiscard]] Outcome add_unusual(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome sub_unusual(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome mul_unusual(ExtendedReal a, ExtendedReal b);
[[nodiscard]] Outcome div_unusual(ExtendedReal a, ExtendedReal b);

[[nodiscard, gnu::always_inline]] inline Outcome add(ExtendedReal a, ExtendedReal b) {
  return is_normal(a) && is_normal(b) ? add_normal(a, b) : add_unusual(a, b);
}
[[nodiscard, gnu::always_inline]] inline Outcome sub(ExtendedReal a, ExtendedReal b) {
  return is_normal(a) && is_normal(b) ? sub_normal(a, b) : sub_unusual(a, b);
}
[[nodiscard, gnu::always_inline]] inline Outcome mul(ExtendedReal a, ExtendedReal b) {
  return is_normal(a) && is_normal(b) ? mul_normal(a, b) : mul_unusual(a, b);
}
[[nodiscard, gnu::always_inline]] inline Outcome div(ExtendedReal a, ExtendedReal b) {
  return is_normal(a) && is_normal(b) ? div_normal(a, b) : div_unusual(a, b);
}

// The store of an extended real as a 64-bit real: rounded once to 53 bits within the real's
// range, a tiny value denormalised before that rounding; NaNs keep the top of their payload
// and are quieted. Inline for a normal value, out of line for any other.
[[nodiscard, gnu::always_inline]] inline RealOutcome store_normal(ExtendedReal x) {
  return store_exact(x.negative, unpack_normal(x));
}

[[nodiscard]] RealOutcome to_real_unusual(ExtendedReal x);

[[nodiscard, gnu::always_inline]] inline RealOutcome to_real(ExtendedReal x) {
  return is_normal(x) ? store_normal(x) : to_real_unusual(x);
}

}  // namespace duopit::numerics::software
