// orientation/survey.cpp — the orientation steps, written with the arithmetic unit's
// operations so that each formula is evaluated left to right as written, every operation's
// result rounded to 53 bits (to nearest) and every elementary function's result used
// unrounded: nothing here may be folded at compile time or evaluated in another precision.
#include "orientation/survey.hpp"

#include <array>
#include <cstddef>

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

// x = sin(R) × d + x0, y = cos(R) × d + y0
void advance(double R, double d, double x0, double y0, double& x, double& y) {
  x = to_real(add(mul(numerics::sin(R), d), x0));
  y = to_real(add(mul(numerics::cos(R), d), y0));
}

}  // namespace

double bearing_from_differences(double pi, double dx, double dy) {
  double t = to_real(numerics::atan(to_real(div(dx, dy))));
  if (dy < 0) {
    t = to_real(add(t, pi));
  }
  if (dx < 0 && dy > 0) {
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

namespace {

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

constexpr std::array<LegFields, leg_count> leg_fields{{
    {&Survey::R_1a, &Survey::dr_1a, &Survey::x1, &Survey::y1, &Survey::xa, &Survey::ya,
     &Survey::rad_a},
    {&Survey::R_ab, &Survey::dr_ab, &Survey::xa, &Survey::ya, &Survey::xb, &Survey::yb,
     &Survey::rad_b},
    {&Survey::R_bc, &Survey::dr_bc, &Survey::xb, &Survey::yb, &Survey::xc, &Survey::yc,
     &Survey::rad_c},
    {&Survey::R_c2, &Survey::dr_c2, &Survey::xc, &Survey::yc, &Survey::x2a, &Survey::y2a,
     nullptr},
}};

}  // namespace

Station compute_station(Survey& s, Leg leg) {
  const LegFields& f = leg_fields[static_cast<std::size_t>(leg)];
  advance(s.*f.bearing, s.*f.distance, s.*f.near_x, s.*f.near_y, s.*f.far_x, s.*f.far_y);
  return {s.*f.far_x, s.*f.far_y};
}

// R_ab = (R_1a − pi) + rad_a, R_bc = (R_ab − pi) + rad_b, and R_c2 = (R_bc − pi) − rad_c: the
// angle at c is measured the other way round.
double compute_next_bearing(Survey& s, Leg leg) {
  const auto i = static_cast<std::size_t>(leg);
  const LegFields& f = leg_fields[i];
  const Extended back = sub(s.*f.bearing, s.pi);
  const double angle = s.*f.far_angle;
  double& next = s.*leg_fields[i + 1].bearing;
  next = normalise(s.pi, to_real(leg == Leg::b_c ? sub(back, angle) : add(back, angle)));
  return next;
}

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
