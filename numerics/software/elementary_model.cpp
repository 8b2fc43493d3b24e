// numerics/software/elementary_model.cpp — the x87 unit's sine, cosine and arctangent computed
// in integers (elementary_model.hpp says what is modelled). No floating point of the host is
// used: the argument's bits are read as an integer and every step is fixed-point arithmetic.
//
// Evaluation: the argument is split at a breakpoint k/128; sin, cos or arctan there comes from
// a table the compiler builds at 318 bits, and a short Taylor series covers the rest
// (|t| ≤ 1/256). Arguments below 1/256 are evaluated relative to their own size (x·S(x²)),
// so a remainder of 2^-70 or an argument of 2^-1000 keeps its precision. Each evaluation
// carries an error bound; if the value lies closer to a rounding boundary than that bound,
// the 128-bit evaluation is repeated at 256 bits. Should that one be undecided too (its value
// within 2^-240 or so of a boundary, which no argument has been seen to come near), its
// rounding is taken as it stands.
#include "numerics/software/elementary_model.hpp"

#include <array>
#include <bit>
#include <cstddef>

#include "numerics/software/fixed_point.hpp"

namespace duopit::numerics::software {
namespace {

constexpr int fast_limbs = 2;
constexpr int wide_limbs = 4;
constexpr int table_limbs = 5;  // tables are built with a limb to spare, then truncated

// Bound on the error of every evaluation below, in units of its last fraction bit
// (fast_error_bound in the header). The longest chain (the sine of a remainder beyond the
// first breakpoint) has fourteen products of five units each at 128 bits (one at 256), table
// entries and coefficients of a unit or two, the short series steps well below a unit, and
// the reciprocal in the arctangent a few units more: under 100 units, so 256 leaves room, and
// still only one value in 2^45 or so lies near enough to a rounding boundary to need the
// 256-bit evaluation.
constexpr std::uint64_t error_bound_ulps = fast_error_bound;

// Step 1: series coefficients. Degree in s = t² for |t| ≤ 2^-8 (s ≤ 2^-16), so that the first
// omitted term, relative to the result, lies below 2^-130 at 128 bits and below 2^-256 at 256
// bits: s^7/15!·t < 2^-160 and s^7/14! < 2^-148 for the sine and cosine at degree 6,
// s^9/19 < 2^-148 for the arctangent at degree 8.
template <int N>
constexpr int trig_degree = N == fast_limbs ? 6 : 12;
template <int N>
constexpr int arctangent_degree = N == fast_limbs ? 8 : 18;

// sin(t)/t = Σ (−1)^n s^n/(2n+1)!
template <int N>
constexpr auto sine_coefficients = [] {
  std::array<Fixed<N>, trig_degree<N> + 1> c{};
  c[0] = fixed_one<N>();
  for (std::size_t n = 1; n < c.size(); ++n) {
    c[n] = divide_small(c[n - 1], (2 * n) * (2 * n + 1));
  }
  return c;
}();

// cos(t) = Σ (−1)^n s^n/(2n)!
template <int N>
constexpr auto cosine_coefficients = [] {
  std::array<Fixed<N>, trig_degree<N> + 1> c{};
  c[0] = fixed_one<N>();
  for (std::size_t n = 1; n < c.size(); ++n) {
    c[n] = divide_small(c[n - 1], (2 * n - 1) * (2 * n));
  }
  return c;
}();

// arctan(t)/t = Σ (−1)^n s^n/(2n+1)
template <int N>
constexpr auto arctangent_coefficients = [] {
  std::array<Fixed<N>, arctangent_degree<N> + 1> c{};
  for (std::size_t n = 0; n < c.size(); ++n) {
    c[n] = divide_small(fixed_one<N>(), 2 * n + 1);
  }
  return c;
}();

// Σ (−1)^n c[n] s^n by Horner's rule. Every partial sum stays positive (s·c[n+1] < c[n]), so
// unsigned arithmetic suffices. At 128 bits the partial sums from s^5 up weigh at most
// s^5 ≤ 2^-80 in the result, so the 62 fraction bits of one limb carry them (their error,
// three units of 2^-62, reaches the result below 2^-130); those steps multiply single limbs.
constexpr std::size_t first_short_step = 5;

template <int N, std::size_t K>
constexpr Fixed<N> alternating_series(const std::array<Fixed<N>, K>& c, const Fixed<N>& s) {
  std::size_t n = K - 1;
  Fixed<N> sum = c[n];
  if constexpr (N == fast_limbs && K - 1 > first_short_step) {
    const std::uint64_t s_top = s.limb[1];
    std::uint64_t short_sum = c[n].limb[1];
    while (n > first_short_step) {
      --n;
      short_sum = c[n].limb[1] - static_cast<std::uint64_t>((Uint128{s_top} * short_sum) >> 62);
    }
    sum = Fixed<N>{{0, short_sum}};
  }
  while (n-- > 0) {
    sum = subtract(c[n], multiply(s, sum));
  }
  return sum;
}

// Step 2: tables at the breakpoints k/128.
constexpr int breakpoint_bits = 7;
constexpr std::size_t trig_breakpoints = 102;        // |r| ≤ π/4 < 101.5/128
constexpr std::size_t arctangent_breakpoints = 129;  // 0 ≤ u ≤ 1

template <int N>
struct SineCosine {
  Fixed<N> sine;
  Fixed<N> cosine;
};

// sin a and cos a by their Taylor series, all terms a^n/n! until they vanish.
constexpr SineCosine<table_limbs> taylor_sine_cosine(const Fixed<table_limbs>& a) {
  std::array<Fixed<table_limbs>, 4> sums{};  // cos +, sin +, cos −, sin −
  Fixed<table_limbs> term = fixed_one<table_limbs>();
  for (std::uint64_t n = 0; !is_zero(term); ++n) {
    sums[n % 4] = add(sums[n % 4], term);
    term = divide_small(multiply(term, a), n + 1);
  }
  return {subtract(sums[1], sums[3]), subtract(sums[0], sums[2])};
}

// arctan(128/d) for d ≥ 16384 by its Taylor series Σ (−1)^n y^(2n+1)/(2n+1), y = 128/d.
constexpr Fixed<table_limbs> arctangent_of_ratio(std::uint64_t d) {
  constexpr std::uint64_t numerator = std::uint64_t{1} << breakpoint_bits;
  Fixed<table_limbs> power = multiply_small(divide_small(fixed_one<table_limbs>(), d), numerator);
  Fixed<table_limbs> positive;
  Fixed<table_limbs> negative;
  for (std::uint64_t n = 0; !is_zero(power); ++n) {
    Fixed<table_limbs>& sum = n % 2 == 0 ? positive : negative;
    sum = add(sum, divide_small(power, 2 * n + 1));
    power = multiply_small(divide_small(multiply_small(divide_small(power, d), numerator), d),
                           numerator);
  }
  return subtract(positive, negative);
}

template <int N>
constexpr Fixed<N> breakpoint(std::uint64_t k) {
  Fixed<N> c;
  c.limb[N - 1] = k << (62 - breakpoint_bits);
  return c;
}

// The tables are built at 318 bits by short recurrences (the arctangent's takes more steps of
// constant evaluation than clang allows by default: CMakeLists.txt raises its limit for this
// file); each step loses a few units of 2^-318, so after 128 steps the 256-bit entries kept
// are still exact to their last bit or two.

// sin and cos of k/128, turning by 1/128 at a time: sin(a + b) = sin a cos b + cos a sin b,
// cos(a + b) = cos a cos b − sin a sin b.
constexpr auto wide_sine_cosine_table = [] {
  std::array<SineCosine<wide_limbs>, trig_breakpoints> table{};
  const SineCosine<table_limbs> turn = taylor_sine_cosine(breakpoint<table_limbs>(1));
  SineCosine<table_limbs> at{Fixed<table_limbs>{}, fixed_one<table_limbs>()};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = {narrow<wide_limbs>(at.sine), narrow<wide_limbs>(at.cosine)};
    at = {add(multiply(at.sine, turn.cosine), multiply(at.cosine, turn.sine)),
          subtract(multiply(at.cosine, turn.cosine), multiply(at.sine, turn.sine))};
  }
  return table;
}();

// arctan(k/128) = Σ_{j ≤ k} arctan(j/128) − arctan((j−1)/128), each difference being
// arctan((1/128)/(1 + j(j−1)/16384)) = arctan(128/(16384 + j(j−1))).
constexpr auto wide_arctangent_table = [] {
  std::array<Fixed<wide_limbs>, arctangent_breakpoints> table{};
  Fixed<table_limbs> sum;
  for (std::uint64_t k = 0; k < table.size(); ++k) {
    if (k > 0) {
      sum = add(sum, arctangent_of_ratio((std::uint64_t{1} << (2 * breakpoint_bits)) + k * (k - 1)));
    }
    table[k] = narrow<wide_limbs>(sum);
  }
  return table;
}();

template <int N>
constexpr auto sine_cosine_table = [] {
  std::array<SineCosine<N>, trig_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = {narrow<N>(wide_sine_cosine_table[k].sine),
                narrow<N>(wide_sine_cosine_table[k].cosine)};
  }
  return table;
}();

