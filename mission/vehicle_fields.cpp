#include "mission/vehicle_fields.hpp"

#include <array>
#include <limits>

namespace ascent {

namespace {

constexpr double BIG = std::numeric_limits<double>::max();
/// Strictly positive: the smallest positive double.
constexpr double POSITIVE = std::numeric_limits<double>::denorm_min();
/// [m/s] Slowest exhaust flown: a mass flow of thrust over a slower exhaust
/// leaves the range of the numbers within a step (cold gas gives ~700 m/s).
constexpr double SLOWEST_EXHAUST = 100.0;
/// [s] Shortest thrust ramp flown: its rate is the thrust over its length.
constexpr double SHORTEST_RAMP = 0.01;

template <auto Group, auto Key>
double get(const Vehicle& v) {
  return static_cast<double>((v.*Group).*Key);
}

template <auto Group, auto Key>
void set(Vehicle& v, double x) {
  using Stored = std::remove_reference_t<decltype((v.*Group).*Key)>;
  (v.*Group).*Key = static_cast<Stored>(x);
}

template <auto Group, auto Key>
constexpr VehicleField field(std::string_view group, std::string_view key, std::string_view unit,
                             std::string_view what, double minimum, double maximum,
                             bool optional = false) {
  using Stored = std::remove_cvref_t<decltype(std::declval<Vehicle>().*Group.*Key)>;
  return {group, key, unit, what, minimum, maximum, std::is_integral_v<Stored>, optional,
          &get<Group, Key>, &set<Group, Key>};
}

using V = Vehicle;
// clang-format off
const std::array FIELDS{
  field<&V::launch_site, &LaunchSite::latitude>("launch_site", "latitude", "deg", "latitude of the pad", -90.0, 90.0),
  field<&V::pitch_program, &PitchProgram::pitch_over_altitude>("pitch_program", "pitch_over_altitude", "m", "altitude that starts the kick", POSITIVE, 10000.0),
  field<&V::pitch_program, &PitchProgram::turn_rate>("pitch_program", "turn_rate", "deg/s", "pitch rate of the kick and the recovery", POSITIVE, 90.0),
  field<&V::boosters, &Boosters::count>("boosters", "count", "1", "number of strap-on boosters", 1.0, 16.0),
  field<&V::boosters, &Boosters::diameter>("boosters", "diameter", "m", "of one booster's body", POSITIVE, 100.0),
  field<&V::boosters, &Boosters::hidden_area>("boosters", "hidden_area", "m^2", "of one booster's cross-section behind the core", 0.0, BIG),
  field<&V::boosters, &Boosters::nozzle_exit_diameter>("boosters", "nozzle_exit_diameter", "m", "of one booster's nozzle", 0.0, 100.0),
  field<&V::boosters, &Boosters::dry_mass>("boosters", "dry_mass", "kg", "of one booster", 0.0, 1e8),
  field<&V::boosters, &Boosters::propellant>("boosters", "propellant", "kg", "loaded in one booster", POSITIVE, 1e8),
  field<&V::boosters, &Boosters::exhaust_velocity>("boosters", "exhaust_velocity", "m/s", "vacuum thrust per kg/s of propellant", SLOWEST_EXHAUST, 1e5),
  field<&V::boosters, &Boosters::separation_time>("boosters", "separation_time", "s", "mission time of booster separation", POSITIVE, 10000.0),
  field<&V::core, &CoreStage::dry_mass>("core", "dry_mass", "kg", "with the propellant of the thrust tail-off", POSITIVE, 1e8),
  field<&V::core, &CoreStage::propellant>("core", "propellant", "kg", "burned at full thrust", POSITIVE, 1e8),
  field<&V::core, &CoreStage::thrust>("core", "thrust", "N", "vacuum thrust", POSITIVE, 1e9),
  field<&V::core, &CoreStage::exhaust_velocity>("core", "exhaust_velocity", "m/s", "vacuum thrust per kg/s of propellant", SLOWEST_EXHAUST, 1e5),
  field<&V::core, &CoreStage::exit_area>("core", "exit_area", "m^2", "of the engines' nozzles", 0.0, BIG),
  field<&V::core, &CoreStage::added_area>("core", "added_area", "m^2", "cross-section beyond the fairing's", 0.0, BIG),
  field<&V::core, &CoreStage::tail_off_propellant>("core", "tail_off_propellant", "kg", "burned while the thrust falls to zero", POSITIVE, 1e8),
  field<&V::core, &CoreStage::separation_coast>("core", "separation_coast", "s", "from cutoff to separation", POSITIVE, 1000.0),
  field<&V::fairing, &Fairing::diameter>("fairing", "diameter", "m", "the stage-3 stack's cross-section", POSITIVE, 100.0),
  field<&V::fairing, &Fairing::mass>("fairing", "mass", "kg", "of the payload fairing", 0.0, 1e7),
  field<&V::fairing, &Fairing::jettison_time>("fairing", "jettison_time", "s", "mission time of the jettison", POSITIVE, 10000.0),
  field<&V::upper_stage, &UpperStage::stack_mass>("upper_stage", "stack_mass", "kg", "interstage, stage, payload and fairing at liftoff", POSITIVE, 1e8),
  field<&V::upper_stage, &UpperStage::left_with_core>("upper_stage", "left_with_core", "kg", "of the stack that stays on the core at separation", 0.0, 1e8),
  field<&V::upper_stage, &UpperStage::propellant_load>("upper_stage", "propellant_load", "kg", "main propellant loaded", POSITIVE, 1e8),
  field<&V::upper_stage, &UpperStage::thrust>("upper_stage", "thrust", "N", "vacuum thrust at mainstage", POSITIVE, 1e9),
  field<&V::upper_stage, &UpperStage::exhaust_velocity>("upper_stage", "exhaust_velocity", "m/s", "vacuum thrust per kg/s of propellant", SLOWEST_EXHAUST, 1e5),
  field<&V::upper_stage, &UpperStage::exit_area>("upper_stage", "exit_area", "m^2", "of the main engine's nozzle", 0.0, BIG),
  field<&V::upper_stage, &UpperStage::ignition_ramp>("upper_stage", "ignition_ramp", "s", "thrust rise from ignition to mainstage", SHORTEST_RAMP, 100.0),
  field<&V::upper_stage, &UpperStage::dry_mass>("upper_stage", "dry_mass", "kg", "of the upper stage", POSITIVE, 1e8),
  field<&V::upper_stage, &UpperStage::unusable_propellant>("upper_stage", "unusable_propellant", "kg", "left in the tanks at cutoff", 0.0, 1e8),
  field<&V::upper_stage, &UpperStage::ullage_and_rcs_propellant>("upper_stage", "ullage_and_rcs_propellant", "kg", "booked in the mass budget", 0.0, 1e8),
  field<&V::ullage, &UllageMotors::thrust>("ullage", "thrust", "N", "of all motors together", POSITIVE, 1e8),
  field<&V::ullage, &UllageMotors::exhaust_velocity>("ullage", "exhaust_velocity", "m/s", "vacuum thrust per kg/s of propellant", SLOWEST_EXHAUST, 1e5),
  field<&V::ullage, &UllageMotors::exit_area>("ullage", "exit_area", "m^2", "of all nozzles", 0.0, BIG),
  field<&V::ullage, &UllageMotors::burn_before_ignition>("ullage", "burn_before_ignition", "s", "burn before the main engine's ignition", POSITIVE, 1000.0),
  field<&V::mass_budget, &MassBudgetRules::interstage_per_newton>("mass_budget", "interstage_per_newton", "kg/N", "interstage mass per newton of the largest force", 0.0, 1.0),
  field<&V::mass_budget, &MassBudgetRules::reserve_fraction>("mass_budget", "reserve_fraction", "1", "share of the stage's delta-V held in reserve", 0.0, 1.0),
  field<&V::mass_budget, &MassBudgetRules::deorbit_fraction>("mass_budget", "deorbit_fraction", "kg/kg", "deorbit propellant per kg of cutoff mass", 0.0, 1.0),
  field<&V::target, &TargetOrbit::altitude>("target", "altitude", "m", "average altitude of the orbit aimed at", 100000.0, 1000000.0),
  field<&V::target, &TargetOrbit::minimum_perigee>("target", "minimum_perigee", "m", "lowest perigee that is an orbit; optional: 100000 when left out", 0.0, 1000000.0, true),
  field<&V::limits, &LoadLimits::max_dynamic_pressure>("limits", "max_dynamic_pressure", "Pa", "largest dynamic pressure (0: none)", 0.0, BIG, true),
  field<&V::limits, &LoadLimits::max_q_alpha>("limits", "max_q_alpha", "Pa*deg", "largest dynamic pressure times angle of attack (0: none)", 0.0, BIG, true),
  field<&V::limits, &LoadLimits::max_axial_acceleration>("limits", "max_axial_acceleration", "m/s^2", "largest thrust over mass (0: none)", 0.0, BIG, true),
};

const std::array OPTIONAL_FIELDS{
  field<&V::target, &TargetOrbit::perigee>("target", "perigee", "m", "perigee altitude of the guided stage's orbit", MINIMUM_TARGET_PERIGEE, MAXIMUM_TARGET_APOGEE),
  field<&V::target, &TargetOrbit::apogee>("target", "apogee", "m", "apogee altitude of the guided stage's orbit", MINIMUM_TARGET_PERIGEE, MAXIMUM_TARGET_APOGEE),
};
// clang-format on

const VehicleField* find_in(std::span<const VehicleField> fields, std::string_view name) {
  for (const VehicleField& f : fields) {
    if (name.size() == f.group.size() + 1 + f.key.size() && name.starts_with(f.group) &&
        name[f.group.size()] == '.' && name.ends_with(f.key)) {
      return &f;
    }
  }
  return nullptr;
}

}  // namespace

std::string VehicleField::name() const {
  std::string text(group);
  text += '.';
  text += key;
  return text;
}

std::span<const VehicleField> vehicle_fields() { return FIELDS; }

const VehicleField* find_vehicle_field(std::string_view name) { return find_in(FIELDS, name); }

std::span<const VehicleField> optional_vehicle_fields() { return OPTIONAL_FIELDS; }

const VehicleField* find_optional_vehicle_field(std::string_view name) {
  return find_in(OPTIONAL_FIELDS, name);
}

}  // namespace ascent
