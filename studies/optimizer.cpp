#include "studies/optimizer.hpp"

#include <cmath>
#include <exception>
#include <map>
#include <nlopt.hpp>
#include <string>

#include "studies/flight_runner.hpp"

namespace ascent::trim {

namespace {

/// A load within this share of its limit binds.
constexpr double BINDING_SHARE = 0.005;
/// [kg] Remaining propellant below this: the propellant binds.
constexpr double BINDING_PROPELLANT = 1.0;
/// [kg] The scale of the propellant constraint, near that of the loads' (a share).
constexpr double PROPELLANT_SCALE = 100.0;

constexpr LoadKind LOAD_KINDS[] = {LoadKind::dynamic_pressure, LoadKind::q_alpha,
                                   LoadKind::axial_acceleration};
constexpr Constraint LOAD_CONSTRAINTS[] = {Constraint::dynamic_pressure, Constraint::q_alpha,
                                           Constraint::axial_acceleration};

/// The search: trims on demand, each turn time once, each trim started from
/// the angle of the nearest turn time trimmed so far (its angle is close, so
/// the trim takes fewer flights).
class Search {
 public:
  Search(const OptimizeSettings& settings, const OptimizeProgress& progress)
      : settings_(settings), progress_(progress) {
    settings_.trim.vehicle.limits = stricter(settings.trim.vehicle.limits, settings.limits);
    result_.limits = settings_.trim.vehicle.limits;
  }

  const TrimResult& trim(double turn_time) {
    const TypedNumber typed = typed_number(turn_time, OPTIMUM_TURN_TIME_DECIMALS);
    const auto done = index_.find(typed.text);
    if (done != index_.end()) return result_.trims[done->second];
    TrimSettings settings = settings_.trim;
    if (const TrimResult* near = nearest_trimmed(typed.value)) {
      settings.start_maxa = near->maxa.value;
    }
    result_.trims.push_back(trim_turn_time(settings, typed));
    const TrimResult& trimmed = result_.trims.back();
    index_.emplace(typed.text, result_.trims.size() - 1);
    result_.flights += trimmed.flights.size();
    if (trimmed.feasible() && (!result_.best || trimmed.flight.SC_M_unrounded >
                                                    result_.best->flight.SC_M_unrounded)) {
      result_.best = trimmed;
    }
    if (progress_) progress_(trimmed);
    return trimmed;
  }

  /// Each constraint as a value that is at most 0 where it holds: the
  /// propellant's shortfall and each load over its limit, as a share of it.
  /// A turn time that cannot be trimmed breaks every one.
  std::vector<double> constraints(const TrimResult& r) const {
    std::vector<double> values;
    const LoadLimits& limits = result_.limits;
    values.push_back(r.trimmed() ? -r.flight.remaining_propellant / PROPELLANT_SCALE : 1.0);
    for (const LoadKind kind : LOAD_KINDS) {
      const double limit = load_limit(limits, kind);
      if (limit <= 0.0) continue;
      values.push_back(r.trimmed() ? load_maximum(r.flight.loads, kind) / limit - 1.0 : 1.0);
    }
    return values;
  }

  OptimizeResult finish() {
    if (!result_.best) return std::move(result_);
    const TrimResult& best = *result_.best;
    const double t = best.turn_time.value;
    if (t - settings_.from <= settings_.turn_time_tolerance) {
      result_.active.push_back(Constraint::shortest_turn_time);
    }
    if (settings_.to - t <= settings_.turn_time_tolerance) {
      result_.active.push_back(Constraint::longest_turn_time);
    }
    if (best.flight.remaining_propellant < BINDING_PROPELLANT) {
      result_.active.push_back(Constraint::propellant);
    }
    for (std::size_t k = 0; k < std::size(LOAD_KINDS); ++k) {
      const double limit = load_limit(result_.limits, LOAD_KINDS[k]);
      if (limit > 0.0 && load_maximum(best.flight.loads, LOAD_KINDS[k]) >=
                             limit * (1.0 - BINDING_SHARE)) {
        result_.active.push_back(LOAD_CONSTRAINTS[k]);
      }
    }
    return std::move(result_);
  }

