// Whole flights on the sample booster thrust file: the order of the events
// and the rows between them, the steps that land on events, and the physics
// that each burn must obey.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "flight_recorder.hpp"
#include "mission/flight.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

const Vehicle V;

/// An extended-precision value as a double, for comparisons.
double d(Extended x) { return static_cast<double>(x); }

/// One flight of the README example (turn time 20 s, 18 degrees), recorded
/// through the library and flown in the dialogue.
class ExampleFlight : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    install_sample_thrust_file(*dir_);
    result_ = new FlightResult(
        fly(V, ThrustHistory::read(dir_->path() / "s1.dat"), {20.0, 18.0, {}}, &recorder_));
    const SessionResult session = run_in_process(*dir_, "\n20\n18\n-1\n");
    status_ = session.status;
    output_ = session.standard_output;
  }
  static void TearDownTestSuite() {
    delete result_;
    delete dir_;
  }

  /// Output lines without their CR LF.
  static std::vector<std::string> lines() {
    std::vector<std::string> out;
    std::istringstream in(output_);
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      out.push_back(line);
    }
    return out;
  }

  static const FlightRecorder& recorder() { return recorder_; }
  static inline TempDir* dir_ = nullptr;
  static inline FlightResult* result_ = nullptr;
  static inline FlightRecorder recorder_;
  static inline int status_ = -1;
  static inline std::string output_;
};

/// Step lengths of the steps between two events (event indices), in order.
std::vector<double> step_lengths(const FlightRecorder& r, int from_event, int to_event) {
  std::vector<double> out;
  const std::size_t first = r.steps_before_event.at(static_cast<std::size_t>(from_event));
  const std::size_t last = r.steps_before_event.at(static_cast<std::size_t>(to_event));
  for (std::size_t i = first; i < last; ++i) out.push_back(r.steps[i].state.dt.value());
  return out;
}

TEST_F(ExampleFlight, EndsNormallyWithEveryEventInOrder) {
  ASSERT_EQ(status_, 0) << output_;
  const std::vector<std::string> expected = {
      "Pitch over!",           "End turn.",
      "Booster seperation! Residual booster propellant = ", "PLF Jettison!",
      "Core Engine Cutoff!",   "Core Separation! Vacuum and zero gravity delta-V = ",
      "Upper Stage Ignition!", "Upper Stage Mainstage!",
      "Upper Stage Engine Cutoff!", "Upper Stage Separation!"};
  ASSERT_EQ(recorder().events.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(recorder().events[i].rfind(expected[i], 0), 0u) << recorder().events[i];
  }
}

TEST_F(ExampleFlight, PadRowComesFirstUnderTheHeader) {
  const auto all = lines();
  // The prompt ends with the header's empty line; three more header lines, then
  // the pad row behind the turn-time prompt.
  ASSERT_GT(all.size(), 6u);
  EXPECT_EQ(all[4], "Turn time (s)?    0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2707388.0");
}

TEST_F(ExampleFlight, BoosterPhaseStepsLandOnRecordTimesAndSeparationAt128_4) {
  const FlightRecorder& r = recorder();
  const int sep = r.event("Booster seperation!");
  EXPECT_NEAR(r.step_before(sep).state.t.value(), 128.4, 1e-9);
  // With records at whole seconds the last booster step is 0.4 s and the core's first 0.6 s.
  EXPECT_NEAR(r.step_before(sep).state.dt.value(), 0.4, 1e-9);
  EXPECT_NEAR(r.step_after(sep).state.dt.value(), 0.6, 1e-9);
  // The kick and the recovery each last one second and the hold the turn time.
  const int pitch_over = r.event("Pitch over!");
  const int end_turn = r.event("End turn.");
  const double t_po = r.step_before(pitch_over).state.t.value();
  EXPECT_NEAR(r.step_before(end_turn).state.t.value(), t_po + 2 + 20, 1e-9);
  EXPECT_NEAR(r.step_after(end_turn).state.pitch.value(), 0.0, 1e-15);
  // The pitch-over point lies on the hundredth grid of the interval, just below 110 m.
  EXPECT_LE(r.step_before(pitch_over).state.h0.value(), V.pitch_program.pitch_over_altitude);
  EXPECT_GT(r.step_before(pitch_over).state.h0.value(), V.pitch_program.pitch_over_altitude - 4.0);
}

