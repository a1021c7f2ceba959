// Steering above the horizon: guidance gives the thrust's angle above the
// local horizontal directly, as the pitch; drag still acts.
#pragma once

#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct HorizonSteering {
  static constexpr bool flies_in_air = true;
  static constexpr bool reads_flight_path_angle = false;
  static constexpr bool reads_air_path_angle = true;

  Accelerations accelerations(const SteeringInputs& in) const {
    return thrust_at_angle_in_air(Extended{in.pitch}, in);
  }
  Real held_angle(const SteeringInputs& in) const { return in.pitch - in.beta; }
  Real aerodynamic_offset(const SteeringInputs&) const { return 0.0L; }
  bool operator==(const HorizonSteering&) const = default;
};

}  // namespace ascent
