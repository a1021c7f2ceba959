// ascent-trim's command line and outputs: every numeric option refuses
// values that are no numbers or out of its range as a bad command line
// (status 2, the option named), and an output that cannot be written is a
// failure (status 101, said on the standard error), never a success.
#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <vector>

#include "hardening/trim_tool_runs.hpp"

namespace ascent::testing {
namespace {

using Folder = TrimFolder;

TEST(TrimCommandLine, NumbersThatAreNoneOrOutOfRangeAreBadCommandLines) {
  struct Case {
    std::vector<std::string> options;  // before "trim -t 20", or a sweep's own
    std::string named;
  };
  const std::vector<std::string> sweep = {"sweep", "--from", "10", "--to", "30"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> all = sweep;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const std::vector<Case> cases = {
      {{"--tolerance", "nan", "trim", "-t", "20"}, "--tolerance"},
      {{"--tolerance", "-nan", "trim", "-t", "20"}, "--tolerance"},
      {{"--tolerance", "inf", "trim", "-t", "20"}, "--tolerance"},
      {{"--tolerance", "1e400", "trim", "-t", "20"}, "--tolerance"},
      {{"--tolerance", "1e-400", "trim", "-t", "20"}, "--tolerance"},
      {{"--tolerance", "0", "trim", "-t", "20"}, "--tolerance"},
      {{"--start-maxa", "nan", "trim", "-t", "20"}, "--start-maxa"},
      {{"--start-maxa", "-inf", "trim", "-t", "20"}, "--start-maxa"},
      {{"--start-maxa", "90.5", "trim", "-t", "20"}, "--start-maxa"},
      {{"--start-maxa", "0x10", "trim", "-t", "20"}, "--start-maxa"},
      {{"--max-flights", "nan", "trim", "-t", "20"}, "--max-flights"},
      {{"--max-flights", "1e3", "trim", "-t", "20"}, "--max-flights"},
      {{"--max-flights", "99999999999999999999999", "trim", "-t", "20"}, "--max-flights"},
      {{"--max-flights", "1", "trim", "-t", "20"}, "--max-flights"},
      {{"trim", "-t", "nan"}, "--turn-time"},
      {{"events", "-t", "inf"}, "--turn-time"},
      {{"history", "-t", "0.5"}, "--turn-time"},
      {{"sweep", "--from", "nan", "--to", "30"}, "--from"},
      {{"sweep", "--from", "10", "--to", "inf"}, "--to"},
      {{"sweep", "--from", "0.5", "--to", "30"}, "--from"},
      {{"sweep", "--from", "10", "--to", "1001"}, "--to"},
      {with({"--step", "nan"}), "--step"},
      {with({"--step", "1e-7"}), "--step"},
      {with({"--step", "-1"}), "--step"},
      {with({"-j", "nan"}), "--jobs"},
      {with({"-j", "-1"}), "--jobs"},
      {with({"-j", "1025"}), "--jobs"},
      {{"sweep", "--from", "30", "--to", "10"}, "--to"},
      {{"sweep", "--from", "1", "--to", "1000", "--step", "0.000999"}, "--step"},
  };
  Folder dir;
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& option : c.options) shown += option + " ";
    SCOPED_TRACE(shown);
    RunningProgram program(trim_tool(dir, c.options));
    EXPECT_EQ(program.wait(), 2);
    EXPECT_EQ(program.standard_output(), "");
    EXPECT_NE(program.standard_error().find(c.named), std::string::npos)
        << program.standard_error();
  }
}

TEST(TrimCommandLine, CountsAndFileNamesAreCheckedLikeEveryOtherValue) {
  const std::vector<std::string> study = {"dispersions", "-t", "20"};
  const auto with = [&](std::vector<std::string> more) {
    std::vector<std::string> all = study;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {with({"--seed", "-1"}), "--seed"},
      {with({"--seed", ""}), "--seed"},
      {with({"--seed", "0x10"}), "--seed"},
      {with({"--seed", "1e3"}), "--seed"},
      {with({"-n", "0x10"}), "--cases"},
      {with({"-n", ""}), "--cases"},
      {with({"-n", "1000001"}), "--cases"},
      {with({"-j", "-1"}), "--jobs"},
      {with({"-o", ""}), "--output"},
      {with({"--set", ""}), "--set"},
      {{"--vehicle", "", "trim", "-t", "20"}, "--vehicle"},
      {{"history", "-t", "20", "-o", ""}, "--output"},
      {{"trim", "-t", "20", "--run-files", ""}, "--run-files"},
  };
  expect_refused(refused);
  const trim::CommandLineOutcome taken =
      parsed(with({"--seed", "999999999999999999", "-n", "1000000", "-j", "1024"}));
  ASSERT_TRUE(taken.line) << taken.standard_error;
  EXPECT_EQ(taken.line->dispersions.seed, 999999999999999999u);
  EXPECT_EQ(taken.line->dispersions.cases, 1000000u);
  // The target altitude, like every setting, before or after the command.
  for (const auto& arguments :
       {std::vector<std::string>{"--target-altitude", "300000", "trim", "-t", "20"},
        std::vector<std::string>{"dispersions", "-t", "20", "--target-altitude", "300000"}}) {
    const trim::CommandLineOutcome target = parsed(arguments);
    ASSERT_TRUE(target.line) << target.standard_error;
    EXPECT_EQ(target.line->target_altitude, 300000.0);
  }
}

TEST(TrimCommandLine, TheEndsOfEachRangeAreTaken) {
  const trim::CommandLineOutcome trim = parsed(
      {"--tolerance", "0.001", "--start-maxa", "90", "--max-flights", "10000", "trim", "-t", "1"});
  ASSERT_TRUE(trim.line) << trim.standard_error;
  EXPECT_EQ(trim.line->settings.tolerance, 0.001);
  EXPECT_EQ(trim.line->settings.start_maxa, 90.0);
  EXPECT_EQ(trim.line->settings.max_flights, 10000);
  EXPECT_EQ(trim.line->turn_time.value, 1.0);
  const trim::CommandLineOutcome sweep =
      parsed({"sweep", "--from", "1", "--to", "1000", "--step", "1e-3", "-j", "0", "--csv"});
  ASSERT_TRUE(sweep.line) << sweep.standard_error;
  EXPECT_EQ(sweep.line->command, trim::Command::sweep);
  EXPECT_EQ(sweep.line->step, 0.001);
  EXPECT_EQ(sweep.line->format, trim::Format::csv);
  // Help is no failure, and ends nothing but the reading.
  const trim::CommandLineOutcome help = parsed({"--help"});
  EXPECT_FALSE(help.line);
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.standard_output.find("sweep"), std::string::npos);
}

