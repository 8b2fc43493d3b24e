// textio/convert_real.cpp — the syntax check and the decimal-to-binary conversion of a typed real.
// Pure: no I/O, no globals, no allocation. No floating-point arithmetic is done here: a
// significand of up to 19 digits is multiplied by a 128-bit power of five from a table and
// rounded from the 192-bit product, with an exact comparison or the library conversion for
// the rare products too close to a rounding boundary to decide it; longer significands are
// bracketed between two 19-digit ones, or rounded in exact 128-bit arithmetic. The library's
// paths for the cases it still gets are integer-only too. So the result never depends on the
// rounding mode or precision control, and no trap can be raised whatever the trap masks.
#include "textio/convert_real.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <system_error>

#include "textio/powers_of_five.hpp"

namespace duopit::textio {
namespace {

__extension__ using Uint128 = unsigned __int128;

constexpr int max_kept_digits = 24;
constexpr int leading_digits = 19;           // as many as a 64-bit integer always holds
constexpr std::int32_t max_exponent = 5200;  // larger exponents count as max_exponent + 1
constexpr int significand_bits = 53;
constexpr int exponent_bias = 1023;
constexpr std::uint64_t sign_bit = std::uint64_t{1} << 63;
constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << (significand_bits - 1)) - 1;

constexpr int bit_width(Uint128 n) {
  const auto high = static_cast<std::uint64_t>(n >> 64);
  return high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(n));
}

// 10^0 .. 10^38, the powers below 2^128, and their bit widths.
constexpr int max_table_power = 38;
constexpr std::array<Uint128, max_table_power + 1> powers_of_ten = [] {
  std::array<Uint128, max_table_power + 1> powers{};
  powers[0] = 1;
  for (int i = 1; i <= max_table_power; ++i) {
    powers[i] = powers[i - 1] * 10;
  }
  return powers;
}();
constexpr std::array<int, max_table_power + 1> power_widths = [] {
  std::array<int, max_table_power + 1> widths{};
  for (int i = 0; i <= max_table_power; ++i) {
    widths[i] = bit_width(powers_of_ten[i]);
  }
  return widths;
}();
// A significand shifted up to bit 127 and divided by at most 10^22 (< 2^74) leaves a
// quotient of at least 54 bits: 53 for the real and one to round on.
constexpr int max_divisor_power = 22;
static_assert(power_widths[max_divisor_power] < 128 - significand_bits);

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool is_sign(char c) { return c == '+' || c == '-'; }
constexpr bool is_exponent_letter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

// Eight characters as one word, the first in the lowest byte whatever the byte order.
inline std::uint64_t load_eight(const char* first) {
  std::uint64_t word = 0;
  std::memcpy(&word, first, sizeof word);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) {
      swapped = (swapped << 8) | ((word >> (8 * i)) & 0xFF);
    }
    word = swapped;
  }
  return word;
}

