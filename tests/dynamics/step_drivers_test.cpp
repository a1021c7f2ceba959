// The step drivers: a span of time ending exactly on an event, and a climb
// that stops just below an altitude.
#include "dynamics/flight_dynamics.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "dynamics/flight_harness.hpp"
#include "base/runtime_error.hpp"

namespace ascent::testing {
namespace {

/// The length of every step the simulation took, in order.
std::vector<double> step_lengths(const StepRecorder& recorder) {
  std::vector<double> lengths;
  for (const StepRecorder::Step& step : recorder.steps) lengths.push_back(step.state.dt.value());
  return lengths;
}

class StepDrivers : public ::testing::Test {
 protected:
  StepDrivers() {
    h.observer = &recorder;
    set_coast(h.state(), 200000.0, 7000.0, 300.0);
    h.state().t = 50.0;
  }
  FlightHarness h;
  StepRecorder recorder;
  FlightState& s = h.state();
};

TEST_F(StepDrivers, RunForTimeShortensTheLastStep) {
  s.dt = 1.0;
  h.sim.run_for_time(2.5);
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{1.0, 1.0, 0.5}));
  EXPECT_EQ(s.dt.value(), 0.5);
  EXPECT_EQ(s.t.value(), 52.5);
  EXPECT_EQ(h.output_lines().size(), 3u);
}

TEST_F(StepDrivers, RunForTimeOfOneStepOrLessTakesOneStepOfWhatIsLeft) {
  for (const double span : {1.0, 0.3, 0.0, -0.75}) {
    recorder.steps.clear();
    s.t = 50.0;
    s.dt = 1.0;
    h.sim.run_for_time(span);
    EXPECT_EQ(step_lengths(recorder), (std::vector<double>{span}));
    EXPECT_EQ(s.t.value(), 50.0 + span);
    EXPECT_EQ(s.dt.value(), span);
  }
}

TEST_F(StepDrivers, StepsThatCannotEndTheFlightAreRefused) {
  // Steps that are not forward, or lost in the rounding of the span, would
  // never count it down; run_to_altitude needs forward steps to climb.
  for (const auto& [dt, span] : {std::pair{0.0, 5.0}, {-1.0, 5.0}, {1e-12, 1e6}}) {
    s.dt = dt;
    EXPECT_THROW(h.sim.run_for_time(span), RuntimeError) << dt;
    if (dt <= 0.0) {
      EXPECT_THROW((void)h.sim.run_to_altitude(250000.0, span), RuntimeError) << dt;
    }
  }
  EXPECT_TRUE(recorder.steps.empty());
}

TEST_F(StepDrivers, RunToAltitudeStopsBelowTheLimit) {
  s.dt = 1.0;
  // Climbing at 300 m/s: the fourth step crosses 201 km.
  const Real left = h.sim.run_to_altitude(201000.0, 20.0);
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{1.0, 1.0, 1.0, 1.0, -1.0}));
  EXPECT_GT(recorder.steps[3].state.h0.value(), 201000.0);
  EXPECT_LE(recorder.steps[2].state.h0.value(), 201000.0);
  EXPECT_NEAR(s.h0.value(), recorder.steps[2].state.h0.value(), 1e-6);
  EXPECT_EQ(s.t.value(), 53.0);
  EXPECT_EQ(s.dt.value(), -1.0);
  // Four steps forward counted off, the one back given back.
  EXPECT_EQ(left.value(), 20.0 - 4.0 + 1.0);
  const std::vector<std::string> rows = h.output_lines();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3].substr(0, 7), "  54.00");
  EXPECT_EQ(rows[4].substr(0, 7), "  53.00");
}

TEST_F(StepDrivers, RunToAltitudeAboveTheLimitStepsForwardAndBack) {
  s.dt = 0.25;
  const double h0 = s.h0.value();
  const Real left = h.sim.run_to_altitude(150000.0, 3.0);
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{0.25, -0.25}));
  EXPECT_EQ(s.t.value(), 50.0);
  EXPECT_NEAR(s.h0.value(), h0, 1e-6);
  EXPECT_EQ(s.dt.value(), -0.25);
  EXPECT_EQ(left.value(), 3.0);
}

TEST_F(StepDrivers, RunToAltitudeGivesUpOnAPathThatNeverGetsThere) {
  FlightHarness quiet(Output::discard);
  FlightState& q = quiet.state();
  set_coast(q, 200000.0, 7784.0, 0.0);  // a circular orbit never reaches 1000 km
  q.dt = 1.0;
  try {
    (void)quiet.sim.run_to_altitude(1000000.0, 0.0);
    ADD_FAILURE() << "climbed to " << q.h0.value() << " m";
  } catch (const RuntimeError& failure) {
    EXPECT_EQ(failure.code(), static_cast<int>(ErrorCode::range_check));
    EXPECT_NE(std::string(failure.what()).find("1000000.0 m"), std::string::npos) << failure.what();
  }
  EXPECT_EQ(q.t.value(), MAX_CLIMB_STEPS * 1.0);
}

}  // namespace
}  // namespace ascent::testing
