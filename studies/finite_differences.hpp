// Derivatives of a smooth vector function by differences of its values: the
// Jacobian by central differences, the Hessian of a weighted sum of its
// components by second differences. The steps are relative to a typical size
// of each argument, near the cube root (first derivatives) and the fourth
// root (second derivatives) of the machine epsilon, where the truncation and
// rounding errors balance.
#pragma once

#include <functional>
#include <span>

namespace ascent::studies {

/// value = f(z).
using VectorFunction = std::function<void(std::span<const double> z, std::span<double> value)>;

/// The Jacobian of f (values.size() rows, z.size() columns, row after row)
/// at z, with the step of each argument `scale[j]` times the first-derivative factor.
void central_jacobian(const VectorFunction& f, std::span<const double> z, std::span<const double> scale,
                      std::span<double> jacobian);

/// The lower triangle, row after row, of the Hessian of weight·f at z:
/// entry (a, b) with a >= b at a(a+1)/2 + b. `weight` has one value per component of f.
void weighted_hessian(const VectorFunction& f, std::span<const double> z, std::span<const double> scale,
                      std::span<const double> weight, std::span<double> hessian);

/// The lower triangle of the Hessian of a scalar function, as weighted_hessian.
void scalar_hessian(const std::function<double(std::span<const double>)>& f, std::span<const double> z,
                    std::span<const double> scale, std::span<double> hessian);

/// The gradient of a scalar function by central differences.
void central_gradient(const std::function<double(std::span<const double>)>& f, std::span<const double> z,
                      std::span<const double> scale, std::span<double> gradient);

}  // namespace ascent::studies
