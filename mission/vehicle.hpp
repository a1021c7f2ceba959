// The vehicle and its launch site: two strap-on boosters, a core stage and the
// stage-3 stack (upper stage, interstage, payload and fairing), with the
// ascent's pitch programme and the orbit aimed at. Every number a flight uses
// is here; the default is the vehicle the sample booster thrust file was
// designed for. Quantities that follow from others are member functions, so
// that a change of one primary value keeps the whole vehicle consistent.
#pragma once

#include "base/real.hpp"

namespace ascent {

struct LaunchSite {
  double latitude = 28.45;  ///< [deg] the pad moves east with the Earth's rotation

  bool operator==(const LaunchSite&) const = default;
};

/// The pitch programme of the booster phase: a vertical rise to the pitch-over
/// altitude, a one-second kick, the hold of the turn time, a one-second recovery.
struct PitchProgram {
  double pitch_over_altitude = 110.0;  ///< [m] altitude that starts the kick
  double turn_rate = 0.5;              ///< [deg/s] pitch rate of the kick and the recovery

  bool operator==(const PitchProgram&) const = default;
};

/// The strap-on solid boosters. Their thrust history comes from the booster thrust file.
struct Boosters {
  int count = 2;
  double diameter = 5.2883;              ///< [m] of one booster's body
  double hidden_area = 0.038;            ///< [m^2] of one booster's cross-section behind the core
  double nozzle_exit_diameter = 3.8748;  ///< [m] of one booster's nozzle
  double dry_mass = 96751.0;             ///< [kg] of one booster
  double propellant = 632489.0;          ///< [kg] loaded in one booster
  double exhaust_velocity = 2605.4;      ///< [m/s] vacuum thrust per kg/s of propellant
  double separation_time = 128.4;        ///< [s] mission time of booster separation

  bool operator==(const Boosters&) const = default;
};

struct CoreStage {
  double dry_mass = 111580.0;             ///< [kg] with the propellant of the thrust tail-off
  double propellant = 963328.0;           ///< [kg] burned at full thrust
  double thrust = 9282548.16;             ///< [N] vacuum thrust
  double exhaust_velocity = 4420.8;       ///< [m/s]
  double exit_area = 16.673713298791018;  ///< [m^2] of the engines' nozzles
  double added_area = 2.073;              ///< [m^2] cross-section beyond the fairing's
  double tail_off_propellant = 1236.0;    ///< [kg] burned while the thrust falls to zero
  double separation_coast = 0.76;         ///< [s] from cutoff to separation

  bool operator==(const CoreStage&) const = default;
};

struct Fairing {
  double diameter = 8.407;       ///< [m] the stage-3 stack's cross-section
  double mass = 9707.0;          ///< [kg]
  double jettison_time = 330.0;  ///< [s] mission time

  bool operator==(const Fairing&) const = default;
};

/// How the upper stage's mainstage steers and when it cuts off.
enum class UpperStageGuidance {
  vertical_acceleration,  ///< the vertical-acceleration law to the target's circular speed
  orbit_insertion,        ///< closed-loop guidance to the target orbit's perigee
};

/// The upper stage ("Stage 3") and the stack it carries.
struct UpperStage {
  double stack_mass = 174000.0;             ///< [kg] interstage, stage, payload and fairing at liftoff
  double left_with_core = 3752.0;           ///< [kg] of the stack that stays on the core at separation
  double propellant_load = 45764.0;         ///< [kg] main propellant loaded
  double thrust = 440372.0;                 ///< [N] vacuum thrust at mainstage
  double exhaust_velocity = 4530.7;         ///< [m/s]
  double exit_area = 14.472072310503632;    ///< [m^2]
  double ignition_ramp = 2.6;               ///< [s] thrust rise from ignition to mainstage
  double dry_mass = 14515.0;                ///< [kg]
  double unusable_propellant = 2524.0;      ///< [kg]
  double ullage_and_rcs_propellant = 71.0;  ///< [kg] booked in the mass budget
  UpperStageGuidance guidance = UpperStageGuidance::vertical_acceleration;

  bool operator==(const UpperStage&) const = default;
};

/// The ullage motors that settle the upper stage's propellant before ignition.
struct UllageMotors {
  double thrust = 16012.0;                  ///< [N] of all motors together
  double exhaust_velocity = 2873.3;         ///< [m/s]
  double exit_area = 0.005026548245743669;  ///< [m^2] of all nozzles
  double burn_before_ignition = 3.2;        ///< [s]; they burn on through the ignition ramp

