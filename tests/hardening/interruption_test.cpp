// Signals and a reader that goes away: whenever the program is asked to end,
// every file it wrote ends on a whole line and holds everything written up
// to then, the constants file is whole, no temporary file is left, and the
// program ends by the signal, as a shell expects (by the first, when two come).
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <utility>

#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"

namespace ascent::testing {
namespace {

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

Launch ascent_in(const TempDir& dir) {
  return launch_of(ASCENT_EXE, dir.path());
}

TEST(Interruption, AtAPromptTheSessionEndsByTheSignalWithWholeFiles) {
  // One signal, sent while the program sleeps in its read of the answer:
  // the read is not resumed after the handler, so the session ends at once,
  // every time.
  for (int round = 0; round < 2; ++round) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
      SCOPED_TRACE(signal);
      Folder dir;
      RunningProgram program(ascent_in(dir));
      program.answer("run.txt\n20\n");
      ASSERT_TRUE(program.wait_for_output(ANGLE_PROMPT));
      ASSERT_TRUE(program.wait_until_sleeping_in("pipe_read"));
      program.send(signal);
      EXPECT_EQ(program.wait(std::chrono::seconds(2)), 128 + signal);
      EXPECT_TRUE(program.signalled());
      // The prompt that got no answer is ended; no failure report.
      EXPECT_TRUE(program.standard_output().ends_with(std::string(ANGLE_PROMPT) + "\r\n"))
          << program.standard_output();
      EXPECT_EQ(program.standard_error(), "");
      // The booster phase's rows, every one of them.
      EXPECT_GT(step_rows(dir.read("run.txt")), 100u);
      expect_whole_files(dir, "run.txt");
      EXPECT_FALSE(dir.exists("const_n.hpp"));
    }
  }
}

TEST(Interruption, OfTwoSignalsTheFirstReceivedDecidesHowTheProgramEnds) {
  // The first ends the wait for an answer; the second comes while the
  // program ends, its last write held up by a reader that stopped reading.
  const std::pair<int, int> orders[] = {{SIGTERM, SIGINT}, {SIGINT, SIGTERM}, {SIGHUP, SIGINT}};
  for (const auto& [first, second] : orders) {
    SCOPED_TRACE(std::to_string(first) + " then " + std::to_string(second));
    Folder dir;
    RunningProgram program(ascent_in(dir));
    program.answer("run.txt\n20\n");
    ASSERT_TRUE(program.wait_for_output(ANGLE_PROMPT));
    ASSERT_TRUE(program.wait_until_sleeping_in("pipe_read"));
    program.fill_output_pipe();
    program.send(first);
    ASSERT_TRUE(program.wait_until_sleeping_in("pipe_write", std::chrono::seconds(2)));
    program.send(second);
    EXPECT_EQ(program.wait(std::chrono::seconds(2)), 128 + first);
    EXPECT_TRUE(program.signalled());
    expect_whole_files(dir, "run.txt");
  }
}

TEST(Interruption, ASignalEndsAWriteThatASlowReaderHasTakenPartOf) {
  // The table goes to a pipe in large blocks. A block the reader has taken
  // part of is cut short by the signal: the program ends without waiting
  // for the reader to take the rest.
  Folder dir;
  RunningProgram program(ascent_in(dir));
  program.answer("\n");
  ASSERT_TRUE(program.wait_for_output(TURN_PROMPT));
  ASSERT_TRUE(program.wait_until_sleeping_in("pipe_read"));
  program.fill_output_pipe();
  program.answer("20\n18\n");
  ASSERT_TRUE(program.wait_until_sleeping_in("pipe_write"));
  program.take_output(8192);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(program.wait_until_sleeping_in("pipe_write"));
  program.send(SIGINT);
  EXPECT_TRUE(program.ends_unread(std::chrono::seconds(2)));
  EXPECT_EQ(program.wait(), 128 + SIGINT);
}

TEST(Interruption, DuringTheRunsTheFilesHoldEveryLineWrittenUpToThen) {
  Folder dir;
  std::string answers = "run.txt\n";
  for (int run = 0; run < 400; ++run) answers += run % 2 == 0 ? "20\n18\n" : "25\n19\n";
  dir.write("answers.in", answers + "-1\n");
  Launch launch = ascent_in(dir);
  launch.input_file = dir.path() / "answers.in";
  RunningProgram program(launch);
  ASSERT_TRUE(program.wait_for_output(ANGLE_PROMPT));
  program.interrupt(SIGTERM);
  EXPECT_EQ(program.wait(), 128 + SIGTERM);
  const std::string output = dir.read("run.txt");
  ASSERT_EQ(output.find(std::string(TURN_PROMPT) + "-1.000"), std::string::npos)
      << "the session ended before the signal came";
  expect_whole_files(dir, "run.txt");
}

TEST(Interruption, AReaderThatGoesAwayEndsTheSessionBySigpipeWithWholeFiles) {
  // With an output file the console breaks at the next prompt; without one,
  // at the next rows of the table.
  for (const std::string name : {"run.txt", ""}) {
    SCOPED_TRACE(name);
    Folder dir;
    RunningProgram program(ascent_in(dir));
    program.answer(name + "\n20\n18\n");
    const std::string first_run_done =
        name.empty() ? "Recommended maxa" : std::string(ANGLE_PROMPT) + TURN_PROMPT;
    ASSERT_TRUE(program.wait_for_output(first_run_done));
    program.close_output();
    program.answer("25\n19\n-1\n");
    EXPECT_EQ(program.wait(), 128 + SIGPIPE);
    EXPECT_EQ(program.standard_error(), "");
    // The first run, whole, and what the second wrote until the console broke.
    if (!name.empty()) {
      EXPECT_NE(dir.read(name).find("Recommended maxa"), std::string::npos);
    }
    EXPECT_TRUE(dir.exists("const_n.hpp"));
    expect_whole_files(dir, name);
  }
}

}  // namespace
}  // namespace ascent::testing
