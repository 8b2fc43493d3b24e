// numerics/software/elementary_evaluation.cpp — sine, cosine and arctangent in 128-bit fixed
// point, for the software elementary functions (elementary_model.hpp describes the model). Pure integer code: each number is one 128-bit or 64-bit word with its scale written
// beside it (t·2^71, s·2^142 and so on), chosen so that the word keeps the bits that matter.
//
// Evaluation: the argument is split at the nearest breakpoint c = k/128 (elementary_tables.hpp)
// into c ± t with |t| ≤ 2^-8; below 2^-8 it is its own t, taken relative to its size. sin t,
// 1 − cos t and arctan t come from their Taylor series in s = t² by Horner's rule. The partial
// sums that weigh little in the result are held in one 64-bit word, each of their steps a single
// 64×64-bit product; only the last steps and the combination with the table take two or three.
//
// Error: every value below stays within about 16 units of its last bit of the truth (the
// truncated products under 3 units each, the table entries 1, the omitted terms of the series
// below 2^-135); evaluation_error_bound allows 256, and the ErrorBound tests measure the
// largest seen.
#include <bit>
#include <cassert>
#include <cstddef>

#include "numerics/binary64.hpp"
#include "numerics/software/elementary_model.hpp"
#include "numerics/software/elementary_tables.hpp"
#include "numerics/software/fraction_rounding.hpp"

