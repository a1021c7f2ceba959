// Elements from the angular momentum h = r x v, the node vector z x h and the
// eccentricity vector e = ((v^2 - mu/r) r - (r.v) v) / mu (Vallado, RV2COE);
// back through the perifocal frame rotated by Omega, i and omega (COE2RV).
#include "dynamics/orbital_elements.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ascent {

namespace {

/// Below these an orbit counts as equatorial or circular: the node or the
/// perigee direction is then too ill-defined to measure angles from.
constexpr double EQUATORIAL_NODE_FRACTION = 1e-12;
constexpr double CIRCULAR_ECCENTRICITY = 1e-12;

/// [rad] the angle from `from` to `to` about `axis` (unit vectors), in [0, 2 pi).
double angle_about(const Vector3& axis, const Vector3& from, const Vector3& to) {
  const double angle = std::atan2(axis.dot(from.cross(to)), from.dot(to));
  return angle < 0.0 ? angle + 2.0 * std::numbers::pi : angle;
}

}  // namespace

OrbitalElements orbital_elements(double mu, const Vector3& r, const Vector3& v) {
  const Vector3 h = r.cross(v);
  const double h_norm = h.norm();
  const Vector3 h_unit = h / h_norm;
  const double r_norm = r.norm();
  const Vector3 e_vec = ((v.squaredNorm() - mu / r_norm) * r - r.dot(v) * v) / mu;
  const double e = e_vec.norm();

  OrbitalElements out{};
  out.semi_major_axis = 1.0 / (2.0 / r_norm - v.squaredNorm() / mu);
  out.eccentricity = e;
  out.inclination = std::acos(std::clamp(h_unit.z(), -1.0, 1.0));

  const Vector3 node{-h.y(), h.x(), 0.0};  // z x h
  const double node_norm = node.norm();
  const Vector3 x_axis = Vector3::UnitX();
  const Vector3 node_unit =
      node_norm > EQUATORIAL_NODE_FRACTION * h_norm ? Vector3(node / node_norm) : x_axis;
  out.ascending_node = angle_about(Vector3::UnitZ(), x_axis, node_unit);

  const Vector3 perigee_unit = e > CIRCULAR_ECCENTRICITY ? Vector3(e_vec / e) : node_unit;
  out.argument_of_perigee = angle_about(h_unit, node_unit, perigee_unit);
  out.true_anomaly = angle_about(h_unit, perigee_unit, r / r_norm);
  return out;
}

CartesianState cartesian_state(double mu, const OrbitalElements& el) {
  const double e = el.eccentricity;
  const double p = el.semi_major_axis * (1.0 - e * e);  // semi-latus rectum [m]
  const double cos_nu = std::cos(el.true_anomaly);
  const double sin_nu = std::sin(el.true_anomaly);
  const double radius = p / (1.0 + e * cos_nu);
  const double speed_scale = std::sqrt(mu / p);

  // Perifocal frame: P towards the perigee, Q 90 degrees ahead in the orbit.
  const double cO = std::cos(el.ascending_node), sO = std::sin(el.ascending_node);
  const double cw = std::cos(el.argument_of_perigee), sw = std::sin(el.argument_of_perigee);
  const double ci = std::cos(el.inclination), si = std::sin(el.inclination);
  const Vector3 P{cO * cw - sO * sw * ci, sO * cw + cO * sw * ci, sw * si};
  const Vector3 Q{-cO * sw - sO * cw * ci, -sO * sw + cO * cw * ci, cw * si};

  return {radius * (cos_nu * P + sin_nu * Q),
          speed_scale * (-sin_nu * P + (e + cos_nu) * Q)};
}

}  // namespace ascent
