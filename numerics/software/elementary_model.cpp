// numerics/software/elementary_model.cpp — the x87 unit's sine, cosine and arctangent computed
// in integers (elementary_model.hpp says what is modelled): the exact argument reduction, the
// unit's own sine error, and the quadrants. No floating point of the
// host is used: the argument's bits are read as an integer and every step is fixed-point
// arithmetic.
// The evaluations themselves are in elementary_evaluation.cpp.
#include "numerics/software/elementary_model.hpp"

#include <array>
#include <cstddef>

#include "numerics/binary64.hpp"

namespace duopit::numerics::software {
namespace {

// The unit's sine of a remainder r is not sin r but sin r·(1 + ε(|r|)) before its rounding,
// with ε a smooth curve that swings between ±2^-68.8 about seven times over [0, π/4], the
// signature of a polynomial approximation. It decides the rounding of the values within 0.02
// of a unit of a midpoint, about one in thirty. ε in units of 2^-79 at the
// nodes r = j/128, measured on the unit by tests/numerics/software/unit_sine_curve_main.cpp;
// between nodes the curve is taken as straight.
constexpr int curve_node_bits = 7;
constexpr std::array<std::int16_t, 101> unit_sine_error_curve = {
    1, 8, 33, 97, 134, 233, 331, 435, 514, 644, 759, 845,
    950, 1060, 1120, 1183, 1212, 1223, 1219, 1177, 1125, 1042, 932, 790,
    658, 496, 340, 145, -36, -227, -420, -628, -780, -918, -1024, -1118,
    -1200, -1224, -1233, -1189, -1124, -1040, -927, -762, -583, -402, -166, 33,
    240, 433, 648, 809, 968, 1100, 1177, 1181, 1225, 1153, 1075, 931,
    804, 590, 347, 113, -115, -372, -603, -821, -1003, -1134, -1258, -1248,
    -1174, -1167, -982, -750, -513, -266, 90, 385, 654, 917, 1088, 1222,
    1208, 1108, 888, 591, 217, -160, -593, -904, -1196, -1234, -1189, -755,
    -178, 503, 1015, 1101, 88,
};

enum class Trig { sine, cosine };

ExtendedReal sine_or_cosine_of(const ReducedArgument& r, Trig which) {
  return which == Trig::sine
             ? sine_of_remainder(r.magnitude, r.scale, unit_sine_error(r.magnitude, r.scale))
             : cosine_of_remainder(r.magnitude, r.scale, unit_held_bits);
}

// ⌊2^128/π₆₆⌋, below 2^64.
constexpr std::uint64_t inverse_pi_66 = static_cast<std::uint64_t>(~Uint128{0} / reduction_pi_66);

}  // namespace

ReducedArgument reduce_argument(double x) {
  const DoubleParts parts = split_double(x);
  if (parts.exponent < -1) {  // |x| < 1/2: already the remainder
    return {0, parts.negative, parts.significand, binary64_fraction_bits - parts.exponent};
  }
  // x·2^65 is an integer below 2^128 for 1/2 ≤ |x| < 2^63, and so is π₆₆/2 · 2^65.
  const Uint128 scaled = Uint128{parts.significand}
                         << (parts.exponent - binary64_fraction_bits + 65);
  // The quotient from the top limb times 2^128/π₆₆ falls short by at most 3 (the dropped low
  // limb, the truncated reciprocal, the truncated product); the remainder then makes it up.
  Uint128 quotient = (Uint128{static_cast<std::uint64_t>(scaled >> 64)} * inverse_pi_66) >> 64;
  Uint128 remainder = scaled - quotient * reduction_pi_66;
  while (remainder >= reduction_pi_66) {
    remainder -= reduction_pi_66;
    ++quotient;
  }
  bool below = false;
  if (remainder > reduction_pi_66 / 2) {  // the divisor is odd: no ties
    ++quotient;
    remainder = reduction_pi_66 - remainder;
    below = true;
  }
  ReducedArgument reduced{static_cast<std::uint32_t>(quotient & 3), below, remainder, 65};
  if (parts.negative) {  // −x = (−q)·π₆₆/2 − r
    reduced.quadrant = (4 - reduced.quadrant) & 3;
    reduced.negative = !reduced.negative;
  }
  return reduced;
}

std::int32_t unit_sine_error(Uint128 magnitude, int scale) {
  // |r|·128 with 16 fraction bits; every remainder has a scale of 54 or more.
  constexpr int fraction_bits = 16;
  const int shift = scale - curve_node_bits - fraction_bits;
  const Uint128 position = shift >= 128 ? 0 : magnitude >> shift;
  const std::size_t node = static_cast<std::size_t>(position >> fraction_bits);
  if (node + 1 >= unit_sine_error_curve.size()) {
    return unit_sine_error_curve.back();
  }
  const std::int32_t fraction = static_cast<std::int32_t>(position & 0xFFFF);
  const std::int32_t left = unit_sine_error_curve[node];
  const std::int32_t right = unit_sine_error_curve[node + 1];
  return left + (((right - left) * fraction) >> fraction_bits);
}

// sin x by quadrant: sin r, cos r, −sin r, −cos r; sin r carries the sign of r.
ExtendedReal sine(double x) {
  const ReducedArgument r = reduce_argument(x);
  const bool odd = (r.quadrant & 1) != 0;
  ExtendedReal result = sine_or_cosine_of(r, odd ? Trig::cosine : Trig::sine);
  result.negative = (r.quadrant >= 2) != (!odd && r.negative);
  return result;
}

// cos x by quadrant: cos r, −sin r, −cos r, sin r.
ExtendedReal cosine(double x) {
  const ReducedArgument r = reduce_argument(x);
  const bool odd = (r.quadrant & 1) != 0;
  ExtendedReal result = sine_or_cosine_of(r, odd ? Trig::sine : Trig::cosine);
  result.negative = (r.quadrant == 1 || r.quadrant == 2) != (odd && r.negative);
  return result;
}

ExtendedReal arctangent_of_magnitude(double x) {
  ExtendedReal result = arctangent_of(x, unit_held_bits);
  result.negative = split_double(x).negative;
  return result;
}

ExtendedReal half_pi() {
  // π = 0xC90FDAA22168C234|C4C6…·2^-62: the bits after the 64th begin with 1, so to nearest
  // the significand rounds up; halving changes only the exponent.
  return {false, ExtendedReal::exponent_bias, 0xC90FDAA22168C235ULL};
}

}  // namespace duopit::numerics::software
