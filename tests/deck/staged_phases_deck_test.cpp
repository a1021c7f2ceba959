// A staged deck's throttles and relights: read into the vehicle, and a
// throttle outside its range, a relight of what has no engine or a later
// burn's moment that no burn has refused at the key at fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "deck/staged_deck.hpp"
#include "deck/staged_deck_text.hpp"

namespace ascent::testing {
namespace {

/// A two-stage launcher whose upper stage burns twice, throttled by its phases.
const std::string DECK = R"(deck = "staged"
[launch_site]
latitude = 34.7
[payload]
mass = 200.0
[[element]]
name = "first"
dry_mass = 2500.0
propellant = 24000.0
thrust = 500000.0
isp = 290.0
min_throttle = 0.5
ignition = "liftoff"
jettison = "burnout"
[[element]]
name = "second"
dry_mass = 600.0
propellant = 4000.0
thrust = 30000.0
isp = 330.0
max_throttle = 0.9
ignition = { after = "first.jettison", delay = 3.0 }
shutdown = { apogee_altitude = 500000.0 }
relights = [{ ignition = "apogee", shutdown = "target_energy" }]
jettison = { after = "second.burnout2", delay = 10.0 }
[[phase]]
name = "rise"
steering = "vertical"
throttle = [[0.0, 1.0], [40.0, 0.7]]
dynamic_pressure_limit = 30000.0
until = { altitude = 300.0 }
[[phase]]
name = "ascent"
steering = "gravity_turn"
until = "second.burnout"
[[phase]]
name = "coast"
steering = "coast"
until = "second.ignition2"
[[phase]]
name = "circularise"
steering = "held_angle"
throttle = 0.8
until = "second.burnout2"
[target]
perigee = 500000.0
apogee = 500000.0
inclination = 97.4
)";

TEST(StagedPhasesDeck, ThrottlesAndRelightsRead) {
  const StagedVehicle v = read_staged_deck_text(DECK, "deck.toml");
  EXPECT_EQ(v.elements[0].min_throttle, 0.5);
  EXPECT_EQ(v.elements[0].max_throttle, 1.0);
  EXPECT_EQ(v.elements[1].max_throttle, 0.9);
  ASSERT_EQ(v.elements[1].relights.size(), 1u);
  EXPECT_EQ(v.elements[1].relights[0].ignition.kind, Trigger::Kind::apogee);
  EXPECT_EQ(v.elements[1].relights[0].shutdown.kind, Trigger::Kind::target_energy);
  EXPECT_EQ(v.elements[1].shutdown.kind, Trigger::Kind::apogee_altitude);
  EXPECT_EQ(v.elements[1].shutdown.value, 500000.0);
  EXPECT_EQ(v.elements[1].jettison.burn, 1u);
  EXPECT_EQ(v.elements[1].jettison.moment, ElementMoment::burnout);
  EXPECT_EQ(v.phases[2].end.burn, 1u);
  EXPECT_EQ(v.phases[2].end.moment, ElementMoment::ignition);
  EXPECT_EQ(v.phases[0].throttle.command(39.9), 1.0);
  EXPECT_EQ(v.phases[0].throttle.command(40.0), 0.7);
  EXPECT_EQ(v.phases[0].throttle.dynamic_pressure_limit, 30000.0);
  EXPECT_EQ(v.phases[3].throttle.command(600.0), 0.8);
}

TEST(StagedPhasesDeck, WhatCannotBeFlownIsRefusedAtItsKey) {
  struct Case {
    std::string from, to, needle, says;
  };
  const Case cases[] = {
      {"min_throttle = 0.5", "min_throttle = 1.5", "1.5", "0 to 1"},
      {"max_throttle = 0.9", "max_throttle = -0.1", "-0.1", "0 to 1"},
      {"min_throttle = 0.5", "min_throttle = 0.5\nmax_throttle = 0.4", "0.4", "below its minimum"},
      {"throttle = 0.8", "throttle = 1.01", "1.01", "0 to 1"},
      {"[[0.0, 1.0], [40.0, 0.7]]", "[[40.0, 1.0], [40.0, 0.7]]", "[[40.0", "must increase"},
      {"dynamic_pressure_limit = 30000.0", "dynamic_pressure_limit = -1.0", "-1.0", "out of range"},
      {"until = \"second.ignition2\"", "until = \"second.ignition3\"", "\"second.ignition3\"",
       "does not have"},
      {"until = \"second.ignition2\"", "until = \"second.jettison2\"", "\"second.jettison2\"",
       "no moment"},
      {"[{ ignition = \"apogee\", shutdown = \"target_energy\" }]",
       "[{ ignition = \"apogee\", shutdwn = \"target_energy\" }]", "shutdwn", "did you mean \"shutdown\"?"},
      {"[{ ignition = \"apogee\", shutdown = \"target_energy\" }]",
       "[{ ignition = \"second.burnout2\", shutdown = \"target_energy\" }]", "\"second.burnout2\"",
       "wait on each other"},
      {"shutdown = { apogee_altitude = 500000.0 }", "shutdown = \"cutoff\"", "\"cutoff\"",
       "only the last burn"},
  };
  for (const Case& c : cases) {
    const std::string deck = with(DECK, c.from, c.to);
    const std::string message = refusal(deck);
    EXPECT_EQ(message.rfind(place_of(deck, c.needle), 0), 0u) << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace ascent::testing
