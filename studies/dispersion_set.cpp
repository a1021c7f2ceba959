#include "studies/dispersion_set.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

#include "deck/vehicle_checks.hpp"
#include "studies/random_draws.hpp"

namespace ascent::studies {

namespace {

std::string number_text(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

const ScaleFactorName* find_scale(std::string_view name) {
  const auto* found = std::find_if(SCALE_FACTORS.begin(), SCALE_FACTORS.end(),
                                   [&](const ScaleFactorName& s) { return s.name == name; });
  return found == SCALE_FACTORS.end() ? nullptr : found;
}

/// Why `value` cannot be flown as the parameter `entry` ("" when it can).
std::string range_fault(const Dispersion& entry, double value) {
  if (entry.field != nullptr) {
    const VehicleField& f = *entry.field;
    if (value >= f.minimum && value <= f.maximum) return "";
    return entry.name + " = " + number_text(value) + " " + std::string(f.unit) + " lies outside " +
           number_text(f.minimum) + " .. " + number_text(f.maximum);
  }
  const bool positive = entry.scale == ScaleFactor::booster_thrust;
  if (std::isfinite(value) && (positive ? value > 0.0 : value >= 0.0)) return "";
  return entry.name + " = " + number_text(value) + (positive ? " is not positive" : " is negative");
}

}  // namespace

double Distribution::value(double nominal, double u) const {
  const double deviation =
      shape == Shape::normal ? sigma * normal_quantile(u) : low + (high - low) * u;
  return relative ? nominal * (1.0 + deviation) : nominal + deviation;
}

std::string distribution_fault(const Distribution& d) {
  if (d.shape == Distribution::Shape::normal) {
    if (!std::isfinite(d.sigma)) return "the standard deviation is not a finite number";
    if (d.sigma < 0.0) return "the standard deviation " + number_text(d.sigma) + " is negative";
    return "";
  }
  if (!std::isfinite(d.low) || !std::isfinite(d.high)) return "a bound is not a finite number";
  if (d.low > d.high) {
    return "the bounds are in the wrong order: " + number_text(d.low) + " comes after " +
           number_text(d.high);
  }
  return "";
}

std::string_view Dispersion::unit() const {
  return field != nullptr ? field->unit : "1";
}

void DispersionSet::add(std::string_view name, const Distribution& distribution) {
  Dispersion entry;
  entry.name = name;
  entry.distribution = distribution;
  if (const ScaleFactorName* scale = find_scale(name)) {
    entry.scale = scale->factor;
  } else {
    entry.field = find_vehicle_field(name);
    if (entry.field == nullptr) {
      throw InputError(ErrorCode::range_check, "\"" + entry.name +
                                  "\" is neither a vehicle field nor a scale factor");
    }
    if (entry.field->whole) {
      throw InputError(ErrorCode::range_check, entry.name + " is a count: it cannot be dispersed");
    }
  }
  if (std::any_of(entries_.begin(), entries_.end(),
                  [&](const Dispersion& e) { return e.name == name; })) {
    throw InputError(ErrorCode::range_check, entry.name + " is dispersed twice");
  }
  if (const std::string fault = distribution_fault(distribution); !fault.empty()) {
    throw InputError(ErrorCode::range_check, entry.name + ": " + fault);
  }
  entries_.push_back(std::move(entry));
}

DrawnCase draw_case(const DispersionSet& set, const Vehicle& nominal, std::uint64_t seed,
                    std::uint64_t k) {
  const CaseRandom random(seed, k);
  DrawnCase drawn;
  drawn.vehicle = nominal;
  drawn.values.reserve(set.entries().size());
  for (const Dispersion& entry : set.entries()) {
    const double centre = entry.field != nullptr ? entry.field->get(nominal) : 1.0;
    const double value = entry.distribution.value(centre, random.uniform(entry.name));
    drawn.values.push_back(value);
    if (std::string fault = range_fault(entry, value); !fault.empty()) {
      if (drawn.out_of_range.empty()) drawn.out_of_range = std::move(fault);
      continue;
    }
    if (entry.field != nullptr) {
      entry.field->set(drawn.vehicle, value);
      continue;
    }
    switch (entry.scale) {
      case ScaleFactor::booster_thrust:
        drawn.booster_thrust_scale = value;
        break;
      case ScaleFactor::drag:
        drawn.aero.drag = value;
        break;
      case ScaleFactor::density:
        drawn.aero.density = value;
        break;
    }
  }
  // Values each in range can still contradict each other (a propellant load
  // that does not fit its stage): such a vehicle is refused as its deck
  // would be, never flown.
  if (drawn.out_of_range.empty()) {
    if (const std::optional<VehicleConflict> conflict = vehicle_conflict(drawn.vehicle)) {
      drawn.out_of_range = conflict->what;
    }
  }
  return drawn;
}

}  // namespace ascent::studies
