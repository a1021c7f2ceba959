// The command line of the built ascent-trim: help, usage errors, and the
// tables it writes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

/// Runs ascent-trim with `arguments` in a fresh folder holding the sample s1.dat.
ProgramRun trim_program(const std::string& arguments, const TempDir& dir) {
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE "' " +
                              arguments + " > out.txt 2> err.txt";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = dir.read("out.txt");
  run.err = dir.read("err.txt");
  return run;
}

ProgramRun trim_program(const std::string& arguments) {
  TempDir dir;
  install_sample_thrust_file(dir);
  return trim_program(arguments, dir);
}

TEST(CommandLine, HelpNamesTheSubcommands) {
  const ProgramRun help = trim_program("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"trim", "sweep", "events", "history", "--thrust-file", "--csv"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  EXPECT_EQ(trim_program("sweep --help").status, 0);
}

TEST(CommandLine, BadOptionsAndValuesAreUsageErrors) {
  for (const char* arguments :
       {"", "fly", "trim", "trim -t", "trim -t abc", "trim -t 12abc", "trim -t 0.5",
        "trim -t 20 --bogus", "--tolerance -1 trim -t 20", "-f missing.dat trim -t 20",
        "sweep --from 10", "sweep --from 10 --to 30 --step 0", "sweep --from 30 --to 10"}) {
    const ProgramRun run = trim_program(arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_TRUE(run.out.empty()) << arguments;
    EXPECT_FALSE(run.err.empty()) << arguments;
  }
}

TEST(CommandLine, OptimizeReportsThePlanItsLoadsAndFailsWhenNothingIsFeasible) {
  const ProgramRun table = trim_program("optimize --from 20 --to 40 --max-q-alpha 11000");
  EXPECT_EQ(table.status, 0) << table.err;
  for (const char* line : {"Largest payload for turn times from 20 to 40 s",
                           "maximum q*alpha", "active constraints          q*alpha limit"}) {
    EXPECT_NE(table.out.find(line), std::string::npos) << line << "\n" << table.out;
  }
  const ProgramRun csv = trim_program("optimize --from 20 --to 40 --csv");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_NE(csv.out.find(",active,trims,total_flights,guidance,target_perigee_m,"
                         "target_apogee_m\n40,"),
            std::string::npos)
      << csv.out;
  EXPECT_NE(csv.out.find(",longest turn time,"), std::string::npos) << csv.out;

  const ProgramRun none = trim_program("optimize --max-dynamic-pressure 10000");
  EXPECT_EQ(none.status, 1);
  EXPECT_TRUE(none.out.starts_with("No turn time from 20 to 115 s gives a feasible")) << none.out;
  EXPECT_EQ(trim_program("optimize --from 40 --to 20").status, 2);
  EXPECT_EQ(trim_program("optimize --max-q-alpha 0").status, 2);

  const ProgramRun ratios = trim_program("sensitivities -t 80 --csv");
  EXPECT_EQ(ratios.status, 0) << ratios.err;
  EXPECT_TRUE(ratios.out.starts_with(
      "field,unit,value,step,central,ratio_kg_per_unit,per_percent_kg,message,note\n"))
      << ratios.out;
  EXPECT_NE(ratios.out.find("\nupper_stage.ullage_and_rcs_propellant,kg,71,0.071,true,-1,"),
            std::string::npos)
      << ratios.out;
  // The readable table notes why the booster's propellant costs payload.
  const ProgramRun table_of_ratios = trim_program("sensitivities -t 80");
  const std::size_t booster = table_of_ratios.out.find("\nboosters.propellant ");
  ASSERT_NE(booster, std::string::npos) << table_of_ratios.out;
  EXPECT_NE(table_of_ratios.out.find("  (*)\n", booster), std::string::npos);
  EXPECT_NE(table_of_ratios.out.find("\n(*) The thrust file fixes the booster's burn"),
            std::string::npos);
}

TEST(CommandLine, TrimWritesATableOrCsvAndFailsWhenNotTrimmed) {
  const ProgramRun table = trim_program("trim -t 20");
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_NE(table.out.find("maximum angle of attack        " + trimmed_at_20s().maxa.text),
            std::string::npos)
      << table.out;

  const ProgramRun csv = trim_program("trim --turn-time 20 --csv");
  EXPECT_EQ(csv.status, 0);
  std::istringstream lines(csv.out);
  std::string header;
  std::string row;
  std::getline(lines, header);
  std::getline(lines, row);
  EXPECT_TRUE(header.starts_with("turn_time_s,maxa_deg,perigee_m,")) << header;
  EXPECT_TRUE(row.starts_with("20," + trimmed_at_20s().maxa.text + ",")) << row;
  EXPECT_TRUE(row.ends_with(",in_orbit,")) << row;

  const ProgramRun refused = trim_program("trim -t 121");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.out.find("Not trimmed (turn_too_long): Turn time too long"), std::string::npos);
}

TEST(CommandLine, TrimReportsItsFlightsOutcomeAndFailsWhenNotInOrbit) {
  const ProgramRun in_orbit = trim_program("trim -t 20");
  EXPECT_NE(in_orbit.out.find("  outcome                         in_orbit\n"), std::string::npos)
      << in_orbit.out;

  // Trimmed to the target, but the upper stage runs dry.
  const ProgramRun dry = trim_program("trim -t 10");
  EXPECT_EQ(dry.status, 1);
  EXPECT_NE(dry.out.find("  outcome                     short_of_propellant\n"
                         "Not in orbit: the upper stage needs 1324 kg more propellant than it "
                         "holds.\n"),
            std::string::npos)
      << dry.out;

  // The 20 s flight's perigee (140 km) under a deck's minimum of 150 km.
  TempDir dir;
  install_sample_thrust_file(dir);
  std::string deck = read_file(std::filesystem::path(ASCENT_DATA_DIR) / "vehicle.toml");
  const std::size_t at = deck.find("minimum_perigee = 100000.0");
  ASSERT_NE(at, std::string::npos);
  deck.replace(at, 26, "minimum_perigee = 150000.0");
  dir.write("high.toml", deck);
  const ProgramRun low = trim_program("--vehicle high.toml trim -t 20 --csv", dir);
  EXPECT_EQ(low.status, 1);
  EXPECT_NE(low.out.find(",6,perigee_below_minimum,the perigee 140.174 km is below the minimum "
                         "150 km\n"),
            std::string::npos)
      << low.out;

  // Its files are due all the same, as ascent writes them for any flight.
  const ProgramRun files = trim_program("--vehicle high.toml trim -t 20 --run-files low", dir);
  EXPECT_EQ(files.status, 1);
  EXPECT_NE(dir.read("low/run.txt").find("Recommended maxa"), std::string::npos) << files.err;
  EXPECT_FALSE(dir.read("low/speed.dat").empty());
}

TEST(CommandLine, ThrustFileByPathAndHistoryToAFile) {
  TempDir dir;  // no s1.dat here: the path names the sample
  const ProgramRun run = trim_program(
      "history -t 20 -o flight.csv --thrust-file '" + sample_thrust_path().string() + "'", dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  const std::string csv = dir.read("flight.csv");
  EXPECT_TRUE(csv.starts_with("t_s,dt_s,a_m_s2,")) << csv.substr(0, 80);
  EXPECT_GT(std::count(csv.begin(), csv.end(), '\n'), 500);

  const ProgramRun missing = trim_program("trim -t 20", dir);
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("s1.dat"), std::string::npos) << missing.err;
}

TEST(CommandLine, DispersionsWriteACaseRowEachAndASummary) {
  TempDir dir;
  install_sample_thrust_file(dir);
  // Open loop at the nominal angle, no case of these keeps its orbit: exit 1.
  const ProgramRun run =
      trim_program("dispersions -n 6 --seed 1 -t 20 --open-loop -j 2 -o cases.csv", dir);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.out.find("6 cases, seed 1, open loop"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("In orbit: 0 of 6 (0.000 %)\n  short_of_propellant: 3\n"
                         "  perigee_below_minimum: 2\n  cannot_reach_orbit: 1\n"),
            std::string::npos)
      << run.out;
  const std::string csv = dir.read("cases.csv");
  EXPECT_TRUE(csv.starts_with("case,seed,boosters.propellant,")) << csv.substr(0, 80);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 7);
  EXPECT_NE(csv.find("\n5,1,"), std::string::npos);
  for (const char* word : {",short_of_propellant,the upper stage needs ",
                           ",perigee_below_minimum,the perigee ", ",cannot_reach_orbit,"}) {
    EXPECT_NE(csv.find(word), std::string::npos) << word;
  }

  // The cases file may not be a file the program reads.
  dir.write("set.toml", "[scales]\ndrag = { sigma = 0.05 }\n");
  const ProgramRun refused = trim_program("dispersions -n 2 -t 20 --set set.toml -o set.toml", dir);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("dispersion set"), std::string::npos) << refused.err;
  EXPECT_EQ(dir.read("set.toml"), "[scales]\ndrag = { sigma = 0.05 }\n");

  dir.write("bad.toml", "[scales]\ndrag = { sigma = -0.05 }\n");
  const ProgramRun bad = trim_program("dispersions -n 2 -t 20 --set bad.toml", dir);
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("bad.toml:2:18: scales.drag.sigma"), std::string::npos) << bad.err;
  // A study whose nominal cannot be trimmed leaves an existing cases file as it was.
  dir.write("cases.csv", "old\n");
  const ProgramRun untrimmed = trim_program("dispersions -n 2 -t 150 -o cases.csv", dir);
  EXPECT_EQ(untrimmed.status, 1) << untrimmed.err;
  EXPECT_EQ(dir.read("cases.csv"), "old\n");
  // A key nested deeper than the parser's stack allows is a bad set like any other.
  std::string deep = "[scales]\ndrag";
  for (int i = 0; i < 300000; ++i) deep += ".a";
  dir.write("deep.toml", deep + " = 1\n");
  const ProgramRun too_deep = trim_program("dispersions -n 2 -t 20 --set deep.toml", dir);
  EXPECT_EQ(too_deep.status, bad.status);
  EXPECT_NE(too_deep.err.find("deep.toml:2:"), std::string::npos) << too_deep.err;
  for (const char* usage :
       {"dispersions -t 20 -n 0", "dispersions -n 5", "dispersions -t 20 --seed x"}) {
    EXPECT_EQ(trim_program(usage, dir).status, 2) << usage;
  }
}

