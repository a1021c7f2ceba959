// The booster phase against thrust files that are short, malformed or that
// cannot be flown, and the liftoff it computes in closed form.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "support/session.hpp"

namespace ascent::testing {
namespace {

/// Records every second from `first` to `last` with the same thrust [N].
std::string flat_records(int first, int last, double thrust) {
  std::string out;
  for (int t = first; t <= last; ++t) out += std::to_string(t) + " " + std::to_string(thrust) + "\n";
  return out;
}

/// The sample file's text with its first `n` lines.
std::string sample_head(int n) {
  const std::string all = sample_thrust_file();
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) at = all.find('\n', at) + 1;
  return all.substr(0, at);
}

struct Outcome {
  SessionResult result;
  std::string output_file;
};

Outcome fly_with(const std::string& thrust_file, const std::string& answers = "out.txt\n20\n18\n-1\n") {
  TempDir dir;
  dir.write("s1.dat", thrust_file);
  Outcome o{run_in_process(dir, answers), ""};
  o.output_file = dir.read("out.txt");
  EXPECT_EQ(dir.read("s1.dat"), thrust_file) << "the thrust file must never change";
  return o;
}

/// The report's second line: what failed.
std::string cause(const SessionResult& r) {
  const auto start = r.standard_output.find("Runtime error");
  if (start == std::string::npos) return "";
  const auto line2 = r.standard_output.find("\r\n", start) + 2;
  return r.standard_output.substr(line2, r.standard_output.find("\r\n", line2) - line2);
}

TEST(Liftoff, FirstRecordOf30MNLiftsOffAfter0_355Seconds) {
  // The file ends after its first record: the liftoff row is written, then
  // the vertical rise finds no further record.
  const Outcome o = fly_with("1 30000000\n");
  EXPECT_NE(o.output_file.find(" 2707388.0\r\n   0.36   9.8   409       0         0  90.00   0.00  90.00      0.0 2705191.0\r\n"),
            std::string::npos)
      << o.output_file;
  EXPECT_EQ(o.result.status, 100);
  EXPECT_EQ(cause(o.result).find("  the booster thrust file"), 0u);
  EXPECT_NE(cause(o.result).find("ends after record 1 (t = 1.00 s)"), std::string::npos) << cause(o.result);
}

TEST(ThrustFile, ReadsBlankLinesExponentsSignsAndTrailingText) {
  // Same records as the sample, written differently: the flight must not change.
  const std::string plain = sample_head(130);
  std::string odd;
  std::size_t at = 0;
  int n = 0;
  while (at < plain.size()) {
    const std::size_t end = plain.find('\n', at);
    std::string line = plain.substr(at, end - at);
    at = end + 1;
    const auto blank = line.find_first_not_of(' ');
    line = line.substr(blank);
    const auto gap = line.find(' ');
    const double thrust = std::stod(line.substr(gap));
    char thrust_text[64];
    std::snprintf(thrust_text, sizeof thrust_text, "%.1fE+0", thrust);
    ++n;
    odd += (n % 2 ? "\r\n\t" : "\n") + std::string("+") + line.substr(0, gap) + "\t" + thrust_text +
           "  N (record " + std::to_string(n) + ")\r\n";
  }
  const Outcome a = fly_with(plain);
  const Outcome b = fly_with(odd);
  ASSERT_EQ(a.result.status, 0) << a.result.standard_output;
  EXPECT_EQ(a.output_file, b.output_file);
}

TEST(ThrustFile, FilesThatCannotBeFlownEndTheProgramNamingTheRecord) {
  struct Case {
    const char* what;
    std::string file;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"empty", "", 100, "holds no record"},
      {"ends early", sample_head(60), 100, "ends after record 60 (t = 60.00 s)"},
      {"malformed", sample_head(10) + "11 1.5.3\n", 106, "record 11: the thrust \"1.5.3\" is not a valid number"},
      {"overflow", sample_head(10) + "1e400 15000000\n", 106, "record 11: the time \"1e400\" is not a valid number"},
      {"garbage", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10), 106, "record 1: the time"},
      {"time going back", sample_head(10) + "9.5 15000000\n", 201, "record 11: the time 9.50 s does not come after 10.00 s of record 10"},
      {"first time zero", "0 15000000\n1 15000000\n", 201, "record 1: the time 0.00 s does not come after 0 s"},
      {"too weak to lift off", "1 5000000\n2 5000000\n", 201, "record 1: the thrust is too small for liftoff by 1.00 s"},
      {"never climbs", "1 12000000\n" + flat_records(2, 130, 4e6), 201, "does not climb above 110 m before booster separation"},
  };
  for (const Case& c : cases) {
    const Outcome o = fly_with(c.file);
    EXPECT_EQ(o.result.status, c.status) << c.what;
    EXPECT_NE(cause(o.result).find(c.message), std::string::npos) << c.what << ": " << cause(o.result);
    // What was written before the failure is in the file.
    EXPECT_EQ(o.output_file.rfind("\r\n   t      a     vi", 0), 0u) << c.what;
  }
}

