// The flight summary: the upper stage's mass budget and its constants file,
// the recommended maximum angle of attack and its memory across runs, and
// the maxima that span all runs of a program.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/earth.hpp"
#include "mission/flight_summary.hpp"
#include "mission/upper_stage_phase.hpp"
#include "mission/vehicle.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

using namespace vehicle;

constexpr double DEG = 3.14159265358979323846 / 180.0;

/// A finished flight whose budget is the worked example: 164293 kg on the
/// stage-3 interface, 3752 kg interstage, 45500 kg propellant used and a
/// 650 kg reserve before the deorbit share.
FlightState worked_example(Real& dV_upper) {
  FlightState s;
  s.force_count = 3;
  s.force(3).force_mass = 164293.0L;
  s.force(3).max_force = 3752.0L / INTERSTAGE_PER_NEWTON;
  s.m_prop = S3_PROPELLANT_LOAD - 45500.0L;
  s.m_fixed = 20000.0L - s.m_prop;
  // The delta-V for which 1 % of it costs this 20 t stage 650 kg.
  dV_upper = -std::log(1.0L - 650.0L / 20000.0L) * S3_EXHAUST_VELOCITY / RESERVE_FRACTION;
  return s;
}

TEST(MassBudget, WorkedExample) {
  Real dV_upper;
  const MassBudget b = upper_stage_mass_budget(worked_example(dV_upper), dV_upper);
  EXPECT_EQ(b.S3_Mi.value(), 3752.0);
  EXPECT_EQ(b.S3_Mp.value(), 45500.0);
  EXPECT_EQ(b.deorbit_propellant.value(), 192.0);
  EXPECT_EQ(b.reserve_propellant.value(), 652.0);
  EXPECT_EQ(b.S3_Ms.value(), 17883.0);
  EXPECT_EQ(b.total_propellant.value(), 48868.0);
  EXPECT_EQ(b.SC_M.value(), 97087.0);
  EXPECT_EQ(b.S3_Mt.value(), 164293.0 + 9707.0);
}

TEST(ConstantsFile, WorkedExampleLinesUpInColumn20) {
  TempDir dir;
  ScriptedSimulation session(dir, "out.txt\n");
  Simulation& sim = session.simulation();
  sim.io.open_channels();
  Real dV_upper;
  sim.state = worked_example(dV_upper);
  write_flight_summary(sim, dV_upper);
  const std::string blanks(27, ' ');
  EXPECT_EQ(dir.read("const_n.hpp"),
            crlf("\n"
                 "  {Stage 3 constants updated from simulation}\n"
                 "  S3_Mi    =    3752; {kg, interstage mass}\n"
                 "  S3_Mp    =   45500; {kg, mainstage propellant mass used, 48868 kg total -\n" +
                 blanks + "2524 kg unusable - 652 kg reserve - 192 kg deorbit}\n" +
                 "  S3_Ms    =   17883; {kg, cutoff mass, 14515 kg dry + 2524 kg unusable +\n" + blanks +
                 "652 kg reserve + 192 kg deorbit}\n"
                 "  S3_U_Mp  =      71; {kg, ullage and RCS propellant}\n"
                 "  SC_M     =   97087; {kg, Spacecraft mass}\n"));
  sim.io.close_channels();
  const std::string out = dir.read("out.txt");
  EXPECT_NE(out.find("\r\n  S3_Mt   =  174000; {kg, interstage, third stage and payload mass}\r\n"
                     "  SC_M    =   97087; {kg, Spacecraft mass}\r\n\r\nRecommended maxa = "),
            std::string::npos)
      << out;
}

TEST(Summary, LinesWithTheirSpecialBytes) {
  TempDir dir;
  install_sample_thrust_file(dir);
  ScriptedSimulation session(dir, "out.txt\n20\n18\n-1\n");
  ASSERT_EQ(session.run(), 0);
  const std::string out = dir.read("out.txt");
  const auto summary = out.find("\r\n\r\nTurn Time = 20.000 s, Maximum angle of attack = 18.0000\xB0\r\n"
                                "Upper Stage in Orbit! Remaining propellant = ");
  ASSERT_NE(summary, std::string::npos) << out;
  for (const std::string piece :
       {"Perigee = ", " km, Apogee = ", " km, Average Altitude = ", "\xB1", "Vacuum and zero gravity delta-V = ",
        "Stage 3 Maximum force = ", "Liftoff thrust = ", " m/s\xB2 for 2707388 kg\r\n",
        "Maximum dynamic pressure = ", "Maximum acceleration = ", "\r\n\r\nRecommended maxa = ", "\xB0\r\n\r\n"}) {
    EXPECT_NE(out.find(piece, summary), std::string::npos) << piece;
  }
  // On the console the same bytes come from code page 437, and no maxima lines.
  TempDir console_dir;
  install_sample_thrust_file(console_dir);
  const SessionResult console = run_in_process(console_dir, "\n20\n18\n-1\n");
  EXPECT_NE(console.standard_output.find("18.0000\xF8\r\n"), std::string::npos);
  EXPECT_NE(console.standard_output.find(" m/s\xFD for 2707388 kg"), std::string::npos);
  EXPECT_EQ(console.standard_output.find("Maximum dynamic pressure"), std::string::npos);
}

