// Flights whose perigee is below the surface, and sweeps that keep what they
// finished: such a flight is perigee_below_minimum, a trimmed flight that
// burns more propellant than the stage holds is short_of_propellant, a sweep's rows
// come as they are done with little memory held, a turn time that cannot be
// flown ends only its row, and an interrupted sweep or study keeps its whole
// rows, says how many ran and ends by the signal within a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "hardening/hardening_support.hpp"
#include "hardening/running_program.hpp"
#include "studies/flight_runner.hpp"

namespace ascent::testing {
namespace {

struct Folder : TempDir {
  Folder() { install_sample_thrust_file(*this); }
};

/// ascent-trim with `arguments` in `dir`, run to its end.
struct ToolRun {
  int status;
  std::string out;
  std::string err;
};
ToolRun run_tool(const TempDir& dir, std::vector<std::string> arguments) {
  Launch launch = launch_of(ASCENT_TRIM_EXE, dir.path(), std::move(arguments));
  launch.input_file = "/dev/null";
  RunningProgram program(launch);
  const int status = program.wait();
  return {status, program.standard_output(), program.standard_error()};
}

/// The line of `text` that starts with `start` ("" when none does).
std::string line_starting(const std::string& text, const std::string& start) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with(start)) return line;
  }
  return "";
}

/// [kB] memory the process holds.
long resident_kilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

TEST(PerigeeBelowTheSurface, TheSummarySaysSoRightAfterTheOrbit) {
  Folder dir;
  const std::string warning =
      "Warning! The perigee is below the Earth's surface: the upper stage is not in orbit.\r\n";
  const SessionResult below = run_in_process(dir, "\n20\n15\n-1\n");
  ASSERT_EQ(below.status, 0);
  // The transcripts' line stays, and the warning follows the orbit line.
  EXPECT_NE(below.standard_output.find("Upper Stage in Orbit! Remaining propellant = "),
            std::string::npos);
  const std::size_t orbit = below.standard_output.find("Perigee = -179.9 km, Apogee = ");
  ASSERT_NE(orbit, std::string::npos);
  const std::size_t next_line = below.standard_output.find("\r\n", orbit) + 2;
  EXPECT_EQ(below.standard_output.substr(next_line, warning.size()), warning);
  const SessionResult above = run_in_process(dir, "\n20\n18\n-1\n");
  EXPECT_EQ(above.standard_output.find("Warning!"), std::string::npos);
}

TEST(PerigeeBelowTheSurface, IsNoOrbitForTheFlightInterface) {
  const Vehicle vehicle;
  const ThrustHistory thrust = ThrustHistory::read(std::string(ASCENT_DATA_DIR) + "/s1.dat");
  studies::FlightRequest request{&vehicle, &thrust, *studies::typed_number("20"),
                                 *studies::typed_number("15"), nullptr};
  const studies::FlightOutcome outcome = studies::fly(request);
  EXPECT_TRUE(outcome.separated);
  EXPECT_FALSE(outcome.in_orbit());
  EXPECT_EQ(outcome.outcome, Outcome::perigee_below_minimum);
  EXPECT_NE(outcome.message.find("(below the surface)"), std::string::npos) << outcome.message;
  EXPECT_LT(outcome.perigee, 0.0);
}

TEST(PerigeeBelowTheSurface, TheTrimTakesItAsTooLowAndTheSweepMarksItsRows) {
  Folder dir;
  // At 5 s the average altitude reaches 200 km only where the perigee is
  // still below the surface: no trim.
  const ToolRun trim = run_tool(dir, {"trim", "-t", "5"});
  EXPECT_EQ(trim.status, 1);
  EXPECT_NE(trim.out.find(" the perigee is below the surface (no orbit), from maxa "),
            std::string::npos)
      << trim.out;

  const ToolRun table = run_tool(dir, {"sweep", "--from", "5", "--to", "30", "--step", "5"});
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_NE(
      line_starting(table.out, "         5  not_converged: ").find("perigee is below the surface"),
      std::string::npos)
      << table.out;
  // 10 and 15 s run the upper stage dry: trimmed, but short of propellant.
  for (const char* turn : {"        10 ", "        15 "}) {
    const std::string row = line_starting(table.out, turn);
    EXPECT_NE(row.find("  short_of_propellant: the upper stage needs "), std::string::npos)
        << table.out;
    EXPECT_TRUE(row.ends_with(" kg more propellant than it holds")) << row;
  }
  EXPECT_EQ(line_starting(table.out, "        20 ").find("short_of_propellant"), std::string::npos);
  EXPECT_TRUE(line_starting(table.out, "Largest payload: ")
                  .ends_with(" at turn time 30 s (maxa 19.461161 deg), the last turn time swept: a "
                             "longer one may carry "
                             "more."))
      << table.out;

  const ToolRun csv =
      run_tool(dir, {"sweep", "--from", "10", "--to", "20", "--step", "5", "--csv"});
  EXPECT_TRUE(line_starting(csv.out, "10,").ends_with(
      ",9,short_of_propellant,the upper stage needs 1324 kg more propellant than it holds"))
      << csv.out;
  EXPECT_TRUE(line_starting(csv.out, "20,").ends_with(",in_orbit,")) << csv.out;
}

