// Vehicle decks that cannot be flown: each kind of problem is refused with
// its place in the file and a message that says what to change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>

#include "deck/vehicle_deck.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

const std::string DEFAULT_DECK = vehicle_deck_text(Vehicle{});

/// The default deck with the line that starts with `line_start` replaced by
/// `replacement` (removed when it is empty); `line` is set to its number.
std::string changed_deck(const std::string& line_start, const std::string& replacement,
                         unsigned& line) {
  const std::size_t at = DEFAULT_DECK.find("\n" + line_start) + 1;
  EXPECT_NE(at, 0u) << line_start;
  const std::size_t end = DEFAULT_DECK.find('\n', at) + 1;
  const auto before = DEFAULT_DECK.begin() + static_cast<std::ptrdiff_t>(at);
  line = static_cast<unsigned>(std::count(DEFAULT_DECK.begin(), before, '\n')) + 1;
  return DEFAULT_DECK.substr(0, at) + (replacement.empty() ? "" : replacement + "\n") +
         DEFAULT_DECK.substr(end);
}

/// The message of the refusal of `deck`, or "" when it is read.
std::string refusal(const std::string& deck) {
  try {
    (void)read_vehicle_deck_text(deck, "v.toml");
  } catch (const DeckError& error) {
    return error.what();
  }
  return "";
}

struct Case {
  std::string line_start;   ///< the line changed
  std::string replacement;  ///< its new text
  unsigned column;          ///< of the place the message names, on that line
  std::string message;      ///< after the place
};

void expect_refused(const Case& c) {
  unsigned line = 0;
  const std::string deck = changed_deck(c.line_start, c.replacement, line);
  EXPECT_EQ(refusal(deck),
            "v.toml:" + std::to_string(line) + ":" + std::to_string(c.column) + ": " + c.message)
      << c.replacement;
}

TEST(DeckError, SyntaxIsRefusedWithItsLineAndColumn) {
  unsigned line = 0;
  const std::string message = refusal(changed_deck("[core]", "[core", line));
  EXPECT_TRUE(message.starts_with("v.toml:" + std::to_string(line) + ":")) << message;
  EXPECT_NE(message.find(": TOML syntax error: "), std::string::npos) << message;
  EXPECT_TRUE(refusal("latitude = 1\nlatitude = 2\n").starts_with("v.toml:2:")) << "a key twice";
  EXPECT_TRUE(refusal(std::string("a = \"\xff\"\n")).starts_with("v.toml:1:")) << "not UTF-8";
}

TEST(DeckError, UnknownKeysAndTablesNameTheNearestKnownOne) {
  expect_refused({"propellant = ", "propelant = 632489.0", 1,
                  "unknown key \"boosters.propelant\"; did you mean \"boosters.propellant\"?"});
  expect_refused(
      {"[fairing]", "[fairings]", 2, "unknown table [fairings]; did you mean [fairing]?"});
  // A key in the wrong table is nearest to the field of that key.
  expect_refused({"altitude = ", "latitude = 300000.0", 1,
                  "unknown key \"target.latitude\"; did you mean \"launch_site.latitude\"?"});
  // A misspelt key of a table is one of that table's, its optional keys included.
  expect_refused({"altitude = ", "perigee_km = 300000.0", 1,
                  "unknown key \"target.perigee_km\"; did you mean \"target.perigee\"?"});
  expect_refused({"altitude = ", "max_q_alpha = 3.0", 1,
                  "unknown key \"target.max_q_alpha\"; did you mean \"limits.max_q_alpha\"?"});
  expect_refused({"dry_mass = 14515.0", "guidanse = 1", 1,
                  "unknown key \"upper_stage.guidanse\"; did you mean \"upper_stage.guidance\"?"});
  EXPECT_EQ(refusal("lattitude = 5.2\n" + DEFAULT_DECK),
            "v.toml:1:1: unknown key \"lattitude\" outside every table; did you mean "
            "\"launch_site.latitude\"?");
}

