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

// A diagnostic build (DUOPIT_OBSERVE_ELEMENTARY: the report harness's) is told each result
// computed for a normal argument, to set it beside the unit's software model; in the
// program the call is empty and compiles to nothing.
#if defined(DUOPIT_OBSERVE_ELEMENTARY)
void observe_elementary(const char* function, double argument, const Extended& result);
#else
inline void observe_elementary(const char*, double, const Extended&) {}
#endif

}  // namespace duopit::numerics
