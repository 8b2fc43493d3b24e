// plot/report_reader.cpp — the report's layout, record by record, and the matching of a file
// against it. Pure: no I/O, no globals.
#include "plot/report_reader.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace duopit::plot {
namespace {

enum class Kind { title, blank, labelled, bare };

struct RecordSpec {
  Kind kind = Kind::blank;
  std::string_view text;  // title: its text; labelled: the label without its leading blanks
  Value value = Value::count;
};

using Layout = std::array<RecordSpec, report_records>;

constexpr std::array<SectionInfo, section_count> sections{{
    {"Coordenadas dos fios de prumo nos dois pocos P1 e P2, conhecidas por observacao a "
     "superficie:", 1, 8},
    {"Rumo da direccao P1 P2:", 9, 12},
    {"Rumo ficticio para a frente no ponto P1 no interior da mina (nao e possivel determinar "
     "uma orientacao de saida):", 13, 16},
    {"Coordenadas ficticias dos restantes pontos da poligonal:", 17, 36},
    {"Rumo ficticio R12:", 37, 40},
    {"Rotacao dos 2 referenciais:", 41, 44},
    {"Rumo para a frente no ponto P1 no interior da mina:", 45, 48},
    {"Coordenadas dos restantes pontos da poligonal:", 49, 65},
}};

// Lays the records out in the order duopit writes them.
class LayoutBuilder {
 public:
  constexpr void title(Section s) {
    add({Kind::title, sections[static_cast<std::size_t>(s)].title, Value::count});
    blank();
  }
  constexpr void blank() { add({Kind::blank, {}, Value::count}); }
  // A labelled value followed by a blank record, as bearings are written.
  constexpr void single(std::string_view label, Value v) {
    add({Kind::labelled, label, v});
    blank();
  }
  constexpr void bare(Value v) {
    add({Kind::bare, {}, v});
    blank();
  }
  // Two labelled values and a blank record, as coordinates are written.
  constexpr void pair(std::string_view x_label, Value x, std::string_view y_label, Value y) {
    add({Kind::labelled, x_label, x});
    add({Kind::labelled, y_label, y});
    blank();
  }
  [[nodiscard]] constexpr const Layout& layout() const { return layout_; }
  [[nodiscard]] constexpr std::size_t size() const { return used_; }

 private:
  constexpr void add(RecordSpec spec) { layout_[used_++] = spec; }
  Layout layout_{};
  std::size_t used_ = 0;
};

consteval LayoutBuilder build_layout() {
  LayoutBuilder b;
  b.title(Section::wires);
  b.pair("x1=", Value::x1, "y1=", Value::y1);
  b.pair("x2=", Value::x2, "y2=", Value::y2);
  b.title(Section::true_bearing);
  b.single("R12 =", Value::R12);
  b.title(Section::fictitious_bearing);
  b.single("R_1a =", Value::R_1a);
  b.title(Section::fictitious_traverse);
  b.pair("xa=", Value::xa_f, "ya=", Value::ya_f);
  b.single("R_ab=", Value::R_ab);
  b.pair("xb=", Value::xb_f, "yb=", Value::yb_f);
  b.single("R_bc=", Value::R_bc);
  b.pair("xc=", Value::xc_f, "yc=", Value::yc_f);
  b.single("R_c2=", Value::R_c2);
  b.pair("x2a=", Value::x2a, "y2a=", Value::y2a);
  b.title(Section::fictitious_R12);
  b.single("R12 ficticio =", Value::R12_fict);
  b.title(Section::rotation);
  b.bare(Value::rot);
  b.title(Section::corrected_bearing);
  b.bare(Value::R_1a_corrected);
  b.title(Section::corrected_traverse);
  b.pair("xa=", Value::xa, "ya=", Value::ya);
  b.pair("xb=", Value::xb, "yb=", Value::yb);
  b.pair("xc=", Value::xc, "yc=", Value::yc);
  b.pair("x2=", Value::x2c, "y2=", Value::y2c);
  b.pair("difx2=", Value::difx2, "dify2=", Value::dify2);
  return b;
}

constexpr LayoutBuilder built = build_layout();
static_assert(built.size() == report_records, "the layout has the report's 65 records");
static_assert(sections.back().last_record == report_records);
constexpr const Layout& layout = built.layout();

std::string_view trim(std::string_view s) {
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    return {};
  }
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string_view trim_end(std::string_view s) {
  const std::size_t last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Skips a run of digits from `pos`; false if there is none.
bool skip_digits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && is_digit(text[pos])) {
    ++pos;
  }
  return pos > start;
}

