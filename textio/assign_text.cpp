// textio/assign_text.cpp — character assignment: copy, cut off or blank-fill a text field.
// Pure: touches only the two ranges it is given; knows nothing of records or units.
#include "textio/assign_text.hpp"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>

namespace duopit::textio {

void assign_text(char* dest, int dest_first, int dest_last, const char* src, int src_first,
                 int src_last) {
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
    // memmove, not memcpy: a field may be assigned a substring of itself. The copy is complete
    // before the blank fill, so the fill cannot clobber source characters still to be read.
    std::memmove(to, src + (src_first - 1), copied);
  }
  std::memset(to + copied, ' ', filled);
}

}  // namespace duopit::textio
