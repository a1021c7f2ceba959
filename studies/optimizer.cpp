#include "studies/optimizer.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <nlopt.hpp>
#include <string>

#include "base/runtime_error.hpp"
#include "deck/shortest_text.hpp"
#include "studies/flight_runner.hpp"
#include "studies/sweep.hpp"
#include "studies/target.hpp"

namespace ascent::studies {

namespace {

/// Turn times of the scan that brackets the optimum, the first and the last included.
constexpr int SCAN_POINTS = 5;
/// Of a guided search, whose points are single flights: the turn times of
/// its scan, the angles at each, [deg] their spacing about the trimmed
/// angle, and how many of the best scanned turn times start a refinement.
constexpr int GUIDED_SCAN_TURN_TIMES = 17;
constexpr int GUIDED_SCAN_ANGLES = 7;
constexpr double GUIDED_ANGLE_STEP = 1.0;
constexpr std::size_t GUIDED_STARTS = 3;
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
/// the angle the nearest turn times trimmed so far point to (it is close,
/// so the trim takes fewer flights).
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
    if (const std::optional<double> maxa = expected_maxa(typed.value)) {
      settings.start_maxa = typed_number(*maxa, MAXA_DECIMALS).value;
    }
    return record(typed.text, trim_turn_time(settings, typed));
  }

  /// One guided flight of the plan (turn time, angle).
  const TrimResult& fly_guided(double turn_time, double maxa) {
    const TypedNumber t = typed_number(turn_time, OPTIMUM_TURN_TIME_DECIMALS);
    const TypedNumber a = typed_number(maxa, MAXA_DECIMALS);
    const std::string key = t.text + " " + a.text;
    const auto done = index_.find(key);
    if (done != index_.end()) return result_.trims[done->second];
    const TrimSettings& s = settings_.trim;
    if (s.interruption) s.interruption();
    TrimResult r;
    r.turn_time = t;
    r.maxa = a;
    // The angles of one turn time share its booster phase.
    const FlightAtSeparation& at_separation =
        separations_.try_emplace(t.text, s.vehicle, s.thrust, t.value, s.aero).first->second;
    r.flight = fly_on(at_separation, a);
    r.flights.push_back({a, r.flight});
    // Reaching the orbit, even short of propellant, gives the plan a budget
    // to weigh; a run that ends before it has none.
    r.status = r.flight.separated    ? TrimStatus::trimmed
               : r.flight.maxa_flown ? TrimStatus::out_of_reach
                                     : TrimStatus::turn_time_rejected;
    r.message = r.flight.message;
    return record(key, std::move(r));
  }

  /// The angle the default law trims `turn_time` to, aimed at the insertion
  /// altitude, or none: a guided stage's best angle lies near it. Its flights
  /// count in the search's.
  std::optional<double> trimmed_maxa(double turn_time) {
    const TrimResult r =
        default_law_trim(settings_.trim, typed_number(turn_time, OPTIMUM_TURN_TIME_DECIMALS));
    result_.flights += r.flights.size();
    if (!r.trimmed()) return std::nullopt;
    return r.maxa.value;
  }

