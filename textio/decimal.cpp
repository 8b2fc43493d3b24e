// textio/decimal.cpp — the first 18 significant digits of a 64-bit real's exact decimal
// expansion, cut off, and the markers of the values without digits.
// Integer arithmetic only: the value is taken apart bit by bit, so no floating-point mode,
// precision or trap setting can change a digit. No allocation, no I/O, no globals.
//
// The 18 digits are floor(v / 10^k) for the k that leaves 18 or 19 digits. The fast path
// multiplies the 64-bit normalised mantissa by a 128-bit approximation of 5^-k taken from a
// table built at compile time; when the product cannot tell floor(v / 10^k) apart from the
// next integer, an exact big-integer comparison decides.
#include "textio/decimal.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>

#include "textio/big_integer.hpp"
#include "textio/powers_of_five.hpp"
#include "numerics/binary64.hpp"
#include "numerics/uint128.hpp"

namespace duopit::textio {

using numerics::high_half;
using numerics::low_half;
using numerics::multiply_64x64;
using numerics::Uint128;
namespace {

// --- Powers of five ----------------------------------------------------------------------

// j = 17 - floor(log10(2^n)) for n from -1074 to 1023 lies in [-290, 341], inside the table
// of textio/powers_of_five.hpp.
static_assert(pow5_min <= -292 && pow5_max >= 343);

// floor(mn x 5^j x 2^(en + j)) from the 128-bit table entry of 5^j, for a product below 2^64.
// P = mn x (hi, lo) has 192 bits and the quotient is floor(P / 2^sh) with sh from 127 to 135.
// `undecided` is set when the bits of P between 2^64 and 2^sh are all ones: only then can
// the part of 5^j cut off the entry (less than mn < 2^64 in units of P) reach the next integer.
struct ScaledProduct {
  std::uint64_t quotient;
  bool undecided;
};

[[nodiscard]] ScaledProduct scale_by_pow5(std::uint64_t mn, int en, int j) {
  const Pow5& p = pow5(j);
  const Uint128 upper = multiply_64x64(mn, p.hi);
  const Uint128 lower = multiply_64x64(mn, p.lo);
  const std::uint64_t top_lo = low_half(upper) + high_half(lower);                // bits 64..127
  const std::uint64_t top_hi = high_half(upper) + (top_lo < low_half(upper) ? 1 : 0);  // 128..191
  const int down = -(en + j + p.exp2) - 64;  // sh - 64
  assert(down >= 63 && down <= 71);
  if (down >= 64) {
    const int s = down - 64;
    const std::uint64_t mask = (std::uint64_t{1} << s) - 1;
    return {top_hi >> s, top_lo == ~std::uint64_t{0} && (top_hi & mask) == mask};
  }
  const std::uint64_t mask = (std::uint64_t{1} << 63) - 1;
  return {(top_hi << 1) | (top_lo >> 63), (top_lo & mask) == mask};
}

// --- Digits -----------------------------------------------------------------------------

// The bytes of `word` in the reverse order; compilers make this one instruction.
[[nodiscard]] constexpr std::uint64_t byte_reversed(std::uint64_t word) {
  constexpr std::uint64_t odd_bytes = 0x00FF'00FF'00FF'00FFu;
  constexpr std::uint64_t odd_pairs = 0x0000'FFFF'0000'FFFFu;
  word = ((word >> 8) & odd_bytes) | ((word & odd_bytes) << 8);
  word = ((word >> 16) & odd_pairs) | ((word & odd_pairs) << 16);
  return (word >> 32) | (word << 32);
}

// The eight decimal digits of `value` (below 10^8, leading zeros written) as the bytes of one
// word, the first digit in the lowest byte, so that storing the word writes them in order.
// Each step halves the width of the groups, all groups at once in the lanes of the word:
// two groups of four digits, four of two, eight of one. A group x in a lane of 2h bits is
// split into x / d in the lane's high half and x % d in its low half by adding
// (x / d) x (2^h - d), one product for all lanes. The quotients come from products with
// rounded-up reciprocals, exact in the ranges they see: x / 100 as x x 10486 / 2^20 for x
// below 10^4, x / 10 as x x 103 / 2^10 for x below 100. No product leaves its lane.
[[nodiscard]] std::uint64_t eight_digits(std::uint32_t value) {
  static_assert(std::endian::native == std::endian::little, "digits are stored byte by byte");
  // Step 1: value / 10^4 in the high 32-bit lane, value % 10^4 in the low one.
  const std::uint64_t over_10000 = value / 10'000u;
  const std::uint64_t groups = value + over_10000 * ((std::uint64_t{1} << 32) - 10'000);
  // Step 2: each group of four as two pairs of digits, one to each 16-bit lane.
  const std::uint64_t over_100 = ((groups * 10'486) >> 20) & 0x0000'007F'0000'007Fu;
  const std::uint64_t pairs = groups + over_100 * ((1u << 16) - 100);
  // Step 3: each pair as two digits, one to each byte.
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F'000F'000F'000Fu;
  const std::uint64_t digits = pairs + tens * ((1u << 8) - 10);
  // Step 4: the first digit, now in the highest byte, to the lowest, and '0' added to every
  // byte (no byte carries into the next).
  return byte_reversed(digits) + 0x3030'3030'3030'3030u;
}

}  // namespace

void write_sixteen_digits(std::uint64_t value, char* out) {
  assert(value < pow10_16);
  constexpr std::uint64_t pow10_8 = 100'000'000;
  const std::uint64_t high = value / pow10_8;
  const std::uint64_t first = eight_digits(static_cast<std::uint32_t>(high));
  const std::uint64_t second = eight_digits(static_cast<std::uint32_t>(value - high * pow10_8));
  std::memcpy(out, &first, 8);
  std::memcpy(out + 8, &second, 8);
}

// Out of line: rarely needed, and its two big integers would weigh on every caller's frame.
[[gnu::noinline]] bool pow10_product_at_most(std::uint64_t c, int k, std::uint64_t m, int e) {
  // c x 5^k x 2^k <= m x 2^e, with every power moved to the side where it is positive.
  BigInteger left = big_integer(c);
  BigInteger right = big_integer(m);
  if (k >= 0) {
    multiply_pow5(left, k);
  } else {
    multiply_pow5(right, -k);
  }
  const int twos = k - e;
  if (twos >= 0) {
    shift_left(left, twos);
  } else {
    shift_left(right, -twos);
  }
  return compare(left, right) <= 0;
}

LeadingDigits leading_digits(std::uint64_t mantissa, int exponent2) {
  assert(mantissa != 0 && mantissa < (std::uint64_t{1} << 53));
  // Step 1: v = mn x 2^en with 2^63 <= mn < 2^64. For est = floor(log10(2^(63 + en))),
  // 10^est <= v < 10^(est + 2), so k = est - 17 leaves 18 or 19 digits before the point.
  const int shift = std::countl_zero(mantissa);
  const std::uint64_t mn = mantissa << shift;
  const int en = exponent2 - shift;
  const int k = floor_log10_pow2(63 + en) - (leading_digit_count - 1);

  // Step 2: v / 10^k = mn x 5^j x 2^(en + j) with j = -k, lying in [10^17, 10^19).
  const int j = -k;
  const ScaledProduct scaled = scale_by_pow5(mn, en, j);
  std::uint64_t q = scaled.quotient;

  // Step 3: a table entry cut short leaves P below the true product by less than mn < 2^64,
  // so floor(v / 10^k) is q or q + 1; only an undecided product can need q + 1, and then
  // an exact comparison decides.
  const bool table_exact = j >= 0 && j <= pow5_exact_max;
  if (scaled.undecided && !table_exact && pow10_product_at_most(q + 1, k, mantissa, exponent2)) {
    ++q;
  }

  // Step 4: keep 18 digits; cutting a 19th off is the same as having divided by 10^(k+1).
  assert(q >= pow10_17 && q < 10 * pow10_18);
  if (q >= pow10_18) {
    return {q / 10, k + leading_digit_count + 1};
  }
  return {q, k + leading_digit_count};
}

Special special_kind(std::uint64_t bits) {
  constexpr std::uint64_t default_nan = 0xFFF8000000000000u;
  const std::uint64_t fraction = bits & numerics::binary64_fraction_mask;
  if (fraction == 0) {
    return Special::infinity;
  }
  if ((fraction & numerics::binary64_quiet_bit) == 0) {
    return Special::signalling_nan;
  }
  if (bits == default_nan) {
    return Special::indefinite;
  }
  return Special::quiet_nan;
}

std::string_view marker_text(Special special) {
  // In the order of the enumeration.
  constexpr std::array<std::string_view, 5> markers = {"", "1#INF", "1#SNAN", "1#IND", "1#QNAN"};
  assert(special != Special::none && "a number has no marker");
  return markers[static_cast<std::size_t>(special)];
}

}  // namespace duopit::textio
