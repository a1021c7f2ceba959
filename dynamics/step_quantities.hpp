// Quantities recomputed from the state after every Runge-Kutta step.
#pragma once

#include "base/real.hpp"

namespace ascent {

/// What a step derives from the new state besides the flight-state fields.
struct StepQuantities {
  Real beta;   ///< [rad] inertial flight-path angle
  Real theta;  ///< [rad] Earth-relative flight-path angle
  Real Pq;     ///< [Pa] dynamic pressure (0 in vacuum steering)
  Real T;      ///< [N] effective thrust after back-pressure loss
  Real Cd;     ///< [1] drag coefficient (0 in vacuum steering)
  Real D;      ///< [N] drag
  Real alpha_aero;  ///< [rad] from the air-relative velocity to the thrust direction
};

}  // namespace ascent
