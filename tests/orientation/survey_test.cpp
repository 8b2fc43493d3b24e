// The orientation steps, run in the run's arithmetic environment, against the survey values
// worked out for the fixed data.
#include "orientation/survey.hpp"

#include <bit>
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "support/run_environment.hpp"

namespace duopit::orientation {
namespace {

using testing::RunEnvironment;

// One traverse pass, leg by leg, from R_1a, as the report makes it between its records.
void traverse_pass(Survey& s) {
  for (int i = 0; i < leg_count; ++i) {
    (void)compute_station(s, static_cast<Leg>(i));
    if (i + 1 < leg_count) {
      (void)compute_next_bearing(s, static_cast<Leg>(i));
    }
  }
}

// Every step up to the first pass, from a typed bearing in degrees.
Survey first_pass(double typed_degrees) {
  Survey s;
  compute_pi(s);
  assign_surface_data(s);
  compute_true_bearing(s);
  assign_traverse_data(s);
  convert_angles(s);
  reduce_distances(s);
  s.R_1a = typed_degrees;
  convert_typed_bearing(s);
  traverse_pass(s);
  return s;
}

Survey whole_run(double typed_degrees) {
  Survey s = first_pass(typed_degrees);
  compute_fictitious_bearing(s);
  compute_rotation(s);
  correct_starting_bearing(s);
  traverse_pass(s);
  compute_misclosure(s);
  return s;
}

double degrees(const Survey& s, double radians) { return to_degrees(s.pi, radians); }

// Agreement to the number of significant digits the worked values are given with.
void expect_digits(double actual, double expected, double relative) {
  EXPECT_NEAR(actual, expected, std::fabs(expected) * relative) << "expected " << expected;
}

TEST(Survey, PiAndTrueBearing) {
  RunEnvironment env;
  Survey s;
  compute_pi(s);
  assign_surface_data(s);
  compute_true_bearing(s);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(s.pi), 0x400921FB54442D18ULL);
  // The report's record 11: 71.277119995263460.
  EXPECT_EQ(degrees(s, s.R12), 71.27711999526346);
}

TEST(Survey, FirstPassForZero) {
  RunEnvironment env;
  const Survey s = first_pass(0);
  EXPECT_EQ(s.xa, s.x1);
  expect_digits(s.ya, 66116.58282175749, 1e-15);
  expect_digits(degrees(s, s.R_ab), 343.8497, 1e-15);
  expect_digits(s.xb, 25448.20370008206, 1e-15);
  expect_digits(s.yb, 66496.61890554376, 1e-15);
  expect_digits(degrees(s, s.R_bc), 260.5658, 1e-15);
  expect_digits(s.xc, 25139.44272507441, 1e-15);
  expect_digits(s.yc, 66445.31448761473, 1e-15);
  expect_digits(degrees(s, s.R_c2), 286.7956, 1e-15);
  expect_digits(s.x2a, 24802.59902555519, 1e-15);
  expect_digits(s.y2a, 66546.98537139953, 1e-15);
}

TEST(Survey, FirstPassForOneHundred) {
  RunEnvironment env;
  const Survey s = first_pass(100);
  expect_digits(s.xa, 25900.10034, 1e-9);
  expect_digits(s.ya, 65709.1898, 1e-9);
  expect_digits(degrees(s, s.R_ab), 83.8497, 1e-12);
  expect_digits(degrees(s, s.R_bc), 0.5658, 1e-10);
  expect_digits(degrees(s, s.R_c2), 26.7956, 1e-12);
  expect_digits(s.x2a, 26455.18274, 1e-9);
  expect_digits(s.y2a, 66378.62901, 1e-9);
}

TEST(Survey, RotationAndCorrectedBearing) {
  struct Case {
    double typed;
    double fictitious_degrees;
    double rotation_degrees;
  };
  const Case cases[] = {{0, 315.8169184763449, 244.5397984810814},
                        {100, 55.81691848, 344.5397985}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    RunEnvironment env;
    Survey s = first_pass(c.typed);
    compute_fictitious_bearing(s);
    compute_rotation(s);
    correct_starting_bearing(s);
    expect_digits(degrees(s, s.R12_fict), c.fictitious_degrees, 1e-9);
    expect_digits(degrees(s, s.rot), c.rotation_degrees, 1e-9);
    expect_digits(degrees(s, s.R_1a), 115.4602015189186, 1e-12);
  }
}

TEST(Survey, SecondPassDoesNotDependOnTheTypedBearing) {
  for (const double typed : {0.0, 100.0, 300.0, -45.0, 720.0}) {
    SCOPED_TRACE(typed);
    RunEnvironment env;
    const Survey s = whole_run(typed);
    expect_digits(s.xa, 25871.66326123663, 1e-13);
    expect_digits(s.ya, 65620.24601687207, 1e-13);
    expect_digits(s.xb, 26262.10195857547, 1e-13);
    expect_digits(s.yb, 65556.23994354474, 1e-13);
    expect_digits(s.xc, 26348.51143167816, 1e-13);
    expect_digits(s.yc, 65857.07027104653, 1e-13);
    expect_digits(s.x2a, 26585.11218846892, 1e-13);
    expect_digits(s.y2a, 66117.49440280358, 1e-13);
    EXPECT_NEAR(s.difx2, -0.001188468915643171, 1e-10);
    EXPECT_NEAR(s.dify2, -0.0004028035764349625, 1e-10);
  }
}

TEST(Survey, ZeroAnswerGivesTheReportedMisclosureExactly) {
  RunEnvironment env;
  const Survey s = whole_run(0);
  expect_digits(s.difx2, -0.0011884689156431705, 1e-15);
  expect_digits(s.dify2, -0.00040280357643496245, 1e-15);
}

TEST(Survey, TypedBearingIsNotFoldedIntoOneTurn) {
  struct Case {
    double typed;
    double corrected_degrees;
  };
  const Case cases[] = {{1000, 475.46020151891}, {-300, -244.53979848108},
                        {-400, -244.53979848108}, {360, 115.46020151891}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    RunEnvironment env;
    Survey s = whole_run(c.typed);
    expect_digits(degrees(s, s.R_1a), c.corrected_degrees, 1e-12);
    expect_digits(s.x2a, 26585.11218846892, 1e-13);
  }
}

TEST(Survey, NegativeZeroStartsAtP1) {
  RunEnvironment env;
  const Survey s = first_pass(-0.0);
  EXPECT_TRUE(std::signbit(s.R_1a));
  EXPECT_EQ(s.xa, s.x1);
}

TEST(BearingRule, Quadrants) {
  RunEnvironment env;
  Survey s;
  compute_pi(s);
  EXPECT_EQ(bearing_from_differences(s.pi, 0, 5), 0.0);
  EXPECT_EQ(bearing_from_differences(s.pi, 0, -5), s.pi);
  EXPECT_NEAR(bearing_from_differences(s.pi, 1, 1), s.pi / 4, 1e-15);
  EXPECT_NEAR(bearing_from_differences(s.pi, 1, -1), 3 * s.pi / 4, 1e-15);
  EXPECT_NEAR(bearing_from_differences(s.pi, -1, -1), 5 * s.pi / 4, 1e-15);
  EXPECT_NEAR(bearing_from_differences(s.pi, -1, 1), 7 * s.pi / 4, 1e-15);
  // Due east and due west, a zero dy of either sign counted as north.
  for (const double dy : {0.0, -0.0}) {
    EXPECT_EQ(bearing_from_differences(s.pi, 5, dy), s.pi / 2);
    EXPECT_EQ(bearing_from_differences(s.pi, -5, dy), 3 * s.pi / 2);
  }
}

TEST(BearingRule, NoBearingWhenBothDifferencesAreZero) {
  for (const double dx : {0.0, -0.0}) {
    RunEnvironment env;
    Survey s;
    compute_pi(s);
    const auto status = env.run([&] { (void)bearing_from_differences(s.pi, dx, 0); });
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(env.os.error,
              "\r\nrun-time error M6101: MATH\r\n- floating-point error: invalid\r\n");
  }
}

TEST(Normalise, MovesByOneTurnOnly) {
  RunEnvironment env;
  Survey s;
  compute_pi(s);
  const double turn = 2 * s.pi;
  EXPECT_EQ(normalise(s.pi, 0.0), 0.0);
  EXPECT_EQ(normalise(s.pi, turn), turn);
  EXPECT_EQ(normalise(s.pi, -1.0), -1.0 + turn);
  EXPECT_EQ(normalise(s.pi, 7.0), 7.0 - turn);
  EXPECT_EQ(normalise(s.pi, 20.0), 20.0 - turn);  // still beyond one turn
  EXPECT_EQ(normalise(s.pi, -20.0), -20.0 + turn);
}

TEST(Survey, HugeTypedBearingStopsAtTheFirstSine) {
  RunEnvironment env;
  Survey s;
  const auto status = env.run([&] { s = first_pass(1e308); });
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(env.os.error, "\r\nrun-time error M6205: MATH\r\n- sin: TLOSS error\r\n");
}

}  // namespace
}  // namespace duopit::orientation
