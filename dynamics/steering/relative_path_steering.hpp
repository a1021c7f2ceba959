// Steering along the Earth-relative flight path: the thrust follows the path
// through the air, turned by the pitch offset (the boosters' gravity turn).
#pragma once

#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct RelativePathSteering {
  static constexpr bool flies_in_air = true;
  static constexpr bool reads_flight_path_angle = false;
  static constexpr bool reads_air_path_angle = true;

  Accelerations accelerations(const SteeringInputs& in) const {
    return thrust_at_angle_in_air(in.pitch + in.theta, in);
  }
  /// The angle from the inertial path at which the thrust followed the air's path.
  Real held_angle(const SteeringInputs& in) const { return in.theta - in.beta; }
  Real aerodynamic_offset(const SteeringInputs& in) const { return in.pitch; }
  bool operator==(const RelativePathSteering&) const = default;
};

}  // namespace ascent
