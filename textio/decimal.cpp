// textio/decimal.cpp — the first 18 significant digits of a 64-bit real's exact decimal
// expansion, cut off, and the rounding of those to the 17 digits of the decimal form.
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

#include "textio/powers_of_five.hpp"

namespace duopit::textio {
namespace {

// --- 128-bit products -------------------------------------------------------------------

struct U128 {
  std::uint64_t hi;
  std::uint64_t lo;
};

[[nodiscard]] U128 multiply_64x64(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__)
  __extension__ using uint128 = unsigned __int128;
  const uint128 p = static_cast<uint128>(a) * b;
  return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#else
  const std::uint64_t a_lo = a & 0xFFFFFFFFu;
  const std::uint64_t a_hi = a >> 32;
  const std::uint64_t b_lo = b & 0xFFFFFFFFu;
  const std::uint64_t b_hi = b >> 32;
  const std::uint64_t lo_lo = a_lo * b_lo;
  const std::uint64_t hi_lo = a_hi * b_lo;
  const std::uint64_t lo_hi = a_lo * b_hi;
  const std::uint64_t hi_hi = a_hi * b_hi;
  const std::uint64_t middle = (lo_lo >> 32) + (hi_lo & 0xFFFFFFFFu) + lo_hi;
  return {hi_hi + (hi_lo >> 32) + (middle >> 32), (middle << 32) | (lo_lo & 0xFFFFFFFFu)};
#endif
}

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
  const U128 upper = multiply_64x64(mn, p.hi);
  const U128 lower = multiply_64x64(mn, p.lo);
  const std::uint64_t top_lo = upper.lo + lower.hi;                     // bits 64..127 of P
  const std::uint64_t top_hi = upper.hi + (top_lo < upper.lo ? 1 : 0);  // bits 128..191
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

// --- Exact comparison -------------------------------------------------------------------

// Unsigned integer of up to 72 x 32 bits: room for c x 5^300 x 2^1374 and m x 5^345 x 2^1316.
class WideInteger {
 public:
  explicit WideInteger(std::uint64_t value) {
    limbs_[0] = static_cast<std::uint32_t>(value);
    limbs_[1] = static_cast<std::uint32_t>(value >> 32);
    used_ = limbs_[1] != 0 ? 2 : (limbs_[0] != 0 ? 1 : 0);
  }

  void multiply_small(std::uint32_t factor) {
    std::uint64_t carry = 0;
    for (int i = 0; i < used_; ++i) {
      const std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) * factor + carry;
      limbs_[i] = static_cast<std::uint32_t>(t);
      carry = t >> 32;
    }
    if (carry != 0) {
      assert(used_ < capacity);
      limbs_[used_++] = static_cast<std::uint32_t>(carry);
    }
  }

  void multiply_pow5(int n) {
    constexpr std::uint32_t pow5_13 = 1220703125;  // the largest power of five below 2^32
    for (; n >= 13; n -= 13) {
      multiply_small(pow5_13);
    }
    std::uint32_t rest = 1;
    for (; n > 0; --n) {
      rest *= 5;
    }
    multiply_small(rest);
  }

  void shift_left(int bits) {
    if (used_ == 0 || bits == 0) {
      return;
    }
    const int whole = bits / 32;
    const int part = bits % 32;
    assert(used_ + whole + 1 <= capacity);
    if (part != 0) {
      limbs_[used_] = 0;
      for (int i = used_; i > 0; --i) {
        limbs_[i] = (limbs_[i] << part) | (limbs_[i - 1] >> (32 - part));
      }
      limbs_[0] <<= part;
      ++used_;
    }
    for (int i = used_ - 1; i >= 0; --i) {
      limbs_[i + whole] = limbs_[i];
    }
    for (int i = 0; i < whole; ++i) {
      limbs_[i] = 0;
    }
    used_ += whole;
    while (used_ > 0 && limbs_[used_ - 1] == 0) {
      --used_;
    }
  }

  [[nodiscard]] friend int compare(const WideInteger& a, const WideInteger& b) {
    if (a.used_ != b.used_) {
      return a.used_ < b.used_ ? -1 : 1;
    }
    for (int i = a.used_ - 1; i >= 0; --i) {
      if (a.limbs_[i] != b.limbs_[i]) {
        return a.limbs_[i] < b.limbs_[i] ? -1 : 1;
      }
    }
    return 0;
  }

 private:
  static constexpr int capacity = 72;
  std::array<std::uint32_t, capacity> limbs_{};
  int used_ = 0;
};

// --- Digits -----------------------------------------------------------------------------

