// Limits of the two step drivers, Simulation::run_for_time and
// Simulation::run_to_altitude.
#pragma once

namespace ascent {

/// Most forward steps run_to_altitude takes before it gives up on a
/// trajectory that does not climb past h_stop (the vertical rise that uses it
/// needs a few dozen).
inline constexpr int MAX_CLIMB_STEPS = 100000;

}  // namespace ascent
