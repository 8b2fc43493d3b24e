// numerics/software/extended_real.hpp — an 80-bit extended real held in integers, laid out as
// the arithmetic unit holds it: a sign, a 15-bit biased exponent and a 64-bit significand whose
// top bit is the explicit integer bit. No floating point of the host is involved in the type or
// in any operation on it, so every result is the same on every host.
#pragma once

#include <cstdint>

namespace duopit::numerics::software {

struct ExtendedReal {
  static constexpr std::int32_t exponent_bias = 0x3FFF;      // 2^0
  static constexpr std::int32_t exponent_special = 0x7FFF;   // infinities and NaNs

  bool negative = false;
  std::int32_t exponent = 0;     // biased; 0 for zeros and denormals
  std::uint64_t significand = 0; // bit 63 is the integer bit

  friend bool operator==(const ExtendedReal&, const ExtendedReal&) = default;
};

}  // namespace duopit::numerics::software
