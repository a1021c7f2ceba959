#include "studies/dispersion_ellipse.hpp"

#include <cmath>
#include <numbers>

#include <Eigen/Eigenvalues>

namespace ascent::studies {

PlaneSpread PlaneSpread::of(std::span<const Eigen::Vector2d> points) {
  PlaneSpread spread;
  spread.count = points.size();
  if (points.empty()) return spread;
  for (const Eigen::Vector2d& p : points) spread.mean += p;
  spread.mean /= static_cast<double>(points.size());
  if (points.size() < 2) return spread;
  for (const Eigen::Vector2d& p : points) {
    const Eigen::Vector2d d = p - spread.mean;
    spread.covariance += d * d.transpose();
  }
  spread.covariance /= static_cast<double>(points.size() - 1);
  return spread;
}

double ellipse_scale(double probability) {
  return std::sqrt(-2.0 * std::log1p(-probability));
}

DispersionEllipse dispersion_ellipse(const PlaneSpread& spread, double scale) {
  DispersionEllipse ellipse;
  ellipse.center = spread.mean;
  ellipse.scale = scale;
  ellipse.probability = -std::expm1(-scale * scale / 2.0);
  // Eigenvalues in increasing order: the last is along the major axis.
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> principal(spread.covariance);
  const Eigen::Vector2d variances = principal.eigenvalues().cwiseMax(0.0);
  ellipse.semi_major = scale * std::sqrt(variances(1));
  ellipse.semi_minor = scale * std::sqrt(variances(0));
  const Eigen::Vector2d major = principal.eigenvectors().col(1);
  double azimuth = std::atan2(major.x(), major.y());  // east over north: from north
  if (azimuth < 0.0) azimuth += std::numbers::pi;
  if (azimuth >= std::numbers::pi) azimuth -= std::numbers::pi;
  ellipse.orientation = azimuth;
  return ellipse;
}

Eigen::Vector2d DispersionEllipse::point(double angle) const {
  const Eigen::Vector2d major(std::sin(orientation), std::cos(orientation));
  const Eigen::Vector2d minor(major.y(), -major.x());
  return center + semi_major * std::cos(angle) * major + semi_minor * std::sin(angle) * minor;
}

std::vector<Geodetic> ground_outline(const DispersionEllipse& ellipse, const TangentPlane& plane,
                                     int count) {
  std::vector<Geodetic> outline;
  outline.reserve(static_cast<std::size_t>(count) + 1);
  for (int i = 0; i < count; ++i) {
    outline.push_back(plane.to_ground(ellipse.point(2.0 * std::numbers::pi * i / count)));
  }
  outline.push_back(outline.front());
  return outline;
}

}  // namespace ascent::studies
