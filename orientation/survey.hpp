// orientation/survey.hpp — the survey quantities and the steps of the orientation: the fixed
// data, the true bearing P1 -> P2, the traverse P1 -> a -> b -> c -> P2 on a starting
// bearing, the rotation between the fictitious and the true frame, and the misclosure at P2.
// Each step is one or a few assignments evaluated on the arithmetic unit as written (left to
// right, each operation rounded to 53 bits, an elementary function's result unrounded), each
// result stored as a 64-bit real. No step writes anything: the report sequence calls them
// between its records.
#pragma once

#include <array>
#include <cstddef>

namespace duopit::orientation {

// Every quantity of the run, zero before its first assignment.
struct Survey {
  double pi = 0;
  // Surface coordinates of the plumb wires P1 and P2 (x east, y north, metres).
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  double level_height = 0, earth_radius = 0;
  // Measured traverse: distances (metres) and angles (degrees).
  double d_1a = 0, d_ab = 0, d_bc = 0, d_c2 = 0;
  double R12 = 0;  // true bearing P1 -> P2
  double dr_1a = 0, dr_ab = 0, dr_bc = 0, dr_c2 = 0;  // reduced distances
  double rad_a = 0, rad_b = 0, rad_c = 0;             // traverse angles in radians
  // Traverse: first on the fictitious starting bearing, then on the corrected one.
  double R_1a = 0, R_ab = 0, R_bc = 0, R_c2 = 0;
  double xa = 0, ya = 0, xb = 0, yb = 0, xc = 0, yc = 0;
  double x2a = 0, y2a = 0;   // computed position of P2
  double R12_fict = 0;       // bearing P1 -> computed P2 after the first pass
  double rot = 0;            // rotation of the two reference frames
  double difx2 = 0, dify2 = 0;  // misclosure at P2: known minus computed
};

// The legs of the traverse, in order: P1 -> a, a -> b, b -> c, c -> P2.
enum class Leg { p1_a, a_b, b_c, c_p2 };
constexpr int leg_count = 4;

// A station's coordinates, as a step stored them.
struct Station {
  double x, y;
};

// Rules used by the steps.
[[nodiscard]] double bearing_from_differences(double pi, double dx, double dy);
[[nodiscard]] double normalise(double pi, double v);
[[nodiscard]] double to_degrees(double pi, double radians);
// x = sin(R) × d + x0, y = cos(R) × d + y0
void advance(double R, double d, double x0, double y0, double& x, double& y);
// The bearing after a traverse angle: normalise((R − pi) + angle), or with `angle_back`
// normalise((R − pi) − angle), for an angle measured the other way round.
[[nodiscard]] double turned_bearing(double pi, double R, double angle, bool angle_back);

// The steps, in the order of the run.
void compute_pi(Survey& s);
void assign_surface_data(Survey& s);
void compute_true_bearing(Survey& s);
void assign_traverse_data(Survey& s);
void convert_angles(Survey& s);
void reduce_distances(Survey& s);
void convert_typed_bearing(Survey& s);  // R_1a from degrees to radians, in place
// One traverse pass, leg by leg from R_1a: for each leg its far station, then (but after the
// last) the next leg's bearing.
[[nodiscard]] inline Station compute_station(Survey& s, Leg leg);
[[nodiscard]] inline double compute_next_bearing(Survey& s, Leg leg);
void compute_fictitious_bearing(Survey& s);
void compute_rotation(Survey& s);
void correct_starting_bearing(Survey& s);
void compute_misclosure(Survey& s);

// What each leg reads and writes: its bearing and reduced distance, the station it starts from
// and the station it reaches, and the traverse angle measured there (none after the last).
struct LegFields {
  double Survey::*bearing;
  double Survey::*distance;
  double Survey::*near_x;
  double Survey::*near_y;
  double Survey::*far_x;
  double Survey::*far_y;
  double Survey::*far_angle;
};

inline constexpr std::array<LegFields, leg_count> leg_fields{{
    {&Survey::R_1a, &Survey::dr_1a, &Survey::x1, &Survey::y1, &Survey::xa, &Survey::ya,
     &Survey::rad_a},
    {&Survey::R_ab, &Survey::dr_ab, &Survey::xa, &Survey::ya, &Survey::xb, &Survey::yb,
     &Survey::rad_b},
    {&Survey::R_bc, &Survey::dr_bc, &Survey::xb, &Survey::yb, &Survey::xc, &Survey::yc,
     &Survey::rad_c},
    {&Survey::R_c2, &Survey::dr_c2, &Survey::xc, &Survey::yc, &Survey::x2a, &Survey::y2a,
     nullptr},
}};

// Inline, so that a pass over the legs in order reads and writes the survey's fields directly.
inline Station compute_station(Survey& s, Leg leg) {
  const LegFields& f = leg_fields[static_cast<std::size_t>(leg)];
  advance(s.*f.bearing, s.*f.distance, s.*f.near_x, s.*f.near_y, s.*f.far_x, s.*f.far_y);
  return {s.*f.far_x, s.*f.far_y};
}

// R_ab from R_1a and the angle at a, R_bc from R_ab and the angle at b, and R_c2 from R_bc and
// the angle at c, which is measured the other way round.
inline double compute_next_bearing(Survey& s, Leg leg) {
  const auto i = static_cast<std::size_t>(leg);
  const LegFields& f = leg_fields[i];
  double& next = s.*leg_fields[i + 1].bearing;
  next = turned_bearing(s.pi, s.*f.bearing, s.*f.far_angle, leg == Leg::b_c);
  return next;
}

}  // namespace duopit::orientation