template <int N>
constexpr auto arctangent_table = [] {
  std::array<Fixed<N>, arctangent_breakpoints> table{};
  for (std::size_t k = 0; k < table.size(); ++k) {
    table[k] = narrow<N>(wide_arctangent_table[k]);
  }
  return table;
}();

// The breakpoint nearest u (u < 4): round(128u).
template <int N>
std::uint64_t nearest_breakpoint(const Fixed<N>& u) {
  constexpr int shift = 62 - breakpoint_bits;
  return (u.limb[N - 1] + (std::uint64_t{1} << (shift - 1))) >> shift;
}

// Step 3: rounding. A value·2^exponent whose error is below error_bound_ulps units of its
// last bit, rounded to a 64-bit significand to nearest.
template <int N>
struct Approximation {
  Fixed<N> value;
  int exponent = 0;
};

template <int N>
Rounded round_to_extended(const Approximation<N>& a, std::uint64_t error = error_bound_ulps) {
  const int top = leading_bit(a.value);
  const int shift = Fixed<N>::bits - 1 - top;
  const Fixed<N> normal = shift_left(a.value, shift);
  Fixed<N> rest = normal;
  rest.limb[N - 1] = 0;
  Fixed<N> half;
  half.limb[N - 2] = std::uint64_t{1} << 63;
  Fixed<N> margin;
  margin.limb[0] = error;
  margin = shift_left(margin, shift);
  const SignedFixed<N> distance = difference_of(rest, half);

  std::uint64_t significand = normal.limb[N - 1];
  std::int32_t exponent = top - Fixed<N>::fraction_bits + a.exponent + ExtendedReal::exponent_bias;
  const bool tie = is_zero(distance.magnitude);
  // An exact value (error 0) exactly halfway rounds to even.
  if ((!distance.negative && !tie) || (error == 0 && tie && (significand & 1) != 0)) {
    ++significand;
    if (significand == 0) {  // carried into the next binade
      significand = std::uint64_t{1} << 63;
      ++exponent;
    }
  }
  return {ExtendedReal{false, exponent, significand}, error == 0 || less(margin, distance.magnitude)};
}