TEST(DeckError, AMissingKeyIsNamedAtItsTable) {
  unsigned removed = 0;
  const std::string deck = changed_deck("dry_mass = 14515.0", "", removed);
  unsigned table = 0;
  (void)changed_deck("[upper_stage]", "[upper_stage]", table);
  EXPECT_EQ(refusal(deck), "v.toml:" + std::to_string(table) +
                               ":1: missing key \"upper_stage.dry_mass\" in [upper_stage]: [kg] "
                               "of the upper stage");
  const std::string without_target = DEFAULT_DECK.substr(0, DEFAULT_DECK.find("[target]"));
  EXPECT_EQ(refusal(without_target), "v.toml: missing table [target]");
  // An optional key left out takes the built-in vehicle's value.
  const Vehicle without_minimum =
      read_vehicle_deck_text(changed_deck("minimum_perigee = ", "", removed), "v.toml");
  EXPECT_EQ(without_minimum, Vehicle{});
}

TEST(DeckError, AValueOfTheWrongTypeSaysTheTypeExpected) {
  expect_refused({"latitude = ", "latitude = \"north\"", 12,
                  "launch_site.latitude must be a number (a float or an integer) in deg, not a "
                  "string"});
  expect_refused({"count = ", "count = [2]", 9,
                  "boosters.count must be a whole number (an integer), not an array"});
  const std::string without_target = DEFAULT_DECK.substr(0, DEFAULT_DECK.find("[target]"));
  EXPECT_EQ(refusal("target = 200000.0\n" + without_target),
            "v.toml:1:1: \"target\" must be the table [target], not a float");
}

TEST(DeckError, AValueOutOfItsRangeSaysTheRange) {
  expect_refused({"count = ", "count = 2.5", 9,
                  "boosters.count = 2.5 is not a whole number (number of strap-on boosters)"});
  expect_refused({"count = ", "count = 0", 9,
                  "boosters.count = 0 is out of range: it must be at least 1 and at most 16 "
                  "(number of strap-on boosters)"});
  expect_refused({"latitude = ", "latitude = nan", 12,
                  "launch_site.latitude = nan deg is out of range: it must be at least -90 deg and "
                  "at most 90 deg (latitude of the pad)"});
  expect_refused({"dry_mass = 14515.0", "dry_mass = -1", 12,
                  "upper_stage.dry_mass = -1 kg is out of range: it must be greater than 0 kg and "
                  "at most 100000000 kg (of the upper stage)"});
  // Between the ground's thin upper air and the top of the atmosphere model.
  for (const char* altitude : {"99999.0", "1000001", "inf"}) {
    unsigned line = 0;
    const std::string message =
        refusal(changed_deck("altitude = ", std::string("altitude = ") + altitude, line));
    EXPECT_NE(message.find("target.altitude = "), std::string::npos) << altitude;
    EXPECT_NE(message.find("at least 100000 m and at most 1000000 m"), std::string::npos)
        << message;
  }
}

TEST(DeckError, OfTwoFaultsOnOneLineTheLeftmostIsNamed) {
  // An inline table puts two keys on one line, here against their
  // alphabetical order: the reading goes by the file, column by column.
  const std::string table = DEFAULT_DECK.substr(DEFAULT_DECK.find("[pitch_program]"));
  const std::string without_table =
      DEFAULT_DECK.substr(0, DEFAULT_DECK.find("[pitch_program]")) + table.substr(table.find("\n["));
  const std::string faults[][2] = {
      {"turn_rate = -1.0", "pitch_program.turn_rate = -1 deg/s is out of range"},
      {"turn_rate = \"fast\"", "pitch_program.turn_rate must be a number"}};
  for (const auto& [first, message] : faults) {
    const std::string line = "pitch_program = { " + first + ", pitch_over_altitude = -5.0 }";
    const std::string column = std::to_string(line.find(" = ", line.find("turn_rate")) + 4);
    const std::string refused = refusal(line + "\n" + without_table);
    EXPECT_TRUE(refused.starts_with("v.toml:1:" + column + ": " + message)) << refused;
  }
}