constexpr std::uint64_t byte_pattern(std::uint8_t byte) { return 0x0101'0101'0101'0101u * byte; }

// Every byte lies in '0' (0x30) .. '9' (0x39): its high half is 3, and it stays 3 when 6 is
// added (0x3A and up reach 0x40). The first test leaves no byte that the addition could
// carry out of.
constexpr bool all_eight_digits(std::uint64_t word) {
  const std::uint64_t high_halves = byte_pattern(0xF0);
  return (word & high_halves) == byte_pattern(0x30) &&
         ((word + byte_pattern(0x06)) & high_halves) == byte_pattern(0x30);
}

// The number written by eight digit characters, the first (most significant) in the lowest
// byte. Step 1 makes each even byte the two-digit number d(i) x 10 + d(i+1) (at most 99, so
// no byte carries). Step 2 gathers pairs p0 .. p3 (bytes 0, 2, 4, 6) in bits 32..63 of two
// products: p0 x 10^6 + p2 x 10^2 and p1 x 10^4 + p3; the partial products left in bits 0..31
// stay below 10^4 together, so they carry nothing upwards.
constexpr std::uint32_t eight_digits_value(std::uint64_t word) {
  std::uint64_t digits = word - byte_pattern(0x30);
  digits = digits * 10 + (digits >> 8);
  constexpr std::uint64_t pair_mask = 0x0000'00FF'0000'00FFu;
  constexpr std::uint64_t outer = 100 + (std::uint64_t{1'000'000} << 32);
  constexpr std::uint64_t inner = 1 + (std::uint64_t{10'000} << 32);
  return static_cast<std::uint32_t>(
      ((digits & pair_mask) * outer + ((digits >> 16) & pair_mask) * inner) >> 32);
}
static_assert(eight_digits_value(0x3837'3635'3433'3231u) == 12'345'678);  // "12345678"
static_assert(eight_digits_value(0x3030'3030'3030'3030u) == 0);
static_assert(eight_digits_value(0x3939'3939'3939'3939u) == 99'999'999);
static_assert(all_eight_digits(0x3939'3030'3939'3030u));
static_assert(!all_eight_digits(0x3939'3A30'3939'3030u));  // ':' just above '9'
static_assert(!all_eight_digits(0x3939'2F30'3939'3030u));  // '/' just below '0'
static_assert(!all_eight_digits(0x2E39'3030'3939'3030u));  // a point last

// What the scan of the text finds. The number is kept × 10^(scale + exponent), where kept
// is the integer made of the first (up to 24) significant digits. The scanners set every
// field; there are no default values, which keeps the common path free of a block clear.
struct NumberText {
  bool negative;
  bool has_digits;               // false: no prefix is a number
  bool digits_dropped;           // more than 24 significant digits were written
  bool exponent_capped;
  bool e_exponent;               // no exponent, or one written as "E"/"e" letter, sign, digits
  int kept_count;
  std::int32_t exponent;         // as written, its size capped at max_exponent + 1
  std::size_t body;              // first character after the sign
  std::size_t end;               // end of the longest prefix that is a number
  std::uint64_t leading;         // significant digits 1 to 19
  std::uint64_t trailing;        // significant digits 20 to 24
  std::int64_t scale;
  // Where the kept digits stand in the text: [kept_first, kept_last), which holds the
  // point when it falls between them, with kept_fraction digits after it.
  std::size_t kept_first;
  std::size_t kept_last;
  std::int64_t kept_fraction;
};

// The significant digits after the 19th (and the point, if it is still to come): digits 20
// to 24 go into `trailing`; later ones are dropped, and only scale the value before the point.
// `counting`: the point already stands among the kept digits.
std::size_t scan_long_digits(std::string_view text, std::size_t pos, bool point, bool counting,
                             NumberText& number) {
  std::uint64_t trailing = 0;
  int kept = number.kept_count;
  std::int64_t scale = number.scale;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c == '.' && !point) {
      point = true;
      counting = true;
      continue;
    }
    if (!is_digit(c)) {
      break;
    }
    if (kept < max_kept_digits) {
      trailing = trailing * 10 + static_cast<unsigned>(c - '0');
      ++kept;
      scale -= point ? 1 : 0;
      number.kept_last = pos + 1;
      number.kept_fraction += counting ? 1 : 0;
    } else {
      number.digits_dropped = true;
      scale += point ? 0 : 1;
    }
  }
  number.trailing = trailing;
  number.kept_count = kept;
  number.scale = scale;
  return pos;
}

// Digits from `at` on into `value`, eight at a time while eight are there. The value wraps
// when there are more than 19 digits; the caller then reads them again with a limit.
inline std::size_t take_digits(std::string_view text, std::size_t at, std::uint64_t& value) {
  const std::size_t size = text.size();
  while (size - at >= 8) {
    const std::uint64_t word = load_eight(text.data() + at);
    if (!all_eight_digits(word)) {
      break;
    }
    value = value * 100'000'000 + eight_digits_value(word);
    at += 8;
  }
  for (; at < size; ++at) {
    const unsigned digit = static_cast<unsigned char>(text[at]) - unsigned{'0'};
    if (digit > 9) {
      break;
    }
    value = value * 10 + digit;
  }
  return at;
}

// A mantissa of more than 19 significant digits, read again from its first significant
// digit, `kept_first`, with the point (if any) at `point_at`: the first 19 digits go into
// `leading`, and scan_long_digits takes the rest.
std::size_t scan_long_mantissa(std::string_view text, std::size_t kept_first, std::size_t point_at,
                               NumberText& number) {
  std::uint64_t value = 0;
  std::size_t at = kept_first;
  for (int taken = 0; taken < leading_digits; ++at) {
    if (at != point_at) {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      ++taken;
    }
  }
  const bool point = point_at < at;                  // passed among the first 19 digits
  const bool integer_digits = point_at > kept_first;  // digits before the point, or no point
  number.digits_dropped = false;
  number.leading = value;
  number.kept_count = leading_digits;
  number.scale = point ? -static_cast<std::int64_t>(at - point_at - 1) : 0;
  number.kept_first = kept_first;
  number.kept_last = at;
  number.kept_fraction = point && integer_digits ? static_cast<std::int64_t>(at - point_at - 1) : 0;
  return scan_long_digits(text, at, point, point && integer_digits, number);
}

// The mantissa. Leading zeros only place the point. The digits are taken by loops that cost
// one 64-bit multiply-add per digit, or per eight; a mantissa of more than 19 significant
// digits is then read again by scan_long_mantissa, which keeps 24 of them.
std::size_t scan_mantissa(std::string_view text, std::size_t pos, NumberText& number) {
  const std::size_t size = text.size();
  std::size_t at = pos;
  while (at < size && text[at] == '0') {
    ++at;
  }
  std::size_t kept_first = at;
  std::uint64_t value = 0;
  at = take_digits(text, at, value);
  const bool integer_digits = at != kept_first;
  bool any_digit = at > pos;
  std::size_t point_at = std::string_view::npos;
  if (at < size && text[at] == '.') {
    point_at = at++;
    if (!integer_digits) {  // zeros after the point and before any other digit only scale
      while (at < size && text[at] == '0') {
        ++at;
      }
      kept_first = at;
    }
    at = take_digits(text, at, value);
    any_digit = any_digit || at > point_at + 1;
  }
  const bool point = point_at != std::string_view::npos;
  // The point stands among the kept digits only when there are digits before it.
  const std::size_t kept_count = at - kept_first - (point && integer_digits ? 1 : 0);
  number.has_digits = any_digit;
  if (kept_count > leading_digits) {
    return scan_long_mantissa(text, kept_first, point_at, number);
  }
  const std::int64_t fraction_digits = point ? static_cast<std::int64_t>(at - point_at - 1) : 0;
  number.digits_dropped = false;
  number.leading = value;
  number.trailing = 0;
  number.kept_count = static_cast<int>(kept_count);
  number.scale = -fraction_digits;
  number.kept_first = kept_first;
  number.kept_last = at;
  number.kept_fraction = integer_digits ? fraction_digits : 0;
  return at;
}

// An exponent belongs to the number only when digits follow its letter or sign. Its digits
// are accumulated until the value exceeds 5200; the rest are passed over.
std::size_t scan_exponent(std::string_view text, std::size_t pos, NumberText& number) {
  number.exponent = 0;
  number.exponent_capped = false;
  number.e_exponent = true;
  std::size_t at = pos;
  const bool letter = at < text.size() && is_exponent_letter(text[at]);
  if (letter) {
    ++at;
  }
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && is_sign(text[at])) {
    ++at;
  } else if (!letter) {
    return pos;
  }
  if (at >= text.size() || !is_digit(text[at])) {
    return pos;
  }
  std::int32_t size = 0;
  for (; at < text.size() && is_digit(text[at]); ++at) {
    if (size <= max_exponent) {
      size = size * 10 + (text[at] - '0');
    }
  }
  number.exponent_capped = size > max_exponent;
  if (number.exponent_capped) {
    size = max_exponent + 1;
  }
  number.exponent = negative ? -size : size;
  number.e_exponent = letter && (text[pos] == 'E' || text[pos] == 'e');
  return at;
}

NumberText scan_number(std::string_view text) {
  NumberText number;
  const bool sign = !text.empty() && is_sign(text[0]);
  number.negative = sign && text[0] == '-';
  number.body = sign ? 1 : 0;
  std::size_t pos = scan_mantissa(text, number.body, number);
  pos = scan_exponent(text, pos, number);
  number.end = pos;
  return number;
}

// The kept digits as one integer (below 10^24 < 2^80).
Uint128 kept_value(const NumberText& number) {
  if (number.kept_count <= leading_digits) {
    return number.leading;
  }
  return Uint128{number.leading} * powers_of_ten[number.kept_count - leading_digits] +
         number.trailing;
}

double with_sign(double magnitude, bool negative) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  return std::bit_cast<double>(negative ? bits | sign_bit : bits);
}

Converted signed_zero(bool negative) { return {ConvertStatus::ok, with_sign(0.0, negative)}; }

// (n + f) × 2^binary_exponent rounded to the nearest real, ties to even, where f is a
// fraction below one that is nonzero exactly when `sticky` is set. The callers keep the
// result among the normal reals.
inline double round_to_real(Uint128 n, bool sticky, int binary_exponent) {
  // Bits beyond 64 are more than the real needs: the low ones only tell whether the rest
  // is zero, so they fold into the sticky bit and the rounding is done on 64 bits.
  auto significand = static_cast<std::uint64_t>(n);
  int exponent = binary_exponent;
  if (const auto high = static_cast<std::uint64_t>(n >> 64); high != 0) {
    const int drop = std::bit_width(high);
    sticky = sticky || (significand << (64 - drop)) != 0;
    significand = static_cast<std::uint64_t>(n >> drop);
    exponent += drop;
  }
  const int width = std::bit_width(significand);
  if (width <= significand_bits) {
    assert(!sticky);
    significand <<= significand_bits - width;
    exponent -= significand_bits - width;
  } else {
    const int dropped = width - significand_bits;
    const std::uint64_t rest = significand & ((std::uint64_t{1} << dropped) - 1);
    const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    significand >>= dropped;
    exponent += dropped;
    // Written without branches: for random digits the outcome is a coin toss.
    const bool above_half = rest > half;
    const bool at_half = rest == half;
    const bool odd = (significand & 1) != 0;
    significand += static_cast<std::uint64_t>(above_half | (at_half & (sticky | odd)));
    if (significand >> significand_bits != 0) {  // rounded up to the next power of two
      significand >>= 1;
      ++exponent;
    }
  }
  // The real is significand × 2^exponent with the significand in [2^52, 2^53).
  const int biased = exponent + (significand_bits - 1) + exponent_bias;
  assert(biased >= 1 && biased <= 2 * exponent_bias);
  return std::bit_cast<double>((static_cast<std::uint64_t>(biased) << (significand_bits - 1)) |
                               (significand & fraction_mask));
}

// A long significand that its bounds leave undecided, in exact integer arithmetic: a product
// kept × 10^power that fits in 128 bits, or a quotient kept / 10^-power with power down to
// -22. Both stay far inside the normal range. Nothing when neither applies.
std::optional<double> convert_exactly(Uint128 kept, std::int64_t power) {
  if (power >= 0) {
    if (power > max_table_power || bit_width(kept) + power_widths[power] > 128) {
      return std::nullopt;
    }
    return round_to_real(kept * powers_of_ten[power], false, 0);
  }
  if (power < -max_divisor_power) {
    return std::nullopt;
  }
  // The significand is shifted up to 63 bits more than the divisor has (at most to bit 127),
  // which leaves a quotient of at least 54 bits; for divisors up to 10^19 the high half of
  // the numerator then stays below the divisor, and the division is a single 128/64 one.
  const Uint128 divisor = powers_of_ten[-power];
  const int target_width = std::min(128, 63 + power_widths[-power]);
  const int shift = std::max(0, target_width - bit_width(kept));
  const Uint128 numerator = kept << shift;
  const Uint128 quotient = numerator / divisor;
  return round_to_real(quotient, numerator - quotient * divisor != 0, -shift);
}

// --- Rounding from the product with a power of five -----------------------------------------
//
// w x 10^q = w x 5^q x 2^q. With the significand normalised, W = w x 2^lz in [2^63, 2^64),
// and the table entry T of 5^q (128 bits, 5^q = (T + d) x 2^e5, 0 <= d < 1):
//
//   w x 10^q = X x 2^(e5 + q - lz),   X = P + W x d,   P = W x T   (192 bits, top bit 190 or 191)
//
// P is known exactly; the part of X it misses, W x d, is below 2^64 and is zero when the
// entry is exact. The real keeps the bits of X from a position `unit` up (53 bits, fewer for
// a subnormal), rounds on the bit below and needs to know whether anything lies further down:
//
//   bit  191 ........ unit | unit-1 | unit-2 ........ 64 | 63 ........ 0
//        significand       | round  |  rest of P         | where W x d lands
//
// Adding W x d can change the bits from unit - 1 up only by a carry, which needs every bit
// of P from 64 to unit - 2 to be one. Even then the carry changes nothing when P's round
// bit is 1: rounding up from just above half, or landing exactly on the next real, gives
// that same real. Only with a round bit of 0 can X reach exactly half a unit (a tie, ties
// to even) or pass it (round up) or stay below it (round down): then the product alone
// cannot decide. (So a short decimal that is exactly a real, like 12.5, never needs more.)

constexpr int min_power_read = -342;  // 10^19 x 10^-343 is below half the smallest subnormal
constexpr int max_power_read = 308;   // 1 x 10^309 is above the largest real
static_assert(pow5_min <= min_power_read && pow5_max >= max_power_read);

constexpr int min_unit_exponent = -1074;  // the last bit of the smallest subnormal
constexpr std::uint64_t infinity_bits = std::uint64_t{0x7FF} << (significand_bits - 1);

// A real cut at its last bit. `head` holds the significand and one more bit to round on;
// `field` is what the significand's unit contributes to the exponent field: the real's
// exponent + 1022 for a normal real, whose significand brings its own leading one into the
// field, and 0 for a subnormal.
struct Cut {
  std::uint64_t head;
  std::uint64_t field;
  bool sticky;  // something nonzero lies below the round bit
};

// The bits of the nearest real to the cut value, ties to even. A significand that the
// rounding carries into the next power of two moves the exponent field up by itself, from
// a subnormal to the smallest normal too. infinity_bits or more: the value is too large.
constexpr std::uint64_t round_cut(Cut cut) {
  const std::uint64_t significand = cut.head >> 1;
  const std::uint64_t round_up = cut.head & (cut.sticky ? 1 : significand) & 1;
  return (cut.field << (significand_bits - 1)) + significand + round_up;
}

// The cut of w x 10^q read from P alone; when `undecided`, X may reach the boundary
// (head + 1) x 2^(unit - 1), half a unit above the real below it, and only a comparison
// with that boundary can tell how to round. `boundary_exponent` is the boundary's power of
// two in the value's own units.
struct Estimate {
  Cut cut;
  bool undecided;
  int boundary_exponent;
};

inline Estimate estimate_product(std::uint64_t w, int q) {
  assert(w != 0 && q >= min_power_read && q <= max_power_read);
  const int lz = std::countl_zero(w);
  const std::uint64_t normalised = w << lz;
  const Pow5& entry = pow5(q);
  const Uint128 upper = Uint128{normalised} * entry.hi;
  const Uint128 lower = Uint128{normalised} * entry.lo;
  const Uint128 top = upper + (lower >> 64);  // P >> 64; P < 2^192, so no carry is lost
  const auto high = static_cast<std::uint64_t>(top >> 64);  // bits 128..191 of P
  const auto middle = static_cast<std::uint64_t>(top);      // bits 64..127
  const auto low = static_cast<std::uint64_t>(lower);       // bits 0..63
  const int exponent2 = entry.exp2 + q - lz;                // the value is X x 2^exponent2
  // A normal real keeps 53 bits from the top bit, 191 - zeros, down: its unit is
  // 139 - zeros, and its field 139 - zeros + exponent2 - min_unit_exponent. A field of 0
  // or less means a subnormal: the unit rises to min_unit_exponent - exponent2 instead.
  const int zeros = std::countl_zero(high);  // 0 or 1, as P >= 2^190
  const int normal_field = 139 - zeros + exponent2 - min_unit_exponent;
  const int deficit = std::max(0, -normal_field);
  const int shift = 10 - zeros + deficit;  // unit - 1 - 128: where the round bit sits in `high`
  if (shift > 63) {  // the round bit lies above P: X < 2^192 is below half the smallest subnormal
    return {{0, 0, false}, false, 0};
  }
  const std::uint64_t rest_mask = (std::uint64_t{1} << shift) - 1;
  const std::uint64_t rest = high & rest_mask;
  const bool exact = q >= 0 && q <= pow5_exact_max;
  const bool sticky = !exact || (rest | middle | low) != 0;
  const std::uint64_t head = high >> shift;
  const bool undecided =
      !exact && (head & 1) == 0 && middle == ~std::uint64_t{0} && rest == rest_mask;
  return {{head, static_cast<std::uint64_t>(normal_field + deficit), sticky}, undecided,
          shift + 128 + exponent2};
}

// The cut once the sign of w x 10^q - (head + 1) x 2^boundary_exponent is known.
constexpr Cut settle_cut(Cut below, int order) {
  if (order < 0) {
    return below;  // already sticky: X lies strictly between P and the boundary
  }
  return {below.head + 1, below.field, order > 0};
}

// 5^0 .. 5^27, the powers of five below 2^64.
constexpr int max_small_pow5 = 27;
constexpr std::array<std::uint64_t, max_small_pow5 + 1> small_powers_of_five = [] {
  std::array<std::uint64_t, max_small_pow5 + 1> powers{};
  powers[0] = 1;
  for (int i = 1; i <= max_small_pow5; ++i) {
    powers[i] = powers[i - 1] * 5;
  }
  return powers;
}();

// The sign of w x 10^-n - b x 2^g, exactly, for 1 <= n <= 27 and b < 2^56: the sign of
// w - b x 5^n x 2^(g + n), where b x 5^n < 2^119. The caller brings the two sides within a
// factor of two of each other, so neither shifted side leaves 128 bits.
int compare_with_boundary(std::uint64_t w, int n, std::uint64_t b, int g) {
  assert(n >= 1 && n <= max_small_pow5 && b < (std::uint64_t{1} << 56));
  Uint128 left = w;
  Uint128 right = Uint128{b} * small_powers_of_five[n];
  const int twos = g + n;
  if (twos >= 0) {
    assert(bit_width(right) + twos <= 66);
    right <<= twos;
  } else {
    assert(bit_width(left) - twos <= 120);
    left <<= -twos;
  }
  return (left > right) - (left < right);
}

// round_product's answer when the product cannot decide. No real has these bits, nor does
// a value too large: those stay below 2^63.
constexpr std::uint64_t undecided_bits = ~std::uint64_t{0};

// The bits of the real nearest to w x 10^q, or undecided_bits when the product cannot
// decide and no exact comparison in 128 bits can. The powers 0 to 55 have exact entries.
// A value can only lie exactly on a boundary (a tie) when its power of ten is negative and
// w is divisible by 5^-q, so the comparison covers the powers whose 5^-q fits in 64 bits;
// beyond those, a value undecided by the product is one in about 2^70. (A plain word is
// returned rather than an optional: that keeps the result in a register.)
inline std::uint64_t round_product(std::uint64_t w, int q) {
  const Estimate estimate = estimate_product(w, q);
  if (!estimate.undecided) {
    return round_cut(estimate.cut);
  }
  if (q >= 0 || q < -max_small_pow5) {
    return undecided_bits;
  }
  const int order = compare_with_boundary(w, -q, estimate.cut.head + 1, estimate.boundary_exponent);
  return round_cut(settle_cut(estimate.cut, order));
}

// The kept digits as written (at most 24 and a point) and "e" with the power that then
// applies to them: the number in the library's syntax, without the digits to drop.
char* write_normalised(const NumberText& number, std::string_view text, std::int64_t power,
                       std::array<char, 48>& copy) {
  const std::string_view kept = text.substr(number.kept_first, number.kept_last - number.kept_first);
  assert(kept.size() <= max_kept_digits + 1);
  char* out = std::copy(kept.begin(), kept.end(), copy.data());
  *out++ = 'e';
  const auto written = std::to_chars(out, copy.data() + copy.size(), power + number.kept_fraction);
  assert(written.ec == std::errc{});
  return written.ptr;
}

// What the integer paths leave undecided (long significands or products very close to a
// rounding boundary, with large powers): the library's correctly rounded conversion, handed
// the text itself when it is in the library's syntax, else a normalised copy.
[[gnu::noinline]] Converted convert_by_library(const NumberText& number, std::string_view text,
                                               std::int64_t power) {
  std::array<char, 48> copy{};
  const char* first = text.data() + number.body;
  const char* last = text.data() + number.end;
  if (!number.e_exponent || number.digits_dropped || number.exponent_capped) {
    first = copy.data();
    last = write_normalised(number, text, power, copy);
  }
  double magnitude = 0.0;
  const auto [end, error] = std::from_chars(first, last, magnitude);
  if (error == std::errc{}) {
    assert(end == last);
    return {ConvertStatus::ok, with_sign(magnitude, number.negative)};
  }
  if (error == std::errc::result_out_of_range) {
    // kept has kept_count digits, so the value is at least 10^(kept_count - 1 + power):
    // at or above one it overflowed, below one it fell under the smallest subnormal.
    if (number.kept_count + power >= 1) {
      return {ConvertStatus::too_large, 0.0};
    }
    return signed_zero(number.negative);
  }
  assert(false && "the library refused a number that passed the syntax check");
  return {ConvertStatus::bad_syntax, 0.0};
}

// Whole numbers below 2^53 are reals as they stand: only the exponent is to be found.
constexpr std::uint64_t exact_integer_limit = std::uint64_t{1} << significand_bits;

constexpr std::uint64_t exact_integer_bits(std::uint64_t n) {
  assert(n != 0 && n < exact_integer_limit);
  const int width = std::bit_width(n);  // the real's exponent is width - 1
  const auto field = static_cast<std::uint64_t>(width - 1 + exponent_bias - 1);
  return (field << (significand_bits - 1)) + (n << (significand_bits - width));
}
static_assert(exact_integer_bits(1) == 0x3FF0'0000'0000'0000u);
static_assert(exact_integer_bits(3) == 0x4008'0000'0000'0000u);
static_assert(exact_integer_bits(exact_integer_limit - 1) == 0x433F'FFFF'FFFF'FFFFu);

Converted from_bits(std::uint64_t magnitude, bool negative) {
  if (magnitude >= infinity_bits) {
    return {ConvertStatus::too_large, 0.0};
  }
  return {ConvertStatus::ok, std::bit_cast<double>(negative ? magnitude | sign_bit : magnitude)};
}

// Both reals the same, or both too large.
constexpr bool same_real(std::uint64_t a, std::uint64_t b) {
  return a == b || (a >= infinity_bits && b >= infinity_bits);
}

// More than 19 kept digits, not all zeros after the 19th: the value lies strictly between
// w x 10^q and (w + 1) x 10^q, w its first 19 digits. When both bounds round to the same
// real, so does the value, as rounding never decreases; else the exact paths decide.
// Kept out of line, like the library path, so that the common path stays small.
[[gnu::noinline]] Converted value_of_long(const NumberText& number, std::string_view text, int q) {
  const std::uint64_t below = round_product(number.leading, q);
  const std::uint64_t above = round_product(number.leading + 1, q);
  if (below != undecided_bits && above != undecided_bits && same_real(below, above)) {
    return from_bits(below, number.negative);
  }
  const std::int64_t power = number.scale + number.exponent;
  if (const std::optional<double> exact = convert_exactly(kept_value(number), power)) {
    return {ConvertStatus::ok, with_sign(*exact, number.negative)};
  }
  return convert_by_library(number, text, power);
}

// The value is kept x 10^power. With w its first 19 (or fewer) kept digits and q the power
// that applies to them, it is w x 10^q exactly unless later kept digits are not all zeros,
// which value_of_long brackets.
Converted value_of(const NumberText& number, std::string_view text) {
  const std::uint64_t w = number.leading;
  if (w == 0) {
    return signed_zero(number.negative);
  }
  const std::int64_t power = number.scale + number.exponent;
  const std::int64_t q = power + std::max(0, number.kept_count - leading_digits);
  if (q > max_power_read) {
    return {ConvertStatus::too_large, 0.0};  // w >= 1
  }
  if (q < min_power_read) {
    return signed_zero(number.negative);  // w + 1 <= 10^19
  }
  if (number.trailing != 0) {
    return value_of_long(number, text, static_cast<int>(q));
  }
  if (q == 0 && w < exact_integer_limit) {
    return from_bits(exact_integer_bits(w), number.negative);
  }
  if (const std::uint64_t bits = round_product(w, static_cast<int>(q)); bits != undecided_bits) {
    return from_bits(bits, number.negative);
  }
  return convert_by_library(number, text, power);
}

}  // namespace

Converted convert_real(std::string_view text) {
  const NumberText number = scan_number(text);
  if (!number.has_digits) {
    return {ConvertStatus::bad_syntax, 0.0};
  }
  // The number before any stray characters is valued first: too large wins over bad syntax.
  const Converted converted = value_of(number, text);
  if (number.end != text.size() && converted.status != ConvertStatus::too_large) {
    return {ConvertStatus::bad_syntax, 0.0};
  }
  return converted;
}

}  // namespace duopit::textio