TEST_F(ExampleFlight, CorePhaseJettisonsAt330AndTailsOffInTwoSteps) {
  const FlightRecorder& r = recorder();
  const int plf = r.event("PLF Jettison!");
  EXPECT_NEAR(r.step_before(plf).state.t.value(), 330.0, 1e-9);
  const std::vector<double> tail_off = step_lengths(r, r.event("PLF Jettison!"), r.event("Core Engine Cutoff!"));
  ASSERT_GE(tail_off.size(), 2u);
  EXPECT_DOUBLE_EQ(tail_off[tail_off.size() - 2], 1.0);
  EXPECT_NEAR(tail_off.back(), 0.17728638856854584, 1e-12);
  // The coast to separation is one step of 0.76 s with no back-pressure loss.
  const std::vector<double> coast = step_lengths(r, r.event("Core Engine Cutoff!"), r.event("Core Separation!"));
  ASSERT_EQ(coast.size(), 1u);
  EXPECT_DOUBLE_EQ(coast[0], 0.76);
  EXPECT_NEAR(r.step_before(r.event("Core Separation!")).state.a.value(), 0.0, 1e-6);
}

TEST_F(ExampleFlight, UpperStageRowsFollowTheirEventsInOrder) {
  const FlightRecorder& r = recorder();
  const std::vector<double> before_ignition = step_lengths(r, r.event("Core Separation!"), r.event("Upper Stage Ignition!"));
  EXPECT_EQ(before_ignition.size(), 5u);  // 0.2 s coast, then ullage 1, 1, 1, 0.2
  const std::vector<double> expected = {0.2, 1, 1, 1, 0.2};
  for (std::size_t i = 0; i < before_ignition.size(); ++i) {
    EXPECT_NEAR(before_ignition[i], expected[i], 1e-12) << i;
  }
  const std::vector<double> ramp = step_lengths(r, r.event("Upper Stage Ignition!"), r.event("Upper Stage Mainstage!"));
  ASSERT_EQ(ramp.size(), 3u);
  EXPECT_NEAR(ramp[2], 0.6, 1e-12);

  const std::vector<double> mainstage = step_lengths(r, r.event("Upper Stage Mainstage!"), r.event("Upper Stage Engine Cutoff!"));
  ASSERT_GE(mainstage.size(), 5u);
  // The alignment step ends on a whole second; then whole seconds, a step
  // back of one second, and the last partial step.
  const int mainstage_event = r.event("Upper Stage Mainstage!");
  const double aligned = r.step_after(mainstage_event).state.t.value();
  EXPECT_NEAR(aligned, std::round(aligned), 1e-9);
  EXPECT_DOUBLE_EQ(mainstage[mainstage.size() - 2], -1.0);
  EXPECT_GT(mainstage.back(), 0.0);
  EXPECT_LT(mainstage.back(), 1.0);
  const std::size_t first = r.steps_before_event[static_cast<std::size_t>(mainstage_event)];
  const std::size_t cutoff = r.steps_before_event[static_cast<std::size_t>(r.event("Upper Stage Engine Cutoff!"))];
  // Only the step that crosses orbit speed is above it before the step back.
  EXPECT_GT(r.steps[cutoff - 3].state.vi.value(), V.orbit_speed().value());
  EXPECT_LT(r.steps[cutoff - 4].state.vi.value(), V.orbit_speed().value());
  EXPECT_LT(r.steps[cutoff - 2].state.vi.value(), V.orbit_speed().value());
  EXPECT_NEAR(r.steps[cutoff - 1].state.vi.value(), V.orbit_speed().value(), 1.0);
  for (std::size_t i = first + 1; i < cutoff - 2; ++i) EXPECT_DOUBLE_EQ(r.steps[i].state.dt.value(), 1.0) << i;

  const std::vector<double> coast = step_lengths(r, r.event("Upper Stage Engine Cutoff!"), r.event("Upper Stage Separation!"));
  ASSERT_EQ(coast.size(), 3u);
  EXPECT_NEAR(coast[2], 0.9, 1e-12);
}

