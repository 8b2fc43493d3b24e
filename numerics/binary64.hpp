// numerics/binary64.hpp — the layout of a 64-bit real (binary64): a sign bit, an 11-bit biased
// exponent and a 52-bit fraction, read and written as an integer, with no floating-point
// operation of the host. The one description of it for the arithmetic and the text layer.
#pragma once

#include <bit>
#include <cstdint>

namespace duopit::numerics {

inline constexpr int binary64_fraction_bits = 52;
inline constexpr int binary64_exponent_bias = 1023;
inline constexpr int binary64_exponent_special = 0x7FF;  // infinities and NaNs
inline constexpr std::uint64_t binary64_sign_bit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t binary64_hidden_bit = std::uint64_t{1} << binary64_fraction_bits;
inline constexpr std::uint64_t binary64_fraction_mask = binary64_hidden_bit - 1;
inline constexpr std::uint64_t binary64_quiet_bit = binary64_hidden_bit >> 1;

// The three fields as stored.
struct Binary64Fields {
  bool negative;
  int biased_exponent;
  std::uint64_t fraction;
};

[[nodiscard]] constexpr Binary64Fields fields_of(double x) {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  return {(bits & binary64_sign_bit) != 0,
          static_cast<int>(bits >> binary64_fraction_bits) & binary64_exponent_special,
          bits & binary64_fraction_mask};
}

// A finite nonzero real as significand·2^exponent2, the significand with its hidden bit for a
// normal real; a subnormal has none and the exponent of the smallest normals.
struct BinaryValue {
  std::uint64_t significand;
  int exponent2;
};

[[nodiscard]] constexpr BinaryValue value_of(const Binary64Fields& f) {
  constexpr int last_bit_offset = binary64_exponent_bias + binary64_fraction_bits;
  if (f.biased_exponent == 0) {
    return {f.fraction, 1 - last_bit_offset};
  }
  return {f.fraction | binary64_hidden_bit, f.biased_exponent - last_bit_offset};
}

// A normal real taken apart: x = significand·2^(exponent − 52), significand with its hidden bit.
struct DoubleParts {
  bool negative;
  int exponent;
  std::uint64_t significand;
};

[[nodiscard]] constexpr DoubleParts split_double(double x) {
  const Binary64Fields f = fields_of(x);
  return {f.negative, f.biased_exponent - binary64_exponent_bias,
          f.fraction | binary64_hidden_bit};
}

// |x| > 1 for a normal real.
[[nodiscard]] constexpr bool is_above_one(const DoubleParts& parts) {
  return parts.exponent > 0 || (parts.exponent == 0 && parts.significand != binary64_hidden_bit);
}

}  // namespace duopit::numerics
