// textio/assign_text.hpp — character assignment between fixed-length text fields.
// A text field always holds exactly its length in characters: assignment truncates a longer
// source and pads a shorter one with blanks. No terminator is read or written.
#pragma once

namespace duopit::textio {

// Copies src(src_first:src_last) into dest(dest_first:dest_last). Positions are 1-based and
// inclusive, counted from dest[0] and src[0]. The destination gets the first n source
// characters (n = its length) when the source is at least that long; otherwise all source
// characters followed by blanks. A negative-length destination is left alone; a negative-length
// source counts as empty. Correct when the two ranges overlap.
void assign_text(char* dest, int dest_first, int dest_last, const char* src, int src_first,
                 int src_last);

}  // namespace duopit::textio