 private:
  const TrimResult* nearest_trimmed(double turn_time) const {
    const TrimResult* nearest = nullptr;
    for (const TrimResult& r : result_.trims) {
      if (!r.trimmed()) continue;
      if (nearest == nullptr || std::fabs(r.turn_time.value - turn_time) <
                                    std::fabs(nearest->turn_time.value - turn_time)) {
        nearest = &r;
      }
    }
    return nearest;
  }

  OptimizeSettings settings_;
  const OptimizeProgress& progress_;
  OptimizeResult result_;
  std::map<std::string, std::size_t> index_;  ///< of each turn time's trim, by its text
};

/// What the NLopt callbacks share: the search and the first exception of a
/// trim, which NLopt cannot carry through its C interface.
struct Callbacks {
  Search* search;
  nlopt::opt* optimizer;
  std::exception_ptr failure;
  std::size_t constraint = 0;  ///< of the constraint callback
};

const TrimResult* trim_or_stop(Callbacks& c, double turn_time) {
  if (c.failure) return nullptr;
  try {
    return &c.search->trim(turn_time);
  } catch (...) {
    c.failure = std::current_exception();
    c.optimizer->force_stop();
    return nullptr;
  }
}

double spacecraft_mass(const std::vector<double>& x, std::vector<double>& /*gradient*/,
                       void* data) {
  Callbacks& c = *static_cast<Callbacks*>(data);
  const TrimResult* r = trim_or_stop(c, x[0]);
  // A turn time that cannot be trimmed carries nothing.
  return r != nullptr && r->trimmed() ? r->flight.SC_M_unrounded : 0.0;
}

struct ConstraintData {
  Callbacks* callbacks;
  std::size_t index;
};

double constraint_value(const std::vector<double>& x, std::vector<double>& /*gradient*/,
                        void* data) {
  const ConstraintData& d = *static_cast<ConstraintData*>(data);
  const TrimResult* r = trim_or_stop(*d.callbacks, x[0]);
  return r != nullptr ? d.callbacks->search->constraints(*r)[d.index] : 1.0;
}

}  // namespace

std::string_view constraint_name(Constraint constraint) {
  switch (constraint) {
    case Constraint::shortest_turn_time:
      return "shortest turn time";
    case Constraint::longest_turn_time:
      return "longest turn time";
    case Constraint::propellant:
      return "upper-stage propellant";
    case Constraint::dynamic_pressure:
      return "dynamic pressure limit";
    case Constraint::q_alpha:
      return "q*alpha limit";
    case Constraint::axial_acceleration:
      break;
  }
  return "axial acceleration limit";
}

OptimizeResult optimize_payload(const OptimizeSettings& settings,
                                const OptimizeProgress& progress) {
  Search search(settings, progress);
  // COBYLA: derivative-free (the objective is a trimmed flight, known only to
  // the trim's tolerance, so finite differences would follow its noise), it
  // keeps to the bounds and takes nonlinear inequality constraints (the
  // loads and the propellant) as they are, with no penalty to tune; it
  // models the problem linearly on a simplex, so it works alike with the
  // one variable of the trimmed law and with more.
  nlopt::opt optimizer(nlopt::LN_COBYLA, 1);
  optimizer.set_lower_bounds({settings.from});
  optimizer.set_upper_bounds({settings.to});
  optimizer.set_initial_step({(settings.to - settings.from) / 4.0});
  optimizer.set_xtol_abs(settings.turn_time_tolerance);
  optimizer.set_maxeval(settings.max_trims);

  Callbacks callbacks{&search, &optimizer, nullptr};
  optimizer.set_max_objective(spacecraft_mass, &callbacks);
  const std::size_t constraint_count = search.constraints(TrimResult{}).size();
  std::vector<ConstraintData> constraint_data;
  for (std::size_t k = 0; k < constraint_count; ++k) constraint_data.push_back({&callbacks, k});
  for (ConstraintData& data : constraint_data) {
    optimizer.add_inequality_constraint(constraint_value, &data, 0.0);
  }

  std::vector<double> x{(settings.from + settings.to) / 2.0};
  double best = 0.0;
  try {
    optimizer.optimize(x, best);
  } catch (const std::runtime_error&) {
    // Stopped (by a failed trim, or by rounding): the trims so far stand,
    // and the best feasible of them is the answer.
  }
  if (callbacks.failure) std::rethrow_exception(callbacks.failure);
  return search.finish();
}

}  // namespace ascent::trim
