#include "mission/planar_embedding.hpp"

#include <cmath>

namespace ascent {

PlanarEmbedding::PlanarEmbedding(double latitude, double longitude, double radius,
                                 double surface_speed)
    : up_(std::cos(latitude) * std::cos(longitude), std::cos(latitude) * std::sin(longitude),
          std::sin(latitude)),
      east_(-std::sin(longitude), std::cos(longitude), 0.0),
      radius_(radius),
      surface_speed_(surface_speed) {}

CartesianState PlanarEmbedding::state(double t, double h0, double r0, double vt, double vr) const {
  const double swept = (r0 + surface_speed_ * t) / radius_;  // [rad] along the great circle
  const Vector3 up = std::cos(swept) * up_ + std::sin(swept) * east_;
  const Vector3 ahead = -std::sin(swept) * up_ + std::cos(swept) * east_;
  return {(radius_ + h0) * up, vr * up + vt * ahead};
}

}  // namespace ascent
