// A launch vehicle described as elements and a flight described as phases
// ended by events, flown in three dimensions by fly_staged
// (mission/staged_flight.hpp).
//
// Elements are stages, groups of identical strap-ons and inert items
// (fairings, interstages), each ignited, shut down and jettisoned at a
// trigger: liftoff, a time, an altitude, the free-molecular heat flux, or
// another element's moment. The payload is a mass that flies. SI units and
// radians throughout; the deck reader converts degrees.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "atmosphere/air_model.hpp"
#include "base/linear_table.hpp"
#include "dynamics/earth_model.hpp"
#include "dynamics/launch_azimuth.hpp"
#include "dynamics/point_mass_motion.hpp"
#include "dynamics/vector3.hpp"
#include "mission/powered_explicit_guidance.hpp"
#include "mission/staged_throttle.hpp"
#include "mission/vehicle.hpp"

namespace ascent {

/// The moments of an element other triggers may wait for.
enum class ElementMoment { ignition, burnout, jettison };

/// When something happens: an element's ignition, shutdown or jettison, an
/// aerodynamic configuration's start, or a phase's end.
struct Trigger {
  enum class Kind {
    never,
    liftoff,          ///< at the start of the flight (t = 0)
    time,             ///< at mission time `value` [s]
    elapsed,          ///< `value` [s] after the phase started (phases only)
    after,            ///< `delay` [s] after `moment` of `element`
    own_burnout,      ///< at the element's own burnout (jettison only)
    depletion,        ///< when the element's propellant is used up (shutdown only)
    cutoff,           ///< at the end of the flight: the stage burns what the flight needs
    altitude,         ///< rising through `value` [m]
    heat_flux_below,  ///< rho V^3 / 2 falls below `value` [W/m^2] after exceeding it
    speed,            ///< the inertial speed reaches `value` [m/s]
    circular_speed,   ///< the inertial speed reaches the target's mean circular speed
    target_energy,    ///< the orbit's semi-major axis reaches the target's
    apogee,           ///< the radial velocity falls to zero in a coast (every engine off)
    apogee_altitude,  ///< the osculating orbit's apogee rises through `value` [m] altitude
  };
  Kind kind = Kind::never;
  double value = 0.0;
  std::size_t element = 0;  ///< index into StagedVehicle::elements (after)
  ElementMoment moment = ElementMoment::ignition;
  double delay = 0.0;  ///< [s]
  std::size_t burn = 0;  ///< which burn's ignition or burnout (after): 0 the first

  bool operator==(const Trigger&) const = default;
};

/// A burn of an element's engine after its first: the triggers that light
/// it again and stop it.
struct Relight {
  Trigger ignition;
  Trigger shutdown{Trigger::Kind::depletion};
  bool operator==(const Relight&) const = default;
};

/// A stage, a group of `count` identical strap-ons, or an inert item (no
/// propellant, no thrust: only a mass and a jettison).
struct Element {
  std::string name;
  int count = 1;
  double dry_mass = 0.0;          ///< [kg] of one unit (an inert item's whole mass)
  double propellant = 0.0;        ///< [kg] of one unit
  double thrust = 0.0;            ///< [N] vacuum thrust of one unit, when no table is given
  LinearTable thrust_table;       ///< [N] vacuum thrust of one unit against time since ignition
  double exhaust_velocity = 0.0;  ///< [m/s] vacuum thrust per kg/s of propellant
  double exit_area = 0.0;         ///< [m^2] of one unit's nozzles
  double min_throttle = 1.0;      ///< [1] of the vacuum thrust, the lowest the engine runs at
  double max_throttle = 1.0;      ///< [1] the highest
  Trigger ignition;                ///< of the first burn
  Trigger shutdown{Trigger::Kind::depletion};
  std::vector<Relight> relights;  ///< the burns after the first, in order
  Trigger jettison;

  [[nodiscard]] bool propulsive() const { return exhaust_velocity > 0.0; }
  /// How many times the engine is lit.
  [[nodiscard]] std::size_t burns() const { return 1 + relights.size(); }
  /// The trigger that lights burn `k` (0: the first).
  [[nodiscard]] const Trigger& ignition_of(std::size_t k) const {
    return k == 0 ? ignition : relights[k - 1].ignition;
  }
  /// The trigger that stops burn `k`.
  [[nodiscard]] const Trigger& shutdown_of(std::size_t k) const {
    return k == 0 ? shutdown : relights[k - 1].shutdown;
  }
  /// [N] vacuum thrust of one unit `burning` [s] after ignition.
  [[nodiscard]] double unit_thrust(double burning) const {
    return thrust_table.empty() ? thrust : thrust_table.at(burning);
  }
  /// [kg] mass of all units with full tanks.
  [[nodiscard]] double loaded_mass() const { return count * (dry_mass + propellant); }