TEST(CommandLine, ImpactsOfTheTrimmedFlightAndOfAStudysCases) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const ProgramRun table = trim_program("impacts -t 20", dir);
  EXPECT_EQ(table.status, 0) << table.err;
  for (const char* line : {"\nboosters ", "\nfairing ", "\ncore stage ", "reaches orbit\n"}) {
    EXPECT_NE(table.out.find(line), std::string::npos) << table.out;
  }
  // Farther east and 100 km further on when the pad is; the same distances.
  const ProgramRun east = trim_program("impacts -t 20 --csv --launch-longitude -70.6", dir);
  const ProgramRun west = trim_program("impacts -t 20 --csv", dir);
  ASSERT_EQ(east.status, 0) << east.err;
  const auto row = [](const std::string& csv, const std::string& element) {
    std::istringstream fields(csv.substr(csv.find("\n" + element + ",") + 1));
    std::vector<std::string> cells;
    for (std::string cell; cells.size() < 7 && std::getline(fields, cell, ',');) cells.push_back(cell);
    return cells;
  };
  for (const char* element : {"boosters", "fairing", "core stage"}) {
    const auto e = row(east.out, element);
    const auto w = row(west.out, element);
    EXPECT_NEAR(std::stod(e[4]) - std::stod(w[4]), 10.0, 1e-6) << element;
    EXPECT_EQ(e[5], w[5]) << element;  // downrange
  }

  const ProgramRun study = trim_program(
      "dispersions -n 8 -t 20 --open-loop -j 2 --impacts impacts.csv --kml study.kml", dir);
  EXPECT_EQ(study.status, 1) << study.err;  // none of these keeps its orbit
  EXPECT_NE(study.out.find("\nImpact points ("), std::string::npos) << study.out;
  EXPECT_NE(study.out.find("\ncore stage            8"), std::string::npos) << study.out;
  const std::string impacts = dir.read("impacts.csv");
  EXPECT_TRUE(impacts.starts_with("case,element,reaches_orbit,t_s,latitude_deg,")) << impacts;
  // Every case drops its boosters, fairing and core stage; an upper stage
  // that never reached orbit speed was never dropped.
  for (const char* element : {",boosters,", ",fairing,", ",core stage,"}) {
    std::size_t rows = 0;
    for (auto at = impacts.find(element); at != std::string::npos; at = impacts.find(element, at + 1)) ++rows;
    EXPECT_EQ(rows, 8u) << element;
  }
  const std::string kml = dir.read("study.kml");
  EXPECT_NE(kml.find("<name>core stage 99 %</name>"), std::string::npos);
  EXPECT_NE(kml.find("<name>fairing, case 7</name>"), std::string::npos);

  const ProgramRun no_epoch = trim_program("history -t 20 --oem flight.oem", dir);
  EXPECT_EQ(no_epoch.status, 2);
  EXPECT_NE(no_epoch.err.find("--launch-epoch"), std::string::npos) << no_epoch.err;
  EXPECT_FALSE(dir.exists("flight.oem"));
  EXPECT_EQ(trim_program("history -t 20 --oem f.oem --launch-epoch 2026-02-30T00:00:00", dir).status, 2);
  EXPECT_EQ(trim_program("impacts -t 20 --launch-longitude 181", dir).status, 2);
}

