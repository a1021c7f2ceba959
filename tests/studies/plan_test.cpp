// One plan everywhere: the plan `optimize` finds is the plan a dispersion
// study flies (through its CSV file too), a guided stage's plan is never
// trimmed, and an elliptic target's plan depends on the orbit alone.
#include "studies/plan_file.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "deck/guidance_names.hpp"
#include "studies/dispersion_file.hpp"
#include "studies/optimizer.hpp"
#include "studies/study.hpp"
#include "studies/sweep.hpp"
#include "studies/target.hpp"
#include "studies/trim_testing.hpp"
#include "trim/optimum_report.hpp"

namespace ascent::testing {
namespace {

studies::TrimSettings guided_settings(double perigee, double apogee) {
  studies::TrimSettings settings = sample_settings();
  settings.vehicle.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
  settings.vehicle.target.perigee = perigee;
  settings.vehicle.target.apogee = apogee;
  settings.vehicle.target.altitude = (perigee + apogee) / 2.0;
  return settings;
}

studies::OptimizeResult optimum(const studies::TrimSettings& settings) {
  studies::OptimizeSettings search;
  search.trim = settings;
  return studies::optimize_payload(search);
}

/// The message of the InputError `parse_plan` throws for `text`.
std::string refusal(const std::string& text) {
  try {
    (void)studies::parse_plan(text, "plan.csv");
  } catch (const InputError& error) {
    return error.what();
  }
  return "";
}

TEST(Plan, TheOptimumsCsvRowIsThePlanAStudyFlies) {
  const studies::TrimSettings settings = guided_settings(185e3, 400e3);
  const studies::OptimizeResult found = optimum(settings);
  // An elliptic target: the search's angles are centred on the default law's
  // trim to the insertion altitude, so they find a plan in orbit.
  ASSERT_TRUE(found.best);
  EXPECT_NEAR(found.best->flight.perigee, 185e3, 1000.0);
  EXPECT_NEAR(found.best->flight.apogee, 400e3, 1000.0);

  studies::OptimizeSettings shown;
  shown.trim = settings;
  std::ostringstream csv;
  trim::write_optimum_report(csv, found, shown, trim::Format::csv);
  const studies::Plan plan = studies::parse_plan(csv.str(), "plan.csv");
  EXPECT_EQ(plan.turn_time.text, found.best->turn_time.text);
  EXPECT_EQ(plan.maxa.text, found.best->maxa.text);
  EXPECT_EQ(plan.guidance, UpperStageGuidance::orbit_insertion);
  EXPECT_EQ(plan.target_perigee, 185e3);
  EXPECT_EQ(plan.target_apogee, 400e3);

  // The plan says it is guided and where to: a study of the default law's
  // vehicle flies it guided to 185 x 400 km, as it was found.
  studies::TrimSettings planned = sample_settings();
  planned.vehicle = studies::vehicle_of_plan(planned.vehicle, plan);
  EXPECT_EQ(planned.vehicle, settings.vehicle);

  // Whatever loop is asked for, a guided stage's study flies the plan's angle
  // and its nominal flight is the optimum's.
  const studies::StudySpec study =
      studies::prepare_study(planned, plan.turn_time, studies::default_dispersion_set(),
                             studies::LoopMode::closed, plan.maxa);
  EXPECT_EQ(study.mode, studies::LoopMode::guided);
  EXPECT_FALSE(study.maxa_trimmed);
  EXPECT_EQ(study.nominal_maxa.value, found.best->maxa.value);
  EXPECT_EQ(study.nominal_flight.remaining_propellant, found.best->flight.remaining_propellant);
  EXPECT_EQ(study.nominal_flight.SC_M_unrounded, found.best->flight.SC_M_unrounded);
}

TEST(Plan, ARefusedPlanFileSaysWhereAndWhy) {
  EXPECT_EQ(refusal("turn_time_s,perigee_m\n20,1\n"),
            "plan.csv:1: no column maxa_deg (the header of `optimize --csv`)");
  EXPECT_EQ(refusal("turn_time_s,maxa_deg,status\n"),
            "plan.csv:2: no plan: the search found none feasible");
  EXPECT_EQ(refusal("turn_time_s,maxa_deg\n20,nan\n"),
            "plan.csv:2: maxa_deg \"nan\" is not a number from 0 to 90");
  EXPECT_EQ(refusal("turn_time_s,maxa_deg\n0.5,18\n"),
            "plan.csv:2: turn_time_s \"0.5\" is not a number from 1 to 1000000");
  EXPECT_EQ(refusal("turn_time_s,maxa_deg,guidance\n20,18,explicit\n"),
            "plan.csv:2: guidance \"explicit\" is not " + guidance_names_text());
  EXPECT_EQ(refusal("turn_time_s,maxa_deg,guidance,target_perigee_m\n20,18,orbit_insertion,"
                    "185000\n"),
            "plan.csv:1: target_perigee_m and target_apogee_m come together");
  EXPECT_EQ(refusal("turn_time_s,maxa_deg,guidance,target_perigee_m,target_apogee_m\n20,18,"
                    "orbit_insertion,400000,185000\n"),
            "plan.csv:2: target_perigee_m is above target_apogee_m");
  // A file of before the guidance column: the default law's plan, its
  // vehicle the one given.
  const studies::Plan older = studies::parse_plan("turn_time_s,maxa_deg\n20,18\n", "plan.csv");
  EXPECT_EQ(older.guidance, UpperStageGuidance::vertical_acceleration);
  EXPECT_EQ(studies::vehicle_of_plan(Vehicle{}, older), Vehicle{});
  // A quoted field with commas does not shift the columns after it.
  const studies::Plan plan = studies::parse_plan(
      "message,turn_time_s,maxa_deg\r\n\"short, by \"\"1\"\" kg\",102.265,21.190517\r\n", "p");
  EXPECT_EQ(plan.turn_time.text, "102.265");
  EXPECT_EQ(plan.maxa.value, 21.190517);
}

TEST(Plan, AGuidedStageIsNeverTrimmed) {
  const studies::TrimSettings settings = guided_settings(200e3, 200e3);
  EXPECT_THROW((void)studies::trim_turn_time(settings, *studies::typed_number("20")), InputError);
  EXPECT_THROW((void)studies::sweep(settings, studies::TurnTimes::between(20, 22, 1),
                                    [](const studies::SweepRow&) {}),
               InputError);
}

TEST(Plan, AnEllipticTargetsStudyStartsFromTheDefaultLawsTrimToItsPerigee) {
  // The nominal angle when the plan gives none: the default law trimmed to
  // the insertion altitude, computed here on an unguided vehicle aiming there.
  studies::TrimSettings aimed = sample_settings();
  aimed.vehicle.target.altitude = 185e3;
  const studies::TrimResult expected = studies::trim_turn_time(aimed, *studies::typed_number("20"));
  ASSERT_TRUE(expected.trimmed());
  const studies::TrimSettings settings = guided_settings(185e3, 400e3);
  const studies::StudySpec study =
      studies::prepare_study(settings, *studies::typed_number("20"),
                             studies::default_dispersion_set(), studies::LoopMode::guided);
  EXPECT_TRUE(study.maxa_trimmed);
  EXPECT_EQ(study.nominal_maxa.value, expected.maxa.value);
  ASSERT_TRUE(study.nominal_flight.separated);
  EXPECT_NEAR(study.nominal_flight.perigee, 185e3, 1000.0);
  EXPECT_NEAR(study.nominal_flight.apogee, 400e3, 1000.0);
  // The deck's target.altitude plays no part: a contradicting one (which the
  // deck reader refuses) gives the same study.
  studies::TrimSettings contradicting = settings;
  contradicting.vehicle.target.altitude = 200e3;
  EXPECT_EQ(studies::prepare_study(contradicting, *studies::typed_number("20"),
                                   studies::default_dispersion_set(), studies::LoopMode::guided)
                .nominal_maxa.value,
            expected.maxa.value);
}

}  // namespace
}  // namespace ascent::testing
