// Orbit targeting through the library and the command line: the core stage
// at the trimmed angle by default, the target orbit reached, the same orbit
// from ascent-trim target, and targets that cannot be flown refused.
#include "studies/target.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

#include "deck/vehicle_deck.hpp"
#include "studies/flight_recorder.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {

using studies::row_status_name;
using studies::RowStatus;

namespace {

studies::TargetRequest request_at_20(std::optional<double> perigee, std::optional<double> apogee) {
  return {sample_settings(), *studies::typed_number("20"), std::nullopt, perigee, apogee};
}

TEST(Target, TheCoreFliesTheTrimmedAngleAndTheStageReachesTheTarget) {
  for (const auto& [perigee, apogee] : {std::pair{200e3, 200e3}, {185e3, 400e3}}) {
    // The core flies as the default law trims it to the insertion altitude.
    studies::TrimSettings aimed = sample_settings();
    aimed.vehicle.target.altitude = perigee;
    const studies::TrimResult trimmed =
        studies::trim_turn_time(aimed, *studies::typed_number("20"));
    const studies::TargetResult r = studies::fly_to_target(request_at_20(perigee, apogee));
    EXPECT_TRUE(r.maxa_trimmed);
    EXPECT_EQ(r.maxa.value, trimmed.maxa.value);
    EXPECT_EQ(r.flights, static_cast<int>(trimmed.flights.size()) + 1);
    ASSERT_TRUE(r.reached_orbit()) << r.reason;
    EXPECT_NEAR(r.flight.orbit.perigee, perigee, 500.0);
    EXPECT_NEAR(r.flight.orbit.apogee, apogee, 500.0);
    EXPECT_EQ(r.status, r.flight.remaining_propellant < 0.0 ? RowStatus::short_of_propellant
                                                             : RowStatus::in_orbit);
  }
}

TEST(Target, AnImpossibleTargetIsRefusedAndOneOutOfReachSaysWhy) {
  EXPECT_THROW((void)studies::fly_to_target(request_at_20(300e3, 200e3)), InputError);
  EXPECT_THROW((void)studies::fly_to_target(request_at_20(90e3, 200e3)), InputError);
  EXPECT_THROW((void)studies::fly_to_target(request_at_20(200e3, std::nullopt)), InputError);
  studies::TargetRequest far = request_at_20(900e3, 1000e3);
  far.maxa = *studies::typed_number("18");
  const studies::TargetResult r = studies::fly_to_target(far);
  EXPECT_EQ(r.status, RowStatus::cannot_reach_orbit);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(r.flights, 1);
}

TEST(Target, TheCommandLineGivesTheLibrarysOrbit) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE
                              "' --csv target -t 20 --maxa 18 --perigee 185000 --apogee 400000"
                              " > out.txt";
  // The orbit is reached with more propellant than the stage holds: not feasible, status 1.
  ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  studies::TargetRequest request = request_at_20(185e3, 400e3);
  request.maxa = *studies::typed_number("18");
  const studies::TargetResult r = studies::fly_to_target(request);
  char expected[160];
  std::snprintf(expected, sizeof expected, "20,18,no,185000.000,400000.000,%.3f,%.3f,%.1f,%.0f,%d,%s,",
                r.flight.orbit.perigee, r.flight.orbit.apogee, r.flight.remaining_propellant,
                r.flight.budget.SC_M, r.flights, std::string(row_status_name(r.status)).c_str());
  EXPECT_NE(dir.read("out.txt").find(expected), std::string::npos) << dir.read("out.txt");
}

TEST(Target, AStageSkimmingTheAtmosphereAfterCoreSeparationReachesNoOrbit) {
  // At 102.265 s a core angle of 14 deg cuts the core off so low that the
  // guided stage flies through the air before it climbs; 15 deg does not.
  studies::TrimSettings settings = sample_settings();
  settings.vehicle.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  for (const double maxa : {14.0, 15.0}) {
    studies::FlightRecorder recorder(true);
    const FlightResult r = fly(settings.vehicle, settings.thrust, {102.265, maxa, {}, {}}, &recorder);
    ASSERT_TRUE(r.separated());
    // The recorded steps after core separation, against what the flight booked.
    double core_separation = 0.0;
    for (const EventRecord& e : r.events) {
      if (e.event.kind == FlightEventKind::core_separation) core_separation = e.state.t.value();
    }
    double largest = 0.0;
    for (const studies::StepRecord& step : recorder.steps()) {
      if (step.t > core_separation) largest = std::max(largest, step.Pq);
    }
    EXPECT_NEAR(r.upper_stage_max_dynamic_pressure, largest, 1e-6 * largest + 1e-9) << maxa;
    if (maxa == 14.0) {
      EXPECT_GT(largest, SKIMMING_DYNAMIC_PRESSURE);
      EXPECT_EQ(r.outcome, Outcome::cannot_reach_orbit);
      EXPECT_EQ(r.failure, OrbitFailure::skims_atmosphere);
      EXPECT_NE(separated_message(r, settings.vehicle).find("skims the atmosphere"),
                std::string::npos);
    } else {
      EXPECT_LT(largest, SKIMMING_DYNAMIC_PRESSURE);
      EXPECT_EQ(r.outcome, Outcome::short_of_propellant);
    }
  }
}

TEST(Target, TheEventsOfAGuidedDeckAreThoseOfItsPlan) {
  Vehicle guided;
  guided.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  TempDir dir;
  install_sample_thrust_file(dir);
  dir.write("guided.toml", vehicle_deck_text(guided));
  const auto events = [&](const std::string& arguments) {
    const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE
                                "' --vehicle guided.toml --csv events -t 102.265 " + arguments +
                                " > events.csv 2> err.txt";
    const int status = WEXITSTATUS(std::system(command.c_str()));
    return std::pair{status, dir.read(status == 0 ? "events.csv" : "err.txt")};
  };
  // The plan's angle, flown by the library with the guided stage: its
  // separation is the last event's line.
  const FlightResult flown = fly(guided, ThrustHistory::read(sample_thrust_path()),
                                 {102.265, 21.190517, {}, {}});
  ASSERT_TRUE(flown.in_orbit());
  const FlightState& separation = flown.events.back().state;
  char expected[96];
  std::snprintf(expected, sizeof expected, "upper-stage separation,%.3f,%.1f,",
                static_cast<double>(separation.t.value()), static_cast<double>(separation.h0.value()));
  const auto [status, text] = events("--maxa 21.190517");
  ASSERT_EQ(status, 0) << text;
  EXPECT_NE(text.find(expected), std::string::npos) << text;
  // Without the angle, the one target flies; the default law's deck takes none.
  EXPECT_EQ(events("").first, 0);
  dir.write("guided.toml", vehicle_deck_text(Vehicle{}));
  EXPECT_EQ(events("--maxa 21").first, 2);
}

}  // namespace
}  // namespace ascent::testing
