// Vehicle decks that can be flown: the default deck is the built-in vehicle,
// a written deck reads back bit for bit, and the example decks each change
// the one value they say they change.
#include "deck/vehicle_deck.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "mission/vehicle_fields.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

const std::filesystem::path DATA{ASCENT_DATA_DIR};

std::string joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text.append(part);
  return text;
}

/// The names of the fields in which two vehicles differ.
std::vector<std::string> differences(const Vehicle& a, const Vehicle& b) {
  std::vector<std::string> names;
  for (const VehicleField& f : vehicle_fields()) {
    if (f.get(a) != f.get(b)) names.push_back(f.name());
  }
  return names;
}

TEST(VehicleDeck, TheDefaultDeckIsTheBuiltInVehicleAndWrittenByTheProgram) {
  EXPECT_EQ(read_vehicle_deck(DATA / "vehicle.toml"), Vehicle{});
  // data/vehicle.toml is `ascent --print-deck` of the built-in vehicle.
  EXPECT_EQ(read_file(DATA / "vehicle.toml"), vehicle_deck_text(Vehicle{}));
}

TEST(VehicleDeck, TheOptionalKeysShowCommentedAndTakeEffectUncommented) {
  std::string deck = vehicle_deck_text(Vehicle{});
  const auto uncomment = [&](const std::string& line, const std::string& value) {
    const std::size_t at = deck.find("\n# " + line + " = ");
    ASSERT_NE(at, std::string::npos) << line << "\n" << deck;
    const std::size_t end = deck.find("  #", at + 3);
    deck.replace(at + 1, end - at - 1, line + " = " + value);
  };
  uncomment("guidance", "\"orbit_insertion\"");
  // About the deck's average altitude of 200 km, as an elliptic target must be.
  uncomment("perigee", "150000.0");
  uncomment("apogee", "250000.0");
  uncomment("max_dynamic_pressure", "35000.0");
  uncomment("max_q_alpha", "11000.0");
  uncomment("max_axial_acceleration", "45.0");
  const Vehicle read = read_vehicle_deck_text(deck, "v.toml");
  EXPECT_EQ(read.upper_stage.guidance, UpperStageGuidance::orbit_insertion);
  EXPECT_EQ(read.target.perigee, 150000.0);
  EXPECT_EQ(read.target.apogee, 250000.0);
  EXPECT_EQ(read.limits, (LoadLimits{35000.0, 11000.0, 45.0}));
  // Set, they are written as keys, and the deck reads back.
  for (const char* key : {"guidance", "perigee", "apogee", "max_q_alpha"}) {
    EXPECT_EQ(vehicle_deck_text(read).find("\n# " + std::string(key)), std::string::npos) << key;
  }
  EXPECT_EQ(read_vehicle_deck_text(vehicle_deck_text(read), "w.toml"), read);
}

TEST(VehicleDeck, AWrittenDeckReadsBackBitForBit) {
  // Every value one step of the last bit away from the default: the text must
  // hold all 17 digits. Zero becomes the smallest subnormal.
  Vehicle odd;
  for (const VehicleField& f : vehicle_fields()) {
    const double x = f.get(odd);
    f.set(odd, f.whole ? x + 1.0 : std::nextafter(x, f.maximum));
  }
  odd.mass_budget.reserve_fraction = 0.0;
  odd.boosters.hidden_area = std::nextafter(0.0, 1.0);
  ASSERT_EQ(differences(odd, Vehicle{}).size(), vehicle_fields().size());

  const std::string deck = vehicle_deck_text(odd);
  EXPECT_EQ(read_vehicle_deck_text(deck, "odd.toml"), odd);
  for (const VehicleField& f : vehicle_fields()) {
    // Each key in its table, with its unit in the comment.
    const std::size_t table = deck.find(joined({"\n[", f.group, "]"}));
    const std::size_t key = deck.find(joined({"\n", f.key, " = "}), table);
    ASSERT_NE(table, std::string::npos) << f.name();
    EXPECT_LT(key, deck.find("\n[", table + 1)) << f.name();
    EXPECT_EQ(deck.find(joined({"# [", f.unit, "] ", f.what, "\n"}), key), deck.find('#', key))
        << f.name();
  }
}

