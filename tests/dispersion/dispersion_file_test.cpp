// Dispersion sets in TOML: every kind of entry, the built-in default set, and
// a message with its line and column for each kind of mistake.
#include "studies/dispersion_file.hpp"

#include <gtest/gtest.h>

#include "base/runtime_error.hpp"
#include "deck/vehicle_deck.hpp"
#include "support/session.hpp"

namespace ascent::studies {
namespace {

/// The message of the error reading `text`, or "" when it reads.
std::string error_of(std::string_view text) {
  try {
    (void)parse_dispersion_set(text, "set.toml");
  } catch (const DispersionFileError& error) {
    return error.what();
  }
  return "";
}

TEST(DispersionFile, ReadsEveryKindOfDistribution) {
  const DispersionSet set = parse_dispersion_set(R"(
[boosters]
propellant = { sigma_relative = 0.005 }
[upper_stage]
dry_mass = { sigma = 145 }          # an integer is a number too
[fairing]
mass = { uniform = [-100.0, 150.0] }
[scales]
drag = { uniform_relative = [-0.1, 0.05] }
)",
                                                 "set.toml");
  ASSERT_EQ(set.entries().size(), 4u);
  const std::vector<Dispersion>& e = set.entries();
  EXPECT_EQ(e[0].name, "boosters.propellant");
  EXPECT_EQ(e[0].field, find_vehicle_field("boosters.propellant"));
  EXPECT_EQ(e[0].distribution, (Distribution{Distribution::Shape::normal, true, 0.005, 0.0, 0.0}));
  EXPECT_EQ(e[1].distribution, (Distribution{Distribution::Shape::normal, false, 145.0, 0.0, 0.0}));
  EXPECT_EQ(e[2].distribution,
            (Distribution{Distribution::Shape::uniform, false, 0.0, -100.0, 150.0}));
  EXPECT_EQ(e[3].field, nullptr);
  EXPECT_EQ(e[3].scale, ScaleFactor::drag);
  EXPECT_EQ(e[3].distribution, (Distribution{Distribution::Shape::uniform, true, 0.0, -0.1, 0.05}));
}

TEST(DispersionFile, AKeyNestedTooDeepIsRefusedWithItsPlace) {
  std::string deep = "[core]\nthrust";
  for (int i = 0; i < 300000; ++i) deep += ".a";
  EXPECT_EQ(error_of(deep + " = 1\n").substr(0, 27), "set.toml:2:133: nested more");
}

TEST(DispersionFile, TheDefaultSetIsTheShippedFile) {
  const DispersionSet& builtin = default_dispersion_set();
  const DispersionSet shipped = read_dispersion_file(ASCENT_DATA_DIR "/dispersions.toml");
  ASSERT_EQ(builtin.entries().size(), shipped.entries().size());
  for (std::size_t i = 0; i < shipped.entries().size(); ++i) {
    EXPECT_EQ(builtin.entries()[i].name, shipped.entries()[i].name);
    EXPECT_EQ(builtin.entries()[i].distribution, shipped.entries()[i].distribution);
  }
  const auto sigma_of = [&](std::string_view name) {
    for (const Dispersion& d : builtin.entries()) {
      if (d.name == name) return d.distribution.sigma;
    }
    return -1.0;
  };
  EXPECT_EQ(sigma_of("scales.booster_thrust"), 0.01);
  EXPECT_EQ(sigma_of("scales.drag"), 0.05);
  EXPECT_EQ(sigma_of("scales.density"), 0.03);
  EXPECT_EQ(sigma_of("upper_stage.exhaust_velocity"), 0.0015);
}

TEST(DispersionFile, EveryMistakeIsPlacedAndExplained) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"[boosters]\npropellant = { sigma = 0.1 ", "set.toml:2:"},  // syntax
      {"[boosters]\npropelant = { sigma = 0.1 }",
       "set.toml:2:1: unknown parameter \"boosters.propelant\" (did you mean "
       "\"boosters.propellant\"?)"},
      {"[booster]\npropellant = { sigma = 0.1 }",
       "set.toml:2:1: unknown parameter \"booster.propellant\" (did you mean "
       "\"boosters.propellant\"?)"},
      {"[scales]\ndensty = { sigma = 0.1 }", "(did you mean \"scales.density\"?)"},
      {"[core]\nthrust = { sigmaa = 0.1 }",
       "set.toml:2:12: core.thrust: unknown key \"sigmaa\" (did you mean \"sigma\"?)"},
      {"[core]\nthrust = { sigma = \"1%\" }",
       "set.toml:2:20: core.thrust.sigma must be a number, not a string"},
      {"[core]\nthrust = { sigma = nan }", "core.thrust.sigma must be a finite number"},
      {"[core]\nthrust = 0.01", "set.toml:2:10: core.thrust must be a table"},
      {"core = 3", "set.toml:1:8: \"core\" must be a table of parameters"},
      {"[core]\nthrust = { uniform = 0.1 }",
       "core.thrust.uniform must be an array of two bounds, [low, high], not a float"},
      {"[core]\nthrust = { uniform = [0.1] }", "not 1 values"},
      {"[core]\nthrust = { uniform = [-0.1, true] }",
       "core.thrust.uniform high bound must be a number, not a boolean"},
      {"[core]\nthrust = { sigma = -0.1 }",
       "set.toml:2:20: core.thrust.sigma: the standard deviation -0.1 is negative"},
      {"[core]\nthrust = { uniform_relative = [0.1, -0.1] }",
       "set.toml:2:31: core.thrust.uniform_relative: the bounds are in the wrong order"},
      {"[core]\nthrust = { sigma = 0.1, uniform = [0, 1] }",
       "set.toml:2:25: core.thrust: uniform and sigma both give a distribution; keep one"},
      {"[core]\nthrust = { }", "set.toml:2:10: core.thrust has no distribution"},
      {"[boosters]\ncount = { sigma = 1 }",
       "set.toml:2:1: boosters.count is a count: it cannot be dispersed"},
  };
  for (const auto& c : cases) {
    const std::string message = error_of(c.text);
    EXPECT_NE(message.find(c.message), std::string::npos) << c.text << "\n -> " << message;
  }
}

