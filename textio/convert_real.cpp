// textio/convert_real.cpp — the decimal-to-binary conversion of a typed real, from the parts
// that scan_number finds in its text.
// Pure: no I/O, no globals, no allocation. No floating-point arithmetic is done here: the
// common cases (up to 24 significant digits scaled by a power of ten whose product or
// quotient fits 128 bits) are rounded exactly in integer arithmetic and assembled from bits;
// the rest goes to the library conversion, whose paths for those cases are integer-only too.
// So the result never depends on the rounding mode or precision control, and no trap can
// be raised whatever the trap masks. One value is read in a run: simplicity before speed.
#include "textio/convert_real.hpp"

#include <array>
#include <bit>
#include <cassert>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

#include "textio/scan_number.hpp"

namespace duopit::textio {
namespace {

constexpr int significand_bits = 53;
constexpr int exponent_bias = 1023;
constexpr std::uint64_t sign_bit = std::uint64_t{1} << 63;
constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << (significand_bits - 1)) - 1;

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
static_assert(power_widths[max_divisor_power] <= 128 - significand_bits - 1);

double with_sign(double magnitude, bool negative) {
  const auto bits = std::bit_cast<std::uint64_t>(magnitude);
  return std::bit_cast<double>(negative ? bits | sign_bit : bits);
}

Converted signed_zero(bool negative) { return {ConvertStatus::ok, with_sign(0.0, negative)}; }

// (n + f) × 2^binary_exponent rounded to the nearest real, ties to even, where f is a
// fraction below one that is nonzero exactly when `sticky` is set. The callers keep the
// result among the normal reals.
double round_to_real(Uint128 n, bool sticky, int binary_exponent) {
  const int width = bit_width(n);
  std::uint64_t significand = 0;
  int exponent = binary_exponent;
  if (width <= significand_bits) {
    assert(!sticky);
    significand = n.low() << (significand_bits - width);
    exponent -= significand_bits - width;
  } else {
    const int dropped = width - significand_bits;
    significand = (n >> dropped).low();
    const Uint128 rest = n & ((Uint128{1} << dropped) - 1);
    const Uint128 half = Uint128{1} << (dropped - 1);
    if (rest > half || (rest == half && (sticky || (significand & 1) != 0))) {
      ++significand;
    }
    exponent += dropped;
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
  const int shift = 128 - bit_width(kept);
  const Uint128 numerator = kept << shift;
  const Uint128 divisor = powers_of_ten[-power];
  const Uint128 quotient = numerator / divisor;
  return round_to_real(quotient, numerator - quotient * divisor != 0, -shift);
}

// "digits e power": the kept digits of the mantissa and the power that applies to them.
char* write_normalised(const NumberText& number, std::string_view text, std::int64_t power,
                       std::array<char, 48>& copy) {
  char* out = copy.data();
  int copied = 0;
  for (std::size_t pos = number.body; pos < number.mantissa_end && copied < number.kept_count;
       ++pos) {
    const char c = text[pos];
    if (c == '.' || (copied == 0 && c == '0')) {
      continue;
    }
    *out++ = c;
    ++copied;
  }
  *out++ = 'e';
  const auto written = std::to_chars(out, copy.data() + copy.size(), power);
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
  if (const std::optional<double> exact = convert_exactly(number.kept, power)) {
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
