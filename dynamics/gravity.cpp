// a = -mu r / |r|^3 + (3/2) J2 mu R^2 / r^5 [x (5z^2/r^2 - 1), y (5z^2/r^2 - 1), z (5z^2/r^2 - 3)]
#include "dynamics/gravity.hpp"

#include <cmath>

namespace ascent {

Vector3 gravity(const EarthModel& earth, const Vector3& position) {
  const double mu = earth.gravitational_parameter;
  const double r2 = position.squaredNorm();
  const double r = std::sqrt(r2);
  Vector3 a = (-mu / (r2 * r)) * position;
  if (earth.j2 != 0.0) {
    const double R = earth.equatorial_radius;
    const double factor = 1.5 * earth.j2 * mu * R * R / (r2 * r2 * r);
    const double zz = 5.0 * position.z() * position.z() / r2;
    a += factor * Vector3{position.x() * (zz - 1.0), position.y() * (zz - 1.0),
                          position.z() * (zz - 3.0)};
  }
  return a;
}

}  // namespace ascent