  bool operator==(const UllageMotors&) const = default;
};

/// How the upper stage's mass budget books what the flight does not fly.
struct MassBudgetRules {
  double interstage_per_newton = 0.0006786651738936614;  ///< [kg/N] of the largest force on the stack
  double reserve_fraction = 0.01;  ///< reserve: propellant for this share of the stage's delta-V
  double deorbit_fraction = 0.0108694236074952;  ///< [kg/kg] of the cutoff mass

  bool operator==(const MassBudgetRules&) const = default;
};

/// Lowest perigee [m] a target orbit may have: below it the air decays the orbit at once.
inline constexpr double MINIMUM_TARGET_PERIGEE = 100000.0;
/// Highest apogee [m] a target orbit may have, as high as target.altitude may be.
inline constexpr double MAXIMUM_TARGET_APOGEE = 1000000.0;

struct TargetOrbit {
  double altitude = 200000.0;         ///< [m] average altitude of the orbit aimed at
  double minimum_perigee = 100000.0;  ///< [m] a lower perigee is no orbit (the air brings it down)
  /// [m] perigee and apogee altitudes of an elliptic target for the guided
  /// stage; both 0 when the deck gives none: circular at `altitude`.
  double perigee = 0.0;
  double apogee = 0.0;

  [[nodiscard]] bool elliptic() const { return perigee != 0.0 || apogee != 0.0; }
  [[nodiscard]] double perigee_altitude() const { return elliptic() ? perigee : altitude; }
  [[nodiscard]] double apogee_altitude() const { return elliptic() ? apogee : altitude; }

  bool operator==(const TargetOrbit&) const = default;
};

/// The structural limits of the ascent's loads; 0 is no limit, and a deck
/// may leave any of them out.
struct LoadLimits {
  double max_dynamic_pressure = 0.0;    ///< [Pa]
  double max_q_alpha = 0.0;             ///< [Pa*deg] dynamic pressure times the aerodynamic angle
  double max_axial_acceleration = 0.0;  ///< [m/s^2] thrust over mass

  bool operator==(const LoadLimits&) const = default;
};

struct Vehicle {
  LaunchSite launch_site;
  PitchProgram pitch_program;
  Boosters boosters;
  CoreStage core;
  Fairing fairing;
  UpperStage upper_stage;
  UllageMotors ullage;
  MassBudgetRules mass_budget;
  TargetOrbit target;
  LoadLimits limits;

  // Derived quantities.
  [[nodiscard]] Real stack_area() const;         ///< [m^2] of the stage-3 stack
  [[nodiscard]] Real core_stack_area() const;    ///< [m^2] of the core with the stack
  [[nodiscard]] Real liftoff_area() const;       ///< [m^2] of the whole vehicle
  [[nodiscard]] Real booster_area() const;       ///< [m^2] of one booster's body
  [[nodiscard]] Real liftoff_exit_area() const;  ///< [m^2] of every nozzle burning on the pad
  [[nodiscard]] Real core_stack_mass() const;    ///< [kg] core stage, full, with the stack
  [[nodiscard]] Real liftoff_mass() const;       ///< [kg] everything on the pad
  [[nodiscard]] Real pad_propellant() const;     ///< [kg] the boosters' and the core's
  [[nodiscard]] Real turn_rate() const;          ///< [rad/s]
  [[nodiscard]] Real surface_speed() const;      ///< [m/s] eastward speed of the pad
  [[nodiscard]] Real core_burn_time() const;     ///< [s] from the pad to the core's tail-off
  [[nodiscard]] Real tail_off_time() const;      ///< [s] the thrust falls linearly to zero
  [[nodiscard]] Real ullage_burn_time() const;   ///< [s] before ignition and through the ramp
  [[nodiscard]] Real ullage_propellant() const;  ///< [kg] burned by the ullage motors
  [[nodiscard]] Real ignition_rate() const;      ///< [N/s] thrust rise of the upper stage's ramp
  [[nodiscard]] Real stage_base_mass() const;    ///< [kg] dry mass and unusable propellant
  [[nodiscard]] Real orbit_speed() const;        ///< [m/s] circular speed at the target altitude

  bool operator==(const Vehicle&) const = default;
};

}  // namespace ascent
