#include "studies/finite_differences.hpp"

#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

namespace ascent::studies {
namespace {

// Steps as fractions of each argument's typical size.
const double FIRST_DERIVATIVE_STEP = std::cbrt(std::numeric_limits<double>::epsilon());
const double SECOND_DERIVATIVE_STEP = std::sqrt(std::sqrt(std::numeric_limits<double>::epsilon()));

}  // namespace

void central_jacobian(const VectorFunction& f, std::span<const double> z, std::span<const double> scale,
                      std::span<double> jacobian) {
  const std::size_t n = z.size();
  const std::size_t m = jacobian.size() / n;
  std::vector<double> trial(z.begin(), z.end());
  std::vector<double> ahead(m);
  std::vector<double> behind(m);
  for (std::size_t j = 0; j < n; ++j) {
    const double step = FIRST_DERIVATIVE_STEP * scale[j];
    trial[j] = z[j] + step;
    f(trial, ahead);
    trial[j] = z[j] - step;
    f(trial, behind);
    trial[j] = z[j];
    for (std::size_t i = 0; i < m; ++i) jacobian[i * n + j] = (ahead[i] - behind[i]) / (2.0 * step);
  }
}

void central_gradient(const std::function<double(std::span<const double>)>& f, std::span<const double> z,
                      std::span<const double> scale, std::span<double> gradient) {
  std::vector<double> trial(z.begin(), z.end());
  for (std::size_t j = 0; j < z.size(); ++j) {
    const double step = FIRST_DERIVATIVE_STEP * scale[j];
    trial[j] = z[j] + step;
    const double ahead = f(trial);
    trial[j] = z[j] - step;
    const double behind = f(trial);
    trial[j] = z[j];
    gradient[j] = (ahead - behind) / (2.0 * step);
  }
}

// H_aa = (s(+a) - 2 s0 + s(-a)) / h_a^2 and, with the single steps shared,
// H_ab = (s(+a+b) - s(+a) - s(+b) + 2 s0 - s(-a) - s(-b) + s(-a-b)) / (2 h_a h_b),
// both exact for quadratics: 2n + n(n-1) values for n arguments.
void scalar_hessian(const std::function<double(std::span<const double>)>& f, std::span<const double> z,
                    std::span<const double> scale, std::span<double> hessian) {
  const std::size_t n = z.size();
  std::vector<double> trial(z.begin(), z.end());
  std::vector<double> step(n);
  std::vector<double> ahead(n);
  std::vector<double> behind(n);
  const double centre = f(trial);
  for (std::size_t a = 0; a < n; ++a) {
    step[a] = SECOND_DERIVATIVE_STEP * scale[a];
    trial[a] = z[a] + step[a];
    ahead[a] = f(trial);
    trial[a] = z[a] - step[a];
    behind[a] = f(trial);
    trial[a] = z[a];
    hessian[a * (a + 1) / 2 + a] = (ahead[a] - 2.0 * centre + behind[a]) / (step[a] * step[a]);
  }
  for (std::size_t a = 1; a < n; ++a) {
    for (std::size_t b = 0; b < a; ++b) {
      trial[a] = z[a] + step[a];
      trial[b] = z[b] + step[b];
      const double both_ahead = f(trial);
      trial[a] = z[a] - step[a];
      trial[b] = z[b] - step[b];
      const double both_behind = f(trial);
      trial[a] = z[a];
      trial[b] = z[b];
      hessian[a * (a + 1) / 2 + b] = (both_ahead - ahead[a] - ahead[b] + 2.0 * centre - behind[a] - behind[b] +
                                      both_behind) /
                                     (2.0 * step[a] * step[b]);
    }
  }
}

void weighted_hessian(const VectorFunction& f, std::span<const double> z, std::span<const double> scale,
                      std::span<const double> weight, std::span<double> hessian) {
  std::vector<double> value(weight.size());
  scalar_hessian(
      [&](std::span<const double> trial) {
        f(trial, value);
        double sum = 0.0;
        for (std::size_t i = 0; i < value.size(); ++i) sum += weight[i] * value[i];
        return sum;
      },
      z, scale, hessian);
}

}  // namespace ascent::studies
