#include "deck/vehicle_checks.hpp"

#include <cmath>

#include "base/fixed_text.hpp"
#include "deck/shortest_text.hpp"
#include "mission/vehicle_fields.hpp"

namespace ascent {

namespace {

/// [m] How far target.altitude may lie from the mean of an elliptic target's
/// apsides: the half metre of a mean of whole metres.
constexpr double TARGET_ALTITUDE_SLACK = 0.5;

/// "group.key = value unit", as the deck has it.
std::string shown(std::string_view name, const Vehicle& v) {
  const VehicleField& f = *find_vehicle_field(name);
  return f.name() + " = " + shortest_text(f.get(v)) + " " + std::string(f.unit);
}

/// A quantity derived from the deck's values, to two decimals.
std::string quantity(Real x, std::string_view unit) {
  return fixed_text(x, 2) + " " + std::string(unit);
}

std::optional<VehicleConflict> nozzles_wider_than_their_stage(const Vehicle& v) {
  if (v.boosters.nozzle_exit_diameter > v.boosters.diameter) {
    return VehicleConflict{"boosters.nozzle_exit_diameter",
                           shown("boosters.nozzle_exit_diameter", v) +
                               " is wider than the booster (" + shown("boosters.diameter", v) +
                               ")"};
  }
  if (v.core.exit_area > v.core_stack_area()) {
    return VehicleConflict{"core.exit_area", shown("core.exit_area", v) +
                                                 " is larger than the core's cross-section (" +
                                                 quantity(v.core_stack_area(), "m^2") + ")"};
  }
  if (Real(Extended{v.upper_stage.exit_area} + v.ullage.exit_area) > v.stack_area()) {
    return VehicleConflict{
        "upper_stage.exit_area",
        shown("upper_stage.exit_area", v) + " and " + shown("ullage.exit_area", v) +
            " are larger than the stack's cross-section (" + quantity(v.stack_area(), "m^2") +
            " for " + shown("fairing.diameter", v) + ")"};
  }
  return std::nullopt;
}

std::optional<VehicleConflict> areas_and_masses_within_their_whole(const Vehicle& v) {
  if (v.boosters.hidden_area > v.booster_area()) {
    return VehicleConflict{"boosters.hidden_area", shown("boosters.hidden_area", v) +
                                                       " is more than a booster's cross-section (" +
                                                       quantity(v.booster_area(), "m^2") + " for " +
                                                       shown("boosters.diameter", v) + ")"};
  }
  if (v.core.tail_off_propellant > v.core.dry_mass) {
    return VehicleConflict{"core.tail_off_propellant",
                           shown("core.tail_off_propellant", v) +
                               " is more than the core's dry mass it is part of (" +
                               shown("core.dry_mass", v) + ")"};
  }
  // Above the core, the stack holds the fairing, what stays on the core, and
  // the upper stage with everything it carries; the payload is the rest.
  const Extended room =
      Extended{v.upper_stage.stack_mass} - v.fairing.mass - v.upper_stage.left_with_core;
  const Extended stage = Extended{v.upper_stage.propellant_load} + v.stage_base_mass() +
                         v.ullage_propellant() + v.upper_stage.ullage_and_rcs_propellant;
  if (stage > room) {
    return VehicleConflict{
        "upper_stage.propellant_load",
        shown("upper_stage.propellant_load", v) +
            " does not fit: with its dry mass, unusable propellant, ullage motors' and ullage "
            "and RCS propellant the upper stage weighs " +
            quantity(Real(stage), "kg") + ", more than the " + quantity(Real(room), "kg") +
            " of upper_stage.stack_mass beside fairing.mass and upper_stage.left_with_core"};
  }
  return std::nullopt;
}

std::optional<VehicleConflict> events_in_flight_order(const Vehicle& v) {
  if (!(v.fairing.jettison_time > v.boosters.separation_time)) {
    return VehicleConflict{"fairing.jettison_time", shown("fairing.jettison_time", v) +
                                                        " is not after booster separation (" +
                                                        shown("boosters.separation_time", v) + ")"};
  }
  if (!(v.fairing.jettison_time < v.core_burn_time())) {
    return VehicleConflict{
        "fairing.jettison_time",
        shown("fairing.jettison_time", v) + " is not before the core has burned its propellant (" +
            quantity(v.core_burn_time(), "s") + " at core.thrust and core.exhaust_velocity)"};
  }
  return std::nullopt;
}

/// "group.key = value unit" of an optional field.
std::string shown_optional(std::string_view name, const Vehicle& v) {
  const VehicleField& f = *find_optional_vehicle_field(name);
  return f.name() + " = " + shortest_text(f.get(v)) + " " + std::string(f.unit);
}

/// An elliptic target needs both apsides, the perigee not above the apogee.
std::optional<VehicleConflict> target_orbit_possible(const Vehicle& v) {
  const TargetOrbit& target = v.target;
  if (!target.elliptic()) return std::nullopt;
  if (target.apogee == 0.0) {
    return VehicleConflict{"target.perigee", shown_optional("target.perigee", v) +
                                                 " needs target.apogee beside it"};
  }
  if (target.perigee == 0.0) {
    return VehicleConflict{"target.apogee", shown_optional("target.apogee", v) +
                                                " needs target.perigee beside it"};
  }
  if (target.perigee > target.apogee) {
    return VehicleConflict{"target.perigee", shown_optional("target.perigee", v) +
                                                 " is above the apogee (" +
                                                 shown_optional("target.apogee", v) + ")"};
  }
  // The average altitude of an elliptic target follows from its apsides:
  // a different one would make the default law and the trims aim elsewhere.
  const double average = (target.perigee + target.apogee) / 2.0;
  if (!(std::fabs(target.altitude - average) <= TARGET_ALTITUDE_SLACK)) {
    return VehicleConflict{"target.altitude",
                           shown("target.altitude", v) + " contradicts " +
                               shown_optional("target.perigee", v) + " and " +
                               shown_optional("target.apogee", v) +
                               ", whose average altitude is " + shortest_text(average) +
                               " m (leave target.altitude out to take that)"};
  }
  return std::nullopt;
}

}  // namespace

std::optional<VehicleConflict> vehicle_conflict(const Vehicle& vehicle) {
  if (auto conflict = nozzles_wider_than_their_stage(vehicle)) return conflict;
  if (auto conflict = areas_and_masses_within_their_whole(vehicle)) return conflict;
  if (auto conflict = target_orbit_possible(vehicle)) return conflict;
  return events_in_flight_order(vehicle);
}

}  // namespace ascent