TEST_F(ExampleFlight, EachConstantThrustBurnGainsWhatTheRocketEquationGives) {
  const FlightRecorder& r = recorder();
  struct Burn {
    const char* from;
    const char* to;
    Real exhaust_velocity;
  };
  // Core from the end of its first step to the fairing jettison (no mass
  // change at an event inside), ullage alone, and the mainstage to cutoff.
  for (const Burn& burn : {Burn{"Booster seperation!", "PLF Jettison!", V.core.exhaust_velocity},
                           Burn{"Upper Stage Mainstage!", "Upper Stage Engine Cutoff!", V.upper_stage.exhaust_velocity}}) {
    const FlightState& start = r.step_after(r.event(burn.from)).state;
    const FlightState& end = r.step_before(r.event(burn.to)).state;
    const double ideal = burn.exhaust_velocity.value() * std::log(start.mass().value() / end.mass().value());
    EXPECT_NEAR(d(end.dV - start.dV), ideal, 1e-6 * ideal) << burn.from;
  }
  const std::size_t coast = r.steps_before_event[static_cast<std::size_t>(r.event("Core Separation!"))];
  const FlightState& before_ullage = r.steps[coast].state;  // after the 0.2 s coast step
  const FlightState& ullage_end = r.step_before(r.event("Upper Stage Ignition!")).state;
  const double ullage_ideal = V.ullage.exhaust_velocity * std::log(before_ullage.mass().value() / ullage_end.mass().value());
  EXPECT_NEAR(d(ullage_end.dV - before_ullage.dV), ullage_ideal, 1e-6 * ullage_ideal);
}

TEST_F(ExampleFlight, UpperStageMassOnlyChangesByWhatBurns) {
  const FlightRecorder& r = recorder();
  const std::size_t coast = r.steps_before_event[static_cast<std::size_t>(r.event("Core Separation!"))];
  // After separation the stage weighs the stage-3 stack less the fairing and 3752 kg.
  EXPECT_DOUBLE_EQ(r.steps[coast].state.mass().value(), 174000.0 - 9707.0 - 3752.0);
  // Moving the ullage and main propellant into m_prop leaves the dry part.
  const FlightState& end = r.steps.back().state;
  EXPECT_NEAR(end.stage.m_fixed.value(),
              174000.0 - 9707.0 - 3752.0 - V.ullage_propellant().value() - V.upper_stage.propellant_load, 1e-9);
  // Between consecutive steps the mass falls by no more than the burn allows.
  for (std::size_t i = coast + 1; i < r.steps.size(); ++i) {
    const double burned = d(r.steps[i - 1].state.mass() - r.steps[i].state.mass());
    const double dt = r.steps[i].state.dt.value();
    EXPECT_LE(std::fabs(burned), V.upper_stage.thrust / V.upper_stage.exhaust_velocity * std::fabs(dt) + 4.0 * std::fabs(dt)) << i;
  }
}

TEST_F(ExampleFlight, ResultAgreesWithTheFinalState) {
  const FlightResult& r = *result_;
  const FlightState& s = recorder().steps.back().state;
  ASSERT_TRUE(r.in_orbit());
  EXPECT_DOUBLE_EQ(r.orbit.average_altitude, d((s.apogee + s.perigee) / 2.0L));
  EXPECT_DOUBLE_EQ(r.remaining_propellant, s.m_prop.value());
  EXPECT_EQ(r.steps, static_cast<long>(recorder().steps.size()));
  // The example answers reach an orbit with propellant to spare.
  EXPECT_NEAR(r.orbit.average_altitude, 200000.0, 2000.0);
  EXPECT_GT(r.remaining_propellant, 0.0);
  EXPECT_DOUBLE_EQ(r.budget.S3_Mt, 174000.0);
  // The loads are the flight's own; the console shows them only with an output file.
  EXPECT_GT(r.maxima.dynamic_pressure, 20000.0);
  EXPECT_EQ(output_.find("Maximum dynamic pressure"), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
