// The study commands of ascent-trim used as a careless or hostile user
// would: bounds out of order or out of range, empty report names, a vehicle
// whose upper stage cannot accelerate, signals in the middle of a search, a
// target nothing was flown to, a report that meets a full disk, names in
// another encoding than UTF-8, a study in which no case separates. Each ends
// with a clear status, an honest outcome or a whole file.
#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "deck/vehicle_deck.hpp"
#include "hardening/trim_tool_runs.hpp"
#include "mission/flight.hpp"
#include "support/utf8_check.hpp"
#include "studies/study.hpp"

namespace ascent::testing {
namespace {

using Folder = TrimFolder;

/// Writes the default vehicle with its upper stage's thrust at `thrust` [N] as `name`.
void write_deck_with_upper_stage_thrust(const TempDir& dir, const std::string& name,
                                        double thrust) {
  Vehicle vehicle;
  vehicle.upper_stage.thrust = thrust;
  dir.write(name, vehicle_deck_text(vehicle));
}

/// True once the process has a handler for `signal` (/proc/PID/status, SigCgt).
bool catches(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (!line.starts_with("SigCgt:")) continue;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return ((mask >> (signal - 1)) & 1u) != 0;
  }
  return false;
}

TEST(StudyCommandLine, SearchBoundsAndReportNamesAreChecked) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"optimize", "--from", "50", "--to", "50"}, "--from must be before --to"},
      {{"optimize", "--from", "60", "--to", "50"}, "--from must be before --to"},
      {{"optimize", "--from", "nan"}, "--from"},
      {{"optimize", "--to", "1e300"}, "--to"},
      {{"optimize", "--from", "0.5"}, "--from"},
      {{"optimize", "--max-q-alpha", "nan"}, "--max-q-alpha"},
      {{"optimize", "--max-dynamic-pressure", "-5"}, "--max-dynamic-pressure"},
      {{"optimize", "--max-acceleration", "inf"}, "--max-acceleration"},
      {{"optimize", "--report", ""}, "--report"},
      {{"sweep", "--from", "20", "--to", "21", "--report", ""}, "--report"},
      {{"dispersions", "-t", "20", "--report", ""}, "--report"},
  };
  expect_refused(refused);
  const trim::CommandLineOutcome closest = parsed({"optimize", "--from", "50", "--to", "50.001"});
  ASSERT_TRUE(closest.line) << closest.standard_error;
  EXPECT_EQ(closest.line->from, 50.0);
}

// An upper stage of 1 N under the vertical-acceleration law held its climb
// rate by thrust it did not have, at 90 deg, and flew for ever.
TEST(WeakUpperStage, EveryFlightEndsSoonWithoutAnOrbit) {
  struct Bounded : FlightObserver {
    long steps = 0;
    void on_step(const FlightState&, const StepQuantities&) override {
      if (++steps > 300000) throw std::runtime_error("the flight goes on and on");
    }
  };
  const ThrustHistory thrust = ThrustHistory::read(std::string(ASCENT_DATA_DIR) + "/s1.dat");
  for (const double stage_thrust : {std::numeric_limits<double>::denorm_min(), 1.0, 1000.0, 17000.0}) {
    for (const double maxa : {5.0, 18.0, 45.0, 90.0}) {
      SCOPED_TRACE(std::to_string(stage_thrust) + " N at maxa " + std::to_string(maxa));
      Vehicle vehicle;
      vehicle.upper_stage.thrust = stage_thrust;
      Bounded observer;
      FlightResult r;
      ASSERT_NO_THROW(r = fly(vehicle, thrust, {20.0, maxa, {}}, &observer));
      EXPECT_EQ(r.outcome, Outcome::cannot_reach_orbit);
      for (UpperStageGuidance guidance :
           {UpperStageGuidance::vertical_acceleration, UpperStageGuidance::orbit_insertion}) {
        vehicle.upper_stage.guidance = guidance;
        Bounded again;
        ASSERT_NO_THROW(r = fly(vehicle, thrust, {20.0, maxa, {}}, &again));
        EXPECT_FALSE(r.in_orbit());
      }
    }
  }
}

TEST(WeakUpperStage, EveryStudyCommandEndsWithNoFeasibleResult) {
  Folder dir;
  write_deck_with_upper_stage_thrust(dir, "weak.toml", 1.0);
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"trim", "-t", "20"}, {"target", "-t", "20"},
        {"optimize", "--from", "20", "--to", "40"}, {"sensitivities", "-t", "20"}}) {
    SCOPED_TRACE(command.front());
    std::vector<std::string> arguments{"--vehicle", "weak.toml"};
    arguments.insert(arguments.end(), command.begin(), command.end());
    RunningProgram program(trim_tool(dir, arguments));
    EXPECT_EQ(program.wait(std::chrono::seconds(60)), 1) << program.standard_error();
  }
}

// Sensitivities and optimize write their table when they are done: a signal
// before then ends them without it, with the signal's status.
TEST(StudyInterruption, ASignalEndsASearchBeforeItsTable) {
  Folder dir;
  for (const auto& [command, signal] :
       {std::pair<std::vector<std::string>, int>{{"sensitivities", "-t", "80"}, SIGINT},
        {{"sensitivities", "-t", "80"}, SIGTERM},
        {{"optimize", "--from", "20", "--to", "115"}, SIGTERM},
        {{"target", "-t", "20"}, SIGINT}}) {
    SCOPED_TRACE(command.front() + " " + std::to_string(signal));
    RunningProgram program(trim_tool(dir, command));
    while (!catches(program.pid(), signal)) std::this_thread::yield();
    program.send(signal);
    EXPECT_EQ(program.wait(), 128 + signal);
    EXPECT_EQ(program.standard_output(), "") << "the search ran on to its end";
  }
}

