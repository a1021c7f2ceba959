#include "mission/staged_steering.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dynamics/equations_of_motion.hpp"

namespace ascent {

namespace {

/// The flight plane's vertical at a position: the local up, the forward
/// horizontal direction in the plane, and the inertial speeds along them.
struct PlaneOfMotion {
  Vector3 up;
  Vector3 forward;
  double vt;  ///< [m/s] forward inertial speed
  double vr;  ///< [m/s] radial speed

  /// [rad] the inertial path angle.
  [[nodiscard]] double beta() const { return std::atan2(vr, vt); }
};

PlaneOfMotion plane_of_motion(const PointMassState& x, const Vector3& normal) {
  PlaneOfMotion p;
  p.up = x.position.normalized();
  p.forward = normal.cross(p.up).normalized();
  p.vr = x.velocity.dot(p.up);
  p.vt = x.velocity.dot(p.forward);
  return p;
}

Vector3 at_elevation(const Vector3& forward, const Vector3& up, double angle) {
  return std::cos(angle) * forward + std::sin(angle) * up;
}

VerticalLawInputs law_inputs(const PlaneOfMotion& p, double beta, const SteeringView& at, double K,
                             double n, double maxa) {
  return {K, n, p.vt, p.vr, at.state.position.norm(), at.state.mass, at.thrust, at.drag,
          at.flow.air_speed, beta, maxa};
}

}  // namespace

LocalFrame LocalFrame::at(const Vector3& position) {
  LocalFrame f;
  f.up = position.normalized();
  const Vector3 east = Vector3::UnitZ().cross(f.up);
  // Over a pole every horizontal direction is east of something: take the y axis.
  f.east = east.norm() > 0.0 ? Vector3(east.normalized()) : Vector3::UnitY();
  f.north = f.up.cross(f.east);
  return f;
}

Vector3 LocalFrame::heading(double azimuth) const {
  return std::sin(azimuth) * east + std::cos(azimuth) * north;
}

PhaseSteering::PhaseSteering(const StagedSteering& steering, const Vector3& plane_normal,
                             double start, double offset, const SteeringView& first,
                             const Vector3& last_direction, const EarthModel& earth,
                             const InsertionTarget& insertion)
    : steering_(steering),
      normal_(plane_normal),
      start_(start),
      offset_(steering.pitch_offset.value_or(offset)),
      entry_direction_(last_direction.normalized()) {
  const PlaneOfMotion p = plane_of_motion(first.state, normal_);
  const double beta = p.beta();
  const double alpha = std::asin(std::clamp(last_direction.normalized().dot(p.up), -1.0, 1.0)) - beta;
  held_alpha_ = alpha;
  if (steering_.kind == StagedSteering::Kind::vertical_law) {
    // Scaled to the radial acceleration the thrust gives now: no jump when the law takes over.
    law_K_ = calibrate_vertical_law(first.thrust, alpha, beta, first.drag, p.vr,
                                    first.flow.air_speed, first.state.mass, p.vt,
                                    first.state.position.norm(), steering_.law_exponent)
                 .value();
    limit_ = LimitSines::of(steering_.maxa);
  }
  if (steering_.kind == StagedSteering::Kind::guided) {
    guidance_.emplace(earth, insertion, steering_.guidance);
    update(first);
  }
}

void PhaseSteering::update(const SteeringView& reached) {
  if (!guidance_) return;
  guidance_->update({reached.t, reached.state.position, reached.state.velocity, reached.state.mass,
                     reached.thrust, reached.mass_flow});
}

double PhaseSteering::pitch_offset(double t) const {
  return offset_ + steering_.pitch_rate * (t - start_);
}

Vector3 PhaseSteering::in_plane_of_motion(const SteeringView& at, double angle_from_path) const {
  const PlaneOfMotion p = plane_of_motion(at.state, normal_);
  return at_elevation(p.forward, p.up, p.beta() + angle_from_path);
}

Vector3 PhaseSteering::along_air_path(const SteeringView& at) const {
  // The path through the air as the flight plane sees it; as in the classic
  // flight, motion that does not go forward counts as straight up.
  const PlaneOfMotion p = plane_of_motion(at.state, normal_);
  const Vector3& air = at.flow.air_velocity;
  const double forward = air.dot(p.forward);
  const double path = forward < STEER_THRESHOLD ? std::numbers::pi / 2.0
                                                : std::atan2(air.dot(p.up), forward);
  return at_elevation(p.forward, p.up, path + pitch_offset(at.t));
}

Vector3 PhaseSteering::vertical_law(const SteeringView& at) const {
  const PlaneOfMotion p = plane_of_motion(at.state, normal_);
  const double beta = p.beta();
  const VerticalLawSteering law = steer_vertical_law(
      law_inputs(p, beta, at, law_K_, steering_.law_exponent, steering_.maxa), limit_);
  return at_elevation(p.forward, p.up, beta + law.alpha_c.value());
}

Vector3 PhaseSteering::direction(const SteeringView& at) const {
  switch (steering_.kind) {
    case StagedSteering::Kind::vertical:
      return at.state.position.normalized();
    case StagedSteering::Kind::gravity_turn:
      return along_air_path(at);
    case StagedSteering::Kind::held_angle:
      return in_plane_of_motion(at, held_alpha_);
    case StagedSteering::Kind::pitch_yaw_table: {
      const PlaneOfMotion p = plane_of_motion(at.state, normal_);
      const Vector3 heading = steering_.yaw.empty()
                                  ? p.forward
                                  : LocalFrame::at(at.state.position).heading(steering_.yaw.at(at.t));
      return at_elevation(heading, p.up, steering_.pitch.at(at.t));
    }
    case StagedSteering::Kind::direction_table:
      return steering_.directions.at(at.t);
    case StagedSteering::Kind::vertical_law:
      return vertical_law(at);
    case StagedSteering::Kind::guided:
      // Until the guidance has thrust to solve with, the phase's first direction.
      return guidance_->direction(at.t).value_or(entry_direction_);
    case StagedSteering::Kind::coast:
      break;
  }
  return at.state.velocity.normalized();
}

}  // namespace ascent