TEST(CommandLine, AVehicleDeckAndATargetAltitude) {
  std::string decks = "'";
  decks += (sample_thrust_path().parent_path() / "vehicles/").string();
  // The deck's target, and the same target given on the command line.
  const ProgramRun from_deck = trim_program("--vehicle " + decks + "target_300km.toml' trim -t 10");
  // Trimmed to within 10 m, but short of propellant: 300 km is out of the stage's reach.
  EXPECT_EQ(from_deck.status, 1) << from_deck.err;
  EXPECT_NE(from_deck.out.find("short_of_propellant"), std::string::npos) << from_deck.out;
  EXPECT_TRUE(from_deck.out.starts_with("Trim of turn time 10 s to an average altitude of 300 km"))
      << from_deck.out;
  EXPECT_EQ(trim_program("trim -t 10 --target-altitude 300000").out, from_deck.out);

  // A heavier upper stage at the same stack mass flies the same angle; the
  // spacecraft loses the stage's extra kilograms and then some.
  const ProgramRun heavy =
      trim_program("--vehicle " + decks + "heavy_upper_stage.toml' trim -t 20 --csv");
  EXPECT_EQ(heavy.status, 0) << heavy.err;
  std::istringstream lines(heavy.out);
  std::string header;
  std::string row;
  std::getline(lines, header);
  std::getline(lines, row);
  EXPECT_TRUE(row.starts_with("20," + trimmed_at_20s().maxa.text + ",")) << row;
  const auto column = [](const std::string& line, std::size_t index) {
    std::istringstream fields(line);
    std::string field;
    for (std::size_t i = 0; i <= index; ++i) std::getline(fields, field, ',');
    return field;
  };
  std::size_t sc_m = 0;
  while (sc_m < 20 && column(header, sc_m) != "sc_mass_kg") ++sc_m;
  EXPECT_LT(std::stod(column(row, sc_m)), trimmed_at_20s().flight.SC_M - 1000.0) << row;

  TempDir dir;
  install_sample_thrust_file(dir);
  dir.write("bad.toml", "[boosters]\ncount = 2\n");
  const ProgramRun bad = trim_program("--vehicle bad.toml sweep --from 10 --to 12", dir);
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "ascent-trim: bad.toml: missing table [launch_site]\n");
  EXPECT_EQ(trim_program("trim -t 20 --target-altitude 99999").status, 2);
}

