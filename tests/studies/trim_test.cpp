// The trim: its answer flown by the interactive program, the program's
// secant as its first step, and the safeguards where the secant fails.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/runtime_error.hpp"
#include "console/session.hpp"
#include "studies/flight_runner.hpp"
#include "trim/run_files.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

using studies::TrimStatus;
using studies::typed_number;

/// Keeps the state after the last step of a session.
struct LastStep : FlightObserver {
  void on_step(const FlightState& state, const StepQuantities&) override { last = state; }
  FlightState last;
};

TEST(Trim, ItsAngleTypedIntoAscentGivesTheTargetOrbit) {
  const studies::TrimResult& r = trimmed_at_20s();
  ASSERT_TRUE(r.trimmed()) << r.message;
  EXPECT_EQ(r.turn_time.text, "20");

  TempDir dir;
  install_sample_thrust_file(dir);
  ScriptedSession typed(dir, "\n20\n" + r.maxa.text + "\n-1\n");
  LastStep last;
  typed.session().observer = &last;
  ASSERT_EQ(typed.run(), 0);
  const FlightState& s = last.last;
  // The same flight, not merely a close one.
  EXPECT_EQ(s.m_prop.value(), r.flight.remaining_propellant);
  EXPECT_EQ(s.perigee.value(), r.flight.perigee);
  EXPECT_EQ(s.apogee.value(), r.flight.apogee);
  EXPECT_NEAR(r.flight.average_altitude, 200000.0, 10.0);
  char sc_m[64];
  std::snprintf(sc_m, sizeof sc_m, "  SC_M    = %7.0f;", r.flight.SC_M);
  EXPECT_NE(typed.standard_output().find(sc_m), std::string::npos) << sc_m;
}

TEST(Trim, RunFilesAreThoseOfTheBuiltProgram) {
  const studies::TrimResult& r = trimmed_at_20s();
  ASSERT_TRUE(r.trimmed());
  TempDir by_ascent;
  install_sample_thrust_file(by_ascent);
  const SessionResult session = run_program(by_ascent, "run.txt\n20\n" + r.maxa.text + "\n-1\n");
  ASSERT_EQ(session.status, 0);

  TempDir by_tool;
  ASSERT_EQ(trim::write_run_files(Vehicle{}, sample_thrust_path(), r.turn_time, r.maxa,
                                  by_tool.path(), "run.txt", stderr),
            0);
  for (const char* name :
       {"run.txt", "speed.dat", "height.dat", "accel.dat", "dynpres.dat", "const_n.hpp"}) {
    const std::string expected = by_ascent.read(name);
    EXPECT_FALSE(expected.empty()) << name;
    EXPECT_EQ(by_tool.read(name), expected) << name;
  }
}

TEST(Trim, StartsWithTheProgramsRecommendedAngle) {
  const studies::TrimResult& r = trimmed_at_20s();
  ASSERT_GE(r.flights.size(), 2u);
  const studies::FlightOutcome& first = r.flights[0].outcome;
  ASSERT_TRUE(first.above_surface);
  EXPECT_EQ(r.flights[0].maxa.value, 20.0);
  EXPECT_NEAR(r.flights[1].maxa.value, first.recommended_maxa, 0.5e-6);
  // The answer is the last flight, and only it is within the tolerance.
  EXPECT_EQ(r.maxa.text, r.flights.back().maxa.text);
  for (std::size_t i = 0; i + 1 < r.flights.size(); ++i) {
    const studies::FlightOutcome& f = r.flights[i].outcome;
    EXPECT_FALSE(f.above_surface && std::abs(f.average_altitude - 200000.0) <= 10.0) << i;
  }
}

TEST(TrimSafeguards, ConvergeFromAnAngleWithNoOrbitAndFromThePlateau) {
  const studies::TrimResult& reference = trimmed_at_20s();
  for (const double start : {1.0, 90.0}) {
    studies::TrimSettings settings = sample_settings();
    settings.start_maxa = start;
    const studies::TrimResult r = studies::trim_turn_time(settings, *typed_number("20"));
    ASSERT_TRUE(r.trimmed()) << start << ": " << r.message;
    EXPECT_NEAR(r.flight.average_altitude, 200000.0, 10.0) << start;
    EXPECT_NEAR(r.maxa.value, reference.maxa.value, 0.01) << start;
  }
}

