// Staged decks: the Delta III deck reads into its published numbers, and a
// deck that cannot be flown is refused with the file, line and column of the
// key at fault and, for a misspelt name, the nearest one.
#include "deck/staged_deck.hpp"
#include "deck/staged_deck_text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <numbers>
#include <string>

#include "deck/vehicle_deck.hpp"

namespace ascent::testing {
namespace {

const std::filesystem::path DATA{ASCENT_DATA_DIR};
constexpr double DEG = std::numbers::pi / 180.0;

/// A small two-stage launcher, every kind of trigger on some element.
const std::string SMALL = R"(deck = "staged"
[launch_site]
latitude = 5.2
[payload]
mass = 300.0
[[element]]
name = "first"
dry_mass = 2000.0
propellant = 20000.0
thrust = 400000.0
isp = 280.0
ignition = "liftoff"
jettison = "burnout"
[[element]]
name = "second"
dry_mass = 500.0
propellant = 4000.0
thrust = 40000.0
exhaust_velocity = 3300.0
ignition = { after = "first.jettison", delay = 2.0 }
shutdown = "cutoff"
[[element]]
name = "fairing"
mass = 150.0
jettison = { heat_flux_below = 1135.0 }
[[aerodynamics]]
reference_area = 2.0
drag_table = [[0.0, 0.3], [1.2, 0.6], [5.0, 0.3]]
[[phase]]
name = "rise"
steering = "vertical"
until = { altitude = 200.0 }
[[phase]]
name = "turn"
steering = "gravity_turn"
pitch_offset = -2.0
until = "first.burnout"
[[phase]]
name = "orbit"
steering = "pitch_yaw_table"
pitch = [[80.0, 20.0], [400.0, 0.0]]
until = "target_energy"
[target]
perigee = 500000.0
apogee = 500000.0
inclination = 97.4
)";

TEST(StagedDeck, DeltaThreeReadsIntoTheBenchmarksNumbers) {
  const std::filesystem::path path = DATA / "vehicles" / "delta3.toml";
  ASSERT_TRUE(is_staged_deck(path));
  EXPECT_FALSE(is_staged_deck(DATA / "vehicle.toml"));
  const StagedVehicle v = read_staged_deck(path);
  ASSERT_EQ(v.elements.size(), 4u);
  EXPECT_EQ(v.elements[0].count, 6);
  EXPECT_EQ(v.elements[1].count, 3);
  EXPECT_DOUBLE_EQ(v.liftoff_mass(), 301454.0);
  EXPECT_DOUBLE_EQ(v.elements[3].exhaust_velocity, 467.21311 * 9.80665);
  EXPECT_EQ(v.air.kind, AirModel::Kind::exponential);
  EXPECT_NEAR(v.target_semi_major_axis(), 24361140.0, 1e-6);
  EXPECT_NEAR((v.target.apogee_altitude - v.target.perigee_altitude) /
                  (2.0 * v.target_semi_major_axis()),
              0.7308, 1e-12);
  EXPECT_NEAR(*v.target.ascending_node / DEG, 269.8, 1e-12);
  EXPECT_NEAR(v.site.latitude / DEG, 28.5, 1e-12);
}

TEST(StagedDeck, EveryKindOfTriggerReads) {
  const StagedVehicle v = read_staged_deck_text(SMALL, "deck.toml");
  EXPECT_EQ(v.elements[1].ignition.kind, Trigger::Kind::after);
  EXPECT_EQ(v.elements[1].ignition.element, 0u);
  EXPECT_EQ(v.elements[1].ignition.moment, ElementMoment::jettison);
  EXPECT_EQ(v.elements[1].ignition.delay, 2.0);
  EXPECT_EQ(v.elements[1].shutdown.kind, Trigger::Kind::cutoff);
  EXPECT_EQ(v.elements[0].jettison.kind, Trigger::Kind::own_burnout);
  EXPECT_EQ(v.elements[2].jettison.kind, Trigger::Kind::heat_flux_below);
  EXPECT_FALSE(v.elements[2].propulsive());
  EXPECT_EQ(v.phases[1].steering.pitch_offset, -2.0 * DEG);
  EXPECT_EQ(v.aerodynamics[0].from.kind, Trigger::Kind::liftoff);
  EXPECT_DOUBLE_EQ(v.aerodynamics[0].drag.coefficient(0.6), 0.45);
}

TEST(StagedDeck, AMisspeltKeyIsPlacedAndTheNearestNamed) {
  const std::string deck = with(SMALL, "propellant = 4000.0", "propelant = 4000.0");
  EXPECT_EQ(refusal(deck), place_of(deck, "propelant") +
                               "unknown key \"propelant\" in [[element]] \"second\"; did you mean "
                               "\"propellant\"?");
  const std::string event = with(SMALL, "\"first.jettison\"", "\"frist.jettison\"");
  EXPECT_NE(refusal(event).find("no element is named \"frist\"; did you mean \"first\"?"),
            std::string::npos);
  EXPECT_EQ(refusal(event).rfind(place_of(event, "\"frist"), 0), 0u);
}

TEST(StagedDeck, ValuesThatCannotBeFlownAreRefusedAtTheirKey) {
  struct Case {
    std::string from, to, needle, says;
  };
  const Case cases[] = {
      {"dry_mass = 500.0", "dry_mass = nan", "nan", "not a finite number"},
      {"dry_mass = 500.0", "dry_mass = -5.0", "-5.0", "out of range"},
      {"thrust = 40000.0", "thrust = inf", "inf", "not a finite number"},
      {"inclination = 97.4", "inclination = 3.0", "3.0", "plane change"},
      {"jettison = \"burnout\"", "jettison = { time = -1.0 }", "-1.0", "out of range"},
      {"[[element]]\nname = \"fairing\"\nmass = 150.0\njettison",
       "[[element]]\nname = \"fairing\"\nmass = 150.0\ncount = 1e9\njettison", "1e9",
       "count"},
      {"ignition = \"liftoff\"\njettison = \"burnout\"",
       "ignition = { time = 10.0 }\njettison = { time = 5.0 }", "{ time = 5.0 }",
       "jettisoned before its ignition"},
      {"ignition = \"liftoff\"\njettison = \"burnout\"",
       "ignition = \"second.burnout\"\njettison = \"burnout\"", "\"second.burnout\"",
       "wait on each other"},
      {"steering = \"vertical\"", "steering = \"vertcal\"", "\"vertcal\"", "did you mean \"vertical\"?"},
      {"steering = \"pitch_yaw_table\"", "steering = \"guided\"\ncycle = 0.05", "0.05",
       "guidance cycle must be 0.1 to 60 s"},
      {"steering = \"pitch_yaw_table\"", "steering = \"guided\"\nhold = 600.0", "600.0",
       "guidance hold must be 0 to 120 s"},
      {"until = \"target_energy\"", "until = \"target_enrgy\"", "\"target_enrgy\"",
       "did you mean \"target_energy\"?"},
  };
  for (const Case& c : cases) {
    const std::string deck = with(SMALL, c.from, c.to);
    const std::string message = refusal(deck);
    EXPECT_EQ(message.rfind(place_of(deck, c.needle), 0), 0u) << message;
    EXPECT_NE(message.find(c.says), std::string::npos) << message;
  }
}

TEST(StagedDeck, AVehicleWithoutAnEngineOrWithoutSyntaxIsRefused) {
  std::string inert = SMALL;
  for (const char* key : {"thrust = 400000.0\nisp = 280.0\nignition = \"liftoff\"\n",
                          "thrust = 40000.0\nexhaust_velocity = 3300.0\n"
                          "ignition = { after = \"first.jettison\", delay = 2.0 }\n"
                          "shutdown = \"cutoff\"\n"}) {
    inert = with(inert, key, "");
  }
  inert = with(inert, "propellant = 20000.0\n", "");
  inert = with(inert, "propellant = 4000.0\n", "");
  inert = with(with(inert, "dry_mass = 2000.0", "mass = 2000.0"), "dry_mass = 500.0", "mass = 500.0");
  EXPECT_NE(refusal(inert).find("no engine"), std::string::npos) << refusal(inert);
  EXPECT_NE(refusal("deck = \"staged\"\n[payload\n").find("deck.toml:2:"), std::string::npos);
  // A classic deck is not a staged one, and says so.
  EXPECT_NE(refusal("[launch_site]\nlatitude = 1.0\n").find("deck = \"staged\""), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
