// Steering above the horizon: guidance gives the thrust's angle above the
// local horizontal directly, as the pitch; drag still acts.
#pragma once

#include <optional>

#include "dynamics/steering/steering_inputs.hpp"

namespace ascent {

struct HorizonSteering {
  static constexpr bool flies_in_air = true;
  static constexpr bool reads_flight_path_angle = false;
  static constexpr bool reads_air_path_angle = true;

  /// The thrust's direction at the pitch it was last computed for. The
  /// guidance turns the pitch at a rate held over a step, so the step's two
  /// midpoint stages share their pitch to the last bit.
  struct KeptDirection {
    Real pitch;
    SineCosine direction;
    bool operator==(const KeptDirection&) const = default;
  };
  std::optional<KeptDirection> kept{};

  Accelerations accelerations(const SteeringInputs& in) {
    if (!kept || !same_bits(kept->pitch, in.pitch)) kept = {in.pitch, sine_cosine(in.pitch)};
    return thrust_and_drag(kept->direction, sine_cosine(in.theta), in);
  }
  Real held_angle(const SteeringInputs& in) const { return in.pitch - in.beta; }
  Real aerodynamic_offset(const SteeringInputs&) const { return 0.0L; }
  bool operator==(const HorizonSteering&) const = default;
};

}  // namespace ascent