TEST(CommandLine, HelpReadsAsAPersonWouldWriteIt) {
  for (const char* command : {"--help", "trim --help", "sweep --help", "dispersions --help"}) {
    const ProgramRun help = trim_program(command);
    EXPECT_EQ(help.status, 0) << command;
    for (const char* placeholder : {"TEXT", ":NUMBER", ":DIR", "UINT", "FOLDER/"}) {
      EXPECT_EQ(help.out.find(placeholder), std::string::npos) << command << ": " << placeholder;
    }
  }
}

TEST(CommandLine, RunFilesGoToAFolderMadeIfMissing) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const ProgramRun run = trim_program("trim -t 20 --run-files new/run", dir);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(dir.read("new/run/run.txt").find("Recommended maxa"), std::string::npos);
}

TEST(CommandLine, AStagedDeckFliesItsEventsAndHistoryWithoutATurnTime) {
  const std::string deck = "--vehicle '" ASCENT_DATA_DIR "/vehicles/delta3.toml' ";
  // The deck's own first-guess steering ends short of propellant: status 1, output whole.
  const ProgramRun events = trim_program(deck + "events --csv");
  EXPECT_EQ(events.status, 1) << events.err;
  EXPECT_TRUE(events.out.starts_with("event,element,t_s,altitude_m,speed_m_s,mass_kg\n")) << events.out;
  EXPECT_NE(events.out.find("\nstage2.ignition,stage2,"), std::string::npos) << events.out;
  const ProgramRun history = trim_program(deck + "history");
  EXPECT_EQ(history.status, 1) << history.err;
  EXPECT_GT(std::count(history.out.begin(), history.out.end(), '\n'), 900);
  // Only events, history and capability fly a staged deck so far; a classic
  // deck still needs the turn time, and has no capability.
  EXPECT_EQ(trim_program(deck + "trim -t 20").status, 2);
  EXPECT_EQ(trim_program("capability").status, 2);
  const ProgramRun capability = trim_program(deck + "capability --reserve 100 --csv");
  EXPECT_EQ(capability.status, 0) << capability.err;
  EXPECT_TRUE(capability.out.starts_with(
      "feasible,payload_kg,reserve_kg,margin_kg,perigee_m,apogee_m,outcome,flights\ntrue,"))
      << capability.out;
  EXPECT_NE(capability.out.find(",in_orbit,"), std::string::npos) << capability.out;
  EXPECT_EQ(trim_program("events").status, 2);
}

