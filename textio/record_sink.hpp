// textio/record_sink.hpp — where the record editors put the characters they lay out.
// The editors know nothing of units: the statement layer hands them a sink that forwards to
// the report file or the console, and tests hand them one that records.
#pragma once

#include <string_view>

namespace duopit::textio {

class RecordSink {
 public:
  virtual ~RecordSink() = default;
  // Characters of the record being built, in order.
  virtual void put(std::string_view characters) = 0;
  // The record is complete. `terminated` is false when a backslash left it open, so that
  // the next record continues the same line.
  virtual void end_record(bool terminated) = 0;
};

}  // namespace duopit::textio
