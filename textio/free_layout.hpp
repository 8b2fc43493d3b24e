// textio/free_layout.hpp — the layout of a free-format output record: one leading blank,
// texts exactly as given, each real right-justified in a 24-column field, records wrapped
// at 79 columns after the leading blank.
// Pure: hands characters and record ends to a RecordSink and knows nothing of units,
// terminators or run-time errors; the statement layer turns a status into an error.
#pragma once

#include <span>
#include <string_view>

#include "textio/record_sink.hpp"

namespace duopit::textio {

constexpr int free_record_room = 79;  // columns of a record, its leading blank not counted

struct OutputItem {
  enum class Kind { text, real };
  Kind kind;
  std::string_view text;  // for Kind::text
  double real;            // for Kind::real
};

enum class LayoutStatus {
  ok,
  real_too_wide,  // a real had to open a new record and its field is 79 or more columns wide
};

// Lays out one statement's items as one or more records. Every record, the last one too,
// is closed with sink.end_record(true); the sink adds the terminator.
[[nodiscard]] LayoutStatus lay_out_free(std::span<const OutputItem> items, RecordSink& sink);

}  // namespace duopit::textio