TEST(DeckError, AMinimumPerigeeBelowTheSurfaceIsRefused) {
  expect_refused({"minimum_perigee = ", "minimum_perigee = -1", 19,
                  "target.minimum_perigee = -1 m is out of range: it must be at least 0 m and at "
                  "most 1000000 m (lowest perigee that is an orbit; optional: 100000 when left out)"});
}

TEST(DeckError, ValuesThatContradictEachOtherAreNamed) {
  expect_refused({"nozzle_exit_diameter = ", "nozzle_exit_diameter = 5.3", 24,
                  "boosters.nozzle_exit_diameter = 5.3 m is wider than the booster "
                  "(boosters.diameter = 5.2883 m)"});
  expect_refused({"hidden_area = ", "hidden_area = 22.0", 15,
                  "boosters.hidden_area = 22 m^2 is more than a booster's cross-section (21.96 m^2 "
                  "for boosters.diameter = 5.2883 m)"});
  expect_refused({"exit_area = 16.67", "exit_area = 58.0", 13,
                  "core.exit_area = 58 m^2 is larger than the core's cross-section (57.58 m^2)"});
  expect_refused({"exit_area = 14.47", "exit_area = 55.51", 13,
                  "upper_stage.exit_area = 55.51 m^2 and ullage.exit_area = 0.005026548245743669 "
                  "m^2 are larger than the stack's cross-section (55.51 m^2 for fairing.diameter = "
                  "8.407 m)"});
  expect_refused(
      {"tail_off_propellant = ", "tail_off_propellant = 111581", 23,
       "core.tail_off_propellant = 111581 kg is more than the core's dry mass it is part "
       "of (core.dry_mass = 111580 kg)"});
  expect_refused(
      {"propellant_load = ", "propellant_load = 143500", 19,
       "upper_stage.propellant_load = 143500 kg does not fit: with its dry mass, unusable "
       "propellant, ullage motors' and ullage and RCS propellant the upper stage "
       "weighs 160642.32 kg, more than the 160541.00 kg of upper_stage.stack_mass "
       "beside fairing.mass and upper_stage.left_with_core"});
  expect_refused({"jettison_time = ", "jettison_time = 128.4", 17,
                  "fairing.jettison_time = 128.4 s is not after booster separation "
                  "(boosters.separation_time = 128.4 s)"});
  expect_refused({"jettison_time = ", "jettison_time = 459", 17,
                  "fairing.jettison_time = 459 s is not before the core has burned its propellant "
                  "(458.78 s at core.thrust and core.exhaust_velocity)"});
}

TEST(DeckError, ValuesExactlyAtTheirLimitsAreRead) {
  // A nozzle exactly as wide as its booster, a field exactly at its maximum
  // (and at its minimum), and a deck of exactly the size cap.
  unsigned line = 0;
  const std::string as_wide = "nozzle_exit_diameter = 5.2883";  // boosters.diameter
  EXPECT_EQ(refusal(changed_deck("nozzle_exit_diameter", as_wide, line)), "");
  EXPECT_NE(refusal(changed_deck("nozzle_exit_diameter", as_wide + "1", line)), "");
  EXPECT_EQ(refusal(changed_deck("count", "count = 16", line)), "");
  EXPECT_EQ(refusal(changed_deck("count", "count = 1", line)), "");
  EXPECT_NE(refusal(changed_deck("count", "count = 17", line)), "");
  TempDir dir;
  std::string full = DEFAULT_DECK + "#";
  full += std::string(MAX_DECK_SIZE - full.size(), '#');
  dir.write("full.toml", full);
  EXPECT_EQ(read_vehicle_deck(dir.path() / "full.toml"), Vehicle{});
}