// RN64(c − RN_b(w)) for an exact constant c and an approximation w of a small part: the unit
// holds the small part of some results (1 − cos r, arctan(1/x)) to b significant bits before
// it combines it with 1 or π₆₆/2. Where w has no bits below its b-th within reach, the b-bit
// rounding moves it by less than a unit and the ordinary rounding's margin covers that. The
// result c − RN_b(w) is exact, so its own rounding sends a value exactly halfway to even.
template <int N>
Rounded round_held_difference(const Fixed<N>& constant, const Fixed<N>& small, int bits) {
  const int drop = leading_bit(small) - (bits - 1);
  if (drop < 1) {
    return round_to_extended(Approximation<N>{subtract(constant, small), 0});
  }
  Fixed<N> unit;
  unit.limb[0] = 1;
  const Fixed<N> cut = shift_left(unit, drop);
  const Fixed<N> kept = shift_left(shift_right(small, drop), drop);
  const SignedFixed<N> distance = difference_of(subtract(small, kept), shift_right(cut, 1));
  Fixed<N> margin;
  margin.limb[0] = error_bound_ulps;
  if (!less(margin, distance.magnitude)) {
    // The b-bit rounding is undecided at this precision, but it moves w by less than 2^drop
    // units: where c − w lies farther than that from a rounding boundary, it does not matter.
    constexpr int widest_margin = 56;
    const std::uint64_t moved = drop < widest_margin ? std::uint64_t{1} << drop : 0;
    const Rounded unheld = round_to_extended(Approximation<N>{subtract(constant, small), 0},
                                             error_bound_ulps + moved);
    return {unheld.value, moved != 0 && unheld.certain};
  }
  const Fixed<N> held = distance.negative ? kept : add(kept, cut);
  return {round_to_extended(Approximation<N>{subtract(constant, held), 0}, 0).value, true};
}

