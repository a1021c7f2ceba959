// The command line of the built ascent: --vehicle flies a deck, a deck that
// cannot be flown stops the program before anything is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "deck/vehicle_deck.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

const std::filesystem::path DATA{ASCENT_DATA_DIR};
const char* const WRITTEN[] = {"run.txt",   "speed.dat",   "height.dat",
                               "accel.dat", "dynpres.dat", "const_n.hpp"};

std::set<std::string> files_in(const TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

TEST(VehicleOption, TheDefaultDeckFliesByteForByteAsTheBuiltInVehicle) {
  const std::string answers = "run.txt\n20\n18\n25\n-1\n";
  TempDir plain;
  install_sample_thrust_file(plain);
  const SessionResult without = run_program(plain, answers);
  TempDir with_deck;
  install_sample_thrust_file(with_deck);
  const SessionResult with =
      run_program(with_deck, answers, "--vehicle '" + (DATA / "vehicle.toml").string() + "'");
  EXPECT_EQ(with.status, 0) << with.standard_error;
  EXPECT_EQ(with.standard_output, without.standard_output);
  for (const char* file : WRITTEN) {
    EXPECT_FALSE(plain.read(file).empty()) << file;
    EXPECT_EQ(with_deck.read(file), plain.read(file)) << file;
  }
}

TEST(VehicleOption, ADeckThatCannotBeFlownWritesNothingAndEndsWithStatus2) {
  TempDir dir;
  install_sample_thrust_file(dir);
  std::string deck = vehicle_deck_text(Vehicle{});
  deck.replace(deck.find("count = 2 "), 10, "count = 0 ");
  dir.write("bad.toml", deck);
  const SessionResult r = run_program(dir, "run.txt\n20\n18\n-1\n", "--vehicle bad.toml");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.standard_output, "");
  EXPECT_TRUE(
      r.standard_error.starts_with("ascent: bad.toml:15:9: boosters.count = 0 is out of range"))
      << r.standard_error;
  EXPECT_EQ(files_in(dir), (std::set<std::string>{"bad.toml", "s1.dat"}));

  // Nested deeper than the parser's stack allows: refused the same way, not a crash.
  std::string deep = "[core]\nthrust";
  for (int i = 0; i < 300000; ++i) deep += ".a";
  dir.write("bad.toml", deep + " = 1\n");
  const SessionResult crash = run_program(dir, "run.txt\n20\n18\n-1\n", "--vehicle bad.toml");
  EXPECT_EQ(crash.status, 2);
  EXPECT_TRUE(crash.standard_error.starts_with("ascent: bad.toml:2:133: TOML syntax error: nested"))
      << crash.standard_error;
}

TEST(VehicleOption, HelpVersionAndUsageErrors) {
  TempDir dir;
  const SessionResult help = run_program(dir, "", "--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.standard_output.find("--vehicle FILE"), std::string::npos);
  const SessionResult version = run_program(dir, "", "--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.standard_output.starts_with("ascent 0.")) << version.standard_output;
  for (const char* arguments : {"--bogus", "run.txt", "--vehicle", "--vehicle a --vehicle b"}) {
    const SessionResult r = run_program(dir, "\n-1\n", arguments);
    EXPECT_EQ(r.status, 2) << arguments;
    EXPECT_EQ(r.standard_output, "") << arguments;
    EXPECT_NE(r.standard_error.find("Usage: ascent"), std::string::npos) << arguments;
  }
}

TEST(VehicleOption, TheDeckIsNeverAnOutputFile) {
  TempDir dir;
  install_sample_thrust_file(dir);
  dir.write("v.toml", vehicle_deck_text(Vehicle{}));
  ScriptedSession s(dir, "v.toml\n\n-1\n");
  s.session().vehicle_deck = dir.path() / "v.toml";
  EXPECT_EQ(s.run(), 0);
  EXPECT_NE(s.standard_output().find("Error! \"v.toml\" is the vehicle deck; choose another"),
            std::string::npos)
      << s.standard_output();
  EXPECT_EQ(dir.read("v.toml"), vehicle_deck_text(Vehicle{}));
}

TEST(VehicleOption, PrintDeckWritesTheDeckOfTheVehicleFlown) {
  TempDir dir;
  const SessionResult builtin = run_program(dir, "", "--print-deck");
  EXPECT_EQ(builtin.status, 0);
  EXPECT_EQ(builtin.standard_output, read_file(DATA / "vehicle.toml"));
  const SessionResult low = run_program(
      dir, "",
      "--print-deck --vehicle '" + (DATA / "vehicles" / "low_latitude.toml").string() + "'");
  EXPECT_NE(low.standard_output.find("\nlatitude = 5.2  # [deg]"), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
