// textio/assign_text.hpp — character assignment between fixed-length text fields.
// A text field always holds exactly its length in characters: assignment truncates a longer
// source and pads a shorter one with blanks. No terminator is read or written.
// A constant expression too, so that a field assigned a literal can be laid out when the
// program is compiled.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <type_traits>

namespace duopit::textio {

// The copy at run time, where a field may be assigned a substring of itself: memmove.
void move_text(char* to, const char* from, std::size_t count);

// Copies src(src_first:src_last) into dest(dest_first:dest_last). Positions are 1-based and
// inclusive, counted from dest[0] and src[0]. The destination gets the first n source
// characters (n = its length) when the source is at least that long; otherwise all source
// characters followed by blanks. A negative-length destination is left alone; a negative-length
// source counts as empty. Correct when the two ranges overlap.
constexpr void assign_text(char* dest, int dest_first, int dest_last, const char* src,
                           int src_first, int src_last) {
  // Lengths in 64 bits: extreme positions must not wrap into a plausible length.
  const long long dest_length = static_cast<long long>(dest_last) - dest_first + 1;
  if (dest_length <= 0) {
    return;
  }
  const long long src_length = std::max(0LL, static_cast<long long>(src_last) - src_first + 1);
  const auto copied = static_cast<std::size_t>(std::min(src_length, dest_length));
  const auto filled = static_cast<std::size_t>(dest_length) - copied;
  assert(dest != nullptr && dest_first >= 1);
  char* const to = dest + (dest_first - 1);
  if (copied > 0) {
    assert(src != nullptr && src_first >= 1);
    if (std::is_constant_evaluated()) {
      std::copy_n(src + (src_first - 1), copied, to);  // a constant is assigned a literal
    } else {
      move_text(to, src + (src_first - 1), copied);
    }
  }
  // The copy is complete before the blank fill, so the fill cannot clobber source characters
  // still to be read.
  std::fill_n(to + copied, filled, ' ');
}

}  // namespace duopit::textio