TEST(DeckError, AFileThatCannotBeReadIsRefusedUnread) {
  TempDir dir;
  const auto message_of = [](const std::filesystem::path& path) {
    try {
      (void)read_vehicle_deck(path);
    } catch (const DeckError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_NE(message_of(dir.path() / "none.toml").find("No such file"), std::string::npos);
  EXPECT_NE(message_of(dir.path()).find("is a folder"), std::string::npos);
  // A FIFO without a writer would block a reader for ever.
  ASSERT_EQ(mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
  EXPECT_NE(message_of(dir.path() / "fifo").find("is a FIFO"), std::string::npos);
  dir.write("huge.toml", std::string(MAX_DECK_SIZE + 1, '#'));
  EXPECT_EQ(
      message_of(dir.path() / "huge.toml"),
      (dir.path() / "huge.toml").string() + ": larger than 1048576 bytes: not a vehicle deck");
}

}  // namespace
}  // namespace ascent::testing

namespace ascent::testing {
namespace {

TEST(DeckError, AnEllipticTargetsAverageAltitudeIsTheMeanOfItsApsides) {
  unsigned line = 0;
  // 200 km is not the mean of 185 x 400 km (292.5 km): refused at the altitude's line.
  const std::string contradicting = changed_deck(
      "altitude = ", "altitude = 200000.0\nperigee = 185000.0\napogee = 400000.0", line);
  EXPECT_EQ(refusal(contradicting),
            "v.toml:" + std::to_string(line) +
                ":12: target.altitude = 200000 m contradicts target.perigee = 185000 m and "
                "target.apogee = 400000 m, whose average altitude is 292500 m (leave "
                "target.altitude out to take that)");
  // Left out, it is derived; given as the mean, it is read.
  for (const std::string altitude : {"", "altitude = 292500.0\n"}) {
    const Vehicle v = read_vehicle_deck_text(
        changed_deck("altitude = ", altitude + "perigee = 185000.0\napogee = 400000.0", line),
        "v.toml");
    EXPECT_EQ(v.target.altitude, (v.target.perigee + v.target.apogee) / 2.0) << altitude;
    EXPECT_EQ(v.target.perigee, 185000.0);
  }
  // A circular target still needs its altitude.
  EXPECT_NE(refusal(changed_deck("altitude = ", "", line)).find("missing key \"target.altitude\""),
            std::string::npos);
}

TEST(DeckError, AnImpossibleTargetOrbitIsRefusedAtItsLine) {
  const auto with_target = [](const std::string& lines) {
    unsigned line = 0;
    return changed_deck("altitude = ", "altitude = 200000.0\n" + lines, line);
  };
  const unsigned perigee_line = static_cast<unsigned>(
      std::count(DEFAULT_DECK.begin(), DEFAULT_DECK.begin() + DEFAULT_DECK.find("\naltitude = ") + 1,
                 '\n')) + 2;
  const std::string at = "v.toml:" + std::to_string(perigee_line) + ":";
  EXPECT_EQ(refusal(with_target("perigee = 300000.0\napogee = 250000.0")),
            at + "11: target.perigee = 300000 m is above the apogee (target.apogee = 250000 m)");
  EXPECT_EQ(refusal(with_target("perigee = 300000.0")),
            at + "11: target.perigee = 300000 m needs target.apogee beside it");
  EXPECT_EQ(refusal(with_target("perigee = 90000.0\napogee = 250000.0")),
            at + "11: target.perigee = 90000 m is out of range: it must be at least 100000 m and "
                 "at most 1000000 m (perigee altitude of the guided stage's orbit)");
  EXPECT_NE(refusal(with_target("perigee = 200000.0\napogee = 1000001.0")).find("target.apogee"),
            std::string::npos);
  unsigned line = 0;
  const std::string named_wrongly =
      changed_deck("dry_mass = 14515.0", "dry_mass = 14515.0\nguidance = \"peg\"", line);
  EXPECT_EQ(refusal(named_wrongly),
            "v.toml:" + std::to_string(line + 1) + ":12: upper_stage.guidance must be "
            "\"vertical_acceleration\" or \"orbit_insertion\" (how the upper stage steers to its "
            "cutoff)");
}

}  // namespace
}  // namespace ascent::testing