TEST(DispersionFile, AFileThatCannotBeOpenedIsTheLibrarysError) {
  testing::TempDir dir;
  EXPECT_THROW((void)read_dispersion_file(dir.path() / "missing.toml"), RuntimeError);
  EXPECT_THROW((void)read_dispersion_file(dir.path()), RuntimeError);
  dir.write("bad.toml", "[core]\nthrust = { sigma = -1 }\n");
  try {
    (void)read_dispersion_file(dir.path() / "bad.toml");
    FAIL() << "read";
  } catch (const DispersionFileError& error) {
    EXPECT_EQ(std::string(error.what()).find((dir.path() / "bad.toml").string() + ":2:20: "), 0u)
        << error.what();
  }
  // The deck reader's cap: a set of exactly that size is read (its comment
  // is no mistake), one byte more is refused unread.
  const std::string set = "[scales]\ndrag = { sigma = 0.05 }\n#";
  dir.write("full.toml", set + std::string(MAX_DECK_SIZE - set.size(), '#'));
  EXPECT_EQ(read_dispersion_file(dir.path() / "full.toml").entries().size(), 1u);
  dir.write("huge.toml", set + std::string(MAX_DECK_SIZE + 1 - set.size(), '#'));
  try {
    (void)read_dispersion_file(dir.path() / "huge.toml");
    FAIL() << "read";
  } catch (const DispersionFileError& error) {
    EXPECT_EQ(error.what(), (dir.path() / "huge.toml").string() +
                                ": larger than 1048576 bytes: not a dispersion set");
  }
}

}  // namespace
}  // namespace ascent::studies
