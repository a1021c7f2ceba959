// The flight state: the one record every part of the simulation shares.
//
// It holds the integrated state vector, the parameters of the burning stage,
// the steering mode, the quantities derived after every step, the maxima, the
// maximum-force table and the step control. Every field starts at zero but
// the two air-data scales, which start at the neutral 1.
#pragma once

#include <array>
#include <cstdint>

#include "base/real.hpp"

namespace ascent {

/// The nine components that the Runge-Kutta step integrates. The same type
/// carries the increments of one stage (derivatives already multiplied by dt).
struct StateVector {
  Real vt;          ///< [m/s] inertial horizontal velocity, positive eastward
  Real vr;          ///< [m/s] radial velocity, positive upward
  Real h0;          ///< [m] altitude above the sphere of radius R_EARTH
  Real r0;          ///< [m] downrange distance over the rotating surface
  Real pitch;       ///< [rad] pitch offset added to the thrust direction
  Real m_prop;      ///< [kg] propellant left in the burning stage or stages
  Real mdot;        ///< [kg/s] propellant mass-flow rate, negative while burning
  Real thrust_vac;  ///< [N] vacuum thrust of the burning engines
  Real dV;          ///< [m/s] accumulated ideal velocity gain

  /// The components in integration order, for component-wise formulas.
  static constexpr std::array<Real StateVector::*, 9> components{
      &StateVector::vt,     &StateVector::vr,   &StateVector::h0,
      &StateVector::r0,     &StateVector::pitch, &StateVector::m_prop,
      &StateVector::mdot,   &StateVector::thrust_vac, &StateVector::dV};

  bool operator==(const StateVector&) const = default;
};

/// Steering modes of the equations of motion.
enum SteerMode : std::int32_t {
  FLIGHT_PATH_STEERING = 0,   ///< thrust along a flight-path angle plus offsets
  VERTICAL_ACCEL_LAW = 1,     ///< radial acceleration follows K*|vr|^n, |alpha| <= maxa
  VACUUM_STEERING = 2,        ///< no air, no drag, thrust at pitch above the flight path
  HORIZON_STEERING = 3,       ///< thrust at pitch above the local horizontal, with drag
};

/// One stack of the vehicle in the maximum-force table.
struct ForceEntry {
  Real force_mass;   ///< [kg] mass of the stack
  Real force_area;   ///< [m^2] drag area of the stack
  Real max_force;    ///< [N] largest force seen on the stack
  Real max_force_t;  ///< [s] time of max_force

  bool operator==(const ForceEntry&) const = default;
};

struct FlightState : StateVector {
  Real t;  ///< [s] mission time

  // Stage parameters, constant during a step.
  Real m_fixed;      ///< [kg] vehicle mass other than m_prop
  Real thrust_rate;  ///< [N/s] rate of change of thrust_vac
  Real mdot_rate;    ///< [kg/s^2] rate of change of mdot
  Real exit_area;    ///< [m^2] nozzle exit area of the burning engines
  Real ref_area;     ///< [m^2] aerodynamic reference area
  Real pitch_rate;   ///< [rad/s] rate of change of pitch
  Real v_earth;      ///< [m/s] eastward surface speed at the launch latitude

  // Scales of the air model for dispersed flights; 1 leaves every product
  // unchanged to the last bit.
  Real drag_scale = 1.0L;     ///< [1] multiplies the drag coefficient
  Real density_scale = 1.0L;  ///< [1] multiplies the air density

  // Steering.
  std::int32_t steer_mode = FLIGHT_PATH_STEERING;
  bool steer_rel = false;  ///< mode 0: follow the Earth-relative path (else alpha from inertial)
  bool vlaw_init = false;  ///< mode 1: calibrate vlaw_k at the next derivative evaluation
  Real vlaw_n;             ///< [1] exponent of the vertical-acceleration law
  Real vlaw_k;             ///< [m/s^2 per (m/s)^n] coefficient of the law
  Real alpha;              ///< [rad] held angle from the inertial flight path to the thrust
  Real maxa;               ///< [rad] largest |alpha| that mode 1 allows

  // Derived after every step.
  Real a;        ///< [m/s^2] thrust acceleration (no drag, no gravity)
  Real vi;       ///< [m/s] inertial speed
  Real sma;      ///< [m] semi-major axis of the osculating orbit
  Real ecc;      ///< [1] eccentricity of the osculating orbit
  Real perigee;  ///< [m] perigee radius minus R_EARTH
  Real apogee;   ///< [m] apogee radius minus R_EARTH

  // Maxima of the flight.
  Real a_max;    ///< [m/s^2] largest thrust acceleration of the flight
  Real a_max_t;  ///< [s]
  Real q_max;    ///< [Pa]
  Real q_max_t;  ///< [s]
  Real qa_max;   ///< [Pa*rad] largest dynamic pressure times |aerodynamic angle of attack|
  Real qa_max_t; ///< [s]

  // Maximum-force table, entries numbered from 1 (see force()).
  std::int16_t force_count = 0;
  std::array<ForceEntry, 3> force_table{};

  /// Entry k of the maximum-force table, k = 1 .. 3.
  ForceEntry& force(int k) { return force_table.at(static_cast<std::size_t>(k - 1)); }
  const ForceEntry& force(int k) const { return force_table.at(static_cast<std::size_t>(k - 1)); }

  /// [kg] the vehicle mass m_fixed + m_prop.
  Real mass() const { return m_fixed + m_prop; }

  // Step control of the drivers.
  Real dt;      ///< [s] size of the next step; negative steps integrate backwards
  Real t_rem;   ///< [s] time still to fly
  Real h_stop;  ///< [m] altitude limit of run_to_altitude

  bool operator==(const FlightState&) const = default;
};

}  // namespace ascent
