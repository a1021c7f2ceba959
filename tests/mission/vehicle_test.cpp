// The default vehicle and its derived quantities, and access to its fields by name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "mission/vehicle_fields.hpp"

namespace ascent::testing {
namespace {

TEST(Vehicle, DerivedQuantitiesOfTheDefaultVehicleAreThoseItWasDesignedWith) {
  // These stored values were the vehicle's constants before they were derived;
  // every flight of the default vehicle depends on them to the last bit.
  const Vehicle v;
  EXPECT_EQ(v.orbit_speed().value(), 7784.245749961075);
  EXPECT_EQ(v.ullage_propellant().value(), 32.32158145686145);
  EXPECT_EQ(v.ignition_rate().value(), 169373.84615384616);
  EXPECT_EQ(v.stack_area().value(), 55.510095717849502);
  EXPECT_EQ(v.core_stack_area().value(), 57.583095717849503);
  EXPECT_EQ(v.liftoff_area().value(), 101.43616940337822);
  EXPECT_EQ(v.liftoff_exit_area().value(), 40.25776722184596);
  EXPECT_EQ(v.tail_off_time().value(), 1.1772863885685458);
  EXPECT_EQ(v.liftoff_mass().value(), 2707388.0);
  EXPECT_EQ(v.pad_propellant().value(), 2228306.0);
  EXPECT_EQ(v.stage_base_mass().value(), 17039.0);
}

TEST(Vehicle, ADerivedQuantityFollowsItsPrimaryValues) {
  Vehicle v;
  v.target.altitude = 300000.0;
  EXPECT_NEAR(v.orbit_speed().value(), 7725.8, 0.1);
  v.upper_stage.dry_mass += 100.0;
  EXPECT_EQ(v.stage_base_mass().value(), 17139.0);
  v.boosters.count = 4;
  EXPECT_EQ(v.liftoff_mass().value(), 2707388.0 + 2 * (96751.0 + 632489.0));
}

TEST(VehicleFields, EveryFieldByItsNameWithinItsRange) {
  const Vehicle defaults;
  std::set<std::string> names;
  for (const VehicleField& f : vehicle_fields()) {
    const std::string name = f.name();
    EXPECT_TRUE(names.insert(name).second) << name;
    ASSERT_EQ(find_vehicle_field(name), &f) << name;
    const double value = f.get(defaults);
    EXPECT_GE(value, f.minimum) << name;
    EXPECT_LE(value, f.maximum) << name;
    Vehicle changed;
    f.set(changed, value + 1.0);
    EXPECT_EQ(f.get(changed), value + 1.0) << name;
    EXPECT_FALSE(changed == defaults) << name;
  }
  EXPECT_EQ(names.size(), 44u);
  EXPECT_EQ(find_vehicle_field("boosters"), nullptr);
  EXPECT_EQ(find_vehicle_field("boosters.propellantx"), nullptr);
  EXPECT_EQ(find_vehicle_field("core.propellant")->unit, "kg");
  EXPECT_TRUE(find_vehicle_field("boosters.count")->whole);
  EXPECT_TRUE(find_vehicle_field("target.minimum_perigee")->optional);
  EXPECT_FALSE(find_vehicle_field("target.altitude")->optional);
}

}  // namespace
}  // namespace ascent::testing
