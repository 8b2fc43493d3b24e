// orientation/survey.hpp — the survey quantities and the steps of the orientation: the fixed
// data, the true bearing P1 -> P2, the traverse P1 -> a -> b -> c -> P2 on a starting
// bearing, the rotation between the fictitious and the true frame, and the misclosure at P2.
// Each step is one or a few assignments evaluated on the arithmetic unit as written (left to
// right, each operation rounded to 53 bits, an elementary function's result unrounded), each
// result stored as a 64-bit real. No step writes anything: the report sequence calls them
// between its records.
#pragma once

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
Station compute_station(Survey& s, Leg leg);
double compute_next_bearing(Survey& s, Leg leg);
void compute_fictitious_bearing(Survey& s);
void compute_rotation(Survey& s);
void correct_starting_bearing(Survey& s);
void compute_misclosure(Survey& s);

}  // namespace duopit::orientation
