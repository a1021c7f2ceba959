// The flight state that the phases, the integrator and the observers share:
// the integrated state vector, the burning stage's parameters, the steering,
// the quantities derived after every step, the maxima, the maximum-force
// table and the size of the next step. Every field starts at zero but the two
// air-data scales, which start at the neutral 1, and the steering, which
// starts at the held angle.
#pragma once

#include <array>
#include <cstdint>

#include "base/real.hpp"
#include "dynamics/stage_parameters.hpp"
#include "dynamics/state_vector.hpp"
#include "dynamics/steering/steering_law.hpp"

namespace ascent {

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

  StageParameters stage;  ///< of the burning stage, constant during a step
  Steering steering;

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
  Real mass() const { return stage.m_fixed + m_prop; }

  // Step control.
  Real dt;  ///< [s] size of the next step; negative steps integrate backwards

  bool operator==(const FlightState&) const = default;
};

}  // namespace ascent
