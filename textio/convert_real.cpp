// textio/convert_real.cpp — the syntax check and the decimal-to-binary conversion of a typed real.
// Pure: no I/O, no globals, no allocation. No floating-point arithmetic is done here: the
// common cases are rounded in 128-bit integer arithmetic and assembled from bits, and the
// rest goes to the library conversion, whose paths for those cases are integer-only too.
// So the result never depends on the rounding mode or precision control, and no trap can
// be raised whatever the trap masks.
#include "textio/convert_real.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

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

// What one pass over the text finds. The number is kept × 10^(scale + exponent), where kept
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

// The mantissa. Leading zeros only place the point. The first 19 significant digits are
// taken by loops that cost one 64-bit multiply-add per digit; a longer mantissa goes on in
// scan_long_digits.
std::size_t scan_mantissa(std::string_view text, std::size_t pos, NumberText& number) {
  const std::size_t size = text.size();
  std::size_t at = pos;
  while (at < size && text[at] == '0') {
    ++at;
  }
  std::size_t room = leading_digits;  // significant digits the first loops may still take
  std::uint64_t value = 0;
  const auto take_digits = [&] {
    const std::size_t first = at;
    const std::size_t limit = size - at > room ? at + room : size;
    while (at < limit && is_digit(text[at])) {
      value = value * 10 + static_cast<unsigned>(text[at] - '0');
      ++at;
    }
    room -= at - first;
  };
  number.kept_first = at;
  take_digits();
  const bool integer_digits = room != leading_digits;
  bool any_digit = at > pos;
  bool point = false;
  std::size_t fraction = 0;  // the first character after the point
  if (room != 0 && at < size && text[at] == '.') {
    point = true;
    fraction = ++at;
    if (!integer_digits) {  // zeros after the point and before any other digit only scale
      while (at < size && text[at] == '0') {
        ++at;
      }
      number.kept_first = at;
    }
    take_digits();
    any_digit = any_digit || at > fraction;
  }
  number.has_digits = any_digit;
  number.digits_dropped = false;
  number.leading = value;
  number.trailing = 0;
  number.kept_count = leading_digits - static_cast<int>(room);
  number.scale = point ? -static_cast<std::int64_t>(at - fraction) : 0;
  number.kept_last = at;
  number.kept_fraction = point && integer_digits ? static_cast<std::int64_t>(at - fraction) : 0;
  if (room == 0) {
    return scan_long_digits(text, at, point, point && integer_digits, number);
  }
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

// The common case in exact integer arithmetic: a product kept × 10^power that fits in 128
// bits, or a quotient kept / 10^-power with power down to -22. Both stay far inside the
// normal range. Nothing when neither applies.
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

// Long significands and large powers: the library's correctly rounded conversion, handed
// the text itself when it is in the library's syntax, else a normalised copy.
Converted convert_by_library(const NumberText& number, std::string_view text,
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

Converted value_of(const NumberText& number, std::string_view text) {
  if (number.kept_count == 0) {
    return signed_zero(number.negative);
  }
  const std::int64_t power = number.scale + number.exponent;
  if (power > max_exponent) {
    return {ConvertStatus::too_large, 0.0};
  }
  if (power < -max_exponent) {
    return signed_zero(number.negative);
  }
  if (const std::optional<double> exact = convert_exactly(kept_value(number), power)) {
    return {ConvertStatus::ok, with_sign(*exact, number.negative)};
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
