// orientation/report.cpp — the report sequence. Every record is one write statement on the
// report unit, written as soon as the quantities it shows are computed, so that a failure
// leaves exactly the records completed before it. Angles are reported in degrees, converted
// at the moment of writing.
#include "orientation/report.hpp"

#include <array>
#include <cstdint>
#include <string_view>

#include "lifecycle/file_unit.hpp"
#include "orientation/survey.hpp"
#include "textio/assign_text.hpp"
#include "textio/output_statement.hpp"
#include "textio/read_statement.hpp"

namespace duopit::orientation {
namespace {

constexpr std::int32_t report_unit = 100;
constexpr std::string_view report_file_name = "duopit.dat";
constexpr int title_field_chars = 180;
// The report's two formats, checked when the program is compiled.
constexpr textio::FixedLayout title_format{"(A180)"};
constexpr textio::FixedLayout prompt_format{"(a\\)"};
static_assert(title_format.status() == textio::FormatStatus::ok);
static_assert(prompt_format.status() == textio::FormatStatus::ok);

using TitleField = std::array<char, title_field_chars>;

// A title's field: the text, blank-filled to 180 characters. Titles are literals, so their
// fields are assigned when the program is compiled.
consteval TitleField title_field(std::string_view title) {
  TitleField field{};
  textio::assign_text(field.data(), 1, title_field_chars, title.data(), 1,
                      static_cast<int>(title.size()));
  return field;
}

void blank_record() {
  textio::begin_write(report_unit);
  textio::end_write();
}

// Writes a title's field whole, and a blank record under it.
void title_records(const TitleField& field) {
  textio::begin_write(report_unit, title_format);
  textio::write_text_item(field.data(), title_field_chars);
  textio::end_write();
  blank_record();
}

void labelled_record(std::string_view label, double value) {
  textio::begin_write(report_unit);
  textio::write_text_item(label.data(), static_cast<int>(label.size()));
  textio::write_real_item(value);
  textio::end_write();
}

void bare_record(double value) {
  textio::begin_write(report_unit);
  textio::write_real_item(value);
  textio::end_write();
}

double degrees(const Survey& s, double radians) { return to_degrees(s.pi, radians); }

// A labelled bearing, converted to degrees, and a blank record.
void bearing_records(const Survey& s, std::string_view label, double radians) {
  labelled_record(label, degrees(s, radians));
  blank_record();
}

// A pair of labelled values (a station's coordinates, the misclosure) and a blank record.
void coordinate_records(std::string_view x_label, double x, std::string_view y_label, double y) {
  labelled_record(x_label, x);
  labelled_record(y_label, y);
  blank_record();
}

// One traverse pass from R_1a: each station's coordinates as soon as they are computed, under
// `p2_x` and `p2_y` for the computed P2, and with `bearings` each leg's bearing after its near
// station.
void traverse_records(Survey& s, bool bearings, std::string_view p2_x, std::string_view p2_y) {
  struct StationLabels {
    std::string_view x, y, next_bearing;
  };
  static constexpr std::array<StationLabels, leg_count - 1> labels{{
      {" xa=", " ya=", "R_ab="}, {" xb=", " yb=", "R_bc="}, {" xc=", " yc=", "R_c2="}}};
  // Unrolled, so that each leg's fields in the survey are known where they are used.
#pragma GCC unroll 3
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const Station station = compute_station(s, static_cast<Leg>(i));
    coordinate_records(labels[i].x, station.x, labels[i].y, station.y);
    const double next_bearing = compute_next_bearing(s, static_cast<Leg>(i));
    if (bearings) {
      bearing_records(s, labels[i].next_bearing, next_bearing);
    }
  }
  const Station p2 = compute_station(s, Leg::c_p2);
  coordinate_records(p2_x, p2.x, p2_y, p2.y);
}

// Records 1-8: the surface coordinates of the two wires.
void report_surface_data(Survey& s) {
  assign_surface_data(s);
  static constexpr TitleField surface_title = title_field(
      "Coordenadas dos fios de prumo nos dois pocos P1 e P2, conhecidas por observacao a "
      "superficie:");
  title_records(surface_title);
  coordinate_records(" x1=", s.x1, " y1=", s.y1);
  coordinate_records(" x2=", s.x2, " y2=", s.y2);
}

// Records 9-12: the true bearing P1 -> P2.
void report_true_bearing(Survey& s) {
  compute_true_bearing(s);
  static constexpr TitleField true_bearing_title = title_field("Rumo da direccao P1 P2:");
  title_records(true_bearing_title);
  bearing_records(s, " R12 =", s.R12);
}

// The prompt leaves the console line open under the backslash, so the typed answer follows
// it on the same line; its first character, a blank, is the console's carriage control and
// is not shown. The answer is read into R_1a, which a null answer leaves at 0.
void ask_fictitious_bearing(Survey& s) {
  constexpr std::string_view prompt = " Rumo de saida ficticio (em graus):";
  textio::begin_write(textio::console_unit, prompt_format);
  textio::write_text_item(prompt.data(), static_cast<int>(prompt.size()));
  textio::end_write();
  textio::begin_read();
  textio::read_real_item(s.R_1a);
  textio::end_read();
}

// Records 13-36: the traverse on the fictitious starting bearing, each leg's bearing after
// its far station.
void report_fictitious_traverse(Survey& s) {
  static constexpr TitleField fictitious_bearing_title = title_field(
      "Rumo ficticio para a frente no ponto P1 no interior da mina (nao e possivel determinar uma "
      "orientacao de saida):");
  title_records(fictitious_bearing_title);
  bearing_records(s, "R_1a =", s.R_1a);
  static constexpr TitleField fictitious_stations_title = title_field(
      "Coordenadas ficticias dos restantes pontos da poligonal:");
  title_records(fictitious_stations_title);
  traverse_records(s, true, " x2a=", " y2a=");
}

// Records 37-48: the fictitious bearing P1 -> P2, the rotation between the two frames and the
// corrected starting bearing.
void report_rotation(Survey& s) {
  compute_fictitious_bearing(s);
  static constexpr TitleField fictitious_R12_title = title_field("Rumo ficticio R12:");
  title_records(fictitious_R12_title);
  bearing_records(s, "R12 ficticio =", s.R12_fict);
  compute_rotation(s);
  static constexpr TitleField rotation_title = title_field("Rotacao dos 2 referenciais:");
  title_records(rotation_title);
  bare_record(degrees(s, s.rot));
  blank_record();
  correct_starting_bearing(s);
  static constexpr TitleField starting_bearing_title = title_field(
      "Rumo para a frente no ponto P1 no interior da mina:");
  title_records(starting_bearing_title);
  bare_record(degrees(s, s.R_1a));
  blank_record();
}

// Records 49-65: the traverse on the corrected bearing, without the leg bearings, and the
// misclosure at P2.
void report_corrected_traverse(Survey& s) {
  static constexpr TitleField stations_title = title_field(
      "Coordenadas dos restantes pontos da poligonal:");
  title_records(stations_title);
  traverse_records(s, false, " x2=", " y2=");
  compute_misclosure(s);
  coordinate_records(" difx2=", s.difx2, " dify2=", s.dify2);
}

}  // namespace

// The survey quantities live in this frame: the computation is the whole run, and nothing
// else reads them.
void run_orientation() {
  Survey s{};
  compute_pi(s);
  lifecycle::connect_unit(report_unit, report_file_name);
  report_surface_data(s);
  report_true_bearing(s);
  assign_traverse_data(s);
  convert_angles(s);
  reduce_distances(s);
  ask_fictitious_bearing(s);
  convert_typed_bearing(s);
  report_fictitious_traverse(s);
  report_rotation(s);
  report_corrected_traverse(s);
}

}  // namespace duopit::orientation
