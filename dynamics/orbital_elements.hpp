// Classical (Keplerian) elements of the two-body orbit through a position and
// an inertial velocity, and back. Angles in radians, in [0, 2 pi).
//
// Where an angle has no definition it is measured from a fixed direction so
// that the round trip still holds: an equatorial orbit's node is the x axis
// (ascending_node 0), a circular orbit's perigee is its node (argument 0).
#pragma once

#include "dynamics/vector3.hpp"

namespace ascent {

struct OrbitalElements {
  double semi_major_axis;      ///< [m] negative on a hyperbola
  double eccentricity;         ///< [1]
  double inclination;          ///< [rad] 0 to pi
  double ascending_node;       ///< [rad] right ascension of the ascending node
  double argument_of_perigee;  ///< [rad]
  double true_anomaly;         ///< [rad]

  /// [m] distance of the perigee from the Earth's centre.
  [[nodiscard]] double perigee_radius() const { return semi_major_axis * (1.0 - eccentricity); }
  /// [m] distance of the apogee from the Earth's centre (negative on a hyperbola).
  [[nodiscard]] double apogee_radius() const { return semi_major_axis * (1.0 + eccentricity); }
};

struct CartesianState {
  Vector3 position;  ///< [m]
  Vector3 velocity;  ///< [m/s] inertial
};

/// The osculating elements of the orbit through `r` [m] and `v` [m/s] about a
/// body of gravitational parameter `mu` [m^3/s^2].
[[nodiscard]] OrbitalElements orbital_elements(double mu, const Vector3& r, const Vector3& v);

/// The position and velocity at the elements' true anomaly.
[[nodiscard]] CartesianState cartesian_state(double mu, const OrbitalElements& elements);

}  // namespace ascent
