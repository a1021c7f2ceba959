// The dialogue of the interactive program, byte for byte: prompts, echoes,
// the table header, the turn-time classification and the ends of input.
#include <gtest/gtest.h>

#include <string>

#include "support/session.hpp"

namespace ascent::testing {
namespace {

const std::string FILE_PROMPT = "Enter output filename (return is standard output): ";
const std::string TURN_PROMPT = "Turn time (s)? ";
const std::string TURN_ERROR = "Error! Turn time must be greater than one second.\r\n";

std::string header(char squared) {
  return crlf("\n   t      a     vi     h0       r0      alpha  beta  theta     Pq     m0+Me\n") +
         "  sec    m/s" + squared + "  m/s   metres   metres     deg    deg   deg      Pa       kg\r\n" +
         std::string(77, '-') + "\r\n";
}

const std::string CONSOLE_HEADER = header(static_cast<char>(253));
const std::string FILE_HEADER = header(static_cast<char>(178));

TEST(TableHeader, HasItsWidthsAndTheSquaredByte) {
  const std::string h = FILE_HEADER;
  ASSERT_EQ(h.substr(0, 2), "\r\n");
  const auto line2_end = h.find("\r\n", 2);
  const auto line3_end = h.find("\r\n", line2_end + 2);
  const auto line4_end = h.find("\r\n", line3_end + 2);
  EXPECT_EQ(line2_end - 2, 75u);
  EXPECT_EQ(line3_end - line2_end - 2, 74u);
  EXPECT_EQ(line4_end - line3_end - 2, 77u);
}

TEST(Dialogue, EmptyFileNameSendsTheTableToTheStandardOutput) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "\n-1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.standard_output, FILE_PROMPT + CONSOLE_HEADER + TURN_PROMPT);
  for (const char* plot : {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    EXPECT_FALSE(dir.exists(plot)) << plot;
  }
}

TEST(Dialogue, NamedFileTakesTheTableEchoesAndEmptyPlotFiles) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "run.txt\n0.5\n-0.001\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.standard_output, FILE_PROMPT + TURN_PROMPT + TURN_PROMPT);
  EXPECT_EQ(dir.read("run.txt"),
            FILE_HEADER + TURN_PROMPT + " 0.500\r\n" + TURN_ERROR + TURN_PROMPT + "-0.001\r\n");
  for (const char* plot : {"speed.dat", "height.dat", "accel.dat", "dynpres.dat"}) {
    EXPECT_TRUE(dir.exists(plot)) << plot;
    EXPECT_EQ(dir.read(plot), "") << plot;
  }
}

TEST(Dialogue, TurnTimesBelowOneSecondAreRefusedOnTheOutputChannel) {
  TempDir dir;
  // 0, 0.999 and minus zero are not negative: each gets the error line.
  const SessionResult r = run_in_process(dir, "\n0\n0.999\n-0\n-5\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.standard_output, FILE_PROMPT + CONSOLE_HEADER + TURN_PROMPT + TURN_ERROR + TURN_PROMPT +
                                   TURN_ERROR + TURN_PROMPT + TURN_ERROR + TURN_PROMPT);
}

TEST(Dialogue, NumberGrammarOfTheAnswers) {
  TempDir dir;
  // Blank lines and tabs are skipped without a new prompt; text after the
  // number is dropped with the rest of its line; Windows line ends work.
  const SessionResult r = run_in_process(dir, "out.txt\r\n\n\t \n 0.5 s\r\n12.5e-2 m/s\n-1\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("out.txt"), FILE_HEADER + TURN_PROMPT + " 0.500\r\n" + TURN_ERROR + TURN_PROMPT +
                                     " 0.125\r\n" + TURN_ERROR + TURN_PROMPT + "-1.000\r\n");
}

TEST(Dialogue, InvalidNumbersEndTheProgramWithError106) {
  for (const char* answer : {"12abc", "abc", "nan", "inf", "1e", "--5", ".", "1.5.3", "0x10", "1e400"}) {
    TempDir dir;
    const SessionResult r = run_in_process(dir, std::string("out.txt\n") + answer + "\n-1\n");
    EXPECT_EQ(r.status, 106) << answer;
    EXPECT_EQ(r.standard_output.rfind(FILE_PROMPT + TURN_PROMPT + "Runtime error 106 at $", 0), 0u)
        << answer << ": " << r.standard_output;
    // What the output file held before the failure is kept.
    EXPECT_EQ(dir.read("out.txt"), FILE_HEADER) << answer;
  }
}

TEST(Dialogue, EndOfInputAtTheFileNamePromptMeansStandardOutput) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.standard_output, FILE_PROMPT + CONSOLE_HEADER + TURN_PROMPT);
}

TEST(Dialogue, EndOfInputAtTheTurnTimePromptEndsTheDialogue) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "out.txt\n0.5\n   \n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(dir.read("out.txt"), FILE_HEADER + TURN_PROMPT + " 0.500\r\n" + TURN_ERROR);
}

TEST(Dialogue, LongFileNamesAreCutTo255Characters) {
  TempDir dir;
  const std::string name(300, 'n');
  const SessionResult r = run_in_process(dir, name + "\n-1\n");
  // Most file systems refuse names over 255 bytes; the cut name is usable.
  EXPECT_EQ(r.status, 0) << r.standard_output;
  EXPECT_TRUE(dir.exists(std::string(255, 'n')));
}

TEST(FailureReport, NamesTheErrorThePositionAndTheCause) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "\n12abc\n");
  ASSERT_EQ(r.status, 106);
  const std::string report = r.standard_output.substr((FILE_PROMPT + CONSOLE_HEADER + TURN_PROMPT).size());
  // "Runtime error 106 at $" and sixteen hexadecimal digits, then the cause and the place.
  ASSERT_GE(report.size(), 40u);
  EXPECT_EQ(report.substr(0, 22), "Runtime error 106 at $");
  EXPECT_EQ(report.substr(22, 16).find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(report.substr(38, 2), "\r\n");
  // What was typed, what to do about it, and a short source place.
  EXPECT_NE(report.find("\r\n  invalid number \"12abc\" in the answer to \"Turn time (s)? \"\r\n"
                        "  Answer with a number such as 20"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("a unit must be separated from the number by a space"), std::string::npos);
  EXPECT_NE(report.find("\r\n  (console/channels.cpp:"), std::string::npos) << report;
  EXPECT_EQ(report.find(" in ascent::"), std::string::npos) << report;
}

TEST(FailureReport, AMissingThrustFileSaysWhereItWasLookedForAndWhereTheSampleIs) {
  TempDir dir;
  const SessionResult r = run_in_process(dir, "\n20\n");
  ASSERT_EQ(r.status, 2);
  EXPECT_NE(r.standard_output.find("in its working folder, " + dir.path().string() + ";"),
            std::string::npos)
      << r.standard_output;
  EXPECT_NE(r.standard_output.find("the project's sample is data/s1.dat"), std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