TEST(TrimSafeguards, ReportWhatNoAngleCanDo) {
  TempDir dir;
  studies::TrimSettings weak = sample_settings();
  weak.thrust = ThrustHistory::read(scaled_thrust_file(dir, 0.9));
  const studies::TrimResult low = studies::trim_turn_time(weak, *typed_number("20"));
  EXPECT_EQ(low.status, TrimStatus::out_of_reach);
  EXPECT_NE(low.message.find("no orbit"), std::string::npos) << low.message;
  EXPECT_EQ(low.flights.back().maxa.value, 90.0);

  studies::TrimSettings strong = sample_settings();
  strong.thrust = ThrustHistory::read(scaled_thrust_file(dir, 1.1));
  const studies::TrimResult high = studies::trim_turn_time(strong, *typed_number("1"));
  EXPECT_EQ(high.status, TrimStatus::out_of_reach);
  EXPECT_NE(high.message.find("exceeds"), std::string::npos) << high.message;
  EXPECT_GT(high.flight.average_altitude, 200000.0);
}

TEST(TrimSafeguards, AToleranceFinerThanTheAngleStepEndsAtTheJump) {
  studies::TrimSettings settings = sample_settings();
  settings.tolerance = 1e-4;
  const studies::TrimResult r = studies::trim_turn_time(settings, *typed_number("20"));
  ASSERT_EQ(r.status, TrimStatus::not_converged);
  EXPECT_NE(r.message.find("jumps across"), std::string::npos) << r.message;
  // The closest flight is reported, within a millionth of a degree of the jump.
  EXPECT_TRUE(r.flight.above_surface);
  EXPECT_NEAR(r.flight.average_altitude, 200000.0, 10.0);
  EXPECT_LT(r.flights.size(), static_cast<std::size_t>(settings.max_flights));
}

TEST(TrimSafeguards, TurnTimesTheProgramRefusesAndTheFlightLimit) {
  const studies::TrimResult too_long =
      studies::trim_turn_time(sample_settings(), *typed_number("121"));
  EXPECT_EQ(too_long.status, TrimStatus::turn_time_rejected);
  EXPECT_EQ(too_long.flights.size(), 1u);
  EXPECT_TRUE(too_long.message.starts_with("Turn time too long")) << too_long.message;

  const studies::TrimResult too_short =
      studies::trim_turn_time(sample_settings(), *typed_number("0.5"));
  EXPECT_EQ(too_short.status, TrimStatus::turn_time_rejected);
  EXPECT_TRUE(too_short.flights.empty());

  studies::TrimSettings settings = sample_settings();
  settings.max_flights = 2;
  const studies::TrimResult stopped = studies::trim_turn_time(settings, *typed_number("20"));
  EXPECT_EQ(stopped.status, TrimStatus::not_converged);
  EXPECT_EQ(stopped.flights.size(), 2u);
}

TEST(TrimSafeguards, AThrustFileThatCannotBeFlownIsThrown) {
  studies::TrimSettings settings = sample_settings();
  settings.thrust = cut_thrust_history(50);
  EXPECT_THROW(studies::trim_turn_time(settings, *typed_number("20")), RuntimeError);
}

TEST(TypedNumber, TextAndValueAgreeWithTheProgramsGrammar) {
  EXPECT_EQ(typed_number(10.0 + 3 * 0.1, 6).text, "10.3");
  EXPECT_EQ(typed_number(10.0 + 3 * 0.1, 6).value, std::strtod("10.3", nullptr));
  EXPECT_EQ(typed_number(17.5, 6).text, "17.5");
  EXPECT_EQ(typed_number(20.0, 6).text, "20");
  EXPECT_EQ(typed_number(-0.0000001, 6).text, "0");
  EXPECT_FALSE(typed_number("12abc"));
  EXPECT_FALSE(typed_number("nan"));
}

}  // namespace
}  // namespace ascent::testing
