// textio/repeat_count.hpp — the repeat count written before "*" in typed input ("3*1.5").
// Pure: reads the count's characters and nothing else; what a count means for the values
// that follow is the read statement's business.
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/read_status.hpp"

namespace duopit::textio {

struct RepeatCount {
  // ok; repeat_overflow: the count lies outside the signed 32-bit range; repeat_bad_char: a
  // character that is not a digit of the count's radix, or a misplaced sign;
  // repeat_two_hashes: a second "#"; repeat_bad_radix: the radix before "#" is outside 2 to 36.
  ReadStatus status;
  std::int32_t value;  // meaningful only when status is ok
};

// Accepted: [sign] [[radix] "#"] digits, where the radix is written in decimal and "#" with
// no radix before it means hexadecimal. Without "#" the digits are decimal; after it they
// are digits and letters (either case) of the radix. Empty digits count as 0, so an empty
// text is a count of 0. Errors are reported for the first offending character; a value out
// of range is reported only when every character belongs.
[[nodiscard]] RepeatCount parse_repeat_count(std::string_view text);

}  // namespace duopit::textio
