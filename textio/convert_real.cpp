// textio/convert_real.cpp — the decimal-to-binary conversion of a typed real, from the parts
// that scan_number finds in its text.
// Pure: no I/O, no globals, no allocation, no floating-point arithmetic. The number is
// kept x 10^power exactly, and it is rounded in one way whatever its size: in big-integer
// arithmetic, to 64 significant bits and a sticky bit, then to the nearest real. So the
// result never depends on the rounding mode or precision control, no trap can be raised
// whatever the trap masks, and no library conversion is linked in. One value is read in a
// run: simplicity before speed.
#include "textio/convert_real.hpp"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstdint>

#include "textio/big_integer.hpp"
#include "textio/scan_number.hpp"
#include "numerics/binary64.hpp"
#include "numerics/uint128.hpp"

namespace duopit::textio {

using numerics::high_half;
using numerics::low_half;
namespace {

constexpr int significand_bits = numerics::binary64_fraction_bits + 1;
constexpr int exponent_bias = numerics::binary64_exponent_bias;
constexpr int min_exponent2 = -1074;  // weight of the last bit of the smallest subnormal
using numerics::binary64_fraction_mask;
using numerics::binary64_hidden_bit;
using numerics::binary64_sign_bit;

// kept x 10^power is at least 10^(kept_count - 1 + power) and below 10^(kept_count + power):
// from 10^309 on it is beyond the largest real (about 1.8 x 10^308), and below 10^-324 it is
// below half the smallest subnormal (about 2.5 x 10^-324), which rounds to zero.
constexpr int too_large_from_power = 309;
constexpr int zero_below_power = -324;

double with_sign(double magnitude, bool negative) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  return std::bit_cast<double>(negative ? bits | binary64_sign_bit : bits);
}

Converted signed_zero(bool negative) { return {ReadStatus::ok, with_sign(0.0, negative)}; }

// A positive number as (top + f) x 2^exponent2 with 0 <= f < 1: its leading bits as an
// integer, and whether any bit below them (f) is set.
struct Truncated {
  std::uint64_t top;
  bool sticky;
  int exponent2;
};

// kept x 10^power for power >= 0 is the integer kept x 5^power times 2^power: its top 64 bits.
Truncated scale_up(const BigInteger& kept, int power) {
  BigInteger product = kept;
  multiply_pow5(product, power);
  const int low = std::max(0, bit_length(product) - 64);
  const std::uint64_t top =
      (std::uint64_t{bits_at(product, low + 32)} << 32) | bits_at(product, low);
  return {top, any_bit_below(product, low), power + low};
}

// kept x 10^-n = (kept / 5^n) x 2^-n: the quotient of kept x 2^s by 5^n, with s chosen so
// that it has 63 or 64 bits, found one bit at a time, and whether a remainder is left.
Truncated scale_down(const BigInteger& kept, int n) {
  BigInteger remainder = kept;
  BigInteger divisor = big_integer(1);
  multiply_pow5(divisor, n);
  const int s = 63 + bit_length(divisor) - bit_length(kept);
  shift_left(remainder, std::max(s, 0));
  shift_left(divisor, std::max(-s, 0));
  // Now remainder / divisor lies in [2^62, 2^64). Each step compares the remainder with the
  // divisor x 2^63 and then doubles the remainder, which is the same as halving the divisor.
  shift_left(divisor, 63);
  std::uint64_t quotient = 0;
  for (int bit = 63; bit >= 0; --bit) {
    if (compare(remainder, divisor) >= 0) {
      subtract(remainder, divisor);
      quotient |= std::uint64_t{1} << bit;
    }
    if (bit > 0) {
      shift_left(remainder, 1);
    }
  }
  return {quotient, remainder.used != 0, -n - s};
}

// The real nearest to (top + f) x 2^exponent2, ties to even: the bits below the real's last
// significand bit are dropped (enough to leave 53, more where the real is subnormal) and
// decide the rounding with f; a shorter `top` is moved up instead. False when the result is
// beyond the largest real.
bool round_to_real(Truncated number, double& real) {
  assert(number.top != 0);
  const int width = std::bit_width(number.top);
  const int dropped = std::max(width - significand_bits, min_exponent2 - number.exponent2);
  std::uint64_t significand = 0;
  if (dropped <= 0) {
    assert(!number.sticky);
    significand = number.top << -dropped;
  } else if (dropped > width) {
    significand = 0;  // below half the smallest subnormal
  } else {
    const Uint128 wide = number.top;
    significand = low_half(wide >> dropped);
    const Uint128 rest = wide & ((Uint128{1} << dropped) - 1);
    const Uint128 half = Uint128{1} << (dropped - 1);
    if (rest > half || (rest == half && (number.sticky || (significand & 1) != 0))) {
      ++significand;
    }
  }
  int exponent2 = number.exponent2 + dropped;
  if (significand >> significand_bits != 0) {  // rounded up to the next power of two
    significand >>= 1;
    ++exponent2;
  }
  // significand x 2^exponent2: a normal real when the hidden bit is set, else a subnormal one
  // (exponent2 is then min_exponent2) or zero.
  const int biased =
      (significand & binary64_hidden_bit) != 0 ? exponent2 + (significand_bits - 1) + exponent_bias : 0;
  if (biased >= 2 * exponent_bias + 1) {
    return false;
  }
  real = std::bit_cast<double>((static_cast<std::uint64_t>(biased) << (significand_bits - 1)) |
                               (significand & binary64_fraction_mask));
  return true;
}

Converted value_of(const NumberText& number) {
  if (number.kept_count == 0) {
    return signed_zero(number.negative);
  }
  const std::int64_t power = number.scale + number.exponent;
  if (number.kept_count - 1 + power >= too_large_from_power) {
    return {ReadStatus::too_large, 0.0};
  }
  if (number.kept_count + power <= zero_below_power) {
    return signed_zero(number.negative);
  }
  const BigInteger kept = big_integer(high_half(number.kept), low_half(number.kept));
  const Truncated truncated = power >= 0 ? scale_up(kept, static_cast<int>(power))
                                         : scale_down(kept, static_cast<int>(-power));
  double magnitude = 0.0;
  if (!round_to_real(truncated, magnitude)) {
    return {ReadStatus::too_large, 0.0};
  }
  return {ReadStatus::ok, with_sign(magnitude, number.negative)};
}

}  // namespace

Converted convert_real(std::string_view text) {
  const NumberText number = scan_number(text);
  if (!number.has_digits) {
    return {ReadStatus::bad_syntax, 0.0};
  }
  // The number before any stray characters is valued first: too large wins over bad syntax.
  const Converted converted = value_of(number);
  if (number.end != text.size() && converted.status != ReadStatus::too_large) {
    return {ReadStatus::bad_syntax, 0.0};
  }
  return converted;
}

}  // namespace duopit::textio
