// Orbit targeting through the library and the command line: the core stage
// at the trimmed angle by default, the target orbit reached, the same orbit
// from ascent-trim target, and targets that cannot be flown refused.
#include "studies/target.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>

#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

trim::TargetRequest request_at_20(std::optional<double> perigee, std::optional<double> apogee) {
  return {sample_settings(), *trim::typed_number("20"), std::nullopt, perigee, apogee};
}

TEST(Target, TheCoreFliesTheTrimmedAngleAndTheStageReachesTheTarget) {
  for (const auto& [perigee, apogee] : {std::pair{200e3, 200e3}, {185e3, 400e3}}) {
    // The core flies as the default law trims it to the insertion altitude.
    trim::TrimSettings aimed = sample_settings();
    aimed.vehicle.target.altitude = perigee;
    const trim::TrimResult trimmed = trim::trim_turn_time(aimed, *trim::typed_number("20"));
    const trim::TargetResult r = trim::fly_to_target(request_at_20(perigee, apogee));
    EXPECT_TRUE(r.maxa_trimmed);
    EXPECT_EQ(r.maxa.value, trimmed.maxa.value);
    EXPECT_EQ(r.flights, static_cast<int>(trimmed.flights.size()) + 1);
    ASSERT_TRUE(r.reached_orbit()) << r.reason;
    EXPECT_NEAR(r.flight.orbit.perigee, perigee, 500.0);
    EXPECT_NEAR(r.flight.orbit.apogee, apogee, 500.0);
    EXPECT_EQ(r.status, r.flight.remaining_propellant < 0.0 ? RowStatus::short_of_propellant
                                                             : RowStatus::in_orbit);
  }
}

TEST(Target, AnImpossibleTargetIsRefusedAndOneOutOfReachSaysWhy) {
  EXPECT_THROW((void)trim::fly_to_target(request_at_20(300e3, 200e3)), InputError);
  EXPECT_THROW((void)trim::fly_to_target(request_at_20(90e3, 200e3)), InputError);
  EXPECT_THROW((void)trim::fly_to_target(request_at_20(200e3, std::nullopt)),
               InputError);
  trim::TargetRequest far = request_at_20(900e3, 1000e3);
  far.maxa = *trim::typed_number("18");
  const trim::TargetResult r = trim::fly_to_target(far);
  EXPECT_EQ(r.status, RowStatus::cannot_reach_orbit);
  EXPECT_FALSE(r.reason.empty());
  EXPECT_EQ(r.flights, 1);
}

TEST(Target, TheCommandLineGivesTheLibrarysOrbit) {
  TempDir dir;
  install_sample_thrust_file(dir);
  const std::string command = "cd '" + dir.path().string() + "' && '" ASCENT_TRIM_EXE
                              "' --csv target -t 20 --maxa 18 --perigee 185000 --apogee 400000"
                              " > out.txt";
  // The orbit is reached with more propellant than the stage holds: not feasible, status 1.
  ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  trim::TargetRequest request = request_at_20(185e3, 400e3);
  request.maxa = *trim::typed_number("18");
  const trim::TargetResult r = trim::fly_to_target(request);
  char expected[160];
  std::snprintf(expected, sizeof expected, "20,18,no,185000.000,400000.000,%.3f,%.3f,%.1f,%.0f,%d,%s,",
                r.flight.orbit.perigee, r.flight.orbit.apogee, r.flight.remaining_propellant,
                r.flight.budget.SC_M, r.flights, std::string(row_status_name(r.status)).c_str());
  EXPECT_NE(dir.read("out.txt").find(expected), std::string::npos) << dir.read("out.txt");
}

}  // namespace
}  // namespace ascent::testing
