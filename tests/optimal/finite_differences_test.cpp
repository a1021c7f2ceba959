// Derivatives by differences against the same derivatives worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "studies/finite_differences.hpp"

namespace ascent::studies {
namespace {

// f(z) = (z0^2 z1, sin z0 + exp(z1 z2), z2^3 / z0) at a point of unequal sizes.
void f(std::span<const double> z, std::span<double> value) {
  value[0] = z[0] * z[0] * z[1];
  value[1] = std::sin(z[0]) + std::exp(z[1] * z[2]);
  value[2] = z[2] * z[2] * z[2] / z[0];
}

const std::vector<double> POINT = {0.7, -1.3, 0.4};
const std::vector<double> SCALE = {1.0, 1.0, 1.0};

TEST(FiniteDifferences, JacobianAgreesWithTheDerivativesByHand) {
  std::vector<double> jacobian(9);
  central_jacobian(f, POINT, SCALE, jacobian);
  const double x = POINT[0], y = POINT[1], w = POINT[2];
  const double expected[9] = {2 * x * y,         x * x,         0.0,
                              std::cos(x),       w * std::exp(y * w), y * std::exp(y * w),
                              -w * w * w / (x * x), 0.0,        3 * w * w / x};
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(jacobian[static_cast<std::size_t>(k)], expected[k], 1e-9) << k;
}

TEST(FiniteDifferences, WeightedHessianAgreesWithTheSecondDerivativesByHand) {
  const std::vector<double> weight = {0.5, -2.0, 3.0};
  std::vector<double> hessian(6);
  weighted_hessian(f, POINT, SCALE, weight, hessian);
  const double x = POINT[0], y = POINT[1], w = POINT[2];
  const double e = std::exp(y * w);
  // Lower triangle: (0,0) (1,0) (1,1) (2,0) (2,1) (2,2).
  const double expected[6] = {
      0.5 * 2 * y - 2.0 * -std::sin(x) + 3.0 * 2 * w * w * w / (x * x * x),
      0.5 * 2 * x,
      -2.0 * w * w * e,
      3.0 * -3 * w * w / (x * x),
      -2.0 * (e + y * w * e),
      -2.0 * y * y * e + 3.0 * 6 * w / x,
  };
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(hessian[static_cast<std::size_t>(k)], expected[k], 1e-6) << k;
}

TEST(FiniteDifferences, StepsFollowEachArgumentsScale) {
  // The same function of arguments a million times larger: with steps scaled
  // alike, the derivatives keep their relative accuracy.
  const auto scaled = [](std::span<const double> z, std::span<double> value) {
    const double back[3] = {z[0] * 1e-6, z[1] * 1e-6, z[2] * 1e-6};
    f(back, value);
  };
  const std::vector<double> point = {0.7e6, -1.3e6, 0.4e6};
  const std::vector<double> scale = {1e6, 1e6, 1e6};
  std::vector<double> jacobian(9);
  central_jacobian(scaled, point, scale, jacobian);
  EXPECT_NEAR(jacobian[0] * 1e6, 2 * 0.7 * -1.3, 1e-9);
  std::vector<double> hessian(6);
  const std::vector<double> weight = {1.0, 0.0, 0.0};
  weighted_hessian(scaled, point, scale, weight, hessian);
  EXPECT_NEAR(hessian[1] * 1e12, 2 * 0.7, 1e-6);
}

}  // namespace
}  // namespace ascent::studies
