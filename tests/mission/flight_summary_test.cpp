// The flight summary: the upper stage's mass budget and its constants file,
// the recommended maximum angle of attack and its memory across runs, and
// the maxima that span all runs of a session.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/earth.hpp"
#include "mission/flight.hpp"
#include "mission/mass_budget.hpp"
#include "mission/recommended_maxa.hpp"
#include "mission/upper_stage_phase.hpp"
#include "support/session.hpp"
#include "text/constants_file.hpp"

namespace ascent::testing {
namespace {

constexpr double DEG = 3.14159265358979323846 / 180.0;
const Vehicle V;

/// A finished flight whose budget is the worked example: 164293 kg on the
/// stage-3 interface, 3752 kg interstage, 45500 kg propellant used and a
/// 650 kg reserve before the deorbit share.
FlightState worked_example(Real& dV_upper) {
  FlightState s;
  s.force_count = 3;
  s.force(3).force_mass = 164293.0L;
  s.force(3).max_force = 3752.0L / V.mass_budget.interstage_per_newton;
  s.m_prop = V.upper_stage.propellant_load - 45500.0L;
  s.stage.m_fixed = 20000.0L - s.m_prop;
  // The delta-V for which 1 % of it costs this 20 t stage 650 kg.
  dV_upper = -std::log(1.0L - 650.0L / 20000.0L) * V.upper_stage.exhaust_velocity /
             V.mass_budget.reserve_fraction;
  return s;
}

TEST(MassBudget, WorkedExample) {
  Real dV_upper;
  const MassBudget b = upper_stage_mass_budget(V, worked_example(dV_upper), dV_upper);
  EXPECT_EQ(b.S3_Mi, 3752.0);
  EXPECT_EQ(b.S3_Mp, 45500.0);
  EXPECT_EQ(b.deorbit_propellant, 192.0);
  EXPECT_EQ(b.reserve_propellant, 652.0);
  EXPECT_EQ(b.S3_Ms, 17883.0);
  EXPECT_EQ(b.total_propellant, 48868.0);
  EXPECT_EQ(b.SC_M, 97087.0);
  EXPECT_EQ(b.S3_Mt, 164293.0 + 9707.0);
}

TEST(ConstantsFile, WorkedExampleLinesUpInColumn20) {
  TempDir dir;
  Real dV_upper;
  const MassBudget b = upper_stage_mass_budget(V, worked_example(dV_upper), dV_upper);
  write_constants_file(dir.path() / "const_n.hpp", b, V);
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
}

TEST(Summary, LinesWithTheirSpecialBytes) {
  TempDir dir;
  install_sample_thrust_file(dir);
  ScriptedSession session(dir, "out.txt\n20\n18\n-1\n");
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

/// The value of the last line of `out` that starts with `label`.
double last_value(const std::string& out, const std::string& label) {
  const auto at = out.rfind(label);
  EXPECT_NE(at, std::string::npos) << label;
  return at == std::string::npos ? 0.0 : std::strtod(out.c_str() + at + label.size(), nullptr);
}

/// The standard output of a session with the sample thrust file.
std::string session_output(const std::string& runs, bool output_file = false) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const SessionResult r = run_in_process(dir, (output_file ? "out.txt\n" : "\n") + runs + "-1\n");
  EXPECT_EQ(r.status, 0);
  return output_file ? dir.read("out.txt") : r.standard_output;
}

FlightResult flight(double turn_time, double maxa) {
  static const ThrustHistory thrust =
      ThrustHistory::read(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat");
  return fly(V, thrust, {turn_time, maxa, {}});
}

TEST(RecommendedMaxa, SecantOverTheRunsOfOneTurnTime) {
  const FlightResult first = flight(20, 18);
  const FlightResult second = flight(20, 17);
  RecommendedMaxa secant;
  secant.add_run(first.maxa, first.orbit.average_altitude, 200000.0);
  EXPECT_DOUBLE_EQ(secant.recommended().value(), 18.0 * DEG * 200000.0 / first.orbit.average_altitude);
  secant.add_run(second.maxa, second.orbit.average_altitude, 200000.0);
  const double a1 = first.orbit.average_altitude, a2 = second.orbit.average_altitude;
  const double m1 = 18 * DEG, m2 = 17 * DEG;
  EXPECT_NEAR(secant.recommended().value(), m2 - (m2 - m1) * (a2 - 200000.0) / (a2 - a1), 1e-12);
  // The session prints the same secant.
  EXPECT_NEAR(last_value(session_output("20\n18\n20\n17\n"), "Recommended maxa = "),
              secant.recommended().value() / DEG, 5e-5);
  // The secant lands much closer to the target than either guess.
  const FlightResult third = flight(20, secant.recommended().value() / DEG);
  EXPECT_LT(std::fabs(third.orbit.average_altitude - 200000.0),
            std::min(std::fabs(a1 - 200000.0), std::fabs(a2 - 200000.0)) / 5);
}

TEST(RecommendedMaxa, RepeatedRunKeepsTheEstimateAndNewTurnTimeClearsTheMemory) {
  const std::string label = "Recommended maxa = ";
  EXPECT_EQ(last_value(session_output("20\n18\n20\n18\n"), label),
            last_value(session_output("20\n18\n"), label));
  EXPECT_EQ(last_value(session_output("20\n18\n21\n18\n"), label),
            last_value(session_output("21\n18\n"), label));
}

TEST(RunMaxima, SpanAllRunsOfTheSessionWhileForcesStartAfresh) {
  const FlightResult short_turn = flight(10, 14.5);
  const FlightResult long_turn = flight(30, 19.5);
  LoadMaxima both = short_turn.maxima;
  both.merge(long_turn.maxima);
  EXPECT_EQ(both.dynamic_pressure, std::max(short_turn.maxima.dynamic_pressure, long_turn.maxima.dynamic_pressure));
  EXPECT_EQ(both.acceleration, std::max(short_turn.maxima.acceleration, long_turn.maxima.acceleration));
  const std::string out = session_output("10\n14.5\n30\n19.5\n", true);
  EXPECT_NEAR(last_value(out, "Maximum dynamic pressure = "), both.dynamic_pressure, 0.5);
  EXPECT_NEAR(last_value(out, "Maximum acceleration = "), both.acceleration, 0.005);
  EXPECT_NEAR(last_value(out, "Stage 3 Maximum force = "), long_turn.stage3_max_force, 0.5);
}

/// The warning line after the summary of the session's one run, or "".
std::string warning_after_summary(const std::string& answers) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const std::string out = run_in_process(dir, answers).standard_output;
  const auto maxa_line = out.find("Recommended maxa = ");
  const auto warning = out.find("\r\nWarning! ", maxa_line);
  if (maxa_line == std::string::npos || warning == std::string::npos) return "";
  return out.substr(warning + 2, out.find("\r\n", warning + 2) - warning - 2);
}

TEST(Summary, AFlightNotInOrbitEndsWithItsOutcomeAndWhy) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const ThrustHistory thrust = ThrustHistory::read(dir.path() / "s1.dat");
  // The library's own account of each flight, against the console's line.
  const FlightResult short_of = fly(V, thrust, {10.0, 14.549857, {}, {}});
  ASSERT_EQ(short_of.outcome, Outcome::short_of_propellant);
  EXPECT_EQ(warning_after_summary("\n10\n14.549857\n-1\n"),
            "Warning! short_of_propellant (the upper stage needs " +
                std::to_string(std::lround(-short_of.remaining_propellant)) +
                " kg more propellant than it holds): the upper stage is not in orbit.");

