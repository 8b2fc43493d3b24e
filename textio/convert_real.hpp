// textio/convert_real.hpp — which texts are a typed real, and the 64-bit real each one denotes.
// Pure: no I/O, no globals, no allocation; the result does not depend on the floating-point
// environment (rounding mode, precision control, trap masks) and leaves it untouched.
// It does not find the value among blanks and separators: that is the read statement's work.
#pragma once

#include <string_view>

#include "textio/read_status.hpp"

namespace duopit::textio {

struct Converted {
  // ok; bad_syntax: the text is not a number of the accepted form, or has characters after
  // it; too_large: the number lies beyond the largest finite 64-bit real.
  ReadStatus status;
  double value;  // meaningful only when status is ok
};

// Accepted text, as a whole:
//   value    = [sign] mantissa [exponent]
//   mantissa = digits ["." [digits]]  |  "." digits
//   exponent = letter [sign] digits   |  sign digits      ("125-1" is 12.5)
//   letter   = "E" | "e" | "D" | "d";  sign = "+" | "-";  digits = one or more of 0-9
// The value is the decimal number made of the first 24 significant digits (later digits
// before the point only scale it, later digits after the point are dropped), rounded to
// the nearest 64-bit real, ties to even. A zero significand gives zero of the text's sign;
// a value below the smallest subnormal real gives zero of the text's sign, not an error.
// An exponent beyond 5200 in size is taken as 5201. When the text has characters after a
// number that is too large, too_large is reported rather than bad_syntax.
[[nodiscard]] Converted convert_real(std::string_view text);

}  // namespace duopit::textio
