// The guided upper stage: it reaches the orbit asked for, the coast after
// cutoff keeps that orbit, the guidance converges from dispersed states at
// ignition, and a target out of reach ends the flight with its reason.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "base/earth.hpp"
#include "mission/flight.hpp"
#include "mission/orbit_insertion_guidance.hpp"

namespace ascent::testing {
namespace {

const ThrustHistory& sample() {
  static const ThrustHistory thrust =
      ThrustHistory::read(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat");
  return thrust;
}

Vehicle guided(double perigee, double apogee) {
  Vehicle v;
  v.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  v.target.perigee = perigee;
  v.target.apogee = apogee;
  return v;
}

struct Trace : FlightObserver {
  void on_step(const FlightState& s, const StepQuantities&) override {
    if (s.t > 440 && (++n % 10 == 0)) printf("t %.1f h %.0f vr %.1f vt %.1f pitch %.2f rate %.4f mode %d m_prop %.0f E %.0f alpha %.2f\n", s.t.value(), s.h0.value(), s.vr.value(), s.vt.value(), s.pitch.value()*57.3, s.pitch_rate.value()*57.3, s.steer_mode, s.m_prop.value(), orbital_energy(s.vt, s.vr, s.h0).value(), (s.alpha.value() + std::atan2(s.vr.value(), s.vt.value()))*57.3);
  }
  void on_event(const FlightEvent&, const FlightState& s) override { printf("event t %.1f h %.0f\n", s.t.value(), s.h0.value()); }
  int n = 0;
};

TEST(OrbitInsertion, Trace) {
  Trace trace;
  const FlightResult r0 = fly(Vehicle{}, sample(), {20.0, 18.0, {}}, &trace);
  printf("----\n");
  const FlightResult r = fly(guided(200e3, 200e3), sample(), {20.0, 18.0, {}}, &trace);
  printf("target E %.0f\n", insertion_point(guided(200e3, 200e3).target).energy.value());
}

TEST(OrbitInsertion, Explore) {
  for (double maxa : {10.0, 14.0, 18.0, 22.0}) {
    for (auto [p, a] : {std::pair{200e3, 200e3}, {185e3, 400e3}, {250e3, 250e3}}) {
      const FlightResult r = fly(guided(p, a), sample(), {20.0, maxa, {}});
      printf("maxa %g target %g x %g: end %d failure %d orbit %.1f x %.1f prop %.1f steps %ld SC %.0f\n", maxa, p, a,
             int(r.end), int(r.failure), r.orbit.perigee, r.orbit.apogee, r.remaining_propellant, r.steps, r.budget.SC_M);
    }
    const FlightResult d = fly(Vehicle{}, sample(), {20.0, maxa, {}});
    printf("default maxa %g: orbit %.1f x %.1f prop %.1f SC %.0f\n", maxa, d.orbit.perigee, d.orbit.apogee, d.remaining_propellant, d.budget.SC_M);
  }
}

}  // namespace
}  // namespace ascent::testing
