// The built-in vehicle as a staged deck, flown due east in three dimensions
// at the plan of the classic trim at a turn time of 20 s, against the classic
// planar flight of the same plan. Both fly the same masses, thrust and air; the
// three-dimensional flight adds the air's motion across the flight plane and
// places its events exactly, where the classic one steps to whole seconds and
// the rocket equation. Its orbit and propellant agree to a few km and a few
// hundred kg.
#include <gtest/gtest.h>

#include <filesystem>
#include <numbers>

#include "deck/staged_deck.hpp"
#include "mission/flight.hpp"
#include "mission/staged_flight.hpp"

namespace ascent::testing {
namespace {

const std::filesystem::path DATA{ASCENT_DATA_DIR};

struct BothFlights {
  FlightResult classic;
  StagedResult staged;
  StagedVehicle deck;
};

const BothFlights& both() {
  static const BothFlights flights = [] {
    BothFlights f;
    f.deck = read_staged_deck(DATA / "vehicles" / "builtin.toml");
    const double maxa = f.deck.phases.back().steering.maxa * 180.0 / std::numbers::pi;
    f.classic = fly(Vehicle{}, ThrustHistory::read(DATA / "s1.dat"), FlightPlan{20.0, maxa, {}, {}});
    f.staged = fly_staged(f.deck);
    return f;
  }();
  return flights;
}

const StagedEvent& staged_event(const std::string& name) {
  for (const StagedEvent& e : both().staged.events) {
    if (e.name == name) return e;
  }
  throw std::runtime_error("no event " + name);
}

TEST(BuiltInStagedDeck, CarriesTheClassicVehiclesMasses) {
  const BothFlights& f = both();
  EXPECT_DOUBLE_EQ(f.deck.liftoff_mass(), Vehicle{}.liftoff_mass().value());
  for (const EventRecord& e : f.classic.events) {
    if (e.event.kind == FlightEventKind::liftoff) {
      EXPECT_NEAR(staged_event("liftoff").t, e.state.t.value(), 1e-3);
      EXPECT_NEAR(staged_event("liftoff").state.mass, static_cast<double>(e.state.mass()), 1.0);
    }
    if (e.event.kind == FlightEventKind::core_cutoff) {
      // The core's thrust table burns its propellant and tail-off to the same end.
      EXPECT_NEAR(staged_event("core.burnout").t, e.state.t.value(), 1e-6);
    }
    if (e.event.kind == FlightEventKind::booster_separation) {
      // Booster propellant burned by the records, as the classic flight counts it.
      EXPECT_NEAR(staged_event("boosters.burnout").state.mass, static_cast<double>(e.state.mass()), 1.0);
    }
  }
}

TEST(BuiltInStagedDeck, DueEastInThreeDimensionsMeetsTheClassicOrbit) {
  const BothFlights& f = both();
  ASSERT_TRUE(f.classic.in_orbit());
  ASSERT_TRUE(f.staged.in_orbit()) << outcome_name(f.staged.outcome);
  EXPECT_NEAR(f.staged.perigee_altitude, f.classic.orbit.perigee, 5000.0);
  EXPECT_NEAR(f.staged.apogee_altitude, f.classic.orbit.apogee, 5000.0);
  EXPECT_NEAR(f.staged.remaining_propellant, f.classic.remaining_propellant, 300.0);
  EXPECT_NEAR(f.staged.elements.inclination * 180.0 / std::numbers::pi, 28.45, 1e-3);
}

}  // namespace
}  // namespace ascent::testing
