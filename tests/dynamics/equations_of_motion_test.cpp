// The derivative evaluation under each steering law, with the
// calibration and the thrust and angle limits of the vertical-acceleration law.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>

#include "atmosphere/drag_coefficient.hpp"
#include "base/earth.hpp"
#include "base/extended_math.hpp"
#include "dynamics/flight_harness.hpp"

namespace ascent::testing {
namespace {

constexpr double DEG = std::numbers::pi / 180.0;
constexpr double R = static_cast<double>(R_EARTH);

/// Acceleration [m/s^2] of thrust and drag, recovered from the velocity
/// increments by taking out the turning of the polar frame and gravity.
struct ForceAcceleration {
  double horizontal;
  double radial;
  double size() const { return std::hypot(horizontal, radial); }
  double angle() const { return std::atan2(radial, horizontal); }
};

VerticalAccelerationLaw& vertical_law(FlightState& s) {
  return std::get<VerticalAccelerationLaw>(s.steering.law);
}

ForceAcceleration force_acceleration(const FlightState& s, const StateVector& k) {
  const double r = s.h0.value() + R;
  const double vt = s.vt.value();
  const double vr = s.vr.value();
  return {k.vt.value() / s.dt.value() + vr * vt / r,
          k.vr.value() / s.dt.value() - vt * vt / r + static_cast<double>(MU) / (r * r)};
}

/// An upper stage at 150 km (6000 m/s eastward, 10 m/s^2 of thrust) under
/// the vertical-acceleration law, without drag or back-pressure loss.
void set_law_in_vacuum(FlightState& s, double K, double n, double vr) {
  s.steering.law = VerticalAccelerationLaw{.n = n, .K = K, .calibrated = true};
  s.h0 = 150000.0;
  s.vt = 6000.0;
  s.vr = vr;
  s.stage.v_earth = 408.0;
  s.stage.m_fixed = 5000.0;
  s.m_prop = 15000.0;
  s.thrust_vac = 200000.0;
  s.steering.maxa = 60.0 * DEG;
  s.dt = 1.0;
}

TEST(VacuumSteering, FullThrustAtPitchAboveTheInertialPathEvenInTheAir) {
  FlightHarness h;
  FlightState& s = h.state();
  set_vacuum_burn(s);
  s.h0 = 20000.0;
  for (const double pitch : {0.0, 0.3, -0.2}) {
    s.pitch = pitch;
    const ForceAcceleration f = force_acceleration(s, h.sim.eval_derivatives(s));
    EXPECT_NEAR(f.size(), 10.0, 1e-9) << pitch;
    EXPECT_NEAR(f.angle(), std::atan(150.0 / 6000.0) + pitch, 1e-12) << pitch;
  }
}

TEST(HorizonSteering, ThrustAtPitchAboveTheLocalHorizontalWhateverThePath) {
  FlightHarness h;
  FlightState& s = h.state();
  set_vacuum_burn(s);
  s.steering.law = HorizonSteering{};
  for (const double vr : {-300.0, 0.0, 800.0}) {
    for (const double pitch : {0.0, 0.4, -0.3}) {
      s.vr = vr;
      s.pitch = pitch;
      const ForceAcceleration a = force_acceleration(s, h.sim.eval_derivatives(s));
      EXPECT_NEAR(a.angle(), pitch, 1e-12) << vr << " " << pitch;
    }
  }
}

TEST(FlightPathSteering, OnThePadThrustIsVerticalLessBackPressure) {
  FlightHarness h;
  FlightState& s = h.state();
  set_core_climb(s);
  s.h0 = s.vr = 0.0;
  s.vt = 408.0;
  const ForceAcceleration f = force_acceleration(s, h.sim.eval_derivatives(s));
  // Sea-level pressure of the standard atmosphere on the nozzle exits.
  EXPECT_NEAR(f.radial, (9282548.16 - 101325.0 * 16.67) / 900000.0, 1e-9);
  EXPECT_NEAR(f.horizontal, 0.0, 1e-12);
}

TEST(FlightPathSteering, DragOpposesTheEarthRelativePathAndIsRadialWhenMovingWest) {
  for (const double vt : {1600.0, 300.0}) {  // east and west of the air at 30 km
    FlightHarness h;
    FlightState& s = h.state();
    set_core_climb(s);
    s.thrust_vac = 0.0;
    s.vt = vt;
    const double vt_rel = vt - 408.0 * (30000.0 + R) / R;
    const double v_rel = std::hypot(vt_rel, 450.0);
    const AmbientAir air = h.sim.air().atmosphere(30000.0);
    const double Cd = drag_coefficient(v_rel / air.sound_speed.value()).value();
    const double drag = Cd * 57.58 * air.density.value() * v_rel * v_rel / 2.0 / 900000.0;
    const ForceAcceleration f = force_acceleration(s, h.sim.eval_derivatives(s));
    EXPECT_NEAR(f.size(), drag, 1e-12) << vt;
    EXPECT_NEAR(f.angle(), vt_rel > 0.0 ? std::atan2(-450.0, -vt_rel) : -std::numbers::pi / 2,
                1e-12)
        << vt;
  }
}

TEST(VerticalAccelerationLaw, MeetsTheDemandWithFullThrust) {
  struct Case {
    double K, n, vr, a_des;
  };
  for (const Case c : {Case{0.01, 1.0, 200.0, 2.0}, Case{5e-5, 2.0, 200.0, 2.0},
                       Case{5e-5, 2.0, -200.0, -2.0}, Case{-0.01, 1.0, 300.0, -3.0}}) {
    FlightHarness h;
    FlightState& s = h.state();
    set_law_in_vacuum(s, c.K, c.n, c.vr);
    const StateVector k = h.sim.eval_derivatives(s);
    EXPECT_NEAR(k.vr.value(), c.a_des, 1e-12) << c.n << " " << c.vr;
    EXPECT_NEAR(force_acceleration(s, k).size(), 10.0, 1e-9) << c.n << " " << c.vr;
  }
}

TEST(VerticalAccelerationLaw, CalibrationContinuesTheRadialAccelerationOfTheHeldAngle) {
  // Climbing, the law takes over the acceleration without a jump; descending,
  // |vr|^n loses the sign and the law demands the opposite.
  for (const double vr : {450.0, -300.0}) {
    FlightHarness h;
    FlightState& s = h.state();
    set_core_climb(s);
    s.vr = vr;
    s.steering.law = HeldAngleSteering{};
    s.steering.alpha = 0.15;
    s.steering.maxa = 3.0;
    const double before = h.sim.eval_derivatives(s).vr.value();
    s.steering.law = VerticalAccelerationLaw{.n = 2.0};
    const double after = h.sim.eval_derivatives(s).vr.value();
    EXPECT_TRUE(vertical_law(s).calibrated);
    EXPECT_NEAR(after, vr > 0.0 ? before : -before, 1e-12 * std::fabs(before)) << vr;
    s.steering.alpha = 0.4;  // calibrated once: the held angle no longer matters
    EXPECT_EQ(h.sim.eval_derivatives(s).vr.value(), after) << vr;
  }
}

TEST(VerticalAccelerationLaw, DemandBeyondTheThrustPointsStraightUpOrDown) {
  for (const double K : {0.1, -0.15}) {  // 20 and -30 m/s^2 at vr = 200 m/s
    FlightHarness h;
    FlightState& s = h.state();
    set_law_in_vacuum(s, K, 1.0, 200.0);
    // Within maxa the law counts as met: the demand is applied radially and
    // no thrust is left for the horizontal.
    s.steering.maxa = 100.0 * DEG;
    StateVector k = h.sim.eval_derivatives(s);
    EXPECT_NEAR(k.vr.value(), K * 200.0, 1e-12) << K;
    EXPECT_NEAR(force_acceleration(s, k).horizontal, 0.0, 1e-12) << K;
    // Beyond maxa the thrust is held at maxa from the inertial path.
    s.steering.maxa = 30.0 * DEG;
    const ForceAcceleration f = force_acceleration(s, h.sim.eval_derivatives(s));
    EXPECT_NEAR(f.size(), 10.0, 1e-9) << K;
    EXPECT_NEAR(f.angle(), std::atan(200.0 / 6000.0) + std::copysign(30.0 * DEG, K), 1e-12) << K;
  }
}

TEST(VerticalAccelerationLaw, AngleEqualToMaxaIsNotLimited) {
  FlightHarness h;
  FlightState& s = h.state();
  set_law_in_vacuum(s, 0.01, 1.0, 200.0);
  s.steering.maxa = 3.0;
  const StateVector met = h.sim.eval_derivatives(s);
  s.dt = 0.0;  // a step of zero length stores the law's angle in alpha
  h.sim.rk4_step();
  const double alpha_c = s.steering.alpha.value();
  ASSERT_GT(alpha_c, 0.3);
  s.dt = 1.0;
  s.steering.maxa = alpha_c;
  EXPECT_EQ(h.sim.eval_derivatives(s).vr.value(), met.vr.value());
  // One unit in the last place less: the limited branch reaches the same
  // direction through sin and cos, so the last bits differ.
  s.steering.maxa = std::nextafter(alpha_c, 0.0);
  EXPECT_NE(h.sim.eval_derivatives(s).vr.value(), met.vr.value());
}

TEST(VerticalAccelerationLaw, TheBoundOnTheLimitGivesTheLawsOwnAngle) {
  // Random states over an ascent's range, with limits anywhere and at the
  // law's own angle to the last bit: where the bound settles the limit the
  // angle must be the one the law gives without it.
  std::mt19937_64 random(20261207);
  const auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(random);
  };
  int limited = 0;
  int settled = 0;
  for (int i = 0; i < 100000; ++i) {
    VerticalLawInputs in{};
    in.n = i % 3 == 0 ? 2.0 : i % 3 == 1 ? 1.0 : uniform(0.5, 3.0);
    in.vt = uniform(1.0, 8000.0);
    in.vr = uniform(-1500.0, 1500.0);
    in.r = R + uniform(0.0, 400000.0);
    in.m = uniform(1e3, 5e5);
    in.T = in.m * uniform(0.0, 40.0);
    in.D = uniform(0.0, 0.3) * in.T;
    in.v_rel = i % 50 == 0 ? 0.0 : uniform(0.0, 3000.0);
    in.K = uniform(-30.0, 30.0) / std::pow(std::fabs(in.vr.value()), in.n.value());
    in.beta = arctangent(in.vr / in.vt);
    in.maxa = 4.0;  // beyond any angle: the law's own
    const Real own = std::fabs(Extended{steer_vertical_law(in).alpha_c});
    switch (i % 4) {
      case 0:
        in.maxa = uniform(0.0, 1.6);
        break;
      case 1:
        in.maxa = own;
        break;
      case 2:
        in.maxa = std::nextafter(own.value(), 0.0);
        break;
      default:
        in.maxa = own * (1.0L - 1e-14L);
        break;
    }
    const VerticalLawSteering law = steer_vertical_law(in);
    const VerticalLawSteering bounded = steer_vertical_law(in, LimitSines::of(in.maxa));
    ASSERT_EQ(bounded.limited, law.limited) << i;
    ASSERT_TRUE(same_bits(bounded.alpha_c, law.alpha_c)) << i;
    if (!law.limited) {
      ASSERT_EQ(bounded, law) << i;
    }
    const bool free_limit = i % 4 == 0 && std::fabs(law.Ty / in.T) < 0.99L;
    limited += free_limit && law.limited;
    settled += free_limit && law.limited && bounded.Ty == 0.0L;
  }
  // The bound settles every limited angle but those at the limit itself.
  EXPECT_GT(settled, limited * 99 / 100) << settled << " of " << limited;
}

TEST(VerticalAccelerationLaw, TheBoundLeavesAbsurdStatesToTheLaw) {
  // Magnitudes from 1e-300 to 1e300 of either sign, infinities and NaN: the
  // bound may settle a limit only where the law gives the same angle.
  std::mt19937_64 random(7);
  const auto any = [&] {
    const double magnitude =
        std::pow(10.0, std::uniform_real_distribution<double>(-300, 300)(random));
    switch (random() % 16) {
      case 0:
        return std::numeric_limits<double>::quiet_NaN();
      case 1:
        return std::numeric_limits<double>::infinity();
      case 2:
        return 0.0;
      default:
        return random() % 4 == 0 ? -magnitude : magnitude;
    }
  };
  int settled = 0;
  for (int i = 0; i < 100000; ++i) {
    VerticalLawInputs in{
        any(), i % 2 == 0 ? 2.0 : any(), any(), any(), any(), any(), any(), any(), any(),
        0.0,   std::fabs(any())};
    in.beta = arctangent(in.vr / in.vt);
    const VerticalLawSteering law = steer_vertical_law(in);
    const VerticalLawSteering bounded = steer_vertical_law(in, LimitSines::of(in.maxa));
    ASSERT_EQ(bounded.limited, law.limited) << i;
    ASSERT_TRUE(same_bits(bounded.alpha_c, law.alpha_c) ||
                (std::isnan(bounded.alpha_c.value()) && std::isnan(law.alpha_c.value())))
        << i;
    settled += law.limited && bounded.Ty == 0.0L && law.Ty != 0.0L;
  }
  EXPECT_GT(settled, 10);  // some absurd states are still clearly beyond the limit
}

TEST(VerticalAccelerationLaw, DegenerateStatesGiveFiniteIncrements) {
  struct Case {
    const char* name;
    double thrust_vac, h0, vt, vr;
  };
  // On the pad the vehicle moves exactly with the air: v_rel = 0.
  for (const Case c : {Case{"no thrust", 0.0, 60000.0, 6000.0, 200.0},
                       Case{"level flight", 200000.0, 60000.0, 6000.0, 0.0},
                       Case{"at rest in the air", 200000.0, 0.0, 408.0, 0.0}}) {
    FlightHarness h;
    FlightState& s = h.state();
    set_law_in_vacuum(s, 0.01, 1.0, c.vr);
    s.stage.ref_area = 57.0;
    s.stage.exit_area = 5.0;
    s.h0 = c.h0;
    s.thrust_vac = c.thrust_vac;
    s.vt = c.vt;
    vertical_law(s).calibrated = false;
    std::feclearexcept(FE_ALL_EXCEPT);
    const StateVector k = h.sim.eval_derivatives(s);
    for (Real StateVector::*x : StateVector::components) {
      EXPECT_TRUE(std::isfinite((k.*x).value())) << c.name;
    }
    EXPECT_FALSE(std::fetestexcept(FE_INVALID | FE_DIVBYZERO)) << c.name;
    if (c.vr == 0.0) {
      EXPECT_EQ(vertical_law(s).K.value(), 0.0) << c.name;  // no |vr|^n to scale by
    }
  }
  // Without thrust the law cannot be met: the vehicle coasts as at a held angle.
  FlightHarness h;
  FlightState& s = h.state();
  set_law_in_vacuum(s, 0.01, 1.0, 200.0);
  s.stage.ref_area = 57.0;
  s.h0 = 60000.0;
  s.thrust_vac = 0.0;
  const double law = h.sim.eval_derivatives(s).vr.value();
  s.steering.law = HeldAngleSteering{};
  EXPECT_NEAR(law, h.sim.eval_derivatives(s).vr.value(), 1e-12);
}

}  // namespace
}  // namespace ascent::testing
