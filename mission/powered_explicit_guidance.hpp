// Closed-loop guidance of a burning stage into a target orbit in three
// dimensions: unified powered flight guidance in its standard ascent mode
// (T. J. Brand, D. W. Brown, J. P. Higgins, "Unified Powered Flight
// Guidance", NASA JSC-11005, 1973), the Space Shuttle's explicit guidance.
//
// The thrust direction is linear in time, iF(t) = unit(lambda + lambdadot
// (t - t_lambda)): lambda along the velocity still to be gained, lambdadot
// turning it so that the burn ends at the insertion radius, in the target
// plane, at the insertion speed and flight-path angle. The place of the
// insertion along the orbit is left free. Each cycle predicts the cutoff
// state (thrust integrals of the rocket equation, gravity along a coast
// arc fitted to the powered one) and corrects the velocity to be gained;
// a few cycles converge it, and it follows every dispersion of the flight.
#pragma once

#include <optional>
#include <utility>

#include "dynamics/earth_model.hpp"
#include "dynamics/vector3.hpp"

namespace ascent {

/// The state the burn is to end in.
struct InsertionTarget {
  double radius = 0.0;             ///< [m] from the Earth's centre
  double speed = 0.0;              ///< [m/s] inertial
  double flight_path_angle = 0.0;  ///< [rad] above the local horizontal
  Vector3 normal = Vector3::UnitZ();  ///< [1] unit, along the target orbit's angular momentum
};

/// How often the guidance re-solves, and when it stops.
struct GuidanceTiming {
  double cycle = 1.0;  ///< [s] between solutions
  /// [s] of time to go below which the last solution is held: near the cutoff
  /// the turning rate that meets the position grows without bound.
  double hold = 40.0;
  bool operator==(const GuidanceTiming&) const = default;
};

/// The stage as the guidance sees it at the start of a cycle.
struct GuidanceState {
  double t;           ///< [s]
  Vector3 position;   ///< [m] inertial
  Vector3 velocity;   ///< [m/s] inertial
  double mass;        ///< [kg]
  double thrust;      ///< [N]
  double mass_flow;   ///< [kg/s]
};

class PoweredExplicitGuidance {
 public:
  PoweredExplicitGuidance(const EarthModel& earth, const InsertionTarget& target, GuidanceTiming timing);

  /// Re-solves the steering when a cycle has passed since the last solution
  /// and the time to go is above the hold; the first solution is iterated
  /// to convergence. Without thrust nothing is solved.
  void update(const GuidanceState& now);

  /// [1] the unit thrust direction at `t` [s]; none before a first solution.
  [[nodiscard]] std::optional<Vector3> direction(double t) const;
  /// [s] the burn still to go at `t`, as last solved.
  [[nodiscard]] double time_to_go(double t) const { return solution_.time_to_go - (t - solved_at_); }
  /// Whether the last solution changed the time to go by less than 1 %.
  [[nodiscard]] bool converged() const { return converged_; }
  /// Whether the steering is held to the cutoff.
  [[nodiscard]] bool held() const { return held_; }

 private:
  /// The guidance's iterated quantities.
  struct Solution {
    Vector3 desired_position = Vector3::Zero();   ///< [m] rd, at cutoff
    Vector3 velocity_to_go = Vector3::Zero();     ///< [m/s] vgo
    Vector3 position_bias = Vector3::Zero();      ///< [m] rbias
    Vector3 gravity_position = Vector3::Zero();   ///< [m] rgrav
    Vector3 lambda = Vector3::UnitX();            ///< [1]
    Vector3 lambda_rate = Vector3::Zero();        ///< [1/s]
    double lambda_time = 0.0;                     ///< [s] t_lambda
    double time_to_go = 0.0;                      ///< [s]
  };

  /// The first guess: cutoff a little ahead in the target plane.
  [[nodiscard]] Solution first_guess(const GuidanceState& s) const;
  /// One pass of the guidance from `from`; none when it gives no finite answer.
  [[nodiscard]] std::optional<Solution> pass(const GuidanceState& s, const Solution& from) const;
  /// The coast from (r, v) over `dt` [s] in the Earth's gravity.
  [[nodiscard]] std::pair<Vector3, Vector3> coast(const Vector3& r, const Vector3& v, double dt) const;

  EarthModel earth_;
  InsertionTarget target_;
  GuidanceTiming timing_;
  Solution solution_;
  Vector3 last_velocity_ = Vector3::Zero();  ///< [m/s] at the last solution
  double solved_at_ = 0.0;                   ///< [s]
  bool started_ = false;
  bool converged_ = false;
  bool held_ = false;
};

}  // namespace ascent
