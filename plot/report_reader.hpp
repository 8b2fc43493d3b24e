// plot/report_reader.hpp — reads a duopit report back into its values. The report is a fixed
// sequence of 65 records: titles, blank records, labelled values and bare values; each record
// is matched against what the report has at its place, so that a file written by anything
// else is told apart from a report that a failed run cut short. Pure: no I/O, no globals.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace duopit::plot {

// The report's 30 values, in the order the report prints them.
enum class Value : std::size_t {
  x1, y1, x2, y2,                 // surface coordinates of the wires P1 and P2
  R12,                            // the true bearing P1 -> P2
  R_1a,                           // the fictitious starting bearing: the answer
  xa_f, ya_f, R_ab, xb_f, yb_f,   // the traverse on the fictitious bearing...
  R_bc, xc_f, yc_f, R_c2,
  x2a, y2a,                       // ...ending at the fictitious P2'
  R12_fict,                       // the bearing P1 -> P2' in the fictitious frame
  rot,                            // the rotation between the two frames
  R_1a_corrected,                 // the corrected starting bearing
  xa, ya, xb, yb, xc, yc,         // the corrected traverse...
  x2c, y2c,                       // ...and its computed P2
  difx2, dify2,                   // the misclosure at P2: known minus computed
  count
};
constexpr std::size_t value_count = static_cast<std::size_t>(Value::count);

// The report's sections, each opened by a title record.
enum class Section : std::size_t {
  wires, true_bearing, fictitious_bearing, fictitious_traverse, fictitious_R12, rotation,
  corrected_bearing, corrected_traverse, count
};
constexpr std::size_t section_count = static_cast<std::size_t>(Section::count);
constexpr std::size_t report_records = 65;

struct SectionInfo {
  std::string_view title;  // the title record's text, without its filling blanks
  std::size_t first_record, last_record;  // counted from 1
};
[[nodiscard]] const SectionInfo& section_info(Section section);

struct ReportedValue {
  bool present = false;
  double value = 0;
  std::string text;  // the real as the report printed it, without the field's blanks
};

struct Report {
  std::array<ReportedValue, value_count> values{};
  std::size_t records = 0;  // complete records that matched the report's layout
  [[nodiscard]] const ReportedValue& operator[](Value v) const {
    return values[static_cast<std::size_t>(v)];
  }
  [[nodiscard]] bool has(Value v) const { return (*this)[v].present; }
  [[nodiscard]] double at(Value v) const { return (*this)[v].value; }
  // Whether every record of the section was read.
  [[nodiscard]] bool complete(Section section) const;
};

enum class ReadStatus {
  complete,  // all 65 records, as the report lays them out
  cut,       // the records there are match the report, but it ends early
  foreign,   // not a report of duopit (a record differs from the report's layout, or
             // there is more than the report holds)
};

struct ReadOutcome {
  ReadStatus status = ReadStatus::foreign;
  Report report;
  std::size_t bad_record = 0;  // foreign: the record that does not fit, counted from 1
  std::string_view reason;     // foreign: what is wrong with it
};

// Records end in CR LF, as duopit writes them, or in LF alone, as a copy converted to another
// system's line ends has them. Bytes after the last line end are a record cut in the middle:
// they are not read.
[[nodiscard]] ReadOutcome read_report(std::string_view text);

// Parses a real as the report prints it ("25558.257000000000000", "-1.188468915643171E-003"):
// an optional minus, digits with one point, and an optional exponent: E, a sign and digits.
// The value is the double nearest the decimal text. False for anything else.
[[nodiscard]] bool parse_real(std::string_view text, double& value);

}  // namespace duopit::plot
