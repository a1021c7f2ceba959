// The dispersion ellipse of points scattered in a plane (impact points in the
// tangent plane at their mean): the sample's mean and covariance, and the
// ellipse that holds a given share of a two-dimensional normal law with them.
//
// For a 2-D normal law, the squared Mahalanobis distance d^2 follows the
// chi-square law with 2 degrees of freedom, P(d^2 <= k^2) = 1 - exp(-k^2 / 2):
// the ellipse holding probability p has semi-axes k sqrt(lambda_i) along the
// covariance's eigenvectors, k^2 = -2 ln(1 - p) (9.2103 for 99 %). The
// "3-sigma" ellipse has k = 3: three standard deviations along each principal
// axis, which holds 1 - exp(-4.5) = 98.89 % of the law.
#pragma once

#include <span>
#include <vector>

#include <Eigen/Core>

#include "dynamics/geodetic.hpp"

namespace ascent::studies {

/// The share of a 2-D normal law the 99 % ellipse holds.
inline constexpr double ELLIPSE_PROBABILITY = 0.99;
/// [-] semi-axes of the 3-sigma ellipse, in standard deviations.
inline constexpr double THREE_SIGMA = 3.0;

/// Mean and covariance of a sample of points in a plane.
struct PlaneSpread {
  std::size_t count = 0;
  Eigen::Vector2d mean = Eigen::Vector2d::Zero();            ///< [m] east, north
  Eigen::Matrix2d covariance = Eigen::Matrix2d::Zero();      ///< [m^2] divisor count - 1

  /// Of `points` [m]; the covariance is zero below two points.
  [[nodiscard]] static PlaneSpread of(std::span<const Eigen::Vector2d> points);
};

struct DispersionEllipse {
  Eigen::Vector2d center = Eigen::Vector2d::Zero();  ///< [m] east, north
  double scale = 0.0;        ///< [-] k: semi-axes in standard deviations along the principal axes
  double probability = 0.0;  ///< [-] share of the normal law inside
  double semi_major = 0.0;   ///< [m]
  double semi_minor = 0.0;   ///< [m]
  double orientation = 0.0;  ///< [rad] azimuth of the major axis, from north towards east, in [0, pi)

  /// The point of the outline at parameter `angle` [rad] (0: the major axis' end ahead).
  [[nodiscard]] Eigen::Vector2d point(double angle) const;
};

/// [-] k for the ellipse holding `probability` of a 2-D normal law: sqrt(-2 ln(1 - p)).
[[nodiscard]] double ellipse_scale(double probability);

/// The ellipse of `spread` with semi-axes `scale` standard deviations long.
[[nodiscard]] DispersionEllipse dispersion_ellipse(const PlaneSpread& spread, double scale);

/// The outline on the ground of an ellipse drawn in `plane`, as `count`
/// points, the first repeated at the end (a closed ring).
[[nodiscard]] std::vector<Geodetic> ground_outline(const DispersionEllipse& ellipse,
                                                   const TangentPlane& plane, int count = 72);

}  // namespace ascent::studies