TEST(TargetNotFlown, ShowsNoOrbit) {
  Folder dir;
  for (const char* turn_time : {"200", "130"}) {
    RunningProgram table(trim_tool(dir, {"target", "-t", turn_time}));
    EXPECT_EQ(table.wait(), 1);
    EXPECT_EQ(table.standard_output().find("perigee"), std::string::npos)
        << table.standard_output();
    EXPECT_EQ(table.standard_output().find("SC_M"), std::string::npos);
    EXPECT_EQ(table.standard_output().find(".."), std::string::npos) << "a doubled full stop";
    RunningProgram csv(trim_tool(dir, {"--csv", "target", "-t", turn_time}));
    EXPECT_EQ(csv.wait(), 1);
    std::istringstream lines(csv.standard_output());
    std::string header, row;
    std::getline(lines, header);
    std::getline(lines, row);
    // turn time, maxa, trimmed, the target's apsides, then the orbit: empty.
    EXPECT_NE(row.find(",200000.000,200000.000,,,,,"), std::string::npos) << row;
  }
}

TEST(StudyReport, AFullDiskLeavesThePreviousReportWhole) {
  Folder dir;
  const std::string previous = "<!DOCTYPE html>\n<p>the last review's page</p>\n";
  dir.write("r.html", previous);
  Launch launch = trim_tool(dir, {"sweep", "--from", "20", "--to", "21", "--report", "r.html"});
  launch.file_size_limit = 4001;  // the page is longer
  RunningProgram program(launch);
  EXPECT_EQ(program.wait(), 101);
  EXPECT_NE(program.standard_error().find("r.html"), std::string::npos)
      << program.standard_error();
  EXPECT_EQ(dir.read("r.html"), previous);
  EXPECT_EQ(temporary_files(dir), "");
  RunningProgram whole(
      trim_tool(dir, {"sweep", "--from", "20", "--to", "21", "--report", "r.html"}));
  EXPECT_EQ(whole.wait(), 0);
  EXPECT_TRUE(dir.read("r.html").ends_with("</html>\n"));
}

TEST(StudyReport, ADeckNamedInAnotherEncodingKeepsThePageUtf8) {
  Folder dir;
  const std::string latin1 = "v\xe9hicule.toml";  // ISO 8859-1
  dir.write(latin1, vehicle_deck_text(Vehicle{}));
  RunningProgram program(trim_tool(
      dir, {"--vehicle", latin1, "sweep", "--from", "20", "--to", "21", "--report", "r.html"}));
  ASSERT_EQ(program.wait(), 0) << program.standard_error();
  const std::string page = dir.read("r.html");
  EXPECT_TRUE(well_formed_utf8(page));
  EXPECT_NE(page.find("v\xef\xbf\xbdhicule.toml"), std::string::npos);
}

TEST(StudyWithoutSeparation, IsSummarisedAndReported) {
  Folder dir;
  // Every case's upper stage keeps a thousandth of its thrust: none separates.
  dir.write("weak.toml", "[upper_stage]\nthrust = { uniform_relative = [-0.9995, -0.999] }\n");
  RunningProgram program(trim_tool(dir, {"dispersions", "-n", "3", "-t", "20", "--open-loop",
                                         "--set", "weak.toml", "--report", "r.html", "-o",
                                         "cases.csv"}));
  EXPECT_EQ(program.wait(), 1) << program.standard_error();
  EXPECT_NE(program.standard_output().find("In orbit: 0 of 3"), std::string::npos)
      << program.standard_output();
  EXPECT_NE(dir.read("cases.csv").find("cannot_reach_orbit"), std::string::npos);
  EXPECT_TRUE(dir.read("r.html").ends_with("</html>\n"));
}

// An elliptic target's perigee and apogee are each compared with its own.
TEST(GuidedStudy, ACaseOnAnEllipticTargetCountsAsNearIt) {
  TargetOrbit target;
  target.perigee = 185000.0;
  target.apogee = 400000.0;
  studies::CaseResult on;
  on.flown = true;
  on.perigee = 185500.0;
  on.apogee = 399000.0;
  EXPECT_TRUE(studies::near_target(on, target, 2000.0));
  studies::CaseResult swapped = on;
  swapped.perigee = 399000.0;
  swapped.apogee = 185500.0;
  EXPECT_FALSE(studies::near_target(swapped, target, 2000.0));
  studies::CaseResult high = on;
  high.apogee = 410000.0;
  EXPECT_FALSE(studies::near_target(high, target, 2000.0));
}

// A circular orbit given by its apsides is a target like any other.
TEST(GuidedStudy, ATargetWhosePerigeeIsItsApogeeIsFlown) {
  Folder dir;
  Vehicle circular;
  circular.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  circular.target.perigee = 250000.0;
  circular.target.apogee = 250000.0;
  circular.target.altitude = 250000.0;
  dir.write("circular.toml", vehicle_deck_text(circular));
  EXPECT_EQ(read_vehicle_deck(dir.path() / "circular.toml"), circular);
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--vehicle", "circular.toml", "target", "-t", "20", "--maxa",
                                 "18"},
        {"target", "-t", "20", "--maxa", "18", "--perigee", "250000", "--apogee", "250000"}}) {
    RunningProgram program(trim_tool(dir, arguments));
    EXPECT_NE(program.wait(), 2) << program.standard_error();
    EXPECT_NE(program.standard_output().find("to 250.000 x 250.000 km"), std::string::npos)
        << program.standard_output();
  }
}

}  // namespace
}  // namespace ascent::testing
