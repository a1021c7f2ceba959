// The thrust direction of a phase of a staged flight, in the inertial frame,
// from the steering the phase names: the local vertical, the gravity turn
// along the air-relative path with a pitch offset, a held angle, pitch and
// yaw programmes, a table of inertial directions, or the vertical-
// acceleration law of the classic flight.
//
// The steering laws steer in the flight plane: the inertial plane through
// the pad at liftoff and the launch azimuth. Without yaw steering out of it,
// a due-east flight keeps the latitude's inclination, as the classic planar
// flight does.
#pragma once

#include <optional>

#include "dynamics/equations_of_motion.hpp"
#include "dynamics/point_mass_motion.hpp"
#include "mission/powered_explicit_guidance.hpp"
#include "mission/staged_vehicle.hpp"

namespace ascent {

/// Unit vectors of the local vertical frame at a position.
struct LocalFrame {
  Vector3 up, east, north;
  [[nodiscard]] static LocalFrame at(const Vector3& position);
  /// The horizontal unit vector of `azimuth` [rad] from north, eastward positive.
  [[nodiscard]] Vector3 heading(double azimuth) const;
};

/// What the steering reads at a trial state.
struct SteeringView {
  double t;                    ///< [s] mission time
  const PointMassState& state;
  const Airflow& flow;
  double thrust;     ///< [N] effective thrust
  double mass_flow;  ///< [kg/s] of the burning engines
  double drag;       ///< [N]
};

/// The steering of one phase, started at the phase's first state.
class PhaseSteering {
 public:
  /// `plane_normal` is the flight plane's (unit, inertial); `offset` [rad]
  /// the pitch offset the previous phase ended with; `last_direction` the
  /// thrust direction then; `earth` and `insertion` what guided steering aims with.
  PhaseSteering(const StagedSteering& steering, const Vector3& plane_normal, double start,
                double offset, const SteeringView& first, const Vector3& last_direction,
                const EarthModel& earth, const InsertionTarget& insertion);

  /// Lets a closed-loop law re-solve at a state the flight has reached (not a trial state).
  void update(const SteeringView& reached);
  [[nodiscard]] Vector3 direction(const SteeringView& at) const;
  /// [rad] the gravity turn's pitch offset at `t`.
  [[nodiscard]] double pitch_offset(double t) const;

 private:
  /// Unit vector at `angle` above the horizontal in the vertical plane of the
  /// inertial velocity, and the inertial path angle beta.
  [[nodiscard]] Vector3 in_plane_of_motion(const SteeringView& at, double angle_from_path) const;
  [[nodiscard]] Vector3 along_air_path(const SteeringView& at) const;
  [[nodiscard]] Vector3 vertical_law(const SteeringView& at) const;

  const StagedSteering& steering_;
  Vector3 normal_;
  double start_;
  double offset_;
  double held_alpha_ = 0.0;  ///< [rad] held_angle: from the inertial path
  double law_K_ = 0.0;       ///< the vertical-acceleration law's coefficient
  std::optional<LimitSines> limit_;  ///< the law's limit, for its bound beyond doubt
  Vector3 entry_direction_;          ///< the thrust direction the phase started with
  std::optional<PoweredExplicitGuidance> guidance_;
};

}  // namespace ascent