/// The number on the line of the readable table that starts with `name`.
double table_value(const std::string& table, const std::string& name) {
  const std::size_t at = table.find("  " + name + " ");
  if (at == std::string::npos) return NAN;
  return std::stod(table.substr(at + 2 + name.size()));
}

TEST(CommandLine, OptimizeAStagedDeckGivesTheBenchmarksOptimumFlown) {
  TempDir dir;
  const std::string delta3 = ASCENT_DATA_DIR "/vehicles/delta3.toml";
  const ProgramRun run = trim_program("--vehicle '" + delta3 + "' optimize --report page.html", dir);
  ASSERT_EQ(run.status, 0) << run.err;
  // Betts' 7529.712 kg, the discretisation's error well inside 0.1 kg.
  EXPECT_NEAR(table_value(run.out, "final mass"), 7529.712, 0.1) << run.out;
  EXPECT_NEAR(table_value(run.out, "flown final mass"), table_value(run.out, "final mass"), 1.0);
  EXPECT_LT(std::abs(table_value(run.out, "flown semi-major axis miss")), 1.0) << run.out;  // [km]
  EXPECT_LT(std::abs(table_value(run.out, "flown inclination miss")), 0.01) << run.out;    // [deg]
  const std::string page = dir.read("page.html");
  std::size_t charts = 0;
  for (std::size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at + 1)) ++charts;
  EXPECT_EQ(charts, 3U);
  for (const char* shown : {"Thrust pitch", "Dynamic pressure", "flown final mass", "stage2.ignition"})
    EXPECT_NE(page.find(shown), std::string::npos) << shown;

  const ProgramRun csv = trim_program("--vehicle '" + delta3 + "' optimize --csv");
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_TRUE(csv.out.starts_with("time_s,phase,direction_x,")) << csv.out;
}

TEST(CommandLine, OptimizeAStagedDeckSaysWhatItCannotMeetOrPose) {
  TempDir dir;
  const std::string delta3 = read_file(ASCENT_DATA_DIR "/vehicles/delta3.toml");
  // A second stage of a quarter of its propellant cannot reach the ellipse's energy.
  std::string weak = delta3;
  weak.replace(weak.find("propellant = 16820.0"), 20, "propellant = 4000.0");
  dir.write("weak.toml", weak);
  const ProgramRun short_of = trim_program("--vehicle weak.toml optimize", dir);
  EXPECT_EQ(short_of.status, 1) << short_of.err;
  EXPECT_NE(short_of.out.find("the semi-major axis is missed by at least -"), std::string::npos) << short_of.out;
  // Ten seconds of coast before the second stage: no burn phase to collocate.
  std::string coast = delta3;
  coast.replace(coast.find("ignition = \"stage1.jettison\""), 28,
                "ignition = { after = \"stage1.jettison\", delay = 10 }");
  dir.write("coast.toml", coast);
  const ProgramRun refused = trim_program("--vehicle coast.toml optimize", dir);
  EXPECT_EQ(refused.status, 2) << refused.out;
  EXPECT_NE(refused.err.find("no element burns"), std::string::npos) << refused.err;
  EXPECT_TRUE(refused.out.empty());
  // A classic deck's search bounds mean nothing to a staged deck.
  const ProgramRun bounds = trim_program("--vehicle '" ASCENT_DATA_DIR "/vehicles/delta3.toml' optimize --from 30");
  EXPECT_EQ(bounds.status, 2);
  EXPECT_NE(bounds.err.find("--from"), std::string::npos) << bounds.err;
}

}  // namespace
}  // namespace ascent::testing
