// textio/scan_number.hpp — the syntax of a typed real: one pass over the value text that
// finds the longest prefix that is a number, and its parts: sign, significant digits, the
// power of ten they stand for. Pure: no I/O, no globals, no allocation; knows nothing of
// binary reals (convert_real.hpp turns the parts into one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "numerics/uint128.hpp"

namespace duopit::textio {

using numerics::Uint128;


constexpr int max_kept_digits = 24;
constexpr std::int32_t max_exponent = 5200;  // larger exponents count as max_exponent + 1

// What the scan finds. The number is kept × 10^(scale + exponent).
struct NumberText {
  bool negative = false;
  std::size_t end = 0;           // end of the longest prefix that is a number
  bool has_digits = false;       // false: no prefix is a number
  Uint128 kept = 0;              // the first 24 significant digits (below 10^24 < 2^80)
  int kept_count = 0;
  std::int64_t scale = 0;
  std::int32_t exponent = 0;     // as written, its size capped at max_exponent + 1
};

// The syntax, as a whole text (see convert_real.hpp):
//   value    = [sign] mantissa [exponent]
//   mantissa = digits ["." [digits]]  |  "." digits
//   exponent = letter [sign] digits   |  sign digits      ("125-1" is 12.5)
// Leading zeros only place the point; from the first nonzero digit on, 24 digits are kept and
// the rest only scale the value (before the point) or are dropped (after it). An exponent
// belongs to the number only when digits follow its letter or sign.
[[nodiscard]] NumberText scan_number(std::string_view text);

}  // namespace duopit::textio
