#include "studies/sensitivities.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "base/runtime_error.hpp"

namespace ascent::studies {

namespace {

/// The unrounded SC_M of the trimmed flight with `field` at `x`, or the
/// reason it has none.
struct Point {
  double SC_M = 0.0;
  std::string problem;
};

Point trimmed_payload(TrimSettings settings, const TypedNumber& turn_time,
                      const VehicleField& field, double x) {
  field.set(settings.vehicle, x);
  const TrimResult trim = trim_turn_time(settings, turn_time);
  if (!trim.trimmed()) return {0.0, field.name() + " = " + typed_number(x, 9).text + ": " + trim.message};
  return {trim.flight.SC_M_unrounded, ""};
}

}  // namespace

ExchangeRatio exchange_ratio(const TrimSettings& nominal, const TypedNumber& turn_time,
                             const VehicleField& field) {
  TrimSettings settings = nominal;
  settings.tolerance = SENSITIVITY_TOLERANCE;
  ExchangeRatio r;
  r.field = &field;
  r.value = field.get(settings.vehicle);
  r.step = r.value != 0.0 ? SENSITIVITY_STEP * std::fabs(r.value) : SENSITIVITY_STEP;
  // At an end of the field's range the difference looks one way only.
  double low = r.value - r.step;
  double high = r.value + r.step;
  if (low < field.minimum) {
    low = r.value;
    r.central = false;
  } else if (high > field.maximum) {
    high = r.value;
    r.central = false;
  }
  const Point below = trimmed_payload(settings, turn_time, field, low);
  const Point above = trimmed_payload(settings, turn_time, field, high);
  if (!below.problem.empty() || !above.problem.empty()) {
    r.ratio = std::numeric_limits<double>::quiet_NaN();
    r.message = below.problem.empty() ? above.problem : below.problem;
    return r;
  }
  r.ratio = (above.SC_M - below.SC_M) / (high - low);
  return r;
}

std::vector<ExchangeRatio> exchange_ratios(const TrimSettings& settings,
                                           const TypedNumber& turn_time) {
  const TrimResult nominal = trim_turn_time(settings, turn_time);
  if (!nominal.trimmed()) {
    throw FlightError("the flight of turn time " + turn_time.text + " s cannot be trimmed: " +
                      nominal.message);
  }
  std::vector<ExchangeRatio> ratios;
  for (const VehicleField& field : vehicle_fields()) {
    if (field.whole || field.optional) continue;
    ratios.push_back(exchange_ratio(settings, turn_time, field));
  }
  // The largest effect first; those without a ratio last, in the deck's order.
  std::stable_sort(ratios.begin(), ratios.end(), [](const ExchangeRatio& a, const ExchangeRatio& b) {
    const bool a_known = std::isfinite(a.ratio);
    const bool b_known = std::isfinite(b.ratio);
    if (a_known != b_known) return a_known;
    return a_known && std::fabs(a.per_percent()) > std::fabs(b.per_percent());
  });
  return ratios;
}

std::string_view ratio_caveat(std::string_view field) {
  if (field == "boosters.propellant" || field == "boosters.exhaust_velocity") {
    return "The thrust file fixes the booster's burn in time, so more of it is carried unburnt "
           "and costs payload; a booster whose burn follows its propellant would gain payload";
  }
  return "";
}

}  // namespace ascent::studies
