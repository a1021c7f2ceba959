// Exchange ratios against flights re-trimmed by hand with the field changed.
#include "studies/sensitivities.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

using studies::ExchangeRatio;

const studies::TypedNumber TURN_TIME = *studies::typed_number("80");

/// The unrounded SC_M of the flight re-trimmed with `field` at `value`.
double retrimmed(const char* field, double value) {
  studies::TrimSettings settings = sample_settings();
  settings.tolerance = studies::SENSITIVITY_TOLERANCE;
  find_vehicle_field(field)->set(settings.vehicle, value);
  const studies::TrimResult r = studies::trim_turn_time(settings, TURN_TIME);
  EXPECT_TRUE(r.trimmed()) << field << " = " << value << ": " << r.message;
  return r.flight.SC_M_unrounded;
}

ExchangeRatio ratio_of(const char* field) {
  return studies::exchange_ratio(sample_settings(), TURN_TIME, *find_vehicle_field(field));
}

TEST(ExchangeRatios, AgreeWithFlightsReTrimmedByHand) {
  // Ullage and RCS propellant comes out of the spacecraft, kilogram for kilogram.
  const ExchangeRatio ullage = ratio_of("upper_stage.ullage_and_rcs_propellant");
  EXPECT_NEAR(ullage.ratio, -1.0, 1e-6);
  EXPECT_TRUE(ullage.central);

  // Dry mass costs its own kilogram and the deorbit propellant it adds.
  const ExchangeRatio dry = ratio_of("upper_stage.dry_mass");
  const double per_kg = (retrimmed("upper_stage.dry_mass", 14615.0) -
                         retrimmed("upper_stage.dry_mass", 14515.0)) / 100.0;
  EXPECT_NEAR(dry.ratio, per_kg, 0.002);
  EXPECT_LT(dry.ratio, -1.005);
  EXPECT_EQ(dry.step, 14.515);

  // The launch latitude: a flight path of its own, re-trimmed.
  const ExchangeRatio latitude = ratio_of("launch_site.latitude");
  const double per_degree =
      (retrimmed("launch_site.latitude", 28.95) - retrimmed("launch_site.latitude", 27.95)) / 1.0;
  EXPECT_NEAR(latitude.ratio, per_degree, 0.02 * std::fabs(per_degree));
  EXPECT_LT(latitude.ratio, -100.0);
}

TEST(ExchangeRatios, AtTheEndOfItsRangeAFieldIsDifferencedOneWay) {
  studies::TrimSettings settings = sample_settings();
  settings.vehicle.boosters.hidden_area = 0.0;  // its smallest value
  const ExchangeRatio r =
      studies::exchange_ratio(settings, TURN_TIME, *find_vehicle_field("boosters.hidden_area"));
  EXPECT_FALSE(r.central);
  EXPECT_EQ(r.step, studies::SENSITIVITY_STEP);
  EXPECT_TRUE(std::isfinite(r.ratio));
  EXPECT_GT(r.ratio, 0.0);  // less drag area behind the core: more payload
}

}  // namespace
}  // namespace ascent::testing
