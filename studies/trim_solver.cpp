#include "studies/trim_solver.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "base/runtime_error.hpp"
#include "deck/shortest_text.hpp"

namespace ascent::studies {

namespace {

std::string km(double metres) {
  return typed_number(metres / 1000.0, 3).text + " km";
}

std::string deg(const TypedNumber& angle) {
  return angle.text + " deg";
}

/// The search over the angle for one turn time.
class Search {
 public:
  Search(const TrimSettings& settings, const TypedNumber& turn_time, const TrimProgress& progress)
      : settings_(settings), progress_(progress) {
    result_.turn_time = turn_time;
    upper_ = settings.largest_maxa;
  }

  TrimResult run();

 private:
  TypedNumber angle(double degrees) const {
    return typed_number(std::clamp(degrees, quantum_, settings_.largest_maxa), MAXA_DECIMALS);
  }
  const TrimFlight& fly_at(const TypedNumber& maxa);
  /// The next angle, or nullopt when the search has ended (result_ says why).
  std::optional<TypedNumber> next_angle(const TrimFlight& flight);
  void finish(TrimStatus status, std::string message);

  const TrimSettings& settings_;
  const TrimProgress& progress_;
  TrimResult result_;
  const double quantum_ = std::pow(10.0, -MAXA_DECIMALS);

  // Bracket: below `lower` the flights stay under the target (no orbit counts
  // as under, and so does a perigee below the surface; 0 until a flight says
  // more), from `upper` on they overshoot.
  double lower_ = 0.0;
  double upper_;
  bool overshoot_seen_ = false;
  bool lower_below_surface_ = false;  ///< the flight at `lower` separated with its perigee below the surface

  // The secant's memory, as the program keeps it: the origin after a reset.
  double previous_maxa_ = 0.0;
  double previous_altitude_ = 0.0;
  double last_miss_ = std::numeric_limits<double>::infinity();

