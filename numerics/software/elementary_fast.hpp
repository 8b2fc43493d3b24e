// numerics/software/elementary_fast.hpp — the 128-bit evaluations of the software sine, cosine
// and arctangent (elementary_model.hpp describes the model): the common case, tried first.
// Each result comes with whether its error bound proves the rounding; when it does not, the
// caller repeats the evaluation at 256 bits.
#pragma once

#include <cstdint>

#include "numerics/software/elementary_model.hpp"
#include "numerics/software/fixed_point.hpp"

namespace duopit::numerics::software::fast {

// sin|r|·(1 + relative_error·2^-79) for |r| = magnitude·2^-scale ≤ π/4.
[[nodiscard]] Rounded sine_of_remainder(Uint128 magnitude, int scale,
                                        std::int32_t relative_error);
// cos|r|, or with complement_bits = b > 0 the value 1 − RN_b(1 − cos|r|).
[[nodiscard]] Rounded cosine_of_remainder(Uint128 magnitude, int scale, int complement_bits);
// arctan|x|; above 1 π₆₆/2 − arctan(1/|x|), with held_bits = b > 0 π₆₆/2 − RN_b(arctan(1/|x|)).
[[nodiscard]] Rounded arctangent_of(double x, int held_bits);

// The values before rounding, for the tests that measure their error.
[[nodiscard]] Unrounded unrounded_sine_of_remainder(Uint128 magnitude, int scale);
[[nodiscard]] Unrounded unrounded_cosine_of_remainder(Uint128 magnitude, int scale);
[[nodiscard]] Unrounded unrounded_arctangent(double x);

}  // namespace duopit::numerics::software::fast