// The cosine v ≤ 1 with 1 − v held to b bits.
template <int N>
Rounded round_complement(const Approximation<N>& v, int bits) {
  const Fixed<N> one = fixed_one<N>();
  const Fixed<N> complement = less(v.value, one) ? subtract(one, v.value) : Fixed<N>{};
  return round_held_difference(one, complement, bits);
}

// v·(1 + adjustment·2^-79), for the unit's own error (below). v has its leading bit at 63 or
// above, as every value here does.
template <int N>
Fixed<N> scale_relative(const Fixed<N>& v, std::int32_t adjustment) {
  if (adjustment == 0) {
    return v;
  }
  const int top = leading_bit(v);
  const std::uint64_t leading = shift_right(v, top - 63).limb[0];
  const std::uint64_t size = adjustment < 0 ? static_cast<std::uint64_t>(-std::int64_t{adjustment})
                                            : static_cast<std::uint64_t>(adjustment);
  const Uint128 product = Uint128{leading} * size;  // below 2^80
  Fixed<N> offset;
  offset.limb[0] = static_cast<std::uint64_t>(product);
  offset.limb[1] = static_cast<std::uint64_t>(product >> 64);
  const int position = top - 63 - 79;
  offset = position >= 0 ? shift_left(offset, position) : shift_right(offset, -position);
  return adjustment > 0 ? add(v, offset) : subtract(v, offset);
}

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

// Step 4: the functions at fixed-point arguments.

// 1/d for 1 ≤ d ≤ 2: a 64-bit quotient, then Newton steps y ← y + y·(1 − d·y), each of
// which doubles the correct bits (62 → 124 → 248).
template <int N>
Fixed<N> reciprocal(const Fixed<N>& d) {
  const std::uint64_t top = d.limb[N - 1];  // d·2^62, truncated
  const Uint128 first = (Uint128{1} << 126) / (Uint128{top} + 1);  // 2^64/d, from below
  Fixed<N> y = fixed_from_scaled<N>(first, 64);
  constexpr int steps = N == fast_limbs ? 1 : 3;
  for (int step = 0; step < steps; ++step) {
    const SignedFixed<N> defect = difference_of(fixed_one<N>(), multiply(d, y));
    const Fixed<N> correction = multiply(y, defect.magnitude);
    y = defect.negative ? subtract(y, correction) : add(y, correction);
  }
  return y;
}

// arctan(u) for 0 ≤ u ≤ 1 (plus a few units), to absolute precision:
// arctan u = arctan c + arctan((u − c)/(1 + u·c)) with c the nearest breakpoint.
template <int N>
Fixed<N> arctangent_fixed(const Fixed<N>& u) {
  const std::uint64_t k = nearest_breakpoint(u);
  if (k == 0) {
    return multiply(u, alternating_series(arctangent_coefficients<N>, multiply(u, u)));
  }
  const Fixed<N> c = breakpoint<N>(k);
  const SignedFixed<N> numerator = difference_of(u, c);
  const Fixed<N> denominator = add(fixed_one<N>(), multiply(u, c));
  const Fixed<N> t = multiply(numerator.magnitude, reciprocal(denominator));
  const Fixed<N> tail =
      multiply(t, alternating_series(arctangent_coefficients<N>, multiply(t, t)));
  const Fixed<N>& head = arctangent_table<N>[k];
  return numerator.negative ? subtract(head, tail) : add(head, tail);
}

// x·F(x²) for 2^exponent ≤ x < 2^(exponent+1) below 2^-8, relative to x's own size:
// significand in [1, 2).
template <int N, std::size_t K>
Approximation<N> odd_series_relative(const std::array<Fixed<N>, K>& c, const Fixed<N>& significand,
                                     int exponent) {
  const Fixed<N> s = shift_right(multiply(significand, significand), -2 * exponent);
  return {multiply(significand, alternating_series(c, s)), exponent};
}

enum class Trig { sine, cosine };

