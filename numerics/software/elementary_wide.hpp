// numerics/software/elementary_wide.hpp — the 256-bit evaluations of the software sine, cosine
// and arctangent (elementary_model.hpp describes the model): the fallback for the values the
// 128-bit ones (elementary_fast.hpp) cannot round with certainty. Same meaning, same results.
#pragma once

#include <cstdint>

#include "numerics/software/elementary_model.hpp"
#include "numerics/software/fixed_point.hpp"

namespace duopit::numerics::software::wide {

[[nodiscard]] Rounded sine_of_remainder(Uint128 magnitude, int scale,
                                        std::int32_t relative_error);
[[nodiscard]] Rounded cosine_of_remainder(Uint128 magnitude, int scale, int complement_bits);
[[nodiscard]] Rounded arctangent_of(double x, int held_bits);

}  // namespace duopit::numerics::software::wide
