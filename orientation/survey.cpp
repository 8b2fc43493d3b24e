// orientation/survey.cpp — the orientation steps, written with the arithmetic unit's
// operations so that each formula is evaluated left to right as written, every operation's
// result rounded to 53 bits (to nearest) and every elementary function's result used
// unrounded: nothing here may be folded at compile time or evaluated in another precision.
#include "orientation/survey.hpp"

#include <cmath>
#include <limits>

#include "numerics/elementary.hpp"
#include "numerics/arithmetic.hpp"

namespace duopit::orientation {

using numerics::add;
using numerics::div;
using numerics::Extended;
using numerics::mul;
using numerics::sub;
using numerics::to_real;

namespace {

// (pi × degrees) / 180
double radians_of(double pi, double degrees) { return to_real(div(mul(pi, degrees), 180)); }

// dr = (level_height × d) / earth_radius + d
double reduced(const Survey& s, double d) {
  return to_real(add(div(mul(s.level_height, d), s.earth_radius), d));
}

}  // namespace

void advance(double R, double d, double x0, double y0, double& x, double& y) {
  x = to_real(add(mul(numerics::sin(R), d), x0));
  y = to_real(add(mul(numerics::cos(R), d), y0));
}

double turned_bearing(double pi, double R, double angle, bool angle_back) {
  const Extended back = sub(R, pi);
  return normalise(pi, to_real(angle_back ? sub(back, angle) : add(back, angle)));
}

// t = arctan(dx / dy), then a half turn more when dy < 0, a whole turn more when dx < 0 and
// dy >= 0. A point due east or due west (dy zero, dx not) has a bearing, but dx / dy would
// trap as a division by zero: t is then the arctangent of an infinity of dx's sign, taken
// without dividing, and the zero dy counts as north, so due west is 3 pi / 2. With dx zero
// too there is no bearing, and 0 / 0 traps as an invalid operation.
double bearing_from_differences(double pi, double dx, double dy) {
  constexpr double infinity = std::numeric_limits<double>::infinity();
  const double quotient =
      dy == 0 && dx != 0 ? std::copysign(infinity, dx) : to_real(div(dx, dy));
  double t = to_real(numerics::atan(quotient));
  if (dy < 0) {
    t = to_real(add(t, pi));
  }
  if (dx < 0 && dy >= 0) {
    t = to_real(add(t, mul(2, pi)));
  }
  return t;
}

double normalise(double pi, double v) {
  if (v < 0) {
    v = to_real(add(v, mul(2, pi)));
  }
  if (v > to_real(mul(2, pi))) {
    v = to_real(sub(v, mul(2, pi)));
  }
  return v;
}

double to_degrees(double pi, double radians) { return to_real(div(mul(radians, 180), pi)); }

void compute_pi(Survey& s) { s.pi = to_real(mul(4, numerics::atan(1))); }

void assign_surface_data(Survey& s) {
  s.level_height = 456.123;
  s.earth_radius = 6378140.0;
  s.x1 = 25558.257;
  s.y1 = 65769.466;
  s.x2 = 26585.111;
  s.y2 = 66117.494;
}

void compute_true_bearing(Survey& s) {
  s.R12 = bearing_from_differences(s.pi, to_real(sub(s.x2, s.x1)), to_real(sub(s.y2, s.y1)));
}

void assign_traverse_data(Survey& s) {
  s.d_1a = 347.092;
  s.d_ab = 395.622;
  s.d_bc = 312.972;
  s.d_c2 = 351.828;
}

void convert_angles(Survey& s) {
  s.rad_a = radians_of(s.pi, 163.8497);
  s.rad_b = radians_of(s.pi, 96.7161);
  s.rad_c = radians_of(s.pi, 153.7702);
}

void reduce_distances(Survey& s) {
  s.dr_1a = reduced(s, s.d_1a);
  s.dr_ab = reduced(s, s.d_ab);
  s.dr_bc = reduced(s, s.d_bc);
  s.dr_c2 = reduced(s, s.d_c2);
}

// R_1a = (R_1a × pi) / 180, not normalised.
void convert_typed_bearing(Survey& s) { s.R_1a = to_real(div(mul(s.R_1a, s.pi), 180)); }

void compute_fictitious_bearing(Survey& s) {
  s.R12_fict =
      bearing_from_differences(s.pi, to_real(sub(s.x2a, s.x1)), to_real(sub(s.y2a, s.y1)));
}

// rot = R12_fict − R12, brought up by one turn if negative; there is no upper test.
void compute_rotation(Survey& s) {
  s.rot = to_real(sub(s.R12_fict, s.R12));
  if (s.rot < 0) {
    s.rot = to_real(add(s.rot, mul(2, s.pi)));
  }
}

void correct_starting_bearing(Survey& s) {
  s.R_1a = normalise(s.pi, to_real(sub(s.R_1a, s.rot)));
}

void compute_misclosure(Survey& s) {
  s.difx2 = to_real(sub(s.x2, s.x2a));
  s.dify2 = to_real(sub(s.y2, s.y2a));
}

}  // namespace duopit::orientation
