// numerics/software/extended_arithmetic.cpp — the run's arithmetic in integers: special
// operands first (the formats the unit refuses, NaNs, infinities, zeros), then the exact
// result of finite operands as a wide significand and one rounding to 53 bits within the
// target's exponent range. Pure: no state, no floating point of the host.
//
// What the unit does where a general rule leaves a choice, as observed on it:
// - of two NaN operands the one with the larger significand wins, compared as stored, so a
//   quiet NaN beats a signalling one; of two with equal significands the positive one wins;
// - a NaN or refused operand hides a denormal one: only invalid (or nothing) is flagged;
// - a finite nonzero value over zero flags only divide by zero, even from a denormal;
// - tininess is judged after rounding to 53 bits with an unbounded exponent, and underflow
//   is flagged only when the delivered result is also inexact;
// - an extended tiny result keeps the bits of a 53-bit significand at the smallest normal
//   exponent (its last kept bit weighs 2^-16434), whatever the position of its leading bit.
#include "numerics/software/extended_arithmetic.hpp"

#include <bit>
#include <optional>
#include <utility>

#include "numerics/software/extended_finite.hpp"

namespace duopit::numerics::software {
namespace {

using namespace finite;

constexpr std::uint64_t quiet_bit = std::uint64_t{1} << 62;

enum class Kind { zero, finite, infinity, nan, refused };

// The unit refuses an integer bit that contradicts the exponent, except in a pseudo-denormal
// (exponent 0, integer bit set), which it reads as exponent 1.
[[nodiscard]] Kind kind_of(ExtendedReal x) {
  const bool integer = (x.significand & integer_bit) != 0;
  if (x.exponent == ExtendedReal::exponent_special) {
    if (!integer) {
      return Kind::refused;
    }
    return (x.significand << 1) == 0 ? Kind::infinity : Kind::nan;
  }
  if (x.exponent == 0) {
    return x.significand == 0 ? Kind::zero : Kind::finite;
  }
  return integer ? Kind::finite : Kind::refused;
}

[[nodiscard]] bool is_denormal(ExtendedReal x) { return x.exponent == 0 && x.significand != 0; }

[[nodiscard]] bool is_signalling(ExtendedReal x) {
  return kind_of(x) == Kind::nan && (x.significand & quiet_bit) == 0;
}

using direct::both_normal;

[[nodiscard]] Unpacked unpack_normal(ExtendedReal x) {
  return {x.exponent - ExtendedReal::exponent_bias, x.significand};
}

[[nodiscard]] Unpacked unpack(ExtendedReal x) {
  const int biased = x.exponent == 0 ? 1 : x.exponent;
  const int shift = std::countl_zero(x.significand);
  return {biased - ExtendedReal::exponent_bias - shift, x.significand << shift};
}

[[nodiscard]] ExtendedReal infinity(bool negative) {
  return {negative, ExtendedReal::exponent_special, integer_bit};
}

[[nodiscard]] ExtendedReal zero(bool negative) { return {negative, 0, 0}; }

// The NaN the unit delivers when a or b is a NaN (at least one is), quieted.
[[nodiscard]] ExtendedReal chosen_nan(ExtendedReal a, ExtendedReal b) {
  ExtendedReal chosen = b;
  if (kind_of(b) != Kind::nan) {
    chosen = a;
  } else if (kind_of(a) == Kind::nan) {
    if (a.significand != b.significand) {
      chosen = a.significand > b.significand ? a : b;
    } else {
      chosen = a.negative ? b : a;
    }
  }
  chosen.significand |= quiet_bit;
  return chosen;
}

// The outcome when a refused format or a NaN is among the operands; none otherwise.
[[nodiscard]] std::optional<Outcome> special_operand_outcome(ExtendedReal a, ExtendedReal b) {
  if (kind_of(a) == Kind::refused || kind_of(b) == Kind::refused) {
    return Outcome{real_indefinite, exception_invalid};
  }
  if (kind_of(a) == Kind::nan || kind_of(b) == Kind::nan) {
    const bool signalling = is_signalling(a) || is_signalling(b);
    return Outcome{chosen_nan(a, b), signalling ? exception_invalid : std::uint16_t{0}};
  }
  return std::nullopt;
}

[[nodiscard]] std::uint16_t denormal_flag(ExtendedReal a, ExtendedReal b) {
  return is_denormal(a) || is_denormal(b) ? exception_denormal : 0;
}

[[nodiscard]] bool is_zero(ExtendedReal x) { return x.exponent == 0 && x.significand == 0; }

// A zero with a zero or a normal operand, which a run meets often: then only the rules for
// signs apply, and nothing can be flagged but a rounding of the normal operand.
[[nodiscard]] bool zero_with_ordinary(ExtendedReal a, ExtendedReal b) {
  return (is_zero(a) && (is_zero(b) || direct::is_normal(b))) ||
         (is_zero(b) && direct::is_normal(a));
}

// a + b when zero_with_ordinary(a, b): the normal operand rounded, or a zero negative only
// when both are.
[[nodiscard]] Outcome add_to_zero(ExtendedReal a, ExtendedReal b) {
  if (is_zero(a) && is_zero(b)) {
    return {zero(a.negative && b.negative), 0};
  }
  const ExtendedReal x = is_zero(a) ? b : a;
  return round_extended(x.negative, x.exponent - ExtendedReal::exponent_bias, x.significand);
}

[[nodiscard]] Outcome with_flags(Outcome outcome, std::uint16_t flags) {
  outcome.flags |= flags;
  return outcome;
}

[[nodiscard]] Outcome add_finite(ExtendedReal a, ExtendedReal b) {
  if (kind_of(a) == Kind::zero && kind_of(b) == Kind::zero) {
    return {zero(a.negative && b.negative), 0};
  }
  if (kind_of(b) == Kind::zero) {
    const Unpacked ua = unpack(a);
    return round_extended(a.negative, ua.exponent, ua.significand);
  }
  if (kind_of(a) == Kind::zero) {
    const Unpacked ub = unpack(b);
    return round_extended(b.negative, ub.exponent, ub.significand);
  }
  if (is_smaller(unpack(a), unpack(b))) {
    std::swap(a, b);
  }
  return add_magnitudes(a.negative, unpack(a), unpack(b), a.negative != b.negative);
}

// a + b once NaNs and refused formats are out of the way.
[[nodiscard]] Outcome add_ordinary(ExtendedReal a, ExtendedReal b) {
  const bool a_infinite = kind_of(a) == Kind::infinity;
  const bool b_infinite = kind_of(b) == Kind::infinity;
  if (a_infinite && b_infinite) {
    return a.negative == b.negative ? Outcome{a, 0} : Outcome{real_indefinite, exception_invalid};
  }
  if (a_infinite || b_infinite) {
    return {a_infinite ? a : b, denormal_flag(a, b)};
  }
  return with_flags(add_finite(a, b), denormal_flag(a, b));
}

// a + b for two normal operands: add_finite without the zero cases, which cannot arise.
[[nodiscard]] Outcome add_normal(ExtendedReal a, ExtendedReal b) {
  const Unpacked ua = unpack_normal(a);
  const Unpacked ub = unpack_normal(b);
  const bool subtract = a.negative != b.negative;
  if (is_smaller(ua, ub)) {
    return add_magnitudes(b.negative, ub, ua, subtract);
  }
  return add_magnitudes(a.negative, ua, ub, subtract);
}

[[nodiscard]] Outcome multiply_ordinary(ExtendedReal a, ExtendedReal b) {
  const bool negative = a.negative != b.negative;
  const Kind ka = kind_of(a);
  const Kind kb = kind_of(b);
  if ((ka == Kind::infinity && kb == Kind::zero) || (ka == Kind::zero && kb == Kind::infinity)) {
    return {real_indefinite, exception_invalid};
  }
  const std::uint16_t denormal = denormal_flag(a, b);
  if (ka == Kind::infinity || kb == Kind::infinity) {
    return {infinity(negative), denormal};
  }
  if (ka == Kind::zero || kb == Kind::zero) {
    return {zero(negative), denormal};
  }
  return with_flags(multiply_finite(negative, unpack(a), unpack(b)), denormal);
}

[[nodiscard]] Outcome divide_ordinary(ExtendedReal a, ExtendedReal b) {
  const bool negative = a.negative != b.negative;
  const Kind ka = kind_of(a);
  const Kind kb = kind_of(b);
  if (ka == kb && (ka == Kind::infinity || ka == Kind::zero)) {
    return {real_indefinite, exception_invalid};
  }
  const std::uint16_t denormal = denormal_flag(a, b);
  if (ka == Kind::infinity) {
    return {infinity(negative), denormal};
  }
  if (kb == Kind::zero) {
    return {infinity(negative), exception_divide_by_zero};
  }
  if (ka == Kind::zero || kb == Kind::infinity) {
    return {zero(negative), denormal};
  }
  return with_flags(divide_finite(negative, unpack(a), unpack(b)), denormal);
}

constexpr int real_fraction_bits = 52;
constexpr std::uint64_t real_fraction_mask = (std::uint64_t{1} << real_fraction_bits) - 1;
constexpr std::uint64_t real_quiet_bit = std::uint64_t{1} << (real_fraction_bits - 1);
constexpr std::uint64_t real_sign_bit = std::uint64_t{1} << 63;
constexpr std::uint64_t real_special_exponent = 0x7FF;
constexpr std::uint64_t real_indefinite_bits = 0xFFF8000000000000;

[[nodiscard]] RealOutcome real_from_bits(std::uint64_t bits, std::uint16_t flags) {
  return {std::bit_cast<double>(bits), flags};
}

// The store of a nonzero finite extended real.
[[nodiscard]] RealOutcome store_finite(bool negative, Unpacked x) {
  const Placed placed = place_in_range(real_range, x.exponent, x.significand);
  const std::uint64_t sign = negative ? real_sign_bit : 0;
  if ((placed.flags & exception_overflow) != 0) {
    return real_from_bits(sign | real_special_exponent << real_fraction_bits, placed.flags);
  }
  // A denormal's significand has bit 63 clear, so its biased exponent 0 packs as it is.
  const std::uint64_t fraction = (placed.significand >> dropped_bits) & real_fraction_mask;
  const auto biased = static_cast<std::uint64_t>(placed.biased);
  return real_from_bits(sign | biased << real_fraction_bits | fraction, placed.flags);
}

// A NaN stored keeps the top 52 bits of its fraction, quieted.
[[nodiscard]] RealOutcome store_nan(ExtendedReal x) {
  const std::uint64_t sign = x.negative ? real_sign_bit : 0;
  const std::uint64_t fraction = ((x.significand >> dropped_bits) & real_fraction_mask);
  const std::uint64_t bits =
      sign | real_special_exponent << real_fraction_bits | real_quiet_bit | fraction;
  return real_from_bits(bits, is_signalling(x) ? exception_invalid : 0);
}

[[nodiscard]] Outcome load_nan(bool negative, std::uint64_t fraction) {
  const bool signalling = (fraction & real_quiet_bit) == 0;
  const ExtendedReal quiet{negative, ExtendedReal::exponent_special,
                           integer_bit | quiet_bit | fraction << dropped_bits};
  return {quiet, signalling ? exception_invalid : std::uint16_t{0}};
}

}  // namespace

Outcome from_unusual_real(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const bool negative = (bits & real_sign_bit) != 0;
  const auto biased = static_cast<int>((bits >> real_fraction_bits) & real_special_exponent);
  const std::uint64_t fraction = bits & real_fraction_mask;
  if (biased == static_cast<int>(real_special_exponent)) {
    return fraction == 0 ? Outcome{infinity(negative), 0} : load_nan(negative, fraction);
  }
  if (biased == 0) {
    if (fraction == 0) {
      return {zero(negative), 0};
    }
    // fraction × 2^-1074, normalised: its leading bit moves to bit 63.
    const int shift = std::countl_zero(fraction);
    const int exponent = 63 - 1074 - shift;
    return {{negative, exponent + ExtendedReal::exponent_bias, fraction << shift}, exception_denormal};
  }
  return from_real(x);  // a normal real, which from_real loads itself
}

// The general paths: any operands. Two normal operands still go straight to the exact
// result, which needs no special rule, and so does a zero with a zero or a normal operand;
// the special operands' rules come first otherwise.
Outcome add_general(ExtendedReal a, ExtendedReal b) {
  if (both_normal(a, b)) {
    return add_normal(a, b);
  }
  if (zero_with_ordinary(a, b)) {
    return add_to_zero(a, b);
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return add_ordinary(a, b);
}

// The NaN choice looks at b as it is, so b changes sign only after it.
Outcome sub_general(ExtendedReal a, ExtendedReal b) {
  if (both_normal(a, b) || zero_with_ordinary(a, b)) {
    b.negative = !b.negative;
    return both_normal(a, b) ? add_normal(a, b) : add_to_zero(a, b);
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  b.negative = !b.negative;
  return add_ordinary(a, b);
}

Outcome mul_general(ExtendedReal a, ExtendedReal b) {
  if (both_normal(a, b)) {
    return multiply_finite(a.negative != b.negative, unpack_normal(a), unpack_normal(b));
  }
  if (zero_with_ordinary(a, b)) {
    return {zero(a.negative != b.negative), 0};
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return multiply_ordinary(a, b);
}

Outcome div_general(ExtendedReal a, ExtendedReal b) {
  if (both_normal(a, b)) {
    return divide_finite(a.negative != b.negative, unpack_normal(a), unpack_normal(b));
  }
  if (is_zero(a) && direct::is_normal(b)) {
    return {zero(a.negative != b.negative), 0};
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return divide_ordinary(a, b);
}

RealOutcome to_real_general(ExtendedReal x) {
  const std::uint64_t sign = x.negative ? real_sign_bit : 0;
  switch (kind_of(x)) {
    case Kind::refused:
      return real_from_bits(real_indefinite_bits, exception_invalid);
    case Kind::nan:
      return store_nan(x);
    case Kind::infinity:
      return real_from_bits(sign | real_special_exponent << real_fraction_bits, 0);
    case Kind::zero:
      return real_from_bits(sign, 0);
    case Kind::finite:
      break;
  }
  return store_finite(x.negative, unpack(x));
}

}  // namespace duopit::numerics::software
