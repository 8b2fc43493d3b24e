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

using TitleField = std::array<char, title_field_chars>;

// The survey quantities and the eight title fields live for the whole run.
Survey survey;
std::array<TitleField, 8> title_fields;

// Copies `title` into its 180-character field, blank-filled, and writes the field whole.
void title_record(TitleField& field, std::string_view title) {
  textio::assign_text(field.data(), 1, title_field_chars, title.data(), 1,
                      static_cast<int>(title.size()));
  textio::begin_write(report_unit, "(A180)", -1);
  textio::write_text_item(field.data(), title_field_chars);
  textio::end_write();
}

void blank_record() {
  textio::begin_write(report_unit);
  textio::end_write();
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

double degrees(double radians) { return to_degrees(survey.pi, radians); }

// The prompt leaves the console line open under the backslash, so the typed answer follows
// it on the same line; the answer is read into R_1a, which a null answer leaves at 0.
void ask_fictitious_bearing() {
  static constexpr char prompt[] = "(a\\) Rumo de saida ficticio (em graus):";
  textio::begin_write(textio::console_unit, prompt, 4);
  textio::write_text_item(prompt + 4, 35);
  textio::end_write();
  textio::begin_read();
  textio::read_real_item(survey.R_1a);
  textio::end_read();
}

void write_traverse_stations(Survey& s) {
  compute_station_a(s);
  labelled_record(" xa=", s.xa);
  labelled_record(" ya=", s.ya);
  blank_record();
}

}  // namespace

void run_orientation() {
  Survey& s = survey;
  compute_pi(s);
  lifecycle::connect_unit(report_unit, report_file_name);
  assign_surface_data(s);
  title_record(title_fields[0],
               "Coordenadas dos fios de prumo nos dois pocos P1 e P2, conhecidas por observacao "
               "a superficie:");
  blank_record();
  labelled_record(" x1=", s.x1);
  labelled_record(" y1=", s.y1);
  blank_record();
  labelled_record(" x2=", s.x2);
  labelled_record(" y2=", s.y2);
  blank_record();
  compute_true_bearing(s);
  title_record(title_fields[1], "Rumo da direccao P1 P2:");
  blank_record();
  labelled_record(" R12 =", degrees(s.R12));
  blank_record();

  assign_traverse_data(s);
  convert_angles(s);
  reduce_distances(s);
  ask_fictitious_bearing();
  convert_typed_bearing(s);

  // The traverse on the fictitious bearing.
  title_record(title_fields[2],
               "Rumo ficticio para a frente no ponto P1 no interior da mina (nao e possivel "
               "determinar uma orientacao de saida):");
  blank_record();
  labelled_record("R_1a =", degrees(s.R_1a));
  blank_record();
  title_record(title_fields[3], "Coordenadas ficticias dos restantes pontos da poligonal:");
  blank_record();
  write_traverse_stations(s);
  compute_bearing_ab(s);
  labelled_record("R_ab=", degrees(s.R_ab));
  blank_record();
  compute_station_b(s);
  labelled_record(" xb=", s.xb);
  labelled_record(" yb=", s.yb);
  blank_record();
  compute_bearing_bc(s);
  labelled_record("R_bc=", degrees(s.R_bc));
  blank_record();
  compute_station_c(s);
  labelled_record(" xc=", s.xc);
  labelled_record(" yc=", s.yc);
  blank_record();
  compute_bearing_c2(s);
  labelled_record("R_c2=", degrees(s.R_c2));
  blank_record();
  compute_station_p2(s);
  labelled_record(" x2a=", s.x2a);
  labelled_record(" y2a=", s.y2a);
  blank_record();

  // The rotation and the corrected starting bearing.
  compute_fictitious_bearing(s);
  title_record(title_fields[4], "Rumo ficticio R12:");
  blank_record();
  labelled_record("R12 ficticio =", degrees(s.R12_fict));
  blank_record();
  compute_rotation(s);
  title_record(title_fields[5], "Rotacao dos 2 referenciais:");
  blank_record();
  bare_record(degrees(s.rot));
  blank_record();
  correct_starting_bearing(s);
  title_record(title_fields[6], "Rumo para a frente no ponto P1 no interior da mina:");
  blank_record();
  bare_record(degrees(s.R_1a));
  blank_record();

  // The corrected traverse and the misclosure.
  title_record(title_fields[7], "Coordenadas dos restantes pontos da poligonal:");
  blank_record();
  write_traverse_stations(s);
  compute_bearing_ab(s);
  compute_station_b(s);
  labelled_record(" xb=", s.xb);
  labelled_record(" yb=", s.yb);
  blank_record();
  compute_bearing_bc(s);
  compute_station_c(s);
  labelled_record(" xc=", s.xc);
  labelled_record(" yc=", s.yc);
  blank_record();
  compute_bearing_c2(s);
  compute_station_p2(s);
  labelled_record(" x2=", s.x2a);
  labelled_record(" y2=", s.y2a);
  blank_record();
  compute_misclosure(s);
  labelled_record(" difx2=", s.difx2);
  labelled_record(" dify2=", s.dify2);
  blank_record();
}

}  // namespace duopit::orientation