  const FlightResult low = fly(V, thrust, {30.0, 18.0, {}, {}});
  ASSERT_EQ(low.outcome, Outcome::perigee_below_minimum);
  ASSERT_GT(low.orbit.perigee, 0.0);
  const std::string warning = warning_after_summary("\n30\n18\n-1\n");
  EXPECT_EQ(warning.rfind("Warning! perigee_below_minimum (the perigee ", 0), 0u) << warning;
  EXPECT_NEAR(std::strtod(warning.c_str() + warning.find("perigee ") + 8, nullptr),
              low.orbit.perigee / 1000.0, 0.0005);

  // In orbit: the summary ends as it always has.
  ASSERT_TRUE(fly(V, thrust, {20.0, 18.0, {}, {}}).in_orbit());
  EXPECT_EQ(warning_after_summary("\n20\n18\n-1\n"), "");
}

TEST(Runs, SameAnswersGiveTheSameOutput) {
  const std::string out = session_output("20\n18\n20\n18\n", true);
  const std::string pad = "   0.00   9.8   409       0         0  90.00   0.00  90.00      0.0 2707388.0\r\n";
  const auto first = out.find(pad);
  const auto second = out.find(pad, first + 1);
  ASSERT_NE(second, std::string::npos);
  const auto first_end = out.find("Recommended maxa", first);
  const auto second_end = out.find("Recommended maxa", second);
  EXPECT_EQ(out.substr(first, first_end - first), out.substr(second, second_end - second));
}

TEST(FinalBurn, NeverRunsBackwards) {
  const Real speed = V.orbit_speed();
  const Real ve = V.upper_stage.exhaust_velocity;
  FlightState s;
  s.stage.m_fixed = 100000.0L;
  s.mdot = -V.upper_stage.thrust / ve;
  s.vi = speed - 10.0L;
  // 10 m/s from a 100 t stage: about m dv / F.
  EXPECT_NEAR(final_burn_time(s, speed, ve).value(), 100000.0 * 10.0 / V.upper_stage.thrust, 0.01);
  s.vi = speed;
  EXPECT_EQ(final_burn_time(s, speed, ve).value(), 0.0);
  s.vi = speed + 0.5L;
  EXPECT_EQ(final_burn_time(s, speed, ve).value(), 0.0);
}

}  // namespace
}  // namespace ascent::testing
