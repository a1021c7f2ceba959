#include "mission/vehicle.hpp"

#include <cmath>

#include "base/earth.hpp"

namespace ascent {

namespace {
Extended disc_area(double diameter) { return PI * diameter * diameter / 4.0L; }
}  // namespace

Real Vehicle::stack_area() const { return disc_area(fairing.diameter); }

Real Vehicle::core_stack_area() const { return stack_area() + core.added_area; }

Real Vehicle::liftoff_area() const {
  return core_stack_area() + boosters.count * (disc_area(boosters.diameter) - boosters.hidden_area);
}

Real Vehicle::booster_area() const { return disc_area(boosters.diameter); }

Real Vehicle::liftoff_exit_area() const {
  const double d = boosters.nozzle_exit_diameter;
  return boosters.count * PI * d * d / 4.0L + core.exit_area;
}

Real Vehicle::core_stack_mass() const {
  return upper_stage.stack_mass + (core.dry_mass + core.propellant);
}

Real Vehicle::liftoff_mass() const {
  return core_stack_mass() + boosters.count * (boosters.dry_mass + boosters.propellant);
}

Real Vehicle::pad_propellant() const {
  return boosters.count * boosters.propellant + core.propellant;
}

Real Vehicle::turn_rate() const { return pitch_program.turn_rate * PI / 180.0L; }

Real Vehicle::surface_speed() const {
  return std::cos(launch_site.latitude * PI / 180.0L) * 2.0L * PI * R_EARTH / SIDEREAL_DAY;
}

Real Vehicle::core_burn_time() const {
  // The core burns at full thrust from the pad on.
  return core.propellant * core.exhaust_velocity / core.thrust;
}

Real Vehicle::tail_off_time() const {
  // Burning `tail_off_propellant` while the thrust falls linearly to zero takes
  // twice as long as at full thrust.
  return core.tail_off_propellant * 2.0L * core.exhaust_velocity / core.thrust;
}

Real Vehicle::ullage_burn_time() const {
  return ullage.burn_before_ignition + upper_stage.ignition_ramp;
}

Real Vehicle::ullage_propellant() const {
  return ullage.thrust * ullage_burn_time() / ullage.exhaust_velocity;
}

Real Vehicle::ignition_rate() const { return upper_stage.thrust / upper_stage.ignition_ramp; }

Real Vehicle::stage_base_mass() const {
  return upper_stage.dry_mass + upper_stage.unusable_propellant;
}

Real Vehicle::orbit_speed() const { return std::sqrt(MU / (R_EARTH + target.altitude)); }

}  // namespace ascent
