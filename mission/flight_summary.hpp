// The flight summary at the end of a run: the upper stage's mass budget, the
// orbit, the recommended maximum angle of attack, and the constants file.
#pragma once

#include "dynamics/flight_state.hpp"

namespace ascent {

class Simulation;

/// The upper stage's mass budget from a finished flight [kg]; every value is
/// a whole number of kilograms except S3_Mt.
struct MassBudget {
  Real S3_Mt;               ///< interstage, third stage and payload, fairing put back
  Real S3_Mi;               ///< interstage, from the largest force on the stage
  Real S3_Mp;               ///< main propellant used
  Real reserve_propellant;  ///< for 1 % of the stage's delta-V, plus 1 % of the deorbit propellant
  Real deorbit_propellant;
  Real S3_Ms;               ///< cutoff mass
  Real total_propellant;
  Real S3_U_Mp;             ///< ullage and RCS propellant
  Real SC_M;                ///< spacecraft mass the stage can carry
};

/// The budget for a flight ending in `state`, whose upper stage gained `dV_upper` [m/s].
[[nodiscard]] MassBudget upper_stage_mass_budget(const FlightState& state, Real dV_upper);

/// Writes the summary to the output channel and the constants file, and
/// updates the recommended-maxa memory of the simulation.
void write_flight_summary(Simulation& simulation, Real dV_upper);

}  // namespace ascent
