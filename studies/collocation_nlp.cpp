#include "studies/collocation_nlp.hpp"

#include <IpIpoptCalculatedQuantities.hpp>
#include <IpIpoptData.hpp>

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/interruption.hpp"
#include "studies/finite_differences.hpp"

namespace ascent::studies {
namespace {

using Ipopt::Index;
using Ipopt::Number;

// IPOPT reads bounds beyond 1e19 as none.
constexpr double NO_BOUND = 1e20;

double finite_or(double bound, double none) { return std::isfinite(bound) ? bound : none; }

std::size_t size(int count) { return static_cast<std::size_t>(count); }

// Weights of a point's rates in its segment's defects, divided by the
// segment's length: the midpoint (Hermite) and the quadrature (Simpson)
// equations for the segment's start, midpoint and end.
constexpr double HERMITE_WEIGHT[3] = {-1.0 / 8.0, 0.0, 1.0 / 8.0};
constexpr double SIMPSON_WEIGHT[3] = {-1.0 / 6.0, -4.0 / 6.0, -1.0 / 6.0};

/// IPOPT's sparse entries, written in one order twice: their places when it
/// asks for the structure (`values` null), their values after. A Hessian
/// keeps the lower triangle.
class SparseEntries {
 public:
  SparseEntries(Index* rows, Index* columns, Number* values, bool lower_triangle)
      : rows_(rows), columns_(columns), values_(values), lower_(lower_triangle) {}

  [[nodiscard]] bool structure() const { return values_ == nullptr; }
  void put(int row, int column, double value) {
    if (structure()) {
      rows_[count_] = lower_ ? std::max(row, column) : row;
      columns_[count_] = lower_ ? std::min(row, column) : column;
    } else {
      values_[count_] = value;
    }
    ++count_;
  }
  /// Throws when the entries written are not the `expected` count.
  void check_count(Index expected, const char* what) const {
    if (count_ != expected) throw std::logic_error(std::string(what) + ": entries miscounted");
  }