/// Flies the answers in one program and returns its simulation's memory.
struct Flown {
  RunMemory memory;
  FlightState state;
  std::string output_file;
};
Flown fly(const std::string& runs, bool output_file = false) {
  TempDir dir;
  install_sample_thrust_file(dir);
  ScriptedSimulation session(dir, (output_file ? "out.txt\n" : "\n") + runs + "-1\n");
  EXPECT_EQ(session.run(), 0);
  return {session.simulation().memory, session.simulation().state, dir.read("out.txt")};
}

TEST(RecommendedMaxa, SecantOverTheRunsOfOneTurnTime) {
  const Flown first = fly("20\n18\n");
  EXPECT_DOUBLE_EQ(first.memory.recommended_maxa.value(),
                   18.0 * DEG * 200000.0 / first.memory.average_altitude.value());
  const Flown second_alone = fly("20\n17\n");
  const Flown both = fly("20\n18\n20\n17\n");
  const double a1 = first.memory.average_altitude.value();
  const double a2 = second_alone.memory.average_altitude.value();
  ASSERT_EQ(both.memory.average_altitude.value(), a2);
  const double m1 = 18 * DEG, m2 = 17 * DEG;
  EXPECT_NEAR(both.memory.recommended_maxa.value(), m2 - (m2 - m1) * (a2 - 200000.0) / (a2 - a1), 1e-12);
  // The secant lands much closer to the target than either guess.
  const Flown third = fly("20\n" + std::to_string(both.memory.recommended_maxa.value() / DEG) + "\n");
  EXPECT_LT(std::fabs(third.memory.average_altitude.value() - 200000.0),
            std::min(std::fabs(a1 - 200000.0), std::fabs(a2 - 200000.0)) / 5);
}

TEST(RecommendedMaxa, RepeatedRunKeepsTheEstimateAndNewTurnTimeClearsTheMemory) {
  const Flown once = fly("20\n18\n");
  const Flown twice = fly("20\n18\n20\n18\n");
  EXPECT_EQ(twice.memory.recommended_maxa.value(), once.memory.recommended_maxa.value());
  EXPECT_EQ(twice.memory.previous_maxa.value(), once.memory.previous_maxa.value());
  const Flown other_turn = fly("21\n18\n");
  const Flown switched = fly("20\n18\n21\n18\n");
  EXPECT_EQ(switched.memory.recommended_maxa.value(), other_turn.memory.recommended_maxa.value());
}

TEST(RunMaxima, SpanAllRunsOfTheProgramWhileForcesStartAfresh) {
  const Flown short_turn = fly("10\n14.5\n", true);
  const Flown long_turn = fly("30\n19.5\n", true);
  const Flown both = fly("10\n14.5\n30\n19.5\n", true);
  const bool first_wins = short_turn.state.q_max > long_turn.state.q_max;
  EXPECT_EQ(both.state.q_max.value(), (first_wins ? short_turn : long_turn).state.q_max.value());
  EXPECT_EQ(both.state.q_max_t.value(), (first_wins ? short_turn : long_turn).state.q_max_t.value());
  EXPECT_EQ(both.state.a_max.value(), std::max(short_turn.state.a_max.value(), long_turn.state.a_max.value()));
  EXPECT_EQ(both.state.force(3).max_force.value(), long_turn.state.force(3).max_force.value());
}

TEST(Runs, SameAnswersGiveTheSameOutput) {
  const Flown twice = fly("20\n18\n20\n18\n", true);
  const std::string& out = twice.output_file;
  const std::string pad = "   0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2707388.0\r\n";
  const auto first = out.find(pad);
  const auto second = out.find(pad, first + 1);
  ASSERT_NE(second, std::string::npos);
  const auto first_end = out.find("Recommended maxa", first);
  const auto second_end = out.find("Recommended maxa", second);
  EXPECT_EQ(out.substr(first, first_end - first), out.substr(second, second_end - second));
}

TEST(FinalBurn, NeverRunsBackwards) {
  FlightState s;
  s.m_fixed = 100000.0L;
  s.mdot = -S3_THRUST / S3_EXHAUST_VELOCITY;
  s.vi = ORBIT_SPEED - 10.0L;
  const double burn = final_burn_time(s).value();
  // 10 m/s from a 100 t stage: about m dv / F.
  EXPECT_NEAR(burn, 100000.0 * 10.0 / S3_THRUST.value(), 0.01);
  s.vi = ORBIT_SPEED;
  EXPECT_EQ(final_burn_time(s).value(), 0.0);
  s.vi = ORBIT_SPEED + 0.5L;
  EXPECT_EQ(final_burn_time(s).value(), 0.0);
}

}  // namespace
}  // namespace ascent::testing
