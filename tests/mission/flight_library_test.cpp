// The flight library as its clients use it: flights on many threads at once,
// the observer's view of a flight, the plan's callback, early ends, and a
// thrust history read once and met only where the flight needs it.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "mission/flight.hpp"
#include "mission/sample_thrust.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

TEST(FlightLibrary, FlightsOnManyThreadsAreThoseFlownOneByOne) {
  const Vehicle vehicle;
  const std::vector<FlightPlan> plans = {{12, 15, {}}, {20, 18, {}}, {27, 19, {}}, {40, 21, {}}};
  std::vector<FlightResult> alone;
  for (const FlightPlan& plan : plans) alone.push_back(fly(vehicle, sample(), plan));
  std::vector<FlightResult> together(plans.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    threads.emplace_back([&, i] { together[i] = fly(vehicle, sample(), plans[i]); });
  }
  for (std::thread& t : threads) t.join();
  for (std::size_t i = 0; i < plans.size(); ++i) {
    EXPECT_EQ(together[i].steps, alone[i].steps) << i;
    EXPECT_EQ(together[i].orbit.perigee, alone[i].orbit.perigee) << i;
    EXPECT_EQ(together[i].budget.SC_M, alone[i].budget.SC_M) << i;
  }
}

/// What an observer is told, in order.
struct Journal : FlightObserver {
  void on_step(const FlightState& state, const StepQuantities&) override {
    ++steps;
    step_mass = state.mass().value();
  }
  void on_event(const FlightEvent& event, const FlightState& state) override {
    kinds.push_back(event.kind);
    times.push_back(state.t.value());
    masses_after_step.push_back(step_mass);
  }
  long steps = 0;
  double step_mass = 0.0;
  std::vector<FlightEventKind> kinds;
  std::vector<double> times;
  std::vector<double> masses_after_step;  ///< of the step that landed on each event
};

TEST(FlightLibrary, TheObserverSeesEveryStepAndTheEventsInOrder) {
  Journal journal;
  int asked = 0;
  double asked_after = 0.0;
  FlightPlan plan{20.0, 0.0, [&] {
                    ++asked;
                    asked_after = journal.times.back();
                    return 18.0;
                  }};
  const FlightResult result = fly(Vehicle{}, sample(), plan, &journal);
  using K = FlightEventKind;
  const std::vector<K> expected = {
      K::on_pad, K::liftoff, K::pitch_over, K::end_of_turn, K::booster_separation,
      K::fairing_jettison, K::core_cutoff, K::core_separation, K::upper_stage_ignition,
      K::upper_stage_mainstage, K::upper_stage_cutoff, K::upper_stage_separation};
  EXPECT_EQ(journal.kinds, expected);
  EXPECT_EQ(journal.steps, result.steps);
  ASSERT_EQ(result.events.size(), expected.size());
  EXPECT_EQ(result.events[4].state.t.value(), journal.times[4]);
  // Each event after liftoff holds the mass of the step that landed on it:
  // what a stage drops goes after its event.
  for (std::size_t i = 2; i < expected.size(); ++i) {
    EXPECT_EQ(result.events[i].state.mass().value(), journal.masses_after_step[i]) << i;
  }
  // The angle is asked once, at booster separation, and flown.
  EXPECT_EQ(asked, 1);
  EXPECT_NEAR(asked_after, 128.4, 1e-9);
  EXPECT_EQ(result.maxa, fly(Vehicle{}, sample(), {20.0, 18.0, {}}).maxa);
  EXPECT_TRUE(result.in_orbit());
}

TEST(FlightLibrary, EarlyEndsComeBackInTheResult) {
  const FlightResult too_long = fly(Vehicle{}, sample(), {150.0, 18.0, {}});
  EXPECT_EQ(too_long.end, FlightEnd::turn_too_long);
  EXPECT_FALSE(too_long.maxa_flown);
  EXPECT_GT(too_long.recovery_end, 128.4);
  EXPECT_FALSE(too_long.in_orbit());

  const FlightResult no_angle = fly(Vehicle{}, sample(), {20.0, 0.0, {}});
  EXPECT_EQ(no_angle.end, FlightEnd::cannot_reach_orbit);
  EXPECT_NE(no_angle.failure, OrbitFailure::none);
  EXPECT_TRUE(no_angle.maxa_flown);

  EXPECT_THROW((void)fly(Vehicle{}, sample(), {0.5, 18.0, {}}), InputError);
}