// The report's number form: -?d+.d*(E[+-]d+)? — the only text parse_real hands on to
// from_chars, which alone would also take "inf", "nan" and forms the report never prints.
bool has_report_form(std::string_view text) {
  std::size_t pos = 0;
  if (pos < text.size() && text[pos] == '-') {
    ++pos;
  }
  if (!skip_digits(text, pos) || pos >= text.size() || text[pos] != '.') {
    return false;
  }
  ++pos;
  skip_digits(text, pos);
  if (pos == text.size()) {
    return true;
  }
  if (text[pos] != 'E' || ++pos >= text.size() || (text[pos] != '+' && text[pos] != '-')) {
    return false;
  }
  ++pos;
  return skip_digits(text, pos) && pos == text.size();
}

// Why a record does not fit, or empty when it does; a value it holds goes to `report`.
std::string_view match_record(const RecordSpec& spec, std::string_view record, Report& report) {
  std::string_view value_text;
  switch (spec.kind) {
    case Kind::title:
      return trim_end(record) == spec.text ? std::string_view{} : "not the report's title here";
    case Kind::blank:
      return trim(record).empty() ? std::string_view{} : "not the blank record the report has here";
    case Kind::labelled: {
      const std::string_view body = trim(record);
      if (body.substr(0, spec.text.size()) != spec.text) {
        return "not the label the report has here";
      }
      value_text = trim(body.substr(spec.text.size()));
      break;
    }
    case Kind::bare:
      value_text = trim(record);
      break;
  }
  ReportedValue& slot = report.values[static_cast<std::size_t>(spec.value)];
  if (!parse_real(value_text, slot.value)) {
    return "not a real as the report prints one";
  }
  slot.present = true;
  slot.text = std::string(value_text);
  return {};
}

// A record is cut off when its line end never came: the bytes after the last line end must
// at least start the record that belongs there, or the file is not a report.
bool starts_expected_record(const RecordSpec& spec, std::string_view tail) {
  if (spec.kind == Kind::title) {
    const std::string_view text = trim_end(tail);
    return text == spec.text.substr(0, text.size());
  }
  return true;
}

}  // namespace

const SectionInfo& section_info(Section section) {
  return sections[static_cast<std::size_t>(section)];
}

bool Report::complete(Section section) const {
  return records >= section_info(section).last_record;
}

bool parse_real(std::string_view text, double& value) {
  if (!has_report_form(text)) {
    return false;
  }
  double parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(parsed)) {
    return false;
  }
  value = parsed;
  return true;
}

ReadOutcome read_report(std::string_view text) {
  ReadOutcome outcome;
  std::size_t pos = 0;
  while (true) {
    const std::size_t end = text.find('\n', pos);
    const std::size_t index = outcome.report.records;
    if (end == std::string_view::npos) {
      const std::string_view tail = text.substr(pos);
      if (index == report_records) {
        outcome.status = tail.empty() ? ReadStatus::complete : ReadStatus::foreign;
      } else {
        outcome.status = starts_expected_record(layout[index], tail) ? ReadStatus::cut
                                                                       : ReadStatus::foreign;
      }
      break;
    }
    std::string_view record = text.substr(pos, end - pos);
    if (!record.empty() && record.back() == '\r') {
      record.remove_suffix(1);
    }
    if (index == report_records) {
      outcome.status = ReadStatus::foreign;
      break;
    }
    const std::string_view wrong = match_record(layout[index], record, outcome.report);
    if (!wrong.empty()) {
      outcome.status = ReadStatus::foreign;
      outcome.reason = wrong;
      break;
    }
    ++outcome.report.records;
    pos = end + 1;
  }
  if (outcome.status == ReadStatus::foreign) {
    outcome.bad_record = outcome.report.records + 1;
    if (outcome.reason.empty()) {
      outcome.reason = outcome.report.records == report_records
                           ? "beyond the report's 65 records"
                           : "not the report's title here";
    }
  }
  return outcome;
}

}  // namespace duopit::plot
