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
  s.t_rem = 2.5;
  s.dt = 1.0;
  h.sim.run_for_time();
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{1.0, 1.0, 0.5}));
  EXPECT_EQ(s.dt.value(), 0.5);
  EXPECT_EQ(s.t_rem.value(), 0.5);
  EXPECT_EQ(s.t.value(), 52.5);
  EXPECT_EQ(h.output_lines().size(), 3u);
}

TEST_F(StepDrivers, RunForTimeOfOneStepOrLessTakesOneStepOfWhatIsLeft) {
  for (const double t_rem : {1.0, 0.3, 0.0, -0.75}) {
    recorder.steps.clear();
    s.t = 50.0;
    s.t_rem = t_rem;
    s.dt = 1.0;
    h.sim.run_for_time();
    EXPECT_EQ(step_lengths(recorder), (std::vector<double>{t_rem}));
    EXPECT_EQ(s.t.value(), 50.0 + t_rem);
    EXPECT_EQ(s.dt.value(), t_rem);
    EXPECT_EQ(s.t_rem.value(), t_rem);
  }
}

TEST_F(StepDrivers, StepsThatCannotEndTheFlightAreRefused) {
  // Steps that are not forward, or lost in the rounding of t_rem, would
  // never count it down; run_to_altitude needs forward steps to climb.
  for (const auto& [dt, t_rem] : {std::pair{0.0, 5.0}, {-1.0, 5.0}, {1e-12, 1e6}}) {
    s.t_rem = t_rem;
    s.dt = dt;
    EXPECT_THROW(h.sim.run_for_time(), RuntimeError) << dt;
    s.h_stop = 250000.0;
    if (dt <= 0.0) {
      EXPECT_THROW(h.sim.run_to_altitude(), RuntimeError) << dt;
    }
  }
  EXPECT_TRUE(recorder.steps.empty());
}

TEST_F(StepDrivers, RunToAltitudeStopsBelowTheLimit) {
  s.h_stop = 201000.0;  // climbing at 300 m/s: the fourth step crosses
  s.dt = 1.0;
  s.t_rem = 20.0;
  h.sim.run_to_altitude();
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{1.0, 1.0, 1.0, 1.0, -1.0}));
  EXPECT_GT(recorder.steps[3].state.h0.value(), 201000.0);
  EXPECT_LE(recorder.steps[2].state.h0.value(), 201000.0);
  EXPECT_NEAR(s.h0.value(), recorder.steps[2].state.h0.value(), 1e-6);
  EXPECT_EQ(s.t.value(), 53.0);
  EXPECT_EQ(s.dt.value(), -1.0);
  // Four steps forward counted off, the one back given back.
  EXPECT_EQ(s.t_rem.value(), 20.0 - 4.0 + 1.0);
  const std::vector<std::string> rows = h.output_lines();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[3].substr(0, 7), "  54.00");
  EXPECT_EQ(rows[4].substr(0, 7), "  53.00");
}

TEST_F(StepDrivers, RunToAltitudeAboveTheLimitStepsForwardAndBack) {
  s.h_stop = 150000.0;
  s.dt = 0.25;
  s.t_rem = 3.0;
  const double h0 = s.h0.value();
  h.sim.run_to_altitude();
  EXPECT_EQ(step_lengths(recorder), (std::vector<double>{0.25, -0.25}));
  EXPECT_EQ(s.t.value(), 50.0);
  EXPECT_NEAR(s.h0.value(), h0, 1e-6);
  EXPECT_EQ(s.dt.value(), -0.25);
  EXPECT_EQ(s.t_rem.value(), 3.0);
}

TEST_F(StepDrivers, RunToAltitudeGivesUpOnAPathThatNeverGetsThere) {
  FlightHarness quiet(Output::discard);
  FlightState& q = quiet.state();
  set_coast(q, 200000.0, 7784.0, 0.0);  // a circular orbit never reaches 1000 km
  q.h_stop = 1000000.0;
  q.dt = 1.0;
  q.t_rem = 0.0;
  try {
    quiet.sim.run_to_altitude();
    ADD_FAILURE() << "climbed to " << q.h0.value() << " m";
  } catch (const RuntimeError& failure) {
    EXPECT_EQ(failure.code(), static_cast<int>(ErrorCode::range_check));
    EXPECT_NE(std::string(failure.what()).find("1000000.0 m"), std::string::npos) << failure.what();
  }
  EXPECT_EQ(q.t.value(), MAX_CLIMB_STEPS * 1.0);
  EXPECT_EQ(q.t_rem.value(), -MAX_CLIMB_STEPS * 1.0);
}

}  // namespace
}  // namespace ascent::testing
