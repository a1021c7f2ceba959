// Closed-loop guidance of the upper stage to a target orbit: powered explicit
// guidance (PEG) in the plane of flight, the linear-tangent-like law of the
// Space Shuttle's ascent guidance (R. F. Jaggers, "An explicit solution to
// the exoatmospheric powered flight guidance and trajectory optimization
// problem for rocket propelled vehicles", AIAA 77-1051, 1977; W. H. McHenry
// et al., "Space Shuttle ascent guidance, navigation and control", J.
// Astronautical Sciences 27, 1979). It fits a low thrust-to-weight stage: the
// steering follows the whole remaining burn, not a short look-ahead.
//
// The radial share of the thrust direction, fr = sin(pitch above the local
// horizontal), is steered as fr(t) = A + B t + C, where C balances gravity
// against the centrifugal acceleration. Each guidance cycle solves A and B so
// that the burn ends at the target's radius with its radial speed, and
// re-estimates the time to go from the angular momentum still missing.
#pragma once

#include "base/real.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// The state the burn ends in: the perigee of the target orbit, where the
/// flight path is horizontal, at the ellipse's perigee speed.
struct InsertionPoint {
  Real radius;            ///< [m] from the Earth's centre
  Real horizontal_speed;  ///< [m/s] inertial
  Real energy;            ///< [J/kg] specific orbital energy of the target orbit
};

[[nodiscard]] InsertionPoint insertion_point(const TargetOrbit& target);

/// [J/kg] specific orbital energy v^2/2 - mu/r at an altitude h0 [m].
[[nodiscard]] Real orbital_energy(Real vt, Real vr, Real h0);

/// The stage's state as the guidance sees it at the start of a cycle.
struct GuidanceInput {
  Real vt;            ///< [m/s] inertial horizontal velocity
  Real vr;            ///< [m/s] radial velocity
  Real h0;            ///< [m] altitude
  Real acceleration;  ///< [m/s^2] vacuum thrust over mass
};

/// The thrust direction over the next cycle: a pitch above the local
/// horizontal at its start and its rate of change.
struct PitchCommand {
  Real pitch;       ///< [rad]
  Real pitch_rate;  ///< [rad/s]
};

class OrbitInsertionGuidance {
 public:
  OrbitInsertionGuidance(const InsertionPoint& target, Real exhaust_velocity);

  /// Updates the steering for the state and returns the pitch over the next `dt` seconds.
  PitchCommand steer(const GuidanceInput& in, Real dt);

  /// [s] the burn time still to go, as last estimated.
  [[nodiscard]] Real time_to_go() const { return time_to_go_; }
  /// The burn is in its last seconds, where the energy decides the cutoff.
  [[nodiscard]] bool in_final_seconds() const;

 private:
  /// [1] gravity less centrifugal acceleration over the thrust acceleration.
  [[nodiscard]] static Real balance(Real r, Real vt, Real acceleration);
  /// A and B that end the burn at the target's radius and radial speed in time_to_go_.
  void solve_radial(const GuidanceInput& in, Real r, Real tau);
  /// The same, and the time to go that supplies the missing angular momentum.
  void solve_steering(const GuidanceInput& in, Real r, Real tau);

  InsertionPoint target_;
  Real ve_;
  Real A_ = 0.0L;
  Real B_ = 0.0L;
  Real time_to_go_ = 0.0L;
  Real frozen_for_ = 0.0L;  ///< [s] since the steering was last solved, once frozen
  bool started_ = false;
  bool frozen_ = false;
};

}  // namespace ascent