constexpr std::uint64_t pow10_16 = 10'000'000'000'000'000u;
constexpr std::uint64_t pow10_17 = 100'000'000'000'000'000u;
constexpr std::uint64_t pow10_18 = 1'000'000'000'000'000'000u;

[[nodiscard]] DecimalForm marker_form(std::string_view marker, char sign) {
  DecimalForm form{sign, 1, {}, static_cast<int>(marker.size()), false};
  for (std::size_t i = 0; i < marker.size(); ++i) {
    form.digits[i] = marker[i];
  }
  return form;
}

// Infinity or NaN from its bits (biased exponent all ones).
[[nodiscard]] DecimalForm special_form(std::uint64_t bits) {
  constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << 52) - 1;
  constexpr std::uint64_t quiet_bit = std::uint64_t{1} << 51;
  constexpr std::uint64_t default_nan = 0xFFF8000000000000u;
  const char sign = (bits >> 63) != 0 ? '-' : ' ';
  const std::uint64_t fraction = bits & fraction_mask;
  if (fraction == 0) {
    return marker_form("1#INF", sign);
  }
  if ((fraction & quiet_bit) == 0) {
    return marker_form("1#SNAN", sign);
  }
  if (bits == default_nan) {
    return marker_form("1#IND", sign);
  }
  return marker_form("1#QNAN", sign);
}

// The 17 decimal digits of `value` (below 10^17, leading zeros written): the first digit,
// then two groups of eight.
void write_digits(std::uint64_t value, std::array<char, decimal_form_digits>& digits) {
  constexpr std::uint64_t pow10_8 = 100'000'000;
  const std::uint64_t high = value / pow10_8;  // nine digits
  digits[0] = static_cast<char>('0' + high / pow10_8);
  write_eight_digits(static_cast<std::uint32_t>(high % pow10_8), digits.data() + 1);
  write_eight_digits(static_cast<std::uint32_t>(value % pow10_8), digits.data() + 9);
}

}  // namespace

void write_eight_digits(std::uint32_t value, char* out) {
  static constexpr char pairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // y holds value / 10^6 as a 32.32 fixed-point number; each step brings the next two
  // digits into the integer part. The +1 makes the truncated reciprocal exact for every
  // value below 10^8 (checked for all of them by the tests).
  std::uint64_t y = (static_cast<std::uint64_t>(value) * 281'474'977 >> 16) + 1;
  for (int pair = 0; pair < 4; ++pair) {
    const auto top = static_cast<std::size_t>(y >> 32) * 2;
    out[2 * pair] = pairs[top];
    out[2 * pair + 1] = pairs[top + 1];
    y = (y & 0xFFFF'FFFFu) * 100;
  }
}

bool pow10_product_at_most(std::uint64_t c, int k, std::uint64_t m, int e) {
  // c x 5^k x 2^k <= m x 2^e, with every power moved to the side where it is positive.
  WideInteger left(c);
  WideInteger right(m);
  if (k >= 0) {
    left.multiply_pow5(k);
  } else {
    right.multiply_pow5(-k);
  }
  const int twos = k - e;
  if (twos >= 0) {
    left.shift_left(twos);
  } else {
    right.shift_left(-twos);
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

DecimalForm round_leading_digits(std::uint64_t leading, int decpt, char sign) {
  assert(leading >= pow10_17 && leading < pow10_18);
  std::uint64_t kept = leading / 10;  // 17 digits
  if (leading % 10 >= 5) {
    ++kept;
    if (kept == pow10_17) {  // seventeen nines carried into an eighteenth digit
      kept = pow10_16;
      ++decpt;
    }
  }
  DecimalForm form{sign, decpt, {}, decimal_form_digits, true};
  write_digits(kept, form.digits);
  while (form.digits[static_cast<std::size_t>(form.count - 1)] == '0') {
    --form.count;  // the first digit is not zero, so this stops
  }
  return form;
}

DecimalForm to_decimal(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const auto biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased_exponent == 0x7FF) {
    return special_form(bits);
  }
  if (biased_exponent == 0 && fraction == 0) {
    return DecimalForm{' ', 0, {'0'}, 1, true};  // either zero; a negative zero loses its sign
  }
  // Subnormals have no hidden bit and the exponent of the smallest normals.
  const std::uint64_t mantissa =
      biased_exponent == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
  const int exponent2 = (biased_exponent == 0 ? 1 : biased_exponent) - 1075;
  const LeadingDigits lead = leading_digits(mantissa, exponent2);
  return round_leading_digits(lead.digits, lead.decpt, (bits >> 63) != 0 ? '-' : ' ');
}

}  // namespace duopit::textio
