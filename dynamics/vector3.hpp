// Vectors of the three-dimensional flight: position, velocity, acceleration
// and directions in an Earth-centred frame, in SI units.
#pragma once

#include <Eigen/Core>
#include <Eigen/Geometry>  // cross products

namespace ascent {

using Vector3 = Eigen::Vector3d;

}  // namespace ascent
