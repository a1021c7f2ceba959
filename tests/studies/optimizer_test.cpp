// The payload optimiser against a brute-force grid of trims (of guided
// flights for a guided upper stage), with and without a load limit that
// binds, and with limits no plan can keep.
#include "studies/optimizer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "studies/sweep.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

using studies::Constraint;
using studies::OptimizeResult;
using studies::OptimizeSettings;

OptimizeSettings settings_from(double from, double to, LoadLimits limits = {}) {
  OptimizeSettings settings;
  settings.trim = sample_settings();
  settings.from = from;
  settings.to = to;
  settings.limits = limits;
  return settings;
}

/// The largest unrounded SC_M of the feasible rows of a sweep every
/// `step` seconds, the vehicle carrying `limits`.
double grid_best(double from, double to, double step, const LoadLimits& limits) {
  studies::TrimSettings settings = sample_settings();
  settings.vehicle.limits = limits;
  double best = 0.0;
  studies::sweep(settings, studies::TurnTimes::between(from, to, step),
                 [&](const studies::SweepRow& row) {
                   if (row.feasible()) best = std::max(best, row.flight.SC_M_unrounded);
                 });
  return best;
}

bool has(const OptimizeResult& r, Constraint c) {
  return std::find(r.active.begin(), r.active.end(), c) != r.active.end();
}

TEST(Optimizer, FindsTheGridsBestWithFewerTrimsAndNamesTheBindingConstraint) {
  // From 20 to 40 s the payload grows with the turn time: the longest turn
  // time holds the free optimum.
  const OptimizeResult free = studies::optimize_payload(settings_from(20.0, 40.0));
  ASSERT_TRUE(free.best);
  EXPECT_GE(free.best->flight.SC_M_unrounded, grid_best(20.0, 40.0, 0.5, {}) - 0.5);
  EXPECT_EQ(free.active, std::vector<Constraint>{Constraint::longest_turn_time});
  EXPECT_LT(free.trims.size(), 41u);

  // q*alpha grows with the turn time too: a limit of 11000 Pa*deg holds the
  // optimum near 28 s, where the flight keeps to it with little to spare.
  const LoadLimits q_alpha{0.0, 11000.0, 0.0};
  const OptimizeResult held = studies::optimize_payload(settings_from(20.0, 40.0, q_alpha));
  ASSERT_TRUE(held.best);
  EXPECT_TRUE(held.best->feasible());
  EXPECT_LE(held.best->flight.loads.q_alpha, 11000.0);
  EXPECT_GT(held.best->flight.loads.q_alpha, 11000.0 * 0.995);
  EXPECT_GE(held.best->flight.SC_M_unrounded, grid_best(20.0, 40.0, 0.5, q_alpha) - 0.5);
  EXPECT_EQ(held.active, std::vector<Constraint>{Constraint::q_alpha});
  EXPECT_EQ(held.limits, q_alpha);

  // A limit above every flight's load does not bind.
  const OptimizeResult loose =
      studies::optimize_payload(settings_from(20.0, 40.0, LoadLimits{0.0, 20000.0, 0.0}));
  ASSERT_TRUE(loose.best);
  EXPECT_FALSE(has(loose, Constraint::q_alpha));
  EXPECT_TRUE(has(loose, Constraint::longest_turn_time));
}

TEST(Optimizer, NeverOffersAnInfeasiblePlan) {
  // No turn time keeps the dynamic pressure below 10 kPa.
  OptimizeSettings settings = settings_from(20.0, 115.0);
  settings.trim.vehicle.limits.max_dynamic_pressure = 10000.0;
  const OptimizeResult none = studies::optimize_payload(settings);
  EXPECT_FALSE(none.best);
  EXPECT_TRUE(none.active.empty());
  EXPECT_GE(none.trims.size(), 5u);
  for (const studies::TrimResult& r : none.trims) EXPECT_FALSE(r.feasible()) << r.turn_time.text;
}

/// The largest unrounded SC_M of the guided flights in orbit every 5 s and
/// every 0.5 deg from 14 to 30 deg (below, no flight is in orbit; above
/// 25 deg the steering no longer reaches the angle); 0 when none is.
double guided_grid_best(const studies::TrimSettings& settings) {
  double best = 0.0;
  for (double t = 20.0; t <= 115.0; t += 5.0) {
    for (double a = 14.0; a <= 30.0; a += 0.5) {
      const studies::FlightOutcome f =
          studies::fly({&settings.vehicle, &settings.thrust, studies::typed_number(t, 3),
                        studies::typed_number(a, 6)});
      if (f.in_orbit()) best = std::max(best, f.SC_M_unrounded);
    }
  }
  return best;
}

TEST(Optimizer, SearchesTheAngleOfAGuidedUpperStageToo) {
  // Free, held by q*alpha (feasible in a band 2 deg wide from 22 to 29 s at
  // 11000 Pa*deg), and a dynamic pressure no plan keeps to.
  for (const LoadLimits& limits :
       {LoadLimits{}, LoadLimits{0.0, 11000.0, 0.0}, LoadLimits{10000.0, 0.0, 0.0}}) {
    OptimizeSettings settings = settings_from(20.0, 115.0);
    settings.trim.vehicle.upper_stage.guidance = UpperStageGuidance::orbit_insertion;
    settings.trim.vehicle.limits = limits;
    const OptimizeResult r = studies::optimize_payload(settings);
    const double grid = guided_grid_best(settings.trim);
    SCOPED_TRACE(grid);
    if (grid == 0.0 && !r.best) continue;   // honestly infeasible
    ASSERT_TRUE(r.best);
    EXPECT_TRUE(r.best->flight.in_orbit());
    EXPECT_GE(r.best->flight.remaining_propellant, 0.0);
    EXPECT_GE(r.best->flight.SC_M_unrounded, grid);
    EXPECT_LE(r.best->flight.loads.q_alpha, limits.max_q_alpha > 0.0 ? limits.max_q_alpha : 1e9);
    // The plan's angle is searched, not the trimmed one of its turn time.
    EXPECT_NE(r.best->maxa.value,
              studies::trim_turn_time(sample_settings(), r.best->turn_time).maxa.value);
  }
}

TEST(Optimizer, AnExceptionFromTheProgressEndsTheSearch) {
  int trims = 0;
  const auto stop_at_the_third = [&](const studies::TrimResult&) {
    if (++trims == 3) throw std::runtime_error("interrupted");
  };
  EXPECT_THROW((void)studies::optimize_payload(settings_from(20.0, 40.0), stop_at_the_third),
               std::runtime_error);
  EXPECT_EQ(trims, 3);
}

}  // namespace
}  // namespace ascent::testing
