// The ideal rocket equation, in the form the upper stage's cutoff and its
// propellant reserve use.
#pragma once

#include <cmath>

#include "base/real.hpp"

namespace ascent {

/// [kg] the propellant a vehicle of mass `m` [kg] burns to gain the speed
/// x times its exhaust velocity: m (1 - e^-x), written m / (1 / (e^x - 1) + 1).
inline Extended propellant_for_speed_gain(Real m, Real x) {
  return m / (1.0L / (std::exp(Extended{x}) - 1.0L) + 1.0L);
}

}  // namespace ascent