template <int N>
Approximation<N> sine_or_cosine(Uint128 magnitude, int scale, Trig which) {
  const int top = leading_bit(magnitude);
  const int exponent = top - scale;  // 2^exponent ≤ |r| < 2^(exponent+1)
  if (exponent < -breakpoint_bits - 1) {
    const Fixed<N> significand = fixed_from_scaled<N>(magnitude, top);
    if (which == Trig::sine) {
      return odd_series_relative(sine_coefficients<N>, significand, exponent);
    }
    const Fixed<N> s = shift_right(multiply(significand, significand), -2 * exponent);
    return {alternating_series(cosine_coefficients<N>, s), 0};
  }
  // sin(c ± t) = sin c·cos t ± cos c·sin t, cos(c ± t) = cos c·cos t ∓ sin c·sin t.
  const Fixed<N> r = fixed_from_scaled<N>(magnitude, scale);
  const std::uint64_t k = nearest_breakpoint(r);
  const SignedFixed<N> t = difference_of(r, breakpoint<N>(k));
  const Fixed<N> s = multiply(t.magnitude, t.magnitude);
  const Fixed<N> sine_t = multiply(t.magnitude, alternating_series(sine_coefficients<N>, s));
  const Fixed<N> cosine_t = alternating_series(cosine_coefficients<N>, s);
  const SineCosine<N>& at_c = sine_cosine_table<N>[k];
  if (which == Trig::sine) {
    const Fixed<N> even = multiply(at_c.sine, cosine_t);
    const Fixed<N> odd = multiply(at_c.cosine, sine_t);
    return {t.negative ? subtract(even, odd) : add(even, odd), 0};
  }
  const Fixed<N> even = multiply(at_c.cosine, cosine_t);
  const Fixed<N> odd = multiply(at_c.sine, sine_t);
  return {t.negative ? add(even, odd) : subtract(even, odd), 0};
}

constexpr int double_exponent_bias = 1023;
constexpr int double_fraction_bits = 52;
constexpr std::uint64_t double_fraction_mask = (std::uint64_t{1} << double_fraction_bits) - 1;

struct DoubleParts {
  bool negative;
  int exponent;             // x = significand·2^(exponent − 52)
  std::uint64_t significand;  // with its integer bit
};

DoubleParts split_double(double x) {
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>((bits >> double_fraction_bits) & 0x7FF);
  return {(bits >> 63) != 0, biased - double_exponent_bias,
          (bits & double_fraction_mask) | (std::uint64_t{1} << double_fraction_bits)};
}

// arctan|x|: below 2^-8 relative to x; up to 1 through the table; above 1 as π₆₆/2 − arctan(1/x),
// as the unit computes it, with the same π rounded to 66 bits that its sine reduces by.
// That π/2 lies 2^-68.75 below the true one, which decides the rounding of one result in
// fifty above 1.
template <int N>
constexpr Fixed<N> half_pi_66 = fixed_from_scaled<N>(reduction_pi_66, 65);

bool is_above_one(const DoubleParts& parts) {
  return parts.exponent > 0 ||
         (parts.exponent == 0 && parts.significand != (std::uint64_t{1} << double_fraction_bits));
}

// arctan(1/x) for x > 1.
template <int N>
Fixed<N> arctangent_of_inverse(const DoubleParts& parts) {
  const Fixed<N> significand = fixed_from_scaled<N>(parts.significand, double_fraction_bits);
  return arctangent_fixed(shift_right(reciprocal(significand), parts.exponent));
}

template <int N>
Approximation<N> arctangent_approximation(double x) {
  const DoubleParts parts = split_double(x);
  const Fixed<N> significand = fixed_from_scaled<N>(parts.significand, double_fraction_bits);
  if (parts.exponent < -breakpoint_bits - 1) {
    return odd_series_relative(arctangent_coefficients<N>, significand, parts.exponent);
  }
  if (!is_above_one(parts)) {
    return {arctangent_fixed(shift_right(significand, -parts.exponent)), 0};
  }
  return {subtract(half_pi_66<N>, arctangent_of_inverse<N>(parts)), 0};
}

// The arctangent rounded; above 1 with arctan(1/x) held to `held_bits` bits when that is not 0.
template <int N>
Rounded round_arctangent(double x, int held_bits) {
  const DoubleParts parts = split_double(x);
  if (held_bits == 0 || !is_above_one(parts)) {
    return round_to_extended(arctangent_approximation<N>(x));
  }
  return round_held_difference(half_pi_66<N>, arctangent_of_inverse<N>(parts), held_bits);
}

// The 128-bit evaluation, and the 256-bit one when the first cannot decide the rounding.
template <typename Evaluate>
ExtendedReal correctly_rounded(Evaluate evaluate) {
  const Rounded fast = evaluate(Evaluation::fast);
  return fast.certain ? fast.value : evaluate(Evaluation::wide).value;
}