  /// A point of the plan: the turn time, and the angle of a guided search.
  const TrimResult& evaluate(const std::vector<double>& x) {
    return x.size() == 2 ? fly_guided(x[0], x[1]) : trim(x[0]);
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

  /// Where a constraint holds the optimum, the last trims of the search lie
  /// on both sides of its boundary, and the best feasible one may still be a
  /// few tenths of a second from it. Halves the gap to the nearest trim that
  /// carries more but breaks a constraint, until it is below `tolerance`.
  void close_on_the_boundary(double tolerance) {
    while (result_.best) {
      const TrimResult& best = *result_.best;
      const TrimResult* beyond = nullptr;
      for (const TrimResult& r : result_.trims) {
        if (!r.trimmed() || r.feasible() ||
            !(r.flight.SC_M_unrounded > best.flight.SC_M_unrounded)) {
          continue;
        }
        if (beyond == nullptr || gap(r, best) < gap(*beyond, best)) beyond = &r;
      }
      if (beyond == nullptr || gap(*beyond, best) <= tolerance) return;
      const std::size_t before = result_.trims.size();
      trim((best.turn_time.value + beyond->turn_time.value) / 2.0);
      if (result_.trims.size() == before) return;  // the turn times' decimals are used up
    }
  }

  /// Among the trims from `first` to `last`: the best feasible one, or
  /// else the one whose worst constraint is broken least.
  const TrimResult& most_promising(std::size_t first, std::size_t last) const {
    const auto worst = [&](const TrimResult& r) {
      const std::vector<double> values = constraints(r);
      return *std::max_element(values.begin(), values.end());
    };
    const auto less_promising = [&](const TrimResult& a, const TrimResult& b) {
      if (a.feasible() != b.feasible()) return b.feasible();
      if (a.feasible()) return a.flight.SC_M_unrounded < b.flight.SC_M_unrounded;
      return worst(a) > worst(b);
    };
    const auto begin = result_.trims.begin();
    return *std::max_element(begin + static_cast<long>(first), begin + static_cast<long>(last),
                             less_promising);
  }

  [[nodiscard]] std::size_t size() const { return result_.trims.size(); }

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
  const TrimResult& record(const std::string& key, TrimResult&& evaluated) {
    result_.trims.push_back(std::move(evaluated));
    const TrimResult& r = result_.trims.back();
    index_.emplace(key, result_.trims.size() - 1);
    result_.flights += r.flights.size();
    if (r.feasible() &&
        (!result_.best || r.flight.SC_M_unrounded > result_.best->flight.SC_M_unrounded)) {
      result_.best = r;
    }
    if (progress_) progress_(r);
    return r;
  }

  /// The angle the trims so far point to for `turn_time`: interpolated (or
  /// extrapolated) through the two nearest trimmed turn times, the nearest
  /// one's alone, or none before the first trim.
  std::optional<double> expected_maxa(double turn_time) const {
    const TrimResult* first = nullptr;
    const TrimResult* second = nullptr;
    const auto distance = [&](const TrimResult* r) {
      return std::fabs(r->turn_time.value - turn_time);
    };
    for (const TrimResult& r : result_.trims) {
      if (!r.trimmed()) continue;
      if (first == nullptr || distance(&r) < distance(first)) {
        second = first;
        first = &r;
      } else if (second == nullptr || distance(&r) < distance(second)) {
        second = &r;
      }
    }
    if (first == nullptr) return std::nullopt;
    if (second == nullptr) return first->maxa.value;
    const double slope = (second->maxa.value - first->maxa.value) /
                         (second->turn_time.value - first->turn_time.value);
    const double maxa = first->maxa.value + slope * (turn_time - first->turn_time.value);
    return maxa > 0.0 && maxa <= settings_.trim.largest_maxa ? maxa : first->maxa.value;
  }

  static double gap(const TrimResult& a, const TrimResult& b) {
    return std::fabs(a.turn_time.value - b.turn_time.value);
  }

  OptimizeSettings settings_;
  const OptimizeProgress& progress_;
  OptimizeResult result_;
  /// Of each point's trim or flight, by the text of its turn time (and angle).
  std::map<std::string, std::size_t> index_;
  /// Of the guided flights, by the text of their turn time.
  std::map<std::string, FlightAtSeparation> separations_;
};

/// What the NLopt callbacks share: the search and the first exception of a
/// trim, which NLopt cannot carry through its C interface.
struct Callbacks {
  Search* search;
  nlopt::opt* optimizer;
  std::exception_ptr failure;
  std::size_t constraint = 0;  ///< of the constraint callback
};

const TrimResult* evaluate_or_stop(Callbacks& c, const std::vector<double>& x) {
  if (c.failure) return nullptr;
  try {
    return &c.search->evaluate(x);
  } catch (...) {
    c.failure = std::current_exception();
    c.optimizer->force_stop();
    return nullptr;
  }
}

double spacecraft_mass(const std::vector<double>& x, std::vector<double>& /*gradient*/,
                       void* data) {
  Callbacks& c = *static_cast<Callbacks*>(data);
  const TrimResult* r = evaluate_or_stop(c, x);
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
  const TrimResult* r = evaluate_or_stop(*d.callbacks, x);
  return r != nullptr ? d.callbacks->search->constraints(*r)[d.index] : 1.0;
}

/// The plan of a trim as COBYLA's variables: the turn time, and the angle
/// of a guided search.
std::vector<double> plan_of(const TrimResult& r, bool guided) {
  if (guided) return {r.turn_time.value, r.maxa.value};
  return {r.turn_time.value};
}

/// COBYLA from the plan `x`, within one scan spacing of it (`spacings`: of
/// the turn time and of the angle) and the bounds.
void refine(Search& search, const OptimizeSettings& settings, std::vector<double> x,
            const std::array<double, 2>& spacings) {
  const double spacing = spacings[0];
  std::vector<double> lower{std::max(settings.from, x[0] - spacing)};
  std::vector<double> upper{std::min(settings.to, x[0] + spacing)};
  std::vector<double> step{spacing / 2.0};
  std::vector<double> tolerance{settings.turn_time_tolerance};
  if (x.size() == 2) {
    lower.push_back(std::max(0.0, x[1] - spacings[1]));
    upper.push_back(std::min(settings.trim.largest_maxa, x[1] + spacings[1]));
    step.push_back(spacings[1] / 2.0);
    tolerance.push_back(settings.maxa_tolerance);
  }

  nlopt::opt optimizer(nlopt::LN_COBYLA, static_cast<unsigned>(x.size()));
  optimizer.set_lower_bounds(lower);
  optimizer.set_upper_bounds(upper);
  optimizer.set_initial_step(step);
  optimizer.set_xtol_abs(tolerance);
  optimizer.set_maxeval(settings.max_trims);

  Callbacks callbacks{&search, &optimizer, nullptr};
  optimizer.set_max_objective(spacecraft_mass, &callbacks);
  const std::size_t constraint_count = search.constraints(TrimResult{}).size();
  std::vector<ConstraintData> constraint_data;
  for (std::size_t k = 0; k < constraint_count; ++k) constraint_data.push_back({&callbacks, k});
  for (ConstraintData& data : constraint_data) {
    optimizer.add_inequality_constraint(constraint_value, &data, 0.0);
  }

  double best = 0.0;
  try {
    optimizer.optimize(x, best);
  } catch (const std::runtime_error&) {
    // Stopped (by a failed trim, or by rounding): the trims so far stand,
    // and the best feasible of them is the answer.
  }
  if (callbacks.failure) std::rethrow_exception(callbacks.failure);
}

/// Throws InputError for bounds or limits no search can keep to: turn times
/// out of the sweep's range or not in order, a limit that is no finite
/// number of at least 0 (0: none).
void check_settings(const OptimizeSettings& settings) {
  const auto turn_time = [](double t) {
    return t >= SWEEP_FIRST_TURN_TIME && t <= SWEEP_LAST_TURN_TIME;
  };
  if (!turn_time(settings.from) || !turn_time(settings.to)) {
    throw InputError(ErrorCode::range_check,
                     "the turn times searched must be from 1 s to 1000 s, not from " +
                         shortest_text(settings.from) + " s to " + shortest_text(settings.to) +
                         " s");
  }
  if (!(settings.from < settings.to)) {
    throw InputError(ErrorCode::range_check,
                     "the shortest turn time searched must come before the longest");
  }
  for (const LoadKind kind : LOAD_KINDS) {
    const double limit = load_limit(settings.limits, kind);
    if (!(limit >= 0.0 && limit < std::numeric_limits<double>::infinity())) {
      throw InputError(ErrorCode::range_check,
                       "a load limit must be a finite number above 0 (or 0 for none)");
    }
  }
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

bool searches_maxa(const OptimizeSettings& settings) { return guided(settings.trim.vehicle); }

OptimizeResult optimize_payload(const OptimizeSettings& settings,
                                const OptimizeProgress& progress) {
  check_settings(settings);
  Search search(settings, progress);
  // COBYLA: derivative-free (the objective is a trimmed flight, known only to
  // the trim's tolerance, so finite differences would follow its noise), it
  // keeps to the bounds and takes nonlinear inequality constraints (the
  // loads and the propellant) as they are, with no penalty to tune; it
  // models the problem linearly on a simplex, so it works alike with the
  // one variable of the trimmed law and with more.
  //
  // COBYLA is a local method, and a load that no longer changes over much of
  // the range (the loads of every turn that outlasts the maximum dynamic
  // pressure are the same) gives it no slope to follow back to the feasible
  // plans. So a coarse scan first brackets the optimum: COBYLA then refines
  // the best feasible scan point (or, with none, the one nearest to
  // feasibility) between its neighbours.
  //
  // A guided search's points are single flights, so its scan is denser:
  // at each turn time, angles about the one the default law trims it to
  // (the guided stage's payload peaks within a degree or two of it, and its
  // feasible band under a load limit is as narrow), or from 0 to the
  // largest where the turn time cannot be trimmed.
  const bool guided = searches_maxa(settings);
  const int turn_times = guided ? GUIDED_SCAN_TURN_TIMES : SCAN_POINTS;
  const double spacing = (settings.to - settings.from) / (turn_times - 1);
  const double largest = settings.trim.largest_maxa;
  std::vector<std::size_t> rows{0};  // where each scanned turn time's points begin
  for (int k = 0; k < turn_times; ++k) {
    const double turn_time = k + 1 == turn_times ? settings.to : settings.from + k * spacing;
    if (!guided) {
      search.trim(turn_time);
      continue;
    }
    const std::optional<double> middle = search.trimmed_maxa(turn_time);
    for (int j = 0; j < GUIDED_SCAN_ANGLES; ++j) {
      const double maxa = middle ? *middle + (j - GUIDED_SCAN_ANGLES / 2) * GUIDED_ANGLE_STEP
                                 : j * largest / (GUIDED_SCAN_ANGLES - 1);
      search.fly_guided(turn_time, std::clamp(maxa, 0.0, largest));
    }
    rows.push_back(search.size());
  }
  if (!guided) rows.push_back(search.size());
  // The payload of a guided stage hardly changes with the turn time once
  // the turn outlasts the maximum dynamic pressure, but it ripples by a
  // few kilograms: the best angles of the best scanned turn times each
  // start a refinement, so that a local method does not stop on one ripple.
  std::vector<const TrimResult*> bests;
  for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
    const TrimResult& r = search.most_promising(rows[k], rows[k + 1]);
    if (r.feasible()) bests.push_back(&r);
  }
  std::sort(bests.begin(), bests.end(), [](const TrimResult* a, const TrimResult* b) {
    return a->flight.SC_M_unrounded > b->flight.SC_M_unrounded;
  });
  std::vector<std::vector<double>> starts;
  for (std::size_t k = 0; k < std::min(bests.size(), GUIDED_STARTS); ++k) {
    starts.push_back(plan_of(*bests[k], guided));
  }
  if (starts.empty()) starts.push_back(plan_of(search.most_promising(0, search.size()), guided));
  for (const std::vector<double>& start : starts) {
    refine(search, settings, start, {spacing, guided ? GUIDED_ANGLE_STEP : 0.0});
  }
  // The boundary closing bisects the turn time alone: a guided search's
  // COBYLA steps already end within the tolerances of both variables.
  if (!guided) search.close_on_the_boundary(settings.turn_time_tolerance / 4.0);
  return search.finish();
}

}  // namespace ascent::studies
