// numerics/elementary.hpp — arctangent, sine and cosine of a 64-bit real, computed as the
// x87 unit's own instructions compute them (by the unit, or by its software model) in the
// 64-bit-significand format and returned unrounded, so
// that the caller's next operation does the one rounding. Errors (an infinite or NaN
// argument, a sine or cosine argument of 2^63 or more) end the run as MATH errors
// 6201 (DOMAIN) and 6205 (TLOSS) named after the function.
#pragma once

#include "numerics/arithmetic.hpp"

namespace duopit::numerics {

[[nodiscard]] Extended atan(double x);
[[nodiscard]] Extended sin(double x);
[[nodiscard]] Extended cos(double x);

}  // namespace duopit::numerics