namespace duopit::numerics::software {
namespace {

using std::uint64_t;

constexpr uint64_t word(Uint128 v) { return low_half(v); }

// The high 128 bits of the 256-bit product, without the product of the low words: below the
// true ones by less than 3.
Uint128 multiply_high(Uint128 a, Uint128 b) {
  const uint64_t a1 = word(a >> 64);
  const uint64_t b1 = word(b >> 64);
  return Uint128{a1} * b1 + ((Uint128{a1} * word(b)) >> 64) + ((Uint128{word(a)} * b1) >> 64);
}

// The high 128 bits of the 192-bit product of a 64-bit and a 128-bit word: below by less than 1.
Uint128 multiply_high(uint64_t a, Uint128 b) {
  return Uint128{a} * word(b >> 64) + ((Uint128{a} * word(b)) >> 64);
}

// ⌊2^p/n⌋ for n > 1, by long division: the series coefficients, at compile time.
consteval Uint128 power_over(int p, uint64_t n) {
  Uint128 quotient = 0;
  Uint128 remainder = 1;  // the leading bit of 2^p
  for (int i = 0; i < p; ++i) {
    remainder <<= 1;
    quotient <<= 1;
    if (remainder >= n) {
      remainder -= n;
      quotient |= 1;
    }
  }
  return quotient;
}

// Step 1: the series. Each takes s = t² as s·2^142 (s ≤ 2^-16); `s79` is s·2^79 in one word,
// enough for the steps from s³ on (its error, 2^-79, reaches the result below 2^-127 relative
// to it); the step to s² takes s whole. A partial sum is held in one word when its error there,
// times the power of s it is weighed with, stays below 2^-124 relative to the result.

// sin t = t·(1 − s·g), g = 1/3! − s(1/5! − s(1/7! − s(1/9! − s/11!))), as g·2^130. The first
// omitted term, t·s^6/13!, is below 2^-136.
inline Uint128 sine_quotient(Uint128 square) {
  const uint64_t s79 = word(square >> 63);
  const uint64_t g4 = word(power_over(82, 362880)) -                           // ·2^82
                      word((Uint128{s79} * word(power_over(67, 39916800))) >> 64);
  const uint64_t g3 = word(power_over(76, 5040)) - word((Uint128{s79} * g4) >> 85);  // ·2^76
  const Uint128 g2 = power_over(134, 120) - (multiply_high(g3, square) >> 20);       // ·2^134
  return power_over(130, 6) - (multiply_high(square, g2) >> 18);
}

// 1 − cos t = s·q, q = 1/2! − s(1/4! − s(1/6! − s(1/8! − s(1/10! − s/12!)))), as q·2^128. The
// first omitted term, s^7/14!, is below 2^-148.
inline Uint128 cosine_quotient(Uint128 square) {
  const uint64_t s79 = word(square >> 63);
  const uint64_t h4 = word(power_over(85, 3628800)) -                          // ·2^85
                      word((Uint128{s79} * word(power_over(70, 479001600))) >> 64);
  const uint64_t h3 = word(power_over(79, 40320)) - word((Uint128{s79} * h4) >> 85);  // ·2^79
  const Uint128 h2 = power_over(137, 720) - ((Uint128{s79} * h3) >> 21);            // ·2^137
  const Uint128 h1 = power_over(132, 24) - (multiply_high(square, h2) >> 19);        // ·2^132
  return (Uint128{1} << 127) - (multiply_high(square, h1) >> 18);
}

// arctan t = t·(1 − W), W = s(1/3 − s(1/5 − s(1/7 − s(1/9 − s(1/11 − s(1/13 − s/15)))))), as
// W·2^128. The first omitted term, t·s^8/17, is below 2^-140.
Uint128 arctangent_defect(Uint128 square) {
  const uint64_t s79 = word(square >> 63);
  const auto step = [s79](Uint128 coefficient, uint64_t g) {  // ·2^66
    return word(coefficient) - word((Uint128{s79} * g) >> 79);
  };
  const uint64_t g6 = step(power_over(66, 13), word(power_over(66, 15)));
  const uint64_t g4 = step(power_over(66, 9), step(power_over(66, 11), g6));
  const Uint128 g3 = power_over(130, 7) - ((Uint128{s79} * g4) >> 15);          // ·2^130
  const Uint128 g2 = power_over(130, 5) - (multiply_high(square, g3) >> 14);    // ·2^130
  const Uint128 g1 = power_over(129, 3) - (multiply_high(square, g2) >> 15);    // ·2^129
  return multiply_high(square, g1) >> 15;
}

// arctan t in the scale of t, for t·2^135 (t ≤ 2^-8) or x·2^64 relative to x.
Uint128 arctangent_of_small(Uint128 t, Uint128 square) {
  return t - multiply_high(t, arctangent_defect(square));
}

// Step 2: the argument split at its breakpoint, or taken relative to its size.

// |r| = significand·2^(exponent − 63), significand in [2^63, 2^64), with s = r² as s·2^142.
struct Relative {
  uint64_t significand;
  int exponent;
  Uint128 square;
};

// For 2^exponent ≤ |r| < 2^-8 with 64 significant bits at most, as every remainder has.
Relative relative_of(Uint128 magnitude, int scale) {
  const int top = leading_bit(magnitude);
  assert(top < 64);
  const uint64_t x = word(magnitude) << (63 - top);
  const int exponent = top - scale;
  const int shift = -(2 * exponent + 16);  // s·2^142 = x²·2^(2·exponent + 16)
  return {x, exponent, shift >= 128 ? 0 : (Uint128{x} * x) >> shift};
}

// |r| = k/128 − t if `below`, else k/128 + t; t as t·2^71 and s = t² as s·2^142.
struct AtBreakpoint {
  std::size_t k;
  bool below;
  uint64_t t;
  Uint128 square;
};

constexpr int split_bits = 71;

// For |r| ≥ 2^-8 with at most 71 fraction bits (65 after reduction, 60 for arguments not
// reduced), so that t is exact in one word.
AtBreakpoint split_at_breakpoint(Uint128 magnitude, int scale) {
  assert(scale <= split_bits);
  // r·2^71 = whole·2^64 + part: the breakpoint is whole/128, or the next one up when part is
  // half of 2^64 or more; t is part, or 2^64 − part, in one word.
  const Uint128 r = magnitude << (split_bits - scale);
  const uint64_t part = word(r);
  const bool below = part >> 63 != 0;
  const auto k = static_cast<std::size_t>(word(r >> 64) + (below ? 1 : 0));
  assert(k < trig_breakpoints);
  const uint64_t t = below ? 0 - part : part;
  return {k, below, t, Uint128{t} * t};
}

bool is_relative(Uint128 magnitude, int scale) {
  return leading_bit(magnitude) - scale < -breakpoint_bits - 1;
}

// Step 3: the functions before rounding.

// x·sin t/t·2^64 for a word x and s = t²: sin t·2^135 for x = t·2^71, sin r relative to r for
// x its significand.
Uint128 sine_relative(uint64_t x, Uint128 square) {
  const Uint128 defect = multiply_high(square, sine_quotient(square));  // s·g·2^144
  return (Uint128{x} << 64) - (multiply_high(x, defect) >> 16);
}

// With sin t = t(1 − s·g) and cos t = 1 − s·q, the sums at the breakpoint take s out of both
// series at once: sin(c ± t) = sin c ± cos c·t − s(sin c·q ± cos c·t·g) and
// 1 − cos(c ± t) = (1 − cos c) ± sin c·t + s(cos c·q ∓ sin c·t·g), all terms positive.

Scaled sine_scaled(Uint128 magnitude, int scale) {
  if (is_relative(magnitude, scale)) {
    const Relative r = relative_of(magnitude, scale);
    return {sine_relative(r.significand, r.square), r.exponent - 127};
  }
  const AtBreakpoint a = split_at_breakpoint(magnitude, scale);
  const FractionPair& at_c = fraction_sine_cosine_table[a.k];
  const Uint128 odd = multiply_high(a.t, at_c.cosine);  // cos c·t·2^135
  const Uint128 odd_g = multiply_high(odd, sine_quotient(a.square)) >> 9;
  const Uint128 even_q = multiply_high(at_c.sine, cosine_quotient(a.square));
  const Uint128 inner = a.below ? even_q - odd_g : even_q + odd_g;
  const Uint128 outer = multiply_high(a.square, inner) >> 14;
  const Uint128 head = a.below ? at_c.sine - (odd >> 7) : at_c.sine + (odd >> 7);
  return {head - outer, -128};
}

// 1 − cos|r| as ·2^127.
Uint128 cosine_complement_scaled(Uint128 magnitude, int scale) {
  if (is_relative(magnitude, scale)) {
    const Uint128 square = relative_of(magnitude, scale).square;
    return multiply_high(square, cosine_quotient(square)) >> 15;
  }
  const AtBreakpoint a = split_at_breakpoint(magnitude, scale);
  const FractionPair& at_c = fraction_sine_cosine_table[a.k];
  const Uint128 odd = multiply_high(a.t, at_c.sine);  // sin c·t·2^135
  const Uint128 odd_g = multiply_high(odd, sine_quotient(a.square)) >> 9;
  const Uint128 even_q = multiply_high(at_c.cosine, cosine_quotient(a.square));
  const Uint128 inner = a.below ? even_q + odd_g : even_q - odd_g;
  const Uint128 head = (Uint128{1} << 127) - (at_c.cosine >> 1) +
                       (multiply_high(a.square, inner) >> 15);
  return a.below ? head - (odd >> 8) : head + (odd >> 8);
}

constexpr Uint128 one_127 = Uint128{1} << 127;
constexpr Uint128 half_pi_127 = reduction_pi_66 << 62;  // π₆₆/2·2^127

// 2^128/d for d = denominator·2^-127 in (1, 2): a 64-bit quotient y from below (short by at
// most 3 units), then one Newton step y ← y + y·e with e = 1 − d·y, which leaves it short by
// y·e² < 2^-122.
Uint128 reciprocal(Uint128 denominator) {
  const uint64_t d_high = word(denominator >> 64);  // d·2^63, truncated
  const uint64_t y = word((Uint128{1} << 127) / (Uint128{d_high} + 1));
  // e·2^191 = 2^191 − d·y·2^127, below 2^130, from the 192-bit product taken in two parts.
  const Uint128 low_product = Uint128{y} * word(denominator);
  const Uint128 high_product = Uint128{y} * d_high + (low_product >> 64);
  const uint64_t low_word = word(low_product);
  const Uint128 high_defect = (Uint128{1} << 127) - high_product - (low_word != 0 ? 1 : 0);
  const Uint128 defect = (high_defect << 62) | ((0 - low_word) >> 2);  // e·2^189
  return (Uint128{y} << 64) + (multiply_high(y, defect) >> 61);
}

// arctan u·2^128 for 0 ≤ u ≤ 1 given as u·2^127: arctan c + arctan((u − c)/(1 + u·c)) with c
// the nearest breakpoint.
Uint128 arctangent_of_fraction(Uint128 u) {
  const auto k = static_cast<std::size_t>((u + (Uint128{1} << 119)) >> 120);
  const Uint128 c = Uint128{k} << 120;
  const bool below = u < c;
  const Uint128 numerator = below ? c - u : u - c;  // at most 2^119
  const Uint128 head = fraction_arctangent_table[k];
  if (numerator == 0) {
    return head;
  }
  Uint128 t = numerator << 8;  // ·2^135
  if (k != 0) {
    const Uint128 denominator = one_127 + (u >> 7) * k;  // (1 + u·c)·2^127, below 2^128
    t = multiply_high(t, reciprocal(denominator));
  }
  const Uint128 tail = arctangent_of_small(t, multiply_high(t, t)) >> 7;
  return below ? head - tail : head + tail;
}

// 1/|x| ≤ 1 for |x| > 1, as ·2^127.
Uint128 inverse_of(const DoubleParts& parts) {
  const int shift = parts.exponent + 1;
  if (shift >= 128) {
    return 0;  // below 2^-127: arctan(1/x) is left to the error bound
  }
  if (parts.significand == std::uint64_t{1} << binary64_fraction_bits) {
    return one_127 >> parts.exponent;
  }
  return reciprocal(Uint128{parts.significand} << (127 - binary64_fraction_bits)) >> shift;
}

// arctan|x| up to 1: below 2^-8 relative to x, else through the table.
Scaled arctangent_up_to_one(const DoubleParts& parts) {
  const uint64_t x = parts.significand << (63 - binary64_fraction_bits);
  if (parts.exponent < -breakpoint_bits - 1) {
    const int shift = -(2 * parts.exponent + 16);  // s·2^142 = x²·2^(2·exponent + 16)
    const Uint128 square = shift >= 128 ? 0 : (Uint128{x} * x) >> shift;
    return {arctangent_of_small(Uint128{x} << 64, square), parts.exponent - 127};
  }
  return {arctangent_of_fraction(Uint128{x} << (parts.exponent + 64)), -128};
}

// arctan(1/|x|)·2^127 for |x| > 1. With u = 1/|x| and c = k/128 the breakpoint nearest u,
// t = (u − c)/(1 + u·c) = (1 − c·|x|)/(|x| + c), whose numerator and denominator are exact: one
// division instead of two. Beyond 256, c = 0 and t = u.
Uint128 arctangent_of_inverse(const DoubleParts& parts) {
  constexpr int largest_exponent_with_breakpoint = 8;
  const uint64_t x = parts.significand;  // |x| = x·2^(e − 52), e ≥ 0
  const int e = parts.exponent;
  const auto k = e > largest_exponent_with_breakpoint
                     ? std::size_t{0}
                     : static_cast<std::size_t>((((uint64_t{1} << (60 - e)) / x) + 1) >> 1);
  if (k == 0) {
    return arctangent_of_fraction(inverse_of(parts)) >> 1;
  }
  // Both scaled by 2^(59 − e): 1 − c·|x| → 2^(59 − e) − k·x, |x| + c → 128·x + k·2^(52 − e).
  const uint64_t one = uint64_t{1} << (59 - e);
  const uint64_t product = k * x;
  const bool below = product > one;  // u < c
  const uint64_t numerator = below ? product - one : one - product;
  const uint64_t denominator = (x << breakpoint_bits) + (uint64_t{k} << (52 - e));
  const int lead = 63 - std::countl_zero(denominator);  // 59 or 60
  const Uint128 inverse = reciprocal(Uint128{denominator} << (127 - lead));
  // t·2^135 = numerator·inverse·2^(7 − lead), from the 192-bit product.
  const Uint128 low = Uint128{numerator} * word(inverse);
  const Uint128 high = Uint128{numerator} * word(inverse >> 64) + (low >> 64);
  const int shift = lead - 7;
  const Uint128 t = (high << (64 - shift)) | (word(low) >> shift);
  const Uint128 tail = arctangent_of_small(t, multiply_high(t, t)) >> 7;
  const Uint128 head = fraction_arctangent_table[k];
  return (below ? head - tail : head + tail) >> 1;
}

}  // namespace

ExtendedReal sine_of_remainder(Uint128 magnitude, int scale, std::int32_t relative_error) {
  const Scaled v = sine_scaled(magnitude, scale);
  return round_scaled({scale_relative(v.value, relative_error), v.exponent}, false);
}

ExtendedReal cosine_of_remainder(Uint128 magnitude, int scale, int complement_bits) {
  const Uint128 complement = cosine_complement_scaled(magnitude, scale);
  if (complement_bits == 0) {
    return round_scaled({one_127 - complement, -127}, false);
  }
  return round_held_difference(one_127, complement, -127, complement_bits);
}

ExtendedReal arctangent_of(double x, int held_bits) {
  const DoubleParts parts = split_double(x);
  if (!is_above_one(parts)) {
    return round_scaled(arctangent_up_to_one(parts), false);
  }
  const Uint128 small = arctangent_of_inverse(parts);
  if (held_bits == 0) {
    return round_scaled({half_pi_127 - small, -127}, false);
  }
  return round_held_difference(half_pi_127, small, -127, held_bits);
}

// The tests read value·2^(exponent − 126).
constexpr int unrounded_offset = 126;

Unrounded unrounded_sine_of_remainder(Uint128 magnitude, int scale) {
  const Scaled v = sine_scaled(magnitude, scale);
  return {v.value, v.exponent + unrounded_offset};
}

Unrounded unrounded_cosine_of_remainder(Uint128 magnitude, int scale) {
  return {one_127 - cosine_complement_scaled(magnitude, scale), unrounded_offset - 127};
}

Unrounded unrounded_arctangent(double x) {
  const DoubleParts parts = split_double(x);
  if (!is_above_one(parts)) {
    const Scaled v = arctangent_up_to_one(parts);
    return {v.value, v.exponent + unrounded_offset};
  }
  return {half_pi_127 - arctangent_of_inverse(parts), unrounded_offset - 127};
}

Uint128 fraction_table_entry(TableFunction function, std::size_t k) {
  switch (function) {
    case TableFunction::sine:
      return fraction_sine_cosine_table[k].sine;
    case TableFunction::cosine:
      return fraction_sine_cosine_table[k].cosine;
    case TableFunction::arctangent:
      break;
  }
  return fraction_arctangent_table[k];
}

}  // namespace duopit::numerics::software
