// The classic flight's plane placed in the Earth-centred inertial frame, so
// that its path has a ground track and what it drops can fall in three
// dimensions. The built-in vehicle flies due east: its plane is the great
// circle through the pad that heads east at launch. At launch the inertial
// axes coincide with the Earth-fixed ones (x towards longitude 0, z along the
// rotation axis), as GroundFrame takes them.
//
// The classic flight's downrange distance r0 runs over a surface that moves
// at the pad's speed, so the inertial angle swept along the great circle is
// (r0 + v_earth t) / R; its horizontal velocity vt is inertial.
#pragma once

#include "dynamics/orbital_elements.hpp"
#include "dynamics/vector3.hpp"

namespace ascent {

class PlanarEmbedding {
 public:
  /// The pad at `latitude` and `longitude` [rad] on the sphere of `radius`
  /// [m], moving east at `surface_speed` [m/s].
  PlanarEmbedding(double latitude, double longitude, double radius, double surface_speed);

  /// The inertial position and velocity of the classic state at mission time
  /// `t` [s]: altitude `h0` [m], downrange `r0` [m], horizontal and radial
  /// inertial velocity `vt`, `vr` [m/s].
  [[nodiscard]] CartesianState state(double t, double h0, double r0, double vt, double vr) const;

 private:
  Vector3 up_;    ///< [1] towards the pad at launch
  Vector3 east_;  ///< [1] east at the pad at launch: the plane's direction of flight
  double radius_;
  double surface_speed_;
};

}  // namespace ascent
