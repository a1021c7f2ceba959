// Inputs the fuzz targets found to break the program, kept in their seed
// corpus (fuzz/corpus/<target>/regression_*) and replayed here as the target
// runs them: for the dialogue the answers, and after a line "#s1.dat" the
// thrust file; for the deck the text of a vehicle deck.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "deck/vehicle_deck.hpp"
#include "hardening/hardening_support.hpp"

namespace ascent::testing {
namespace {

struct Replay {
  SessionResult result;
  std::string thrust_file;
  std::string files;  // everything the session wrote, one file after the other
};

Replay replay(const char* input_name) {
  const std::string input =
      read_file(std::filesystem::path(ASCENT_FUZZ_CORPUS_DIR) / "dialogue" / input_name);
  EXPECT_FALSE(input.empty()) << input_name << " is missing";
  const std::string mark = "#s1.dat\n";
  const auto at = input.find(mark);
  TempDir dir;
  Replay r;
  r.thrust_file = at == std::string::npos ? sample_thrust_file() : input.substr(at + mark.size());
  dir.write("s1.dat", r.thrust_file);
  r.result = run_in_process(dir, input.substr(0, at));
  EXPECT_EQ(dir.read("s1.dat"), r.thrust_file) << input_name;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename() != "s1.dat") r.files += read_file(entry.path());
  }
  return r;
}

TEST(FuzzRegression, AThrustRecordFarBeyondTheOneBeforeIsRefused) {
  // A record lost its time: its thrust became a time of 13016400 s, and the
  // core phase began with one step of 150 days that left the numbers behind.
  const Replay r = replay("regression_record_far_apart");
  EXPECT_EQ(r.result.status, 201);
  EXPECT_NE(failure_cause(r.result.standard_output)
                .find(": the time 13016400.00 s lies 13016313.00 s after record 84; records more "
                      "than 10 s apart cannot be flown"),
            std::string::npos)
      << r.result.standard_output;
  EXPECT_FALSE(shows_non_finite(r.files));
}

TEST(FuzzRegression, AThrustThatBurnsMoreThanTheVehicleHoldsIsRefused) {
  // A thrust of 1.9e88 N: the mass went negative within one record and the
  // rows turned to nan.
  const Replay r = replay("regression_propellant_overburn");
  EXPECT_EQ(r.result.status, 201);
  EXPECT_NE(
      failure_cause(r.result.standard_output).find("record 3: by 3.00 s the vehicle would burn "),
      std::string::npos)
      << r.result.standard_output;
  EXPECT_FALSE(shows_non_finite(r.files));
}

TEST(FuzzRegression, AThrustLawShiftedUntilTheMassRunsOutIsRefused) {
  // Records 66.1 s (not 66 s), a spike of 162 MN and missing records: flown
  // along them the thrust law slid against the record times, the integrated
  // burn left the propellant count behind, the mass went below zero and the
  // core phase ended in rows of nan.
  const Replay r = replay("regression_thrust_law_shifted");
  EXPECT_EQ(r.result.status, 201);
  const std::string cause = failure_cause(r.result.standard_output);
  EXPECT_NE(cause.find("\": flown along its records, the vehicle's mass is used up at t = "),
            std::string::npos)
      << cause;
  EXPECT_FALSE(shows_non_finite(r.files));
}

TEST(FuzzRegression, AStackThatSeparatesUnderTheGroundEndsItsRun) {
  // Sample thrust file, turn time 74 s, a limit of -185 degrees: the steering
  // turned the thrust downwards, the core flew 27 km under the ground, and the
  // upper stage, igniting in the dense air there, reached 1e60 m/s and an
  // orbit of nan. The run ends as the core goes below the ground, before its
  // separation.
  const Replay r = replay("regression_stack_separates_underground");
  EXPECT_EQ(r.result.status, 0) << r.result.standard_output;
  const std::string ended =
      "Error! Upper stage cannot reach orbit speed: the vehicle fell back to the ground at t = ";
  EXPECT_NE(r.files.find(ended), std::string::npos) << r.files.substr(0, 2000);
  EXPECT_EQ(r.files.find("Core Separation! "), std::string::npos);
  EXPECT_EQ(r.files.find("Upper Stage Ignition!"), std::string::npos);
  EXPECT_FALSE(shows_non_finite(r.files));
}

TEST(FuzzRegression, ACharacterThatIsNoBlankAfterADeckKeyIsASyntaxError) {
  // toml++ 3.3 asked whether a Cyrillic letter (U+0496) in a table header is
  // a blank and reached __builtin_unreachable(); deck/toml.hpp replaces the
  // function. A degree sign after a value took the same path.
  const std::string input = read_file(std::filesystem::path(ASCENT_FUZZ_CORPUS_DIR) / "deck" /
                                      "regression_non_ascii_after_key");
  for (const std::string& deck :
       {input, std::string("[launch_site]\nlatitude = 28.45\xc2\xb0\n")}) {
    try {
      (void)read_vehicle_deck_text(deck, "deck.toml");
      ADD_FAILURE() << "read";
    } catch (const DeckError& error) {
      EXPECT_NE(std::string(error.what()).find(": TOML syntax error: "), std::string::npos)
          << error.what();
    }
  }
}

}  // namespace
}  // namespace ascent::testing