  std::optional<std::size_t> closest_;  ///< in-orbit flight with the smallest miss
  std::optional<FlightAtSeparation> at_separation_;  ///< of the turn time, once flown
};

const TrimFlight& Search::fly_at(const TypedNumber& maxa) {
  if (settings_.interruption) settings_.interruption();
  // Every flight of the search flies the same booster phase: the first flies it.
  if (!at_separation_) {
    at_separation_.emplace(settings_.vehicle, settings_.thrust, result_.turn_time.value,
                           settings_.aero);
  }
  result_.flights.push_back({maxa, fly_on(*at_separation_, maxa)});
  const TrimFlight& flight = result_.flights.back();
  if (flight.outcome.above_surface) {
    const auto miss = [&](const TrimFlight& f) {
      return std::abs(f.outcome.average_altitude - settings_.target_altitude());
    };
    if (!closest_ || miss(flight) < miss(result_.flights[*closest_])) {
      closest_ = result_.flights.size() - 1;
    }
  }
  if (progress_) progress_(flight);
  return flight;
}

void Search::finish(TrimStatus status, std::string message) {
  result_.status = status;
  result_.message = std::move(message);
  const TrimFlight& shown = status == TrimStatus::trimmed || !closest_ ? result_.flights.back()
                                                                       : result_.flights[*closest_];
  result_.maxa = shown.maxa;
  result_.flight = shown.outcome;
  // A trimmed flight that is not in orbit says why.
  if (status == TrimStatus::trimmed) result_.message = shown.outcome.message;
}

std::optional<TypedNumber> Search::next_angle(const TrimFlight& flight) {
  const double x = flight.maxa.value;
  const double target = settings_.target_altitude();
  std::optional<double> candidate;

  if (flight.outcome.above_surface) {
    const double altitude = flight.outcome.average_altitude;
    const double miss = altitude - target;
    if (miss > 0.0) {
      upper_ = std::min(upper_, x);
      overshoot_seen_ = true;
    } else if (x >= lower_) {
      lower_ = x;
      lower_below_surface_ = false;
    }
    // The secant through this flight and the one before, solved for the target.
    const bool halved = std::abs(miss) <= 0.5 * last_miss_;
    if (altitude != previous_altitude_ && (halved || !overshoot_seen_)) {
      candidate = x - (x - previous_maxa_) * (altitude - target) / (altitude - previous_altitude_);
    }
    last_miss_ = std::abs(miss);
    previous_maxa_ = x;
    previous_altitude_ = altitude;
  } else if (x >= lower_) {
    // Too shallow a climb: no orbit, or one through the ground.
    lower_ = x;
    lower_below_surface_ = flight.outcome.separated;
  }

  const auto inside = [&](double a) {
    return std::isfinite(a) && a > lower_ && (overshoot_seen_ ? a < upper_ : a <= upper_);
  };
  std::optional<TypedNumber> next;
  if (candidate && inside(angle(*candidate).value)) next = angle(*candidate);

  if (!next) {
    if (overshoot_seen_) {
      next = angle((lower_ + upper_) / 2.0);
    } else if (lower_ >= settings_.largest_maxa) {
      const std::string largest = deg(angle(settings_.largest_maxa));
      finish(TrimStatus::out_of_reach,
             closest_ ? "the average altitude stays below " + km(target) + " up to maxa " +
                            largest + ": at most " +
                            km(result_.flights[*closest_].outcome.average_altitude)
             : lower_below_surface_
                 ? "the perigee stays below the surface at every maxa up to " + largest +
                       ": no orbit"
                 : "the upper stage reaches no orbit at any maxa up to " + largest);
      return std::nullopt;
    } else {
      next = angle(std::max(2.0 * lower_, lower_ + 1.0));
    }
  }

  if (!inside(next->value)) {
    // The bracket is one quantum wide: the altitude steps across the target.
    if (lower_ <= 0.0) {
      finish(TrimStatus::out_of_reach,
             "the average altitude exceeds " + km(target) + " even at maxa " + deg(angle(upper_)));
    } else if (lower_below_surface_) {
      finish(TrimStatus::not_converged,
             "up to maxa " + deg(angle(lower_)) +
                 " the perigee is below the surface (no orbit), from maxa " +
                 deg(angle(upper_)) + " on the average altitude exceeds " + km(target));
    } else {
      finish(TrimStatus::not_converged, "the average altitude jumps across " + km(target) +
                                            " between maxa " + deg(angle(lower_)) + " and " +
                                            deg(angle(upper_)));
    }
    return std::nullopt;
  }
  return next;
}

TrimResult Search::run() {
  if (!(result_.turn_time.value >= 1.0)) {
    result_.status = TrimStatus::turn_time_rejected;
    result_.message = "the turn time must be at least one second";
    return std::move(result_);
  }
  TypedNumber maxa = angle(settings_.start_maxa);
  for (;;) {
    if (static_cast<int>(result_.flights.size()) >= settings_.max_flights) {
      finish(TrimStatus::not_converged,
             "not trimmed after " + std::to_string(result_.flights.size()) + " flights");
      break;
    }
    const TrimFlight& flight = fly_at(maxa);
    if (!flight.outcome.maxa_flown) {
      finish(TrimStatus::turn_time_rejected, flight.outcome.message);
      break;
    }
    if (flight.outcome.above_surface && std::abs(flight.outcome.average_altitude -
                                            settings_.target_altitude()) <= settings_.tolerance) {
      finish(TrimStatus::trimmed, "");
      break;
    }
    const std::optional<TypedNumber> next = next_angle(flight);
    if (!next) break;
    maxa = *next;
  }
  return std::move(result_);
}

}  // namespace

void check_trimmable(const Vehicle& vehicle) {
  if (vehicle.upper_stage.guidance != UpperStageGuidance::orbit_insertion) return;
  throw InputError(ErrorCode::range_check,
                   "the upper stage is guided to its target orbit (upper_stage.guidance = "
                   "\"orbit_insertion\"), which it reaches from any core angle near the right "
                   "one: there is no angle to trim; `target` flies a plan (turn time, maxa) and "
                   "`optimize` finds the one of the largest payload");
}

TrimResult trim_turn_time(const TrimSettings& settings, const TypedNumber& turn_time,
                          const TrimProgress& progress) {
  // A miss that is NaN, 0 or below would make every turn time untrimmable.
  if (!(settings.tolerance > 0.0 && settings.tolerance < std::numeric_limits<double>::infinity())) {
    throw InputError(ErrorCode::range_check, "the trim's tolerance must be a finite number of "
                                             "metres above 0, not " +
                                                 shortest_text(settings.tolerance));
  }
  check_trimmable(settings.vehicle);
  return Search(settings, turn_time, progress).run();
}

RowStatus status_of(TrimStatus status, const FlightOutcome& flight) {
  switch (status) {
    case TrimStatus::trimmed:
      return row_status(flight.outcome);
    case TrimStatus::turn_time_rejected:
      return RowStatus::turn_too_long;
    case TrimStatus::out_of_reach:
      return RowStatus::out_of_reach;
    case TrimStatus::not_converged:
      return RowStatus::not_converged;
    case TrimStatus::cannot_be_flown:
      break;
  }
  return RowStatus::flight_error;
}

}  // namespace ascent::studies