TEST(ThrustFile, ARecordWithTwoFaultsIsRefusedForItsLeftmost) {
  struct Case {
    const char* record;  ///< record 11, after ten good ones
    const char* message;
  };
  const Case cases[] = {
      {"1.2.3 x", "record 11: the time \"1.2.3\" is not a valid number"},
      {"9.5 -1", "record 11: the time 9.50 s does not come after 10.00 s of record 10"},
      {"40 -1", "record 11: the time 40.00 s lies 30.00 s after record 10"},
  };
  for (const Case& c : cases) {
    const Outcome o = fly_with(sample_head(10) + c.record + "\n");
    EXPECT_NE(cause(o.result).find(c.message), std::string::npos) << c.record << ": " << cause(o.result);
  }
}

TEST(ThrustFile, ARecordOfExactlyZeroNewtonsIsTakenAndNaNIsNot) {
  // A motor that has burned out thrusts 0 N; a thrust that is no number is no record.
  constexpr long double NOT_A_NUMBER = std::numeric_limits<long double>::quiet_NaN();
  EXPECT_NO_THROW((void)ThrustHistory::from_records({{1.0L, 3e6L}, {2.0L, 0.0L}}, "zero"));
  EXPECT_THROW((void)ThrustHistory::from_records({{1.0L, 3e6L}, {2.0L, NOT_A_NUMBER}}, "nan"),
               RuntimeError);
}

TEST(ThrustFile, MissingFileIsError2BeforeThePadRow) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "out.txt\n20\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(cause(r).find("cannot open the booster thrust file"), std::string::npos) << cause(r);
  EXPECT_EQ(dir.read("out.txt").find("2707388.0"), std::string::npos);
}

TEST(ThrustFile, IncrementsOverOneSecondAreReportedOnceAndFlown) {
  // Records at whole seconds, except 51 is missing: the record at 52 lies 2 s after 50.
  std::string file = sample_head(130);
  const auto at = file.find(" 51.0 ");
  file.erase(at, file.find('\n', at) + 1 - at);
  const Outcome o = fly_with(file);
  ASSERT_EQ(o.result.status, 0) << o.result.standard_output;
  const std::string warning = "Error! Booster time increments must be at most 1 second\r\n";
  const auto first = o.output_file.find(warning);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(o.output_file.find(warning, first + 1), std::string::npos);
  // The warning stands between the row at 50 s and the step that flies to 52 s.
  EXPECT_EQ(o.output_file.substr(first - 79, 7), "  50.00");
  EXPECT_EQ(o.output_file.substr(first + warning.size(), 7), "  52.00");
}

TEST(TurnTime, TooLongForTheBoosterPhaseEndsOnlyTheRun) {
  const Outcome o = fly_with(sample_head(130), "out.txt\n1e308\n200\n20\n18\n-1\n");
  ASSERT_EQ(o.result.status, 0) << o.result.standard_output;
  const auto error = o.output_file.find("Error! Turn time too long: the recovery would end at ");
  ASSERT_NE(error, std::string::npos);
  // No angle of attack was asked for that run; the next turn times fly.
  EXPECT_EQ(o.output_file.find("Maximum angle of attack (degrees)?", 0), o.output_file.find("Maximum angle of attack (degrees)?", error));
  EXPECT_NE(o.output_file.find("Error! Turn time too long", error + 1), std::string::npos);  // 200 s is too long too
  EXPECT_NE(o.output_file.find("Upper Stage in Orbit!"), std::string::npos);
}

TEST(UpperStage, AFlightThatCannotReachOrbitSpeedEndsTheRunWithALine) {
  // A small angle keeps the core from lofting: the stack falls back to the ground.
  const Outcome o = fly_with(sample_head(130), "out.txt\n20\n2\n20\n18\n-1\n");
  ASSERT_EQ(o.result.status, 0) << o.result.standard_output;
  const auto error = o.output_file.find("Error! Upper stage cannot reach orbit speed: ");
  ASSERT_NE(error, std::string::npos);
  EXPECT_EQ(o.output_file.find("nan"), std::string::npos);
  // The next run still flies to orbit and gets its summary.
  EXPECT_NE(o.output_file.find("Upper Stage in Orbit!", error), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
