// Flights continued from booster separation are the flights flown whole.
#include "mission/flight_at_separation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "mission/sample_thrust.hpp"

namespace ascent::testing {
namespace {

/// The calls an observer receives, in order.
struct CallLog : FlightObserver {
  void on_step(const FlightState& state, const StepQuantities& derived) override {
    calls.push_back({-1, state.t.value(), derived.T.value()});
  }
  void on_event(const FlightEvent& event, const FlightState& state) override {
    calls.push_back(
        {static_cast<int>(event.kind), state.t.value(), static_cast<double>(event.value)});
  }
  struct Call {
    int kind;  ///< -1 for a step
    double t, value;
    bool operator==(const Call&) const = default;
  };
  std::vector<Call> calls;
};

TEST(FlightAtSeparation, ContinuedFlightsAreTheWholeFlightsToTheLastBit) {
  const Vehicle vehicle;
  std::set<Outcome> outcomes;
  for (const auto& [turn_time, aero] : std::vector<std::pair<double, AeroScales>>{
           {10.0, {}}, {20.0, {}}, {27.5, {1.1, 0.95}}, {150.0, {}}}) {
    const FlightAtSeparation at_separation(vehicle, sample(), turn_time, aero);
    for (const double maxa : {0.0, 14.549857, 15.0, 17.959326, 25.0, HUGE_VAL}) {
      const FlightPlan plan{turn_time, maxa, {}, aero};
      const FlightResult whole = fly(vehicle, sample(), plan);
      EXPECT_EQ(at_separation.fly_on(maxa), whole) << turn_time << " s, " << maxa << " deg";
      outcomes.insert(whole.outcome);
    }
    // A second flight from the same separation is not changed by the first.
    EXPECT_EQ(at_separation.fly_on(18.0), fly(vehicle, sample(), {turn_time, 18.0, {}, aero}));
  }
  // The flights end in orbit, in the booster phase and after it.
  EXPECT_TRUE(outcomes.count(Outcome::in_orbit) && outcomes.count(Outcome::turn_too_long) &&
              outcomes.count(Outcome::cannot_reach_orbit) &&
              outcomes.count(Outcome::short_of_propellant));
}

TEST(FlightAtSeparation, AnObserverIsToldWhatAWholeFlightTellsIt) {
  const Vehicle vehicle;
  const FlightAtSeparation at_separation(vehicle, sample(), 20.0);
  CallLog continued;
  CallLog whole;
  EXPECT_EQ(at_separation.fly_on(18.0, &continued),
            fly(vehicle, sample(), {20.0, 18.0, {}}, &whole));
  EXPECT_GT(whole.calls.size(), 100U);
  EXPECT_EQ(continued.calls, whole.calls);
}

TEST(FlightAtSeparation, FailuresAreThoseOfTheWholeFlight) {
  const std::vector<ThrustRecord> first(sample().records().begin(),
                                        sample().records().begin() + 60);
  const ThrustHistory cut = ThrustHistory::from_records(first, "cut");
  const Vehicle vehicle;
  const FlightAtSeparation at_separation(vehicle, cut, 20.0);
  const auto failure = [](const auto& flight) -> std::string {
    try {
      (void)flight();
    } catch (const FlightError& error) {
      return std::to_string(error.code()) + " " + error.what();
    }
    return "flown";
  };
  const std::string whole = failure([&] { return fly(vehicle, cut, {20.0, 18.0, {}}); });
  EXPECT_NE(whole, "flown");
  EXPECT_EQ(failure([&] { return at_separation.fly_on(18.0); }), whole);
  EXPECT_EQ(failure([&] { return at_separation.fly_on(25.0); }), whole);

  EXPECT_THROW(FlightAtSeparation(vehicle, sample(), 0.5), InputError);
  EXPECT_THROW(FlightAtSeparation(vehicle, sample(), 20.0, {-1.0, 1.0}), InputError);
  EXPECT_THROW((void)FlightAtSeparation(vehicle, sample(), 20.0).fly_on(NAN), InputError);
}

}  // namespace
}  // namespace ascent::testing
