// Helpers of the staged flight tests: a stage burning in a vacuum and the
// events of a flight by name.
#pragma once

#include <algorithm>
#include <numbers>
#include <stdexcept>
#include <string>

#include "mission/staged_flight.hpp"

namespace ascent::testing {

/// The first event of that name.
inline const StagedEvent& event_named(const StagedResult& r, const std::string& name) {
  const auto at = std::find_if(r.events.begin(), r.events.end(),
                               [&](const StagedEvent& e) { return e.name == name; });
  if (at == r.events.end()) throw std::runtime_error("no event " + name);
  return *at;
}

/// One stage in a vacuum, far from any gravity worth the name, thrusting
/// along x: 1000 kg dry, 3000 kg propellant, 50 kN, 3000 m/s, 500 kg payload.
inline StagedVehicle vacuum_stage() {
  StagedVehicle v;
  v.earth.gravitational_parameter = 1e-6;
  v.earth.rotation_rate = 0.0;
  v.air = AirModel::exponential(0.0, 7200.0);
  v.target.inclination = 0.0;
  v.target.azimuth = std::numbers::pi / 2.0;
  Element stage;
  stage.name = "stage";
  stage.dry_mass = 1000.0;
  stage.propellant = 3000.0;
  stage.thrust = 50000.0;
  stage.exhaust_velocity = 3000.0;
  stage.ignition = Trigger{Trigger::Kind::liftoff};
  v.elements.push_back(stage);
  v.payload = 500.0;
  Phase burn;
  burn.name = "burn";
  burn.steering.kind = StagedSteering::Kind::direction_table;
  burn.steering.directions = {{0.0}, {Vector3::UnitX()}};
  burn.end = Trigger{Trigger::Kind::after, 0.0, 0, ElementMoment::burnout};
  v.phases.push_back(burn);
  return v;
}

}  // namespace ascent::testing
