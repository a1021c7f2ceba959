// The nine components that the Runge-Kutta step integrates.
#pragma once

#include <array>

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

}  // namespace ascent