TEST(SweepRun, TheLargestPayloadAtTheFirstTurnTimeSaysSo) {
  Folder dir;
  const ToolRun run = run_tool(dir, {"sweep", "--from", "118", "--to", "121"});
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(line_starting(run.out, "Largest payload: ")
                  .ends_with(", the first turn time swept: a shorter one may carry more."))
      << run.out;
  EXPECT_NE(line_starting(run.out, "       121  turn_too_long: Turn time too long"), "");
}

TEST(SweepRun, ATurnTimeThatCannotBeFlownGetsItsReasonAndTheSweepGoesOn) {
  Folder dir;
  std::string cut;
  std::istringstream sample(sample_thrust_file());
  for (std::string line; cut.size() < 1000 && std::getline(sample, line);) cut += line + "\n";
  dir.write("cut.dat", cut);
  const ToolRun run = run_tool(dir, {"-f", "cut.dat", "sweep", "--from", "10", "--to", "12"});
  EXPECT_EQ(run.status, 1);
  for (const char* turn : {"        10  ", "        11  ", "        12  "}) {
    const std::string row = line_starting(run.out, turn);
    EXPECT_NE(row.find("flight_error: the booster thrust file \"cut.dat\" ends after record "),
              std::string::npos)
        << run.out;
  }
  EXPECT_NE(run.out.find("No turn time could be trimmed to a flight in orbit."), std::string::npos);
}

TEST(SweepRun, AMillionTurnTimesStreamInLittleMemoryAndAnInterruptKeepsTheRows) {
  Folder dir;
  RunningProgram program(
      launch_of(ASCENT_TRIM_EXE, dir.path(),
                {"sweep", "--from", "10", "--to", "1000", "--step", "0.001", "-j", "2", "--csv"}));
  // 990001 turn times: rows come out long before the last is done.
  ASSERT_TRUE(program.wait_for_output("\n10.002,", std::chrono::minutes(2)));
  const long resident = resident_kilobytes(program.pid());
  program.interrupt(SIGINT);
  EXPECT_EQ(program.wait(), 128 + SIGINT);
  EXPECT_TRUE(program.signalled());
  // The sanitizers' own memory aside, a few megabytes; a table held whole took hundreds.
  EXPECT_LT(resident, 100 * 1024) << "kB";
  const std::string& out = program.standard_output();
  ASSERT_TRUE(out.ends_with("\n")) << out.substr(out.size() - 100);
  std::istringstream lines(out);
  std::string line;
  std::getline(lines, line);
  EXPECT_TRUE(line.starts_with("turn_time_s,")) << line;
  std::size_t rows = 0;
  while (std::getline(lines, line)) {
    EXPECT_TRUE(line.starts_with(
        studies::typed_number(10.0 + 0.001 * static_cast<double>(rows), 6).text + ","))
        << line;
    ++rows;
  }
  EXPECT_GE(rows, 3u);
  EXPECT_EQ(program.standard_error(),
            "ascent-trim: interrupted after " + std::to_string(rows) + " of 990001 cases\n");
}

TEST(SweepRun, ASignalEndsASweepOrAStudyWithinASecondKeepingTheWholeRows) {
  struct Long {
    std::vector<std::string> arguments;
    std::string first_rows;  ///< seen once a few rows are out
    std::string file;        ///< the rows' file ("" for the standard output)
    std::string total;
  };
  const std::vector<Long> runs = {
      {{"sweep", "--from", "10", "--to", "100", "--step", "0.01", "--csv", "-j", "2"},
       "\n10.03,", "", "9001"},
      {{"dispersions", "-t", "20", "-n", "3000", "-o", "cases.csv"}, "", "cases.csv", "3000"},
  };
  for (const Long& run : runs) {
    SCOPED_TRACE(run.arguments.front());
    Folder dir;
    RunningProgram program(launch_of(ASCENT_TRIM_EXE, dir.path(), run.arguments));
    if (run.file.empty()) {
      ASSERT_TRUE(program.wait_for_output(run.first_rows, std::chrono::minutes(1)));
    } else {
      // The cases go to a file beside the old one until the study ends: once
      // it is there the cases are being flown.
      const auto pending = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
          if (entry.path().filename().string().starts_with("." + run.file + ".")) return true;
        }
        return false;
      };
      while (!pending()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const auto signalled = std::chrono::steady_clock::now();
    program.send(SIGINT);
    EXPECT_EQ(program.wait(), 128 + SIGINT);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
    const std::string rows = run.file.empty() ? program.standard_output() : dir.read(run.file);
    ASSERT_TRUE(rows.ends_with("\n"));
    const auto written = std::count(rows.begin(), rows.end(), '\n') - 1;  // the header aside
    EXPECT_EQ(program.standard_error(), "ascent-trim: interrupted after " +
                                            std::to_string(written) + " of " + run.total +
                                            " cases\n");
  }
}

}  // namespace
}  // namespace ascent::testing