  bool operator==(const Element&) const = default;
};

/// The drag of the vehicle from a trigger on, until the next configuration's.
struct AeroConfiguration {
  Trigger from;
  DragModel drag;
  bool operator==(const AeroConfiguration&) const = default;
};

/// Inertial thrust directions against mission time, linear between nodes
/// and normalised: the steering an optimiser fills.
struct DirectionTable {
  std::vector<double> times;       ///< [s] increasing
  std::vector<Vector3> directions;  ///< [1] inertial, one per time

  [[nodiscard]] bool empty() const { return times.empty(); }
  /// The unit direction at `t`, the end nodes' beyond them.
  [[nodiscard]] Vector3 at(double t) const;
  bool operator==(const DirectionTable&) const = default;
};

struct StagedSteering {
  enum class Kind {
    vertical,          ///< along the local vertical
    gravity_turn,      ///< along the air-relative path, turned by a pitch offset
    held_angle,        ///< at the angle from the inertial path the phase started with
    pitch_yaw_table,   ///< pitch above the horizon and azimuth against time
    direction_table,   ///< inertial directions against time
    vertical_law,      ///< the vertical-acceleration law within +-maxa of the inertial path
    coast,             ///< no steering needed (the engines are off)
    guided,            ///< explicit guidance into the target orbit (mission/powered_explicit_guidance.hpp)
  };
  Kind kind = Kind::gravity_turn;
  std::optional<double> pitch_offset;  ///< [rad] set at the phase's start, else carried on
  double pitch_rate = 0.0;             ///< [rad/s] of the offset
  LinearTable pitch;                   ///< [rad] above the local horizontal against time
  LinearTable yaw;                     ///< [rad] azimuth against time; the launch azimuth when empty
  DirectionTable directions;
  double law_exponent = 1.0;  ///< [1] n of the vertical-acceleration law
  double maxa = 0.0;          ///< [rad] its largest angle from the inertial path
  GuidanceTiming guidance;    ///< the guided steering's cycle and hold

  bool operator==(const StagedSteering&) const = default;
};

struct Phase {
  std::string name;
  StagedSteering steering;
  ThrottleLaw throttle;
  Trigger end;
  bool operator==(const Phase&) const = default;
};

struct StagedSite {
  double latitude = 0.0;   ///< [rad] geocentric, on the sphere
  double longitude = 0.0;  ///< [rad] from the inertial x axis at t = 0
  double altitude = 0.0;   ///< [m] above the sphere
  bool operator==(const StagedSite&) const = default;
};

struct StagedTarget {
  double perigee_altitude = 200000.0;  ///< [m]
  double apogee_altitude = 200000.0;   ///< [m]
  double inclination = 0.0;            ///< [rad]
  std::optional<double> ascending_node;       ///< [rad]
  std::optional<double> argument_of_perigee;  ///< [rad]
  double minimum_perigee = 100000.0;   ///< [m] altitude
  OrbitPass pass = OrbitPass::ascending;
  std::optional<double> azimuth;  ///< [rad] given instead of derived from the inclination

  bool operator==(const StagedTarget&) const = default;
};

struct StagedVehicle {
  std::string name;
  EarthModel earth;
  AirModel air;
  StagedSite site;
  std::vector<Element> elements;
  double payload = 0.0;  ///< [kg]
  std::vector<AeroConfiguration> aerodynamics;
  std::vector<Phase> phases;
  StagedTarget target;
  LoadLimits limits;
  double step = 1.0;         ///< [s] integration step
  double max_time = 10000.0;  ///< [s] a flight not over by then cannot reach orbit

  /// [kg] every element loaded and the payload.
  [[nodiscard]] double liftoff_mass() const;
  /// [m] semi-major axis of the target orbit.
  [[nodiscard]] double target_semi_major_axis() const;
  /// [m/s] circular speed at the target's mean altitude.
  [[nodiscard]] double target_circular_speed() const;
  /// [rad] the launch azimuth: given, or from the inclination (none below the latitude).
  [[nodiscard]] std::optional<double> launch_azimuth() const;
  /// The element of that name, or nullopt.
  [[nodiscard]] std::optional<std::size_t> element_named(const std::string& name) const;

  bool operator==(const StagedVehicle&) const = default;
};

}  // namespace ascent
