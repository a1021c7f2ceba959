// Bad answers at the prompts: words and broken numbers, huge lines, NUL
// bytes, Windows line ends, the end of the input at each prompt, and turn
// times and angles at the edges of what can be flown. Each ends with a
// defined status and message, changes no input file, and loses nothing that
// was written.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "hardening/hardening_support.hpp"

namespace ascent::testing {
namespace {

using namespace std::string_literals;

/// A fresh folder with the sample booster thrust file.
struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

/// The value printed after `label` on the first line of `text` that holds it.
double value_after(const std::string& text, const std::string& label, std::size_t from = 0) {
  const auto at = text.find(label, from);
  if (at == std::string::npos) return std::nan("");
  return std::stod(text.substr(at + label.size()));
}

std::size_t occurrences(const std::string& text, const std::string& piece) {
  std::size_t n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(BadAnswer, NotANumberAtEitherPromptEndsTheProgramWith106) {
  for (const std::string bad : {"twenty", "12abc", "1e", "--5", "."}) {
    for (const bool at_angle : {false, true}) {
      Folder dir;
      const std::string prompt = at_angle ? ANGLE_PROMPT : TURN_PROMPT;
      const CountedSession s = run_counting_steps(
          dir, "out.txt\n" + std::string(at_angle ? "20\n" : "") + bad + "\n-1\n");
      SCOPED_TRACE(bad + " at " + prompt);
      EXPECT_EQ(s.result.status, 106);
      EXPECT_EQ(failure_cause(s.result.standard_output),
                "invalid number \"" + bad + "\" in the answer to \"" + prompt + "\"");
      // At the angle prompt the booster phase is in the files, every row of it.
      EXPECT_EQ(s.steps > 0, at_angle);
      expect_nothing_lost(dir, "out.txt", s.steps);
    }
  }
}

TEST(BadAnswer, AMegabyteLineIsOneBadNumberOrOneLongName) {
  const std::string megabyte(1 << 20, '7');
  {
    Folder dir;
    const CountedSession s = run_counting_steps(dir, "out.txt\n" + megabyte + "\n-1\n");
    EXPECT_EQ(s.result.status, 106);
    // The message shows the start of the token, not a megabyte of it.
    EXPECT_EQ(failure_cause(s.result.standard_output), "invalid number \"" + std::string(40, '7') +
                                                           "...\" in the answer to \"" +
                                                           TURN_PROMPT + "\"");
    expect_nothing_lost(dir, "out.txt", s.steps);
  }
  {
    // Blanks are skipped however many there are; text after a number is dropped.
    Folder dir;
    const CountedSession s = run_counting_steps(
        dir, "out.txt\n" + std::string(1 << 20, ' ') + "20 " + megabyte + "\n30\n-1\n");
    EXPECT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
    EXPECT_NE(dir.read("out.txt").find(std::string(TURN_PROMPT) + "20.000\r\n"), std::string::npos);
    expect_nothing_lost(dir, "out.txt", s.steps);
  }
  {
    // As a file name it is cut to 255 characters; the next line is the turn time.
    Folder dir;
    const CountedSession s = run_counting_steps(dir, std::string(1 << 20, 'n') + "\n20\n30\n-1\n");
    EXPECT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
    const std::string name(255, 'n');
    EXPECT_NE(dir.read(name).find(std::string(TURN_PROMPT) + "-1.000\r\n"), std::string::npos);
    expect_nothing_lost(dir, name, s.steps);
  }
}

TEST(BadAnswer, ANulByteEndsANumberLikeAnyControlCharacter) {
  Folder dir;
  // "0", NUL, "7": the answer is 0 (the rest of the line is dropped); a line
  // of NUL bytes alone is skipped like a blank line.
  const SessionResult r = run_in_process(dir,
                                         "out.txt\n0\0"
                                         "7\n\0\0\n-1\n"s);
  EXPECT_EQ(r.status, 0) << failure_cause(r.standard_output);
  const std::string out = dir.read("out.txt");
  EXPECT_NE(out.find(std::string(TURN_PROMPT) +
                     " 0.000\r\nError! Turn time must be greater than one second.\r\n" +
                     TURN_PROMPT + "-1.000\r\n"),
            std::string::npos)
      << out;
  expect_nothing_lost(dir, "out.txt", 0);
}

TEST(BadAnswer, WindowsLineEndsGiveTheSameSession) {
  const std::string unix_answers = "out.txt\n20\n30\n0.5\n19\n25\n-1\n";
  Folder unix_dir;
  Folder windows_dir;
  const SessionResult u = run_in_process(unix_dir, unix_answers);
  const CountedSession w = run_counting_steps(windows_dir, crlf(unix_answers));
  ASSERT_EQ(u.status, 0) << failure_cause(u.standard_output);
  EXPECT_EQ(w.result.status, 0);
  EXPECT_EQ(w.result.standard_output, u.standard_output);
  expect_nothing_lost(windows_dir, "out.txt", w.steps);
  for (const char* file :
       {"out.txt", "speed.dat", "height.dat", "accel.dat", "dynpres.dat", "const_n.hpp"}) {
    EXPECT_EQ(windows_dir.read(file), unix_dir.read(file)) << file;
  }
}

TEST(EndOfInput, AtTheFileNamePromptTheTurnTimePromptAndAfterARun) {
  {
    Folder dir;
    const SessionResult r = run_in_process(dir, "");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.standard_output.rfind(FILE_PROMPT, 0), 0u);
    EXPECT_TRUE(r.standard_output.ends_with(TURN_PROMPT));  // asked once, then closed
    EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file());
  }
  {
    // The input ends after a whole run: the run's summary and the constants are complete.
    Folder dir;
    const CountedSession s = run_counting_steps(dir, "out.txt\n20\n30\n");
    EXPECT_EQ(s.result.status, 0);
    expect_nothing_lost(dir, "out.txt", s.steps);
    EXPECT_TRUE(dir.read("out.txt").ends_with("\r\n\r\n")) << "the summary ends with a blank line";
    EXPECT_NE(dir.read("const_n.hpp").find("  SC_M     =  "), std::string::npos);
  }
}

TEST(EndOfInput, AtTheAnglePromptIsError100WithTheBoosterPhaseKept) {
  Folder dir;
  const CountedSession s = run_counting_steps(dir, "out.txt\n20\n");
  EXPECT_EQ(s.result.status, 100);
  EXPECT_EQ(failure_cause(s.result.standard_output),
            std::string("the standard input ended at the prompt \"") + ANGLE_PROMPT + "\"");
  EXPECT_GT(s.steps, 100u);
  expect_nothing_lost(dir, "out.txt", s.steps);
  const std::string out = dir.read("out.txt");
  EXPECT_NE(out.find("Booster seperation! Residual booster propellant = "), std::string::npos);
  EXPECT_FALSE(dir.exists("const_n.hpp")) << "no run was finished";
}

TEST(BadTurnTime, 1e308EndsOnlyItsRunWithTheTooLongLine) {
  Folder dir;
  const CountedSession s = run_counting_steps(dir, "out.txt\n1e308\n20\n30\n-1\n");
  ASSERT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
  const std::string out = dir.read("out.txt");
  const std::string line = "Error! Turn time too long: the recovery would end at ";
  const auto error = out.find(line);
  ASSERT_NE(error, std::string::npos);
  EXPECT_EQ(value_after(out, line), 1e308);  // every digit of it, then the separation time
  EXPECT_NE(
      out.find(".00 s, after booster separation at 128.4 s.\r\n" + std::string(TURN_PROMPT), error),
      std::string::npos);
  // No angle was asked for it; the next turn time flies to orbit.
  EXPECT_GT(out.find(ANGLE_PROMPT), error);
  EXPECT_NE(out.find("Upper Stage in Orbit!", error), std::string::npos);
  expect_nothing_lost(dir, "out.txt", s.steps);
}

TEST(AngleOfAttackLimit, ZeroNegativeAndHugeLimitsFlyWithoutNonFiniteValues) {
  for (const char* angle : {"0", "-5", "1e308", "-1e308"}) {
    Folder dir;
    const CountedSession s =
        run_counting_steps(dir, std::string("out.txt\n20\n") + angle + "\n20\n30\n-1\n");
    SCOPED_TRACE(angle);
    ASSERT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
    const std::string out = dir.read("out.txt");
    // The run either reaches orbit or ends with its line; the next one flies.
    const auto first_end = std::min(out.find("Upper Stage in Orbit!"),
                                    out.find("Error! Upper stage cannot reach orbit speed: "));
    ASSERT_NE(first_end, std::string::npos);
    EXPECT_NE(out.find("Upper Stage in Orbit!", first_end + 1), std::string::npos);
    EXPECT_FALSE(shows_non_finite(out));
    for (const char* plot : PLOT_FILES) EXPECT_FALSE(shows_non_finite(dir.read(plot))) << plot;
    expect_nothing_lost(dir, "out.txt", s.steps);
  }
}

TEST(AngleOfAttackLimit, LimitsOfAFullTurnOrMoreLeaveTheSteeringFree) {
  // The steering never asks for more than 180 degrees: 180, 360 and 1e308
  // fly the same steps. The summary shows the limit in effect, 360 degrees.
  std::string plots[3];
  std::string summaries[3];
  const char* angles[] = {"180", "360", "1e308"};
  for (int i = 0; i < 3; ++i) {
    Folder dir;
    const CountedSession s =
        run_counting_steps(dir, std::string("out.txt\n20\n") + angles[i] + "\n-1\n");
    ASSERT_EQ(s.result.status, 0) << angles[i];
    expect_nothing_lost(dir, "out.txt", s.steps);
    for (const char* plot : PLOT_FILES) plots[i] += dir.read(plot);
    const std::string out = dir.read("out.txt");
    summaries[i] = out.substr(out.find("Turn Time = "));
  }
  EXPECT_EQ(plots[1], plots[0]);
  EXPECT_EQ(plots[2], plots[0]);
  EXPECT_EQ(summaries[2], summaries[1]);
  EXPECT_EQ(value_after(summaries[2], "Maximum angle of attack = "), 360.0);
}

TEST(AngleOfAttackLimit, AHugeLimitAfterALimitedRunKeepsTheRecommendationFinite) {
  // 31 degrees limits the steering a little; 1e308 not at all: the two
  // average altitudes are close, and the secant through them is steep.
  Folder dir;
  const CountedSession s = run_counting_steps(dir, "out.txt\n20\n31\n20\n1e308\n-1\n");
  ASSERT_EQ(s.result.status, 0) << failure_cause(s.result.standard_output);
  expect_nothing_lost(dir, "out.txt", s.steps);
  const std::string out = dir.read("out.txt");
  ASSERT_EQ(occurrences(out, "Recommended maxa = "), 2u);
  const double second =
      value_after(out, "Recommended maxa = ", out.find("Recommended maxa = ") + 1);
  EXPECT_TRUE(std::isfinite(second)) << out.substr(out.rfind("Recommended"));
  EXPECT_FALSE(shows_non_finite(out));
}

}  // namespace
}  // namespace ascent::testing