TEST(VehicleDeck, AGuidedStageAndItsEllipticTargetReadBack) {
  Vehicle guided;
  guided.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  guided.target.perigee = 185000.0;
  guided.target.apogee = 400000.0;
  guided.target.altitude = 292500.0;  // the mean of the apsides, as a deck must have it
  const std::string deck = vehicle_deck_text(guided);
  EXPECT_NE(deck.find("guidance = \"orbit_insertion\""), std::string::npos);
  EXPECT_TRUE(read_vehicle_deck_text(deck, "guided.toml") == guided);
  // The default vehicle's deck shows them commented only: it flies as before.
  const std::string plain = vehicle_deck_text(Vehicle{});
  EXPECT_EQ(plain.find("\nguidance ="), std::string::npos);
  EXPECT_EQ(plain.find("\nperigee ="), std::string::npos);
  EXPECT_EQ(plain.find("\napogee ="), std::string::npos);
  EXPECT_NE(plain.find("\n# guidance ="), std::string::npos);
}

TEST(VehicleDeck, AHandWrittenDeckNeedsNoOrderAndTakesIntegersForReals) {
  std::string deck = vehicle_deck_text(Vehicle{});
  // The target table first, with an integer altitude and a dotted key.
  const std::size_t target = deck.find("[target]");
  deck = deck.substr(0, target);
  deck = "target.altitude = 300_000  # the target first\n\n" + deck;
  Vehicle expected;
  expected.target.altitude = 300000.0;
  EXPECT_EQ(read_vehicle_deck_text(deck, "hand.toml"), expected);
}

/// The built-in deck with its [limits] table holding `keys` alone.
std::string deck_with_limits(const std::string& keys) {
  const std::string plain = vehicle_deck_text(Vehicle{});
  return plain.substr(0, plain.find("\n[limits]")) + "\n[limits]\n" + keys;
}

TEST(VehicleDeck, LoadLimitsMayBeLeftOutAndOnlyThoseSetAreWritten) {
  const std::string plain = vehicle_deck_text(Vehicle{});
  EXPECT_EQ(plain.find("\nmax_q_alpha ="), std::string::npos);

  const std::string deck = deck_with_limits("max_q_alpha = 11000\n");
  Vehicle expected;
  expected.limits.max_q_alpha = 11000.0;
  const Vehicle limited = read_vehicle_deck_text(deck, "limited.toml");
  EXPECT_EQ(limited, expected);
  const std::string written = vehicle_deck_text(limited);
  EXPECT_NE(written.find("\n[limits]"), std::string::npos);
  EXPECT_NE(written.find("\nmax_q_alpha = 11000.0"), std::string::npos);
  EXPECT_EQ(written.find("\nmax_dynamic_pressure"), std::string::npos);
  EXPECT_NE(written.find("\n# max_dynamic_pressure"), std::string::npos);
  EXPECT_EQ(read_vehicle_deck_text(written, "again.toml"), limited);

  try {
    (void)read_vehicle_deck_text(deck_with_limits("max_q_alpha = -1\n"), "negative.toml");
    ADD_FAILURE() << "a negative limit was read";
  } catch (const DeckError& refusal) {
    EXPECT_NE(std::string(refusal.what()).find("limits.max_q_alpha"), std::string::npos);
  }
}

TEST(VehicleDeck, EachExampleDeckChangesOneValueOfTheBuiltInVehicle) {
  struct Example {
    const char* file;
    const char* field;
    double value;
  };
  for (const Example& e : {Example{"heavy_upper_stage.toml", "upper_stage.dry_mass", 15515.0},
                           Example{"low_latitude.toml", "launch_site.latitude", 5.2},
                           Example{"target_300km.toml", "target.altitude", 300000.0}}) {
    const Vehicle v = read_vehicle_deck(DATA / "vehicles" / e.file);
    EXPECT_EQ(differences(v, Vehicle{}), std::vector<std::string>{e.field}) << e.file;
    EXPECT_EQ(find_vehicle_field(e.field)->get(v), e.value) << e.file;
  }
}

}  // namespace
}  // namespace ascent::testing