ExtendedReal sine_or_cosine_of(const ReducedArgument& r, Trig which) {
  return correctly_rounded([&](Evaluation how) {
    return which == Trig::sine
               ? sine_of_remainder(r.magnitude, r.scale, how, unit_sine_error(r.magnitude, r.scale))
                               : cosine_of_remainder(r.magnitude, r.scale, how,
                                                     unit_held_bits);
  });
}

// ⌊2^128/π₆₆⌋, below 2^64.
constexpr std::uint64_t inverse_pi_66 = static_cast<std::uint64_t>(~Uint128{0} / reduction_pi_66);

}  // namespace

ReducedArgument reduce_argument(double x) {
  const DoubleParts parts = split_double(x);
  if (parts.exponent < -1) {  // |x| < 1/2: already the remainder
    return {0, parts.negative, parts.significand, double_fraction_bits - parts.exponent};
  }
  // x·2^65 is an integer below 2^128 for 1/2 ≤ |x| < 2^63, and so is π₆₆/2 · 2^65.
  const Uint128 scaled = Uint128{parts.significand}
                         << (parts.exponent - double_fraction_bits + 65);
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

template <int N>
Rounded round_adjusted(const Approximation<N>& a, std::int32_t relative_error) {
  return round_to_extended(Approximation<N>{scale_relative(a.value, relative_error), a.exponent});
}

Rounded sine_of_remainder(Uint128 magnitude, int scale, Evaluation how,
                          std::int32_t relative_error) {
  return how == Evaluation::fast
             ? round_adjusted(sine_or_cosine<fast_limbs>(magnitude, scale, Trig::sine),
                              relative_error)
             : round_adjusted(sine_or_cosine<wide_limbs>(magnitude, scale, Trig::sine),
                              relative_error);
}

Rounded cosine_of_remainder(Uint128 magnitude, int scale, Evaluation how, int complement_bits) {
  if (complement_bits == 0) {
    return how == Evaluation::fast
               ? round_to_extended(sine_or_cosine<fast_limbs>(magnitude, scale, Trig::cosine))
               : round_to_extended(sine_or_cosine<wide_limbs>(magnitude, scale, Trig::cosine));
  }
  return how == Evaluation::fast
             ? round_complement(sine_or_cosine<fast_limbs>(magnitude, scale, Trig::cosine),
                                complement_bits)
             : round_complement(sine_or_cosine<wide_limbs>(magnitude, scale, Trig::cosine),
                                complement_bits);
}

Rounded arctangent_of(double x, Evaluation how, int held_bits) {
  return how == Evaluation::fast ? round_arctangent<fast_limbs>(x, held_bits)
                                 : round_arctangent<wide_limbs>(x, held_bits);
}

namespace {
Unrounded unrounded_of(const Approximation<fast_limbs>& a) {
  return {as_integer(a.value), a.exponent};
}
}  // namespace

Unrounded unrounded_sine_of_remainder(Uint128 magnitude, int scale) {
  return unrounded_of(sine_or_cosine<fast_limbs>(magnitude, scale, Trig::sine));
}

Unrounded unrounded_cosine_of_remainder(Uint128 magnitude, int scale) {
  return unrounded_of(sine_or_cosine<fast_limbs>(magnitude, scale, Trig::cosine));
}

Unrounded unrounded_arctangent(double x) {
  return unrounded_of(arctangent_approximation<fast_limbs>(x));
}

TableEntry sine_table_entry(std::size_t k) { return wide_sine_cosine_table[k].sine.limb; }

TableEntry cosine_table_entry(std::size_t k) { return wide_sine_cosine_table[k].cosine.limb; }

TableEntry arctangent_table_entry(std::size_t k) { return wide_arctangent_table[k].limb; }

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
  ExtendedReal result =
      correctly_rounded([x](Evaluation how) { return arctangent_of(x, how, unit_held_bits); });
  result.negative = split_double(x).negative;
  return result;
}

ExtendedReal half_pi() {
  // π = 0xC90FDAA22168C234|C4C6…·2^-62: the bits after the 64th begin with 1, so to nearest
  // the significand rounds up; halving changes only the exponent.
  return {false, ExtendedReal::exponent_bias, 0xC90FDAA22168C235ULL};
}

}  // namespace duopit::numerics::software
