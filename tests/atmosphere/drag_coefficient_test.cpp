// The drag curve against the Mach number: its plateaus, its falling segments,
// the jump just above Mach 1 and the sense of every end point.
#include "atmosphere/drag_coefficient.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "atmosphere_testing.hpp"

namespace ascent {
namespace {

using testing::Printed;

TEST(DragCoefficient, FollowsTheCurveAtItsCheckPoints) {
  struct Case {
    double M;
    Printed Cd;
  };
  const std::vector<Case> cases{
      {0.0, {0.4, 7}},  {0.5, {0.4, 7}},   {1.0, {0.4, 7}},         {1.0001, {0.8, 7}},
      {1.2, {0.8, 7}},  {1.4, {0.8, 7}},   {1.7, {0.745, 7}},       {1.9999, {0.6900183, 7}},
      {2.0, {0.69, 7}}, {2.5, {0.64, 7}},  {3.0, {0.59, 7}},        {3.5, {0.58, 7}},
      {4.0, {0.57, 7}}, {4.5, {0.56, 7}},  {4.9999, {0.550002, 6}}, {5.0, {0.55, 7}},
      {7.5, {0.55, 7}}, {25.0, {0.55, 7}},
  };
  for (const Case& c : cases) {
    EXPECT_PRINTS_AS(drag_coefficient(c.M).value(), c.Cd) << "M = " << c.M;
  }
}

TEST(DragCoefficient, JumpsOnlyJustAboveMachOne) {
  // Mach 1 itself is still subsonic: the nearest integer to 0.5 is the even 0.
  EXPECT_EQ(drag_coefficient(1.0).value(), drag_coefficient(0.0).value());
  EXPECT_NEAR(drag_coefficient(std::nextafter(1.0, 2.0)).value(), 0.8, 1e-15);
  EXPECT_NEAR(drag_coefficient(std::nextafter(1.0, 0.0)).value(), 0.4, 1e-15);
}

TEST(DragCoefficient, IsContinuousAtTheOtherSegmentEnds) {
  // Ties at M = 2, 3 and 4 go to the even segment; either side agrees there.
  for (const double M : {1.4, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5, 5.0}) {
    const double below = drag_coefficient(std::nextafter(M, 0.0)).value();
    const double above = drag_coefficient(std::nextafter(M, 10.0)).value();
    const double at = drag_coefficient(M).value();
    EXPECT_NEAR(below, at, 1e-14) << "M = " << M;
    EXPECT_NEAR(above, at, 1e-14) << "M = " << M;
  }
}

TEST(DragCoefficient, NegativeMachNumberGetsTheSubsonicValue) {
  for (const double M : {-0.2, -0.5, -1.0, -3.0, -7.0}) {
    EXPECT_EQ(drag_coefficient(M).value(), drag_coefficient(0.0).value()) << "M = " << M;
  }
}

}  // namespace
}  // namespace ascent
