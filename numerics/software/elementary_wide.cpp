// numerics/software/elementary_wide.cpp — sine, cosine and arctangent in 256-bit fixed point:
// the fallback of the software elementary functions, for the rare value the 128-bit evaluation
// (elementary_fast.cpp) cannot round with certainty. Written for clarity rather than speed, on
// the generic fixed-point numbers of fixed_point.hpp. Pure integer code.
//
// Evaluation: split at the nearest breakpoint k/128 (elementary_tables.hpp), a Taylor series in
// the rest (|t| ≤ 1/256); arguments below 1/256 relative to their own size (x·S(x²)), so a
// remainder of 2^-70 or an argument of 2^-1000 keeps its precision. The error stays below
// fast_error_bound units of 2^-254, far below what any rounding met so far needs; should a
// value lie even nearer a rounding boundary, its rounding is taken as it stands.
#include "numerics/software/elementary_wide.hpp"

#include <array>
#include <cstddef>

#include "numerics/software/double_parts.hpp"
#include "numerics/software/elementary_tables.hpp"
#include "numerics/software/fixed_point.hpp"

namespace duopit::numerics::software::wide {
namespace {

constexpr int wide_limbs = 4;
using Wide = Fixed<wide_limbs>;
constexpr std::uint64_t error_bound_ulps = fast_error_bound;

// Step 1: series coefficients. Degree in s = t² for |t| ≤ 2^-8 (s ≤ 2^-16), so that the first
// omitted term, relative to the result, lies below 2^-256: s^13/27!·t < 2^-300 and
// s^13/26! < 2^-296 for the sine and cosine at degree 12, s^16/33 < 2^-261 for the arctangent
// at degree 15.
constexpr int trig_degree = 12;
constexpr int arctangent_degree = 15;

// sin(t)/t = Σ (−1)^n s^n/(2n+1)!
constexpr auto sine_coefficients = [] {
  std::array<Wide, trig_degree + 1> c{};
  c[0] = fixed_one<wide_limbs>();
  for (std::size_t n = 1; n < c.size(); ++n) {
    c[n] = divide_small(c[n - 1], (2 * n) * (2 * n + 1));
  }
  return c;
}();

// cos(t) = Σ (−1)^n s^n/(2n)!
constexpr auto cosine_coefficients = [] {
  std::array<Wide, trig_degree + 1> c{};
  c[0] = fixed_one<wide_limbs>();
  for (std::size_t n = 1; n < c.size(); ++n) {
    c[n] = divide_small(c[n - 1], (2 * n - 1) * (2 * n));
  }
  return c;
}();

// arctan(t)/t = Σ (−1)^n s^n/(2n+1)
constexpr auto arctangent_coefficients = [] {
  std::array<Wide, arctangent_degree + 1> c{};
  for (std::size_t n = 0; n < c.size(); ++n) {
    c[n] = divide_small(fixed_one<wide_limbs>(), 2 * n + 1);
  }
  return c;
}();

// Σ (−1)^n c[n] s^n by Horner's rule. Every partial sum stays positive (s·c[n+1] < c[n]), so
// unsigned arithmetic suffices.

template <std::size_t K>
constexpr Wide alternating_series(const std::array<Wide, K>& c, const Wide& s) {
  std::size_t n = K - 1;
  Wide sum = c[n];
  while (n-- > 0) {
    sum = subtract(c[n], multiply(s, sum));
  }
  return sum;
}

// Step 2: the tables at the breakpoints k/128 (elementary_tables.hpp).
constexpr Wide breakpoint(std::uint64_t k) {
  Wide c;
  c.limb[wide_limbs - 1] = k << (62 - breakpoint_bits);
  return c;
}

// The breakpoint nearest u (u < 4): round(128u).
std::uint64_t nearest_breakpoint(const Wide& u) {
  constexpr int shift = 62 - breakpoint_bits;
  return (u.limb[wide_limbs - 1] + (std::uint64_t{1} << (shift - 1))) >> shift;
}

// Step 3: rounding. A value·2^exponent whose error is below error_bound_ulps units of its
// last bit, rounded to a 64-bit significand to nearest.
struct Approximation {
  Wide value;
  int exponent = 0;
};

Rounded round_to_extended(const Approximation& a, std::uint64_t error = error_bound_ulps) {
  const int top = leading_bit(a.value);
  const int shift = Wide::bits - 1 - top;
  const Wide normal = shift_left(a.value, shift);
  Wide rest = normal;
  rest.limb[wide_limbs - 1] = 0;
  Wide half;
  half.limb[wide_limbs - 2] = std::uint64_t{1} << 63;
  Wide margin;
  margin.limb[0] = error;
  margin = shift_left(margin, shift);
  const SignedFixed<wide_limbs> distance = difference_of(rest, half);

  std::uint64_t significand = normal.limb[wide_limbs - 1];
  std::int32_t exponent = top - Wide::fraction_bits + a.exponent + ExtendedReal::exponent_bias;
  const bool tie = is_zero(distance.magnitude);
  // An exact value (error 0) exactly halfway rounds to even.
  if ((!distance.negative && !tie) || (error == 0 && tie && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) {  // carried into the next binade
      significand = std::uint64_t{1} << 63;
      ++exponent;
    }
  }
  return {ExtendedReal{false, exponent, significand},
          error == 0 || less(margin, distance.magnitude)};
}

// RN64(c − RN_b(w)) for an exact constant c and an approximation w of a small part: the unit
// holds the small part of some results (1 − cos r, arctan(1/x)) to b significant bits before
// it combines it with 1 or π₆₆/2. Where w has no bits below its b-th within reach, the b-bit
// rounding moves it by less than a unit and the ordinary rounding's margin covers that. The
// result c − RN_b(w) is exact, so its own rounding sends a value exactly halfway to even.
Rounded round_held_difference(const Wide& constant, const Wide& small, int bits) {
  const int drop = leading_bit(small) - (bits - 1);
  if (drop < 1) {
    return round_to_extended(Approximation{subtract(constant, small), 0});
  }
  Wide unit;
  unit.limb[0] = 1;
  const Wide cut = shift_left(unit, drop);
  const Wide kept = shift_left(shift_right(small, drop), drop);
  const SignedFixed<wide_limbs> distance =
      difference_of(subtract(small, kept), shift_right(cut, 1));
  Wide margin;
  margin.limb[0] = error_bound_ulps;
  if (!less(margin, distance.magnitude)) {
    // The b-bit rounding is undecided at this precision, but it moves w by less than 2^drop
    // units: where c − w lies farther than that from a rounding boundary, it does not matter.
    constexpr int widest_margin = 56;
    const std::uint64_t moved = drop < widest_margin ? std::uint64_t{1} << drop : 0;
    const Rounded unheld = round_to_extended(Approximation{subtract(constant, small), 0},
                                             error_bound_ulps + moved);
    return {unheld.value, moved != 0 && unheld.certain};
  }
  const Wide held = distance.negative ? kept : add(kept, cut);
  return {round_to_extended(Approximation{subtract(constant, held), 0}, 0).value, true};
}

// The cosine v ≤ 1 with 1 − v held to b bits.
Rounded round_complement(const Approximation& v, int bits) {
  const Wide one = fixed_one<wide_limbs>();
  const Wide complement = less(v.value, one) ? subtract(one, v.value) : Wide{};
  return round_held_difference(one, complement, bits);
}

// v·(1 + adjustment·2^-79), for the unit's own error (below). v has its leading bit at 63 or
// above, as every value here does.
Wide scale_relative(const Wide& v, std::int32_t adjustment) {
  if (adjustment == 0) {
    return v;
  }
  const int top = leading_bit(v);
  const std::uint64_t leading = shift_right(v, top - 63).limb[0];
  const std::uint64_t size = adjustment < 0 ? static_cast<std::uint64_t>(-std::int64_t{adjustment})
                                            : static_cast<std::uint64_t>(adjustment);
  const Uint128 product = Uint128{leading} * size;  // below 2^80
  Wide offset;
  offset.limb[0] = static_cast<std::uint64_t>(product);
  offset.limb[1] = static_cast<std::uint64_t>(product >> 64);
  const int position = top - 63 - 79;
  offset = position >= 0 ? shift_left(offset, position) : shift_right(offset, -position);
  return adjustment > 0 ? add(v, offset) : subtract(v, offset);
}

// Step 4: the functions at fixed-point arguments.

// 1/d for 1 ≤ d ≤ 2: a 64-bit quotient, then Newton steps y ← y + y·(1 − d·y), each of
// which doubles the correct bits (62 → 124 → 248).
Wide reciprocal(const Wide& d) {
  const std::uint64_t top = d.limb[wide_limbs - 1];  // d·2^62, truncated
  const Uint128 first = (Uint128{1} << 126) / (Uint128{top} + 1);  // 2^64/d, from below
  Wide y = fixed_from_scaled<wide_limbs>(first, 64);
  constexpr int steps = 3;
  for (int step = 0; step < steps; ++step) {
    const SignedFixed<wide_limbs> defect = difference_of(fixed_one<wide_limbs>(), multiply(d, y));
    const Wide correction = multiply(y, defect.magnitude);
    y = defect.negative ? subtract(y, correction) : add(y, correction);
  }
  return y;
}

// arctan(u) for 0 ≤ u ≤ 1 (plus a few units), to absolute precision:
// arctan u = arctan c + arctan((u − c)/(1 + u·c)) with c the nearest breakpoint.
Wide arctangent_fixed(const Wide& u) {
  const std::uint64_t k = nearest_breakpoint(u);
  if (k == 0) {
    return multiply(u, alternating_series(arctangent_coefficients, multiply(u, u)));
  }
  const Wide c = breakpoint(k);
  const SignedFixed<wide_limbs> numerator = difference_of(u, c);
  const Wide denominator = add(fixed_one<wide_limbs>(), multiply(u, c));
  const Wide t = multiply(numerator.magnitude, reciprocal(denominator));
  const Wide tail = multiply(t, alternating_series(arctangent_coefficients, multiply(t, t)));
  const Wide& head = wide_arctangent_table[k];
  return numerator.negative ? subtract(head, tail) : add(head, tail);
}

// x·F(x²) for 2^exponent ≤ x < 2^(exponent+1) below 2^-8, relative to x's own size:
// significand in [1, 2).
template <std::size_t K>
Approximation odd_series_relative(const std::array<Wide, K>& c, const Wide& significand,
                                  int exponent) {
  const Wide s = shift_right(multiply(significand, significand), -2 * exponent);
  return {multiply(significand, alternating_series(c, s)), exponent};
}

enum class Trig { sine, cosine };

Approximation sine_or_cosine(Uint128 magnitude, int scale, Trig which) {
  const int top = leading_bit(magnitude);
  const int exponent = top - scale;  // 2^exponent ≤ |r| < 2^(exponent+1)
  if (exponent < -breakpoint_bits - 1) {
    const Wide significand = fixed_from_scaled<wide_limbs>(magnitude, top);
    if (which == Trig::sine) {
      return odd_series_relative(sine_coefficients, significand, exponent);
    }
    const Wide s = shift_right(multiply(significand, significand), -2 * exponent);
    return {alternating_series(cosine_coefficients, s), 0};
  }
  // sin(c ± t) = sin c·cos t ± cos c·sin t, cos(c ± t) = cos c·cos t ∓ sin c·sin t.
  const Wide r = fixed_from_scaled<wide_limbs>(magnitude, scale);
  const std::uint64_t k = nearest_breakpoint(r);
  const SignedFixed<wide_limbs> t = difference_of(r, breakpoint(k));
  const Wide s = multiply(t.magnitude, t.magnitude);
  const Wide sine_t = multiply(t.magnitude, alternating_series(sine_coefficients, s));
  const Wide cosine_t = alternating_series(cosine_coefficients, s);
  const SineCosine<wide_limbs>& at_c = wide_sine_cosine_table[k];
  if (which == Trig::sine) {
    const Wide even = multiply(at_c.sine, cosine_t);
    const Wide odd = multiply(at_c.cosine, sine_t);
    return {t.negative ? subtract(even, odd) : add(even, odd), 0};
  }
  const Wide even = multiply(at_c.cosine, cosine_t);
  const Wide odd = multiply(at_c.sine, sine_t);
  return {t.negative ? add(even, odd) : subtract(even, odd), 0};
}

// arctan|x|: below 2^-8 relative to x; up to 1 through the table; above 1 as π₆₆/2 − arctan(1/x),
// as the unit computes it, with the same π rounded to 66 bits that its sine reduces by.
// That π/2 lies 2^-68.75 below the true one, which decides the rounding of one result in
// fifty above 1.
constexpr Wide half_pi_66 = fixed_from_scaled<wide_limbs>(reduction_pi_66, 65);

// arctan(1/x) for x > 1.
Wide arctangent_of_inverse(const DoubleParts& parts) {
  const Wide significand = fixed_from_scaled<wide_limbs>(parts.significand, double_fraction_bits);
  return arctangent_fixed(shift_right(reciprocal(significand), parts.exponent));
}

Approximation arctangent_approximation(double x) {
  const DoubleParts parts = split_double(x);
  const Wide significand = fixed_from_scaled<wide_limbs>(parts.significand, double_fraction_bits);
  if (parts.exponent < -breakpoint_bits - 1) {
    return odd_series_relative(arctangent_coefficients, significand, parts.exponent);
  }
  if (!is_above_one(parts)) {
    return {arctangent_fixed(shift_right(significand, -parts.exponent)), 0};
  }
  return {subtract(half_pi_66, arctangent_of_inverse(parts)), 0};
}

// The arctangent rounded; above 1 with arctan(1/x) held to `held_bits` bits when that is not 0.
Rounded round_arctangent(double x, int held_bits) {
  const DoubleParts parts = split_double(x);
  if (held_bits == 0 || !is_above_one(parts)) {
    return round_to_extended(arctangent_approximation(x));
  }
  return round_held_difference(half_pi_66, arctangent_of_inverse(parts), held_bits);
}

}  // namespace

Rounded sine_of_remainder(Uint128 magnitude, int scale, std::int32_t relative_error) {
  const Approximation a = sine_or_cosine(magnitude, scale, Trig::sine);
  return round_to_extended(Approximation{scale_relative(a.value, relative_error), a.exponent});
}

Rounded cosine_of_remainder(Uint128 magnitude, int scale, int complement_bits) {
  const Approximation a = sine_or_cosine(magnitude, scale, Trig::cosine);
  return complement_bits == 0 ? round_to_extended(a) : round_complement(a, complement_bits);
}

Rounded arctangent_of(double x, int held_bits) { return round_arctangent(x, held_bits); }

}  // namespace duopit::numerics::software::wide