 private:
  Index* rows_;
  Index* columns_;
  Number* values_;
  bool lower_;
  Index count_ = 0;
};

}  // namespace

CollocationProgramme::CollocationProgramme(const Problem& problem, Solution& solution,
                                           std::function<bool()> stop)
    : problem_(problem),
      solution_(solution),
      layout_(problem),
      states_(problem.states),
      point_size_(problem.states + problem.controls),
      variable_scale_(size(layout_.variables()), 1.0),
      physical_(size(layout_.variables()), 0.0),
      stop_(std::move(stop)) {
  std::size_t points = 0;
  for (int p = 0; p < layout_.phases(); ++p) {
    first_point_.push_back(points);
    points += size(layout_.points(p));
    variable_scale_[size(layout_.start_time(p))] = problem.time_scale;
    variable_scale_[size(layout_.end_time(p))] = problem.time_scale;
    for (int j = 0; j < layout_.points(p); ++j)
      std::copy(problem.state_scale.begin(), problem.state_scale.end(),
                variable_scale_.begin() + layout_.point(p, j));
  }
  rates_.resize(points * size(states_));
  jacobians_.resize(points * size(states_ * point_size_));
}

std::function<double(std::span<const double>)> CollocationProgramme::point_function(
    const PointFunction& value) const {
  const std::size_t nx = size(states_);
  return [&value, nx](std::span<const double> z) { return value(z.first(nx), z.subspan(nx)); };
}

template <class Evaluation>
bool CollocationProgramme::guarded(Evaluation&& evaluation) {
  try {
    evaluation();
    return true;
  } catch (...) {
    failure_ = std::current_exception();
    return false;
  }
}

std::size_t CollocationProgramme::at(int phase, int point) const {
  return first_point_[size(phase)] + size(point);
}

double CollocationProgramme::time(int phase, int point) const {
  const double start = physical_[size(layout_.start_time(phase))];
  const double end = physical_[size(layout_.end_time(phase))];
  return start + (end - start) * point / (layout_.points(phase) - 1);
}

void CollocationProgramme::unscale(const Number* x) {
  for (std::size_t i = 0; i < physical_.size(); ++i) physical_[i] = x[i] * variable_scale_[i];
}

// IPOPT says a point is new in the first call at it, whichever that is.
void CollocationProgramme::accept(const Number* x, bool new_x) {
  if (!new_x && unscaled_) return;
  unscale(x);
  unscaled_ = true;
  rates_valid_ = jacobians_valid_ = false;
}

void CollocationProgramme::evaluate_rates(const Number* x, bool new_x) {
  accept(x, new_x);
  if (rates_valid_) return;
  const std::size_t nx = size(states_);
  for (int p = 0; p < layout_.phases(); ++p) {
    const Rates& rates = problem_.phases[size(p)].rates;
    for (int j = 0; j < layout_.points(p); ++j) {
      const double* z = &physical_[size(layout_.point(p, j))];
      rates({z, nx}, {z + nx, size(problem_.controls)}, {&rates_[at(p, j) * nx], nx});
    }
  }
  rates_valid_ = true;
}

void CollocationProgramme::evaluate_jacobians(const Number* x, bool new_x) {
  evaluate_rates(x, new_x);
  if (jacobians_valid_) return;
  const std::size_t nx = size(states_);
  const std::size_t n = size(point_size_);
  for (int p = 0; p < layout_.phases(); ++p) {
    const Rates& rates = problem_.phases[size(p)].rates;
    const VectorFunction f = [&](std::span<const double> z, std::span<double> value) {
      rates(z.first(nx), z.subspan(nx), value);
    };
    for (int j = 0; j < layout_.points(p); ++j) {
      const std::size_t first = size(layout_.point(p, j));
      central_jacobian(f, {&physical_[first], n}, {&variable_scale_[first], n},
                       {&jacobians_[at(p, j) * nx * n], nx * n});
    }
  }
  jacobians_valid_ = true;
}

bool CollocationProgramme::get_nlp_info(Index& n, Index& m, Index& nnz_jac_g, Index& nnz_h_lag,
                                        IndexStyleEnum& index_style) {
  n = layout_.variables();
  m = layout_.equations();
  const int per_segment = 2 * states_ * (2 + 3 * point_size_);
  const int per_point = point_size_ * (point_size_ + 1) / 2 + 2 * point_size_;
  nnz_jac_g = 0;
  nnz_h_lag = 0;
  for (int p = 0; p < layout_.phases(); ++p) {
    const Phase& phase = problem_.phases[size(p)];
    nnz_jac_g += per_segment * phase.segments + (layout_.has_duration(p) ? 2 : 0);
    if (phase.unit_control) nnz_jac_g += layout_.points(p) * problem_.controls;
    nnz_jac_g += layout_.points(p) * static_cast<int>(phase.path.size()) * point_size_;
    if (p > 0) nnz_jac_g += 2 * states_ + (layout_.has_time_link(p) ? 2 : 0);
    nnz_h_lag += per_point * layout_.points(p);
  }
  nnz_jac_g += static_cast<Index>(problem_.conditions.size()) * (states_ + 1);
  nnz_h_lag += (states_ + 1) * (states_ + 2) / 2;
  index_style = C_STYLE;
  return true;
}

bool CollocationProgramme::get_bounds_info(Index, Number* x_l, Number* x_u, Index, Number* g_l, Number* g_u) {
  const auto bound = [&](int variable, const Bounds& bounds) {
    const double scale = variable_scale_[size(variable)];
    x_l[variable] = finite_or(bounds.lower / scale, -NO_BOUND);
    x_u[variable] = finite_or(bounds.upper / scale, NO_BOUND);
  };
  const auto equation = [&](int row, double lower, double upper) {
    g_l[row] = finite_or(lower, -NO_BOUND);
    g_u[row] = finite_or(upper, NO_BOUND);
  };
  for (int p = 0; p < layout_.phases(); ++p) {
    const Phase& phase = problem_.phases[size(p)];
    bound(layout_.start_time(p), phase.start_time);
    bound(layout_.end_time(p), phase.end_time);
    for (int j = 0; j < layout_.points(p); ++j) {
      const int first = layout_.point(p, j);
      const std::vector<Bounds>& state = j == 0 && !phase.initial_state.empty() ? phase.initial_state : phase.state;
      for (int i = 0; i < states_; ++i) bound(first + i, state[size(i)]);
      for (int c = 0; c < problem_.controls; ++c) bound(first + states_ + c, phase.control[size(c)]);
      if (phase.unit_control) equation(layout_.control_length(p, j), 1.0, 1.0);
      for (std::size_t c = 0; c < phase.path.size(); ++c) {
        const PathConstraint& path = phase.path[c];
        equation(layout_.path(p, j, static_cast<int>(c)), path.bounds.lower / path.scale,
                 path.bounds.upper / path.scale);
      }
    }
    for (int row = layout_.defects(p, 0); row < layout_.defects(p, phase.segments); ++row) equation(row, 0.0, 0.0);
    if (layout_.has_duration(p)) equation(layout_.duration(p), 0.0, UNBOUNDED);
    if (p > 0)
      for (int i = 0; i < states_ + (layout_.has_time_link(p) ? 1 : 0); ++i) equation(layout_.link(p) + i, 0.0, 0.0);
  }
  for (std::size_t c = 0; c < problem_.conditions.size(); ++c) {
    const TerminalCondition& condition = problem_.conditions[c];
    equation(layout_.condition(static_cast<int>(c)), condition.bounds.lower / condition.scale,
             condition.bounds.upper / condition.scale);
  }
  return true;
}

bool CollocationProgramme::get_starting_point(Index, bool, Number* x, bool, Number*, Number*, Index, bool,
                                              Number*) {
  return guarded([&] {
    const std::size_t nx = size(states_);
    for (int p = 0; p < layout_.phases(); ++p) {
      const Phase& phase = problem_.phases[size(p)];
      physical_[size(layout_.start_time(p))] = phase.guess_start;
      physical_[size(layout_.end_time(p))] = phase.guess_end;
      for (int j = 0; j < layout_.points(p); ++j) {
        double* z = &physical_[size(layout_.point(p, j))];
        phase.guess(time(p, j), {z, nx}, {z + nx, size(problem_.controls)});
      }
    }
    for (std::size_t i = 0; i < physical_.size(); ++i) x[i] = physical_[i] / variable_scale_[i];
  });
}

void CollocationProgramme::final_arguments(std::vector<double>& arguments) const {
  const double* final_state = &physical_[size(layout_.final_point())];
  arguments.assign(final_state, final_state + states_);
  arguments.push_back(physical_[size(layout_.end_time(layout_.phases() - 1))]);
}

double CollocationProgramme::terminal_value(const Terminal& value, std::span<const double> final_point) const {
  return value(final_point.first(size(states_)), final_point.back());
}

bool CollocationProgramme::eval_f(Index, const Number* x, bool new_x, Number& obj_value) {
  return guarded([&] {
    accept(x, new_x);
    std::vector<double> arguments;
    final_arguments(arguments);
    obj_value = terminal_value(problem_.objective, arguments) / problem_.objective_scale;
  });
}

bool CollocationProgramme::eval_grad_f(Index n, const Number* x, bool new_x, Number* grad_f) {
  return guarded([&] {
    accept(x, new_x);
    std::fill(grad_f, grad_f + n, 0.0);
    std::vector<double> arguments;
    final_arguments(arguments);
    std::vector<double> scale(problem_.state_scale);
    scale.push_back(problem_.time_scale);
    std::vector<double> gradient(arguments.size());
    central_gradient([&](std::span<const double> z) { return terminal_value(problem_.objective, z); }, arguments,
                     scale, gradient);
    const int final_point = layout_.final_point();
    for (int i = 0; i < states_; ++i)
      grad_f[final_point + i] = gradient[size(i)] * scale[size(i)] / problem_.objective_scale;
    grad_f[layout_.end_time(layout_.phases() - 1)] += gradient.back() * scale.back() / problem_.objective_scale;
  });
}

bool CollocationProgramme::eval_g(Index, const Number* x, bool new_x, Index, Number* g) {
  return guarded([&] {
    evaluate_rates(x, new_x);
    const std::size_t nx = size(states_);
    for (int p = 0; p < layout_.phases(); ++p) {
      const Phase& phase = problem_.phases[size(p)];
      const double start = physical_[size(layout_.start_time(p))];
      const double end = physical_[size(layout_.end_time(p))];
      const double length = (end - start) / phase.segments;
      for (int k = 0; k < phase.segments; ++k) {
        const double* state[3];
        const double* rate[3];
        for (int s = 0; s < 3; ++s) {
          state[s] = &physical_[size(layout_.point(p, 2 * k + s))];
          rate[s] = &rates_[at(p, 2 * k + s) * nx];
        }
        const int row = layout_.defects(p, k);
        for (std::size_t i = 0; i < nx; ++i) {
          const double scale = problem_.state_scale[i];
          g[row + static_cast<int>(i)] =
              (state[1][i] - 0.5 * (state[0][i] + state[2][i]) +
               length * (HERMITE_WEIGHT[0] * rate[0][i] + HERMITE_WEIGHT[2] * rate[2][i])) /
              scale;
          g[row + states_ + static_cast<int>(i)] =
              (state[2][i] - state[0][i] +
               length * (SIMPSON_WEIGHT[0] * rate[0][i] + SIMPSON_WEIGHT[1] * rate[1][i] +
                         SIMPSON_WEIGHT[2] * rate[2][i])) /
              scale;
        }
      }
      if (phase.unit_control)
        for (int j = 0; j < layout_.points(p); ++j) {
          const double* control = &physical_[size(layout_.point(p, j) + states_)];
          double length_squared = 0.0;
          for (int c = 0; c < problem_.controls; ++c) length_squared += control[c] * control[c];
          g[layout_.control_length(p, j)] = length_squared;
        }
      for (int j = 0; j < layout_.points(p); ++j) {
        const double* z = &physical_[size(layout_.point(p, j))];
        for (std::size_t c = 0; c < phase.path.size(); ++c)
          g[layout_.path(p, j, static_cast<int>(c))] =
              phase.path[c].value({z, nx}, {z + nx, size(problem_.controls)}) / phase.path[c].scale;
      }
      if (layout_.has_duration(p)) g[layout_.duration(p)] = (end - start) / problem_.time_scale;
      if (p > 0) {
        const double* first = &physical_[size(layout_.point(p, 0))];
        const double* last = &physical_[size(layout_.point(p - 1, layout_.points(p - 1) - 1))];
        for (std::size_t i = 0; i < nx; ++i)
          g[layout_.link(p) + static_cast<int>(i)] =
              (first[i] - last[i] - (phase.jump.empty() ? 0.0 : phase.jump[i])) / problem_.state_scale[i];
        if (layout_.has_time_link(p))
          g[layout_.link(p) + states_] = (start - physical_[size(layout_.end_time(p - 1))]) / problem_.time_scale;
      }
    }
    std::vector<double> arguments;
    final_arguments(arguments);
    for (std::size_t c = 0; c < problem_.conditions.size(); ++c)
      g[layout_.condition(static_cast<int>(c))] =
          terminal_value(problem_.conditions[c].value, arguments) / problem_.conditions[c].scale;
  });
}

bool CollocationProgramme::eval_jac_g(Index, const Number* x, bool new_x, Index, Index nele_jac, Index* iRow,
                                      Index* jCol, Number* values) {
  return guarded([&] {
    SparseEntries entries(iRow, jCol, values, false);
    const bool structure = entries.structure();
    if (!structure) evaluate_jacobians(x, new_x);
    const auto put = [&](int row, int column, double value) { entries.put(row, column, value); };
    const std::size_t nx = size(states_);
    const std::size_t n = size(point_size_);
    const double time_scale = problem_.time_scale;
    for (int p = 0; p < layout_.phases(); ++p) {
      const Phase& phase = problem_.phases[size(p)];
      const double segments = phase.segments;
      const double length = structure ? 0.0 : (physical_[size(layout_.end_time(p))] -
                                               physical_[size(layout_.start_time(p))]) /
                                                  segments;
      for (int k = 0; k < phase.segments; ++k) {
        const double* rate[3] = {};
        const double* jacobian[3] = {};
        if (!structure)
          for (int s = 0; s < 3; ++s) {
            rate[s] = &rates_[at(p, 2 * k + s) * nx];
            jacobian[s] = &jacobians_[at(p, 2 * k + s) * nx * n];
          }
        for (std::size_t i = 0; i < nx; ++i) {
          const double row_scale = problem_.state_scale[i];
          for (int equation = 0; equation < 2; ++equation) {
            const double* weight = equation == 0 ? HERMITE_WEIGHT : SIMPSON_WEIGHT;
            const int row = layout_.defects(p, k) + equation * states_ + static_cast<int>(i);
            // The rates' part of the defect is length x sum of weight x rate.
            double weighted_rates = 0.0;
            if (!structure)
              for (int s = 0; s < 3; ++s) weighted_rates += weight[s] * rate[s][i];
            put(row, layout_.start_time(p), -weighted_rates / segments * time_scale / row_scale);
            put(row, layout_.end_time(p), weighted_rates / segments * time_scale / row_scale);
            // The states' part: the midpoint less the ends' mean, or the end less the start.
            const double state_weight[3] = {equation == 0 ? -0.5 : -1.0, equation == 0 ? 1.0 : 0.0,
                                            equation == 0 ? -0.5 : 1.0};
            for (int s = 0; s < 3; ++s) {
              const int first = layout_.point(p, 2 * k + s);
              for (std::size_t j = 0; j < n; ++j) {
                double value = 0.0;
                if (!structure) {
                  value = length * weight[s] * jacobian[s][i * n + j];
                  if (j == i) value += state_weight[s];
                  value *= variable_scale_[size(first) + j] / row_scale;
                }
                put(row, first + static_cast<int>(j), value);
              }
            }
          }
        }
      }
      if (phase.unit_control)
        for (int j = 0; j < layout_.points(p); ++j) {
          const int first = layout_.point(p, j) + states_;
          for (int c = 0; c < problem_.controls; ++c)
            put(layout_.control_length(p, j), first + c, structure ? 0.0 : 2.0 * physical_[size(first + c)]);
        }
      std::vector<double> gradient(n);
      for (int j = 0; j < layout_.points(p); ++j) {
        const int first = layout_.point(p, j);
        for (std::size_t c = 0; c < phase.path.size(); ++c) {
          const PathConstraint& path = phase.path[c];
          if (!structure)
            central_gradient(point_function(path.value), {&physical_[size(first)], n},
                             {&variable_scale_[size(first)], n}, gradient);
          for (std::size_t a = 0; a < n; ++a)
            put(layout_.path(p, j, static_cast<int>(c)), first + static_cast<int>(a),
                gradient[a] * variable_scale_[size(first) + a] / path.scale);
        }
      }
      if (layout_.has_duration(p)) {
        put(layout_.duration(p), layout_.start_time(p), -1.0);
        put(layout_.duration(p), layout_.end_time(p), 1.0);
      }
      if (p > 0) {
        const int first = layout_.point(p, 0);
        const int last = layout_.point(p - 1, layout_.points(p - 1) - 1);
        for (int i = 0; i < states_; ++i) {
          put(layout_.link(p) + i, first + i, 1.0);
          put(layout_.link(p) + i, last + i, -1.0);
        }
        if (layout_.has_time_link(p)) {
          put(layout_.link(p) + states_, layout_.start_time(p), 1.0);
          put(layout_.link(p) + states_, layout_.end_time(p - 1), -1.0);
        }
      }
    }
    std::vector<double> arguments;
    std::vector<double> gradient(nx + 1);
    std::vector<double> scale(problem_.state_scale);
    scale.push_back(time_scale);
    if (!structure) final_arguments(arguments);
    const int final_point = layout_.final_point();
    const int final_time = layout_.end_time(layout_.phases() - 1);
    for (std::size_t c = 0; c < problem_.conditions.size(); ++c) {
      const TerminalCondition& condition = problem_.conditions[c];
      if (!structure)
        central_gradient([&](std::span<const double> z) { return terminal_value(condition.value, z); },
                         arguments, scale, gradient);
      const int row = layout_.condition(static_cast<int>(c));
      for (std::size_t i = 0; i <= nx; ++i)
        put(row, i < nx ? final_point + static_cast<int>(i) : final_time,
            gradient[i] * scale[i] / condition.scale);
    }
    entries.check_count(nele_jac, "collocation Jacobian");
  });
}

bool CollocationProgramme::eval_h(Index, const Number* x, bool new_x, Number obj_factor, Index,
                                  const Number* lambda, bool, Index nele_hess, Index* iRow, Index* jCol,
                                  Number* values) {
  return guarded([&] {
    SparseEntries entries(iRow, jCol, values, true);
    const bool structure = entries.structure();
    if (!structure) evaluate_jacobians(x, new_x);
    const auto put = [&](int row, int column, double value) { entries.put(row, column, value); };
    const std::size_t nx = size(states_);
    const std::size_t n = size(point_size_);
    std::vector<double> weight(nx);
    std::vector<double> hessian(n * (n + 1) / 2);
    std::vector<double> path_hessian(hessian.size());
    for (int p = 0; p < layout_.phases(); ++p) {
      const Phase& phase = problem_.phases[size(p)];
      const double segments = phase.segments;
      const double length = structure ? 0.0 : (physical_[size(layout_.end_time(p))] -
                                               physical_[size(layout_.start_time(p))]) /
                                                  segments;
      const VectorFunction f = [&](std::span<const double> z, std::span<double> value) {
        phase.rates(z.first(nx), z.subspan(nx), value);
      };
      for (int j = 0; j < layout_.points(p); ++j) {
        const int first = layout_.point(p, j);
        if (!structure) {
          // The multipliers of the defects this point's rates enter, each
          // with the rate's weight in it (per unit of the segment's length).
          std::fill(weight.begin(), weight.end(), 0.0);
          for (int s = 0; s < 3; ++s) {
            const int k = (j - s) / 2;
            if ((j - s) % 2 != 0 || j - s < 0 || k >= phase.segments) continue;
            const int row = layout_.defects(p, k);
            for (std::size_t i = 0; i < nx; ++i)
              weight[i] += (lambda[row + static_cast<int>(i)] * HERMITE_WEIGHT[s] +
                            lambda[row + states_ + static_cast<int>(i)] * SIMPSON_WEIGHT[s]) /
                           problem_.state_scale[i];
          }
          weighted_hessian(f, {&physical_[size(first)], n}, {&variable_scale_[size(first)], n}, weight, hessian);
          if (!phase.path.empty()) {
            scalar_hessian(
                [&](std::span<const double> z) {
                  double sum = 0.0;
                  for (std::size_t c = 0; c < phase.path.size(); ++c)
                    sum += lambda[layout_.path(p, j, static_cast<int>(c))] *
                           point_function(phase.path[c].value)(z) / phase.path[c].scale;
                  return sum;
                },
                {&physical_[size(first)], n}, {&variable_scale_[size(first)], n}, path_hessian);
          }
        }
        const double length_multiplier = structure || !phase.unit_control ? 0.0 : lambda[layout_.control_length(p, j)];
        for (std::size_t a = 0; a < n; ++a)
          for (std::size_t b = 0; b <= a; ++b) {
            double value = 0.0;
            if (!structure) {
              // The rates' part scales with the segment's length, the path's does not.
              const std::size_t e = a * (a + 1) / 2 + b;
              value = (length * hessian[e] + (phase.path.empty() ? 0.0 : path_hessian[e])) *
                      variable_scale_[size(first) + a] * variable_scale_[size(first) + b];
              if (a == b && a >= nx) value += 2.0 * length_multiplier;
            }
            put(first + static_cast<int>(a), first + static_cast<int>(b), value);
          }
        // The segment's length is linear in the phase's times.
        const double* jacobian = structure ? nullptr : &jacobians_[at(p, j) * nx * n];
        for (std::size_t a = 0; a < n; ++a) {
          double gradient = 0.0;
          if (!structure)
            for (std::size_t i = 0; i < nx; ++i) gradient += weight[i] * jacobian[i * n + a];
          const double value =
              gradient / segments * (structure ? 0.0 : variable_scale_[size(first) + a]) * problem_.time_scale;
          put(first + static_cast<int>(a), layout_.start_time(p), -value);
          put(first + static_cast<int>(a), layout_.end_time(p), value);
        }
      }
    }
    // The objective and the terminal conditions, functions of the final state and time.
    std::vector<double> arguments;
    std::vector<double> scale(problem_.state_scale);
    scale.push_back(problem_.time_scale);
    std::vector<double> terminal((nx + 1) * (nx + 2) / 2);
    if (!structure) {
      final_arguments(arguments);
      scalar_hessian(
          [&](std::span<const double> z) {
            double sum = obj_factor * terminal_value(problem_.objective, z) / problem_.objective_scale;
            for (std::size_t c = 0; c < problem_.conditions.size(); ++c)
              sum += lambda[layout_.condition(static_cast<int>(c))] *
                     terminal_value(problem_.conditions[c].value, z) / problem_.conditions[c].scale;
            return sum;
          },
          arguments, scale, terminal);
    }
    const int final_point = layout_.final_point();
    const int final_time = layout_.end_time(layout_.phases() - 1);
    const auto variable = [&](std::size_t a) { return a < nx ? final_point + static_cast<int>(a) : final_time; };
    for (std::size_t a = 0; a <= nx; ++a)
      for (std::size_t b = 0; b <= a; ++b)
        put(variable(a), variable(b), terminal[a * (a + 1) / 2 + b] * scale[a] * scale[b]);
    entries.check_count(nele_hess, "collocation Hessian");
  });
}

void CollocationProgramme::finalize_solution(Ipopt::SolverReturn, Index, const Number* x, const Number*,
                                             const Number*, Index m, const Number* g, const Number*,
                                             Number obj_value, const Ipopt::IpoptData*,
                                             Ipopt::IpoptCalculatedQuantities*) {
  unscale(x);
  solution_.objective = obj_value * problem_.objective_scale;
  solution_.phases.clear();
  const std::size_t nx = size(states_);
  for (int p = 0; p < layout_.phases(); ++p) {
    PhaseSolution phase;
    for (int j = 0; j < layout_.points(p); ++j) {
      const double* z = &physical_[size(layout_.point(p, j))];
      phase.times.push_back(time(p, j));
      phase.states.insert(phase.states.end(), z, z + nx);
      phase.controls.insert(phase.controls.end(), z + nx, z + point_size_);
    }
    solution_.phases.push_back(std::move(phase));
  }
  solution_.conditions.clear();
  for (std::size_t c = 0; c < problem_.conditions.size(); ++c)
    solution_.conditions.push_back(g[layout_.condition(static_cast<int>(c))] * problem_.conditions[c].scale);
  // The largest miss of an equation or a bounded equation, in scaled units.
  std::vector<Number> lower(size(m));
  std::vector<Number> upper(size(m));
  std::vector<Number> variables_lower(physical_.size());
  std::vector<Number> variables_upper(physical_.size());
  get_bounds_info(static_cast<Index>(physical_.size()), variables_lower.data(), variables_upper.data(), m,
                  lower.data(), upper.data());
  solution_.defect = 0.0;
  for (std::size_t row = 0; row < size(m); ++row)
    solution_.defect = std::max({solution_.defect, lower[row] - g[row], g[row] - upper[row]});
}

bool CollocationProgramme::intermediate_callback(Ipopt::AlgorithmMode, Index iter, Number, Number, Number, Number,
                                                 Number, Number, Number, Number, Index, const Ipopt::IpoptData*,
                                                 Ipopt::IpoptCalculatedQuantities*) {
  solution_.iterations = iter;
  return pending_interruption() == 0 && !(stop_ && stop_());
}

}  // namespace ascent::studies