TEST(TrimOutput, AStandardOutputThatCannotBeWrittenIsError101) {
  const std::vector<std::vector<std::string>> commands = {
      {"trim", "-t", "20"},
      {"events", "-t", "20"},
      {"history", "-t", "20"},
      {"sweep", "--from", "20", "--to", "21", "-j", "1"},
  };
  Folder dir;
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(command.front());
    Launch full = trim_tool(dir, command);
    full.output_file = "/dev/full";
    RunningProgram on_full(full);
    EXPECT_EQ(on_full.wait(), 101);
    EXPECT_EQ(on_full.standard_error(),
              "ascent-trim: cannot write to \"standard output\": No space left on device\n");
    Launch closed = trim_tool(dir, command);
    closed.close_standard_output = true;
    RunningProgram on_closed(closed);
    EXPECT_EQ(on_closed.wait(), 101);
    EXPECT_EQ(on_closed.standard_error(),
              "ascent-trim: cannot write to \"standard output\": Bad file descriptor\n");
  }
}

TEST(TrimOutput, AHistoryFileThatMeetsAFullDiskEndsOnAWholeLine) {
  Folder dir;
  Launch launch = trim_tool(dir, {"history", "-t", "20", "-o", "flight.csv"});
  launch.file_size_limit = 50001;
  RunningProgram program(launch);
  EXPECT_EQ(program.wait(), 101);
  EXPECT_EQ(program.standard_error(),
            "ascent-trim: cannot write to \"flight.csv\": File too large\n");
  const std::string csv = dir.read("flight.csv");
  EXPECT_GT(csv.size(), 49000u);
  EXPECT_LE(csv.size(), 50001u);
  EXPECT_TRUE(csv.ends_with("\n"));
}

TEST(TrimOutput, AnOutputFileOnAFullDiskIsError101WithItsName) {
  Folder dir;
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"history", "-t", "20", "-o", "/dev/full"},
        std::vector<std::string>{"dispersions", "-t", "20", "-n", "4", "-o", "/dev/full"}}) {
    SCOPED_TRACE(command.front());
    RunningProgram program(trim_tool(dir, command));
    EXPECT_EQ(program.wait(), 101);
    EXPECT_EQ(program.standard_error(),
              "ascent-trim: cannot write to \"/dev/full\": No space left on device\n");
  }
  RunningProgram report(
      trim_tool(dir, {"sweep", "--from", "10", "--to", "11", "--report", "/dev/full"}));
  EXPECT_EQ(report.wait(), 101);
  EXPECT_EQ(report.standard_error(),
            "ascent-trim: cannot write to \"/dev/full\": No space left on device\n");
}

// A target the deck reader would refuse is bad input wherever it is given.
TEST(TrimOutput, AnImpossibleTargetOnTheCommandLineIsStatus2) {
  Folder dir;
  RunningProgram program(
      trim_tool(dir, {"target", "-t", "20", "--perigee", "300000", "--apogee", "200000"}));
  EXPECT_EQ(program.wait(), 2);
  EXPECT_EQ(program.standard_error(), "ascent-trim: the target's perigee is above its apogee\n");
}

TEST(TrimOutput, AReaderThatGoesAwayEndsTheSweepBySigpipe) {
  Folder dir;
  RunningProgram program(trim_tool(dir, {"sweep", "--from", "10", "--to", "40", "-j", "2"}));
  ASSERT_TRUE(program.wait_for_output("[deg]"));
  program.close_output();
  EXPECT_EQ(program.wait(), 128 + SIGPIPE);
  EXPECT_EQ(program.standard_error(), "");
}

}  // namespace
}  // namespace ascent::testing
