// The steering of a flight: the law the phase chose, and the angle the laws
// hand on to each other. Every law is a value with the same six members:
//   flies_in_air            whether the air acts (else no drag, vacuum thrust)
//   reads_flight_path_angle whether accelerations() reads beta (else it is
//                           not computed at the trial states: an arctangent)
//   reads_air_path_angle    the same for theta, the Earth-relative path angle
//   accelerations(in)       the accelerations of vt and vr at a trial state
//   held_angle(in)          the angle alpha it leaves after a step
//   aerodynamic_offset(in)  what it adds to alpha + beta - theta in the
//                           aerodynamic angle of attack
// A new law is one header and its entry in SteeringLaw.
#pragma once

#include <variant>

#include "base/real.hpp"
#include "dynamics/steering/held_angle_steering.hpp"
#include "dynamics/steering/horizon_steering.hpp"
#include "dynamics/steering/relative_path_steering.hpp"
#include "dynamics/steering/vacuum_steering.hpp"
#include "dynamics/steering/vertical_acceleration_law.hpp"

namespace ascent {

/// The laws a phase can choose; a flight starts at the held angle.
using SteeringLaw = std::variant<HeldAngleSteering, RelativePathSteering, VerticalAccelerationLaw,
                                 VacuumSteering, HorizonSteering>;

struct Steering {
  SteeringLaw law;
  /// [rad] held angle from the inertial flight path to the thrust; it stays
  /// when the law changes, so a law can go on at the angle the last one left.
  Real alpha;
  /// [rad] largest |alpha| the vertical-acceleration law may hold.
  Real maxa;
  bool operator==(const Steering&) const = default;
};

/// Whether the chosen law flies in the air.
inline bool flies_in_air(const SteeringLaw& law) {
  return std::visit([](const auto& chosen) { return chosen.flies_in_air; }, law);
}

}  // namespace ascent
