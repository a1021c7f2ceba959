// One primary value of the vehicle changed: the flight and its mass budget
// move exactly where that value reaches, and nowhere else.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mission/flight.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

/// Each step's state as the table's columns and the masses behind them.
class StepLog : public FlightObserver {
 public:
  void on_step(const FlightState& s, const StepQuantities& /*derived*/) override {
    rows.push_back({s.t.value(), s.a.value(), s.vi.value(), s.h0.value(), s.r0.value(),
                    s.steering.alpha.value(), s.stage.m_fixed.value(), s.m_prop.value()});
  }
  std::vector<std::vector<double>> rows;
};

struct LoggedFlight {
  FlightResult result;
  std::vector<std::vector<double>> rows;
};

LoggedFlight fly_logged(const Vehicle& vehicle) {
  static const ThrustHistory thrust =
      ThrustHistory::read(std::filesystem::path(ASCENT_DATA_DIR) / "s1.dat");
  StepLog log;
  FlightResult result = fly(vehicle, thrust, {20.0, 18.0, {}}, &log);
  return {std::move(result), std::move(log.rows)};
}

const EventRecord& event_of(const FlightResult& r, FlightEventKind kind) {
  for (const EventRecord& e : r.events) {
    if (e.event.kind == kind) return e;
  }
  throw std::runtime_error("no such event");
}

TEST(VehicleChange, UllageAndRcsPropellantComesOutOfTheSpacecraftOnly) {
  const LoggedFlight base = fly_logged(Vehicle{});
  Vehicle changed;
  changed.upper_stage.ullage_and_rcs_propellant += 100.0;
  const LoggedFlight more = fly_logged(changed);
  ASSERT_TRUE(base.result.in_orbit());
  EXPECT_EQ(more.rows, base.rows);
  EXPECT_EQ(more.result.budget.SC_M, base.result.budget.SC_M - 100.0);
  EXPECT_EQ(more.result.budget.S3_U_Mp, base.result.budget.S3_U_Mp + 100.0);
  EXPECT_EQ(more.result.orbit.average_altitude, base.result.orbit.average_altitude);
  EXPECT_EQ(more.result.budget.deorbit_propellant, base.result.budget.deorbit_propellant);
  EXPECT_EQ(more.result.budget.S3_Ms, base.result.budget.S3_Ms);
}

TEST(VehicleChange, AHeavierUpperStageAlsoNeedsMoreDeorbitPropellant) {
  const LoggedFlight base = fly_logged(Vehicle{});
  Vehicle changed;
  changed.upper_stage.dry_mass += 1000.0;
  const LoggedFlight heavy = fly_logged(changed);
  // The stack's mass is given, so the trajectory stays; the budget books a
  // heavier stage, which takes more propellant to bring down.
  EXPECT_EQ(heavy.rows, base.rows);
  const MassBudget& b = base.result.budget;
  const MassBudget& h = heavy.result.budget;
  const double more_deorbit = h.deorbit_propellant - b.deorbit_propellant;
  EXPECT_NEAR(more_deorbit, 1000.0 * changed.mass_budget.deorbit_fraction, 1.0);
  EXPECT_GT(more_deorbit, 0.0);
  // The spacecraft pays for the stage's kilograms and the propellant they need.
  EXPECT_EQ(h.SC_M, b.SC_M - 1000.0 - (h.total_propellant - b.total_propellant));
  EXPECT_LT(h.SC_M, b.SC_M - 1000.0);
}

TEST(VehicleChange, TheUpperStageBurnsToTheCircularSpeedOfTheTarget) {
  for (const double altitude : {200000.0, 300000.0}) {
    Vehicle v;
    v.target.altitude = altitude;
    const FlightResult r = fly_logged(v).result;
    ASSERT_TRUE(r.separated()) << altitude;
    const FlightState& cutoff = event_of(r, FlightEventKind::upper_stage_cutoff).state;
    // The last step's length comes from the rocket equation, without gravity
    // and drag: close, not exact. The two targets' speeds lie 58 m/s apart.
    EXPECT_NEAR(cutoff.vi.value(), v.orbit_speed().value(), 0.1) << altitude;
  }
}

}  // namespace
}  // namespace ascent::testing
