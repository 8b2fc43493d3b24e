// numerics/software/double_parts.hpp — a normal 64-bit real taken apart into sign, unbiased
// exponent and significand, from its bits: no floating-point operation of the host.
#pragma once

#include <bit>
#include <cstdint>

namespace duopit::numerics::software {

inline constexpr int double_exponent_bias = 1023;
inline constexpr int double_fraction_bits = 52;

struct DoubleParts {
  bool negative;
  int exponent;               // x = significand·2^(exponent − 52)
  std::uint64_t significand;  // with its integer bit
};

inline DoubleParts split_double(double x) {
  constexpr std::uint64_t fraction_mask = (std::uint64_t{1} << double_fraction_bits) - 1;
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
  const int biased = static_cast<int>((bits >> double_fraction_bits) & 0x7FF);
  return {(bits >> 63) != 0, biased - double_exponent_bias,
          (bits & fraction_mask) | (std::uint64_t{1} << double_fraction_bits)};
}

// |x| > 1.
inline bool is_above_one(const DoubleParts& parts) {
  return parts.exponent > 0 ||
         (parts.exponent == 0 && parts.significand != (std::uint64_t{1} << double_fraction_bits));
}

}  // namespace duopit::numerics::software
