// textio/fixed_layout.hpp — lays out the items of one output statement under a format text.
// It places characters through a RecordSink and ends records there; which unit they reach, and
// any carriage control a console applies, is the sink's business, not this layer's.
#pragma once

#include <span>
#include <string_view>

#include "textio/format.hpp"
#include "textio/record_sink.hpp"

namespace duopit::textio {

// Edits each item under the next A descriptor (right-aligned in a wider field, cut to the width
// of a narrower one), then processes the format on to its final ")": a backslash on that last
// stretch leaves the record open. Items left over at the final ")" end the record and start a
// new one from the last top-level group. Returns bad_syntax, with nothing put to the sink, when
// the format does not parse or its A descriptors could never take the items.
[[nodiscard]] FormatStatus lay_out_fixed(const char* format, int format_length,
                                         std::span<const std::string_view> items, RecordSink& sink);

}  // namespace duopit::textio
