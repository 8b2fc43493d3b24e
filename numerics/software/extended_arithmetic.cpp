// numerics/software/extended_arithmetic.cpp — the run's arithmetic in integers when an operand
// is not normal: the special operands' rules first (the formats the unit refuses, NaNs,
// infinities, zeros), then the exact result of finite operands, denormal ones included, and
// its one rounding (extended_rounding.hpp states the rules at the edges of the range). Pure:
// no state, no floating point of the host.
//
// What the unit does where a general rule leaves a choice, as observed on it:
// - of two NaN operands the one with the larger significand wins, compared as stored, so a
//   quiet NaN beats a signalling one; of two with equal significands the positive one wins;
// - a NaN or refused operand hides a denormal one: only invalid (or nothing) is flagged;
// - a finite nonzero value over zero flags only divide by zero, even from a denormal;
// - a NaN is quieted wherever it goes: as the result of an operation, loaded, or stored.
#include "numerics/software/extended_arithmetic.hpp"

#include <bit>
#include <optional>

namespace duopit::numerics::software {
namespace {

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
  return (is_zero(a) && (is_zero(b) || is_normal(b))) ||
         (is_zero(b) && is_normal(a));
}

// a + b when zero_with_ordinary(a, b): the normal operand rounded, or a zero negative only
// when both are.
[[nodiscard]] Outcome add_to_zero(ExtendedReal a, ExtendedReal b) {
  if (is_zero(a) && is_zero(b)) {
    return {zero(a.negative && b.negative), 0};
  }
  const ExtendedReal x = is_zero(a) ? b : a;
  return round_extended(x.negative, unpack_normal(x));
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
    return round_extended(a.negative, unpack(a));
  }
  if (kind_of(a) == Kind::zero) {
    return round_extended(b.negative, unpack(b));
  }
  return add_unpacked(a.negative, unpack(a), b.negative, unpack(b));
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
  return with_flags(round_extended(negative, multiply_exact(unpack(a), unpack(b))), denormal);
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
  return with_flags(round_extended(negative, divide_exact(unpack(a), unpack(b))), denormal);
}

constexpr std::uint64_t real_indefinite_bits = 0xFFF8000000000000;

[[nodiscard]] RealOutcome real_from_bits(std::uint64_t bits, std::uint16_t flags) {
  return {std::bit_cast<double>(bits), flags};
}

constexpr std::uint64_t real_infinity_bits = std::uint64_t{binary64_exponent_special}
                                             << binary64_fraction_bits;

// A NaN stored keeps the top 52 bits of its fraction, quieted.
[[nodiscard]] RealOutcome store_nan(ExtendedReal x) {
  const std::uint64_t sign = x.negative ? binary64_sign_bit : 0;
  const std::uint64_t fraction = (x.significand >> dropped_bits) & binary64_fraction_mask;
  const std::uint64_t bits = sign | real_infinity_bits | binary64_quiet_bit | fraction;
  return real_from_bits(bits, is_signalling(x) ? exception_invalid : 0);
}

[[nodiscard]] Outcome load_nan(bool negative, std::uint64_t fraction) {
  const bool signalling = (fraction & binary64_quiet_bit) == 0;
  const ExtendedReal quiet{negative, ExtendedReal::exponent_special,
                           integer_bit | quiet_bit | fraction << dropped_bits};
  return {quiet, signalling ? exception_invalid : std::uint16_t{0}};
}

}  // namespace

Outcome from_unusual_real(double x) {
  const auto [negative, biased, fraction] = fields_of(x);
  if (biased == binary64_exponent_special) {
    return fraction == 0 ? Outcome{infinity(negative), 0} : load_nan(negative, fraction);
  }
  if (biased == 0) {
    if (fraction == 0) {
      return {zero(negative), 0};
    }
    // Normalised: its leading bit moves to bit 63.
    const BinaryValue subnormal = value_of({negative, biased, fraction});
    const int shift = std::countl_zero(fraction);
    const int exponent = subnormal.exponent2 + 63 - shift;
    return {{negative, exponent + ExtendedReal::exponent_bias, fraction << shift},
            exception_denormal};
  }
  return from_real(x);  // a normal real, which from_real loads itself
}

// The special rules where they apply; otherwise, and for a zero with a zero or a normal
// operand, the exact result. The NaN choice looks at b as it is, so b changes sign only after it.
Outcome add_unusual(ExtendedReal a, ExtendedReal b) {
  if (zero_with_ordinary(a, b)) {
    return add_to_zero(a, b);
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return add_ordinary(a, b);
}

Outcome sub_unusual(ExtendedReal a, ExtendedReal b) {
  if (zero_with_ordinary(a, b)) {
    return add_to_zero(a, {!b.negative, b.exponent, b.significand});
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return add_ordinary(a, {!b.negative, b.exponent, b.significand});
}

Outcome mul_unusual(ExtendedReal a, ExtendedReal b) {
  if (zero_with_ordinary(a, b)) {
    return {zero(a.negative != b.negative), 0};
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return multiply_ordinary(a, b);
}

Outcome div_unusual(ExtendedReal a, ExtendedReal b) {
  if (is_zero(a) && is_normal(b)) {
    return {zero(a.negative != b.negative), 0};
  }
  if (const auto special = special_operand_outcome(a, b)) {
    return *special;
  }
  return divide_ordinary(a, b);
}

RealOutcome to_real_unusual(ExtendedReal x) {
  const std::uint64_t sign = x.negative ? binary64_sign_bit : 0;
  switch (kind_of(x)) {
    case Kind::refused:
      return real_from_bits(real_indefinite_bits, exception_invalid);
    case Kind::nan:
      return store_nan(x);
    case Kind::infinity:
      return real_from_bits(sign | real_infinity_bits, 0);
    case Kind::zero:
      return real_from_bits(sign, 0);
    case Kind::finite:
      break;
  }
  return store_exact(x.negative, unpack(x));
}

}  // namespace duopit::numerics::software