TEST(FlightLibrary, EveryFlightHasOneOutcome) {
  EXPECT_EQ(fly(Vehicle{}, sample(), {20.0, 18.0, {}}).outcome, Outcome::in_orbit);
  EXPECT_EQ(fly(Vehicle{}, sample(), {150.0, 18.0, {}}).outcome, Outcome::turn_too_long);
  EXPECT_EQ(fly(Vehicle{}, sample(), {20.0, 0.0, {}}).outcome, Outcome::cannot_reach_orbit);
  // Separated, but the upper stage burned more propellant than it holds.
  const FlightResult dry = fly(Vehicle{}, sample(), {10.0, 14.549857, {}});
  EXPECT_LT(dry.remaining_propellant, 0.0);
  EXPECT_EQ(dry.outcome, Outcome::short_of_propellant);
  // Separated on an orbit through the ground.
  const FlightResult low = fly(Vehicle{}, sample(), {20.0, 15.0, {}});
  EXPECT_LT(low.orbit.perigee, 0.0);
  EXPECT_EQ(low.outcome, Outcome::perigee_below_minimum);
  EXPECT_FALSE(low.in_orbit());
  // The deck's minimum perigee decides: the 20 s flight's is about 140 km.
  Vehicle demanding;
  demanding.target.minimum_perigee = 150000.0;
  const FlightResult above = fly(demanding, sample(), {20.0, 17.959326, {}});
  EXPECT_NEAR(above.orbit.perigee, 140174.0, 1.0);
  EXPECT_EQ(above.outcome, Outcome::perigee_below_minimum);
  demanding.target.minimum_perigee = 140000.0;
  EXPECT_TRUE(fly(demanding, sample(), {20.0, 17.959326, {}}).in_orbit());

  // A budget whose booked propellant outweighs the payload leaves none: not in orbit.
  Vehicle overbooked;
  overbooked.upper_stage.ullage_and_rcs_propellant = 2e5;
  const FlightResult no_payload = fly(overbooked, sample(), {20.0, 17.959326, {}});
  EXPECT_GE(no_payload.remaining_propellant, 0.0);
  EXPECT_LT(no_payload.budget.SC_M, 0.0);
  EXPECT_EQ(no_payload.outcome, Outcome::short_of_propellant);
}

TEST(FlightOutcome, PropellantFirstThenThePerigeeAndOneWordEach) {
  EXPECT_EQ(separated_outcome(-1.0, 0.0, -5.0, 100.0), Outcome::short_of_propellant);
  EXPECT_EQ(separated_outcome(0.0, -1.0, 1e5, 100.0), Outcome::short_of_propellant);  // no payload
  EXPECT_EQ(separated_outcome(0.0, 0.0, 100.0, 100.0), Outcome::in_orbit);
  EXPECT_EQ(separated_outcome(0.0, 0.0, 99.0, 100.0), Outcome::perigee_below_minimum);
  EXPECT_EQ(separated_outcome(0.0, 0.0, 0.0, 0.0), Outcome::perigee_below_minimum);  // at the surface
  EXPECT_EQ(separated_outcome(0.0, 0.0, NAN, 0.0), Outcome::perigee_below_minimum);
  EXPECT_EQ(separated_outcome(NAN, 0.0, 1e5, 0.0), Outcome::short_of_propellant);
  EXPECT_EQ(separated_outcome(0.0, NAN, 1e5, 0.0), Outcome::short_of_propellant);
  std::set<std::string_view> words;
  for (std::size_t i = 0; i < OUTCOME_COUNT; ++i) {
    const auto outcome = static_cast<Outcome>(i);
    words.insert(outcome_name(outcome));
    EXPECT_EQ(outcome_named(outcome_name(outcome)), outcome);
  }
  EXPECT_EQ(words.size(), OUTCOME_COUNT);
  EXPECT_EQ(outcome_name(Outcome::over_load_limit), "over_load_limit");
  EXPECT_EQ(outcome_named("trimmed"), std::nullopt);
}

TEST(FlightLibrary, AThrustHistoryIsMetOnlyAsFarAsTheFlightNeedsIt) {
  TempDir dir;
  // Anything after the records a flight uses is never read by it.
  dir.write("long.dat", sample_thrust_file() + "200 garbage\n");
  const ThrustHistory long_file = ThrustHistory::read(dir.path() / "long.dat");
  EXPECT_EQ(long_file.records().size(), sample().records().size());
  EXPECT_EQ(fly(Vehicle{}, long_file, {20.0, 18.0, {}}).budget.SC_M,
            fly(Vehicle{}, sample(), {20.0, 18.0, {}}).budget.SC_M);
  // A history that ends before booster separation fails where it ends.
  const std::vector<ThrustRecord> first(sample().records().begin(), sample().records().begin() + 60);
  const ThrustHistory cut = ThrustHistory::from_records(first, "cut");
  try {
    (void)fly(Vehicle{}, cut, {20.0, 18.0, {}});
    ADD_FAILURE() << "a cut history was flown";
  } catch (const RuntimeError& failure) {
    EXPECT_EQ(failure.code(), 100);
    EXPECT_NE(std::string(failure.what()).find("\"cut\" ends after record 60"), std::string::npos)
        << failure.what();
  }
}

}  // namespace
}  // namespace ascent::testing
