// Steering at a held angle: the thrust stays alpha (left by the law before)
// above the inertial flight path, turned by the pitch offset.
#pragma once

#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct HeldAngleSteering {
  static constexpr bool flies_in_air = true;
  static constexpr bool reads_flight_path_angle = true;
  static constexpr bool reads_air_path_angle = true;

  Accelerations accelerations(const SteeringInputs& in) const {
    return thrust_at_angle_in_air(in.alpha + in.beta + in.pitch, in);
  }
  Real held_angle(const SteeringInputs& in) const { return in.alpha; }
  Real aerodynamic_offset(const SteeringInputs& in) const { return in.pitch; }
  bool operator==(const HeldAngleSteering&) const = default;
};

}  // namespace ascent
