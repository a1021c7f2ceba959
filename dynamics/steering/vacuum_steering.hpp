// Steering in vacuum: no air and no drag, the full vacuum thrust at pitch
// above the inertial flight path.
#pragma once

#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct VacuumSteering {
  static constexpr bool flies_in_air = false;
  static constexpr bool reads_flight_path_angle = true;
  static constexpr bool reads_air_path_angle = false;

  Accelerations accelerations(const SteeringInputs& in) const {
    const Real phi = in.pitch + in.beta;
    const SineCosine thrust_direction = sine_cosine(phi);
    return {
        (in.thrust_vac / in.m) * thrust_direction.cos - in.vr * in.vt / in.r,
        in.vt * in.vt / in.r + (in.thrust_vac / in.m) * thrust_direction.sin - MU / (in.r * in.r)};
  }
  /// No angle is held from vacuum flight.
  Real held_angle(const SteeringInputs&) const { return 0.0L; }
  Real aerodynamic_offset(const SteeringInputs&) const { return 0.0L; }
  bool operator==(const VacuumSteering&) const = default;
};

}  // namespace ascent
