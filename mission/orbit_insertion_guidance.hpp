// Closed-loop guidance of the upper stage to a target orbit: every guidance
// cycle solves the burn that reaches the target with the least propellant
// from the stage's present state (mission/optimal_burn.hpp), starting from
// the last cycle's solution carried forward, and steers the thrust along its
// primer vector. The insertion point is free: an elliptic target is entered
// where it costs least, not necessarily at perigee. In the last seconds the
// steering is no longer solved but flown on, as the solution's sensitivity
// to the remaining burn vanishes.
#pragma once

#include <optional>

#include "base/real.hpp"
#include "mission/optimal_burn.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// The target orbit of `target` as the guidance aims at it.
[[nodiscard]] TargetEllipse target_ellipse(const TargetOrbit& target);

/// [J/kg] specific orbital energy of the orbit `target`, -mu / (rp + ra).
[[nodiscard]] Real orbital_energy(const TargetEllipse& target);

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
  OrbitInsertionGuidance(const TargetEllipse& target, Real exhaust_velocity);

  /// Updates the steering for the state and returns the pitch over the next `dt` seconds.
  PitchCommand steer(const GuidanceInput& in, Real dt);

  /// [s] the burn time still to go, as last estimated.
  [[nodiscard]] Real time_to_go() const { return time_to_go_; }
  /// The burn is in its last seconds, where the energy decides the cutoff.
  [[nodiscard]] bool in_final_seconds() const;

 private:
  /// The last solution carried forward to now, as a guess from the present state.
  [[nodiscard]] BurnSolution carried_forward() const;
  /// Solves the burn from `start`, or keeps flying the last solution.
  void solve(const BurnStart& start);

  TargetEllipse target_;
  double ve_;                ///< [m/s] exhaust velocity
  BurnStart solved_from_{};  ///< the state the steering was last solved from
  std::optional<BurnSolution> solution_;
  bool optimal_ = false;       ///< the solution is a converged one, not a first guess
  BurnArc arc_{};              ///< the solution's arc now, in its own frame
  double since_solved_ = 0.0;  ///< [s] flown since it was solved
  double seek_after_ = 0.0;    ///< [s] of flight without a solution before it is sought from scratch
  double unsolved_for_ = 0.0;  ///< [s] flown since a solution was last found or sought from scratch
  bool frozen_ = false;
  Real time_to_go_ = 0.0L;
};

}  // namespace ascent
