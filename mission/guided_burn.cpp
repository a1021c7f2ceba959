// The guided mainstage burn: the orbit-insertion guidance steers every
// one-second step, and the burn cuts off when the orbit's energy reaches the
// target's. With the radius and the flight path the guidance has brought
// about, those of a point of the target orbit, the energy fixes the speed and
// so the whole orbit.
#include "mission/guided_burn.hpp"

#include <cmath>

#include "mission/ascent_flight.hpp"
#include "mission/orbit_insertion_guidance.hpp"
#include "mission/upper_stage_phase.hpp"

namespace ascent {

namespace {

/// [m] An apsis this far from the target's at cutoff: the guidance has not
/// converged, and the orbit is not the one asked for.
constexpr Extended MISSED_BY = 10000.0L;

}  // namespace

OrbitFailure burn_to_target_orbit(FlightDynamics& dynamics, const Vehicle& vehicle) {
  FlightState& s = dynamics.state;
  const UpperStage& stage = vehicle.upper_stage;
  const TargetEllipse target = target_ellipse(vehicle.target);
  const Real target_energy = orbital_energy(target);
  OrbitInsertionGuidance guidance(target, stage.exhaust_velocity);
  const auto energy = [&] { return orbital_energy(s.vt, s.vr, s.h0); };

  s.steering.law = HorizonSteering{};
  s.dt = 1.0L;
  do {
    const PitchCommand command =
        guidance.steer({s.vt, s.vr, s.h0, s.thrust_vac / s.mass()}, s.dt);
    s.pitch = command.pitch;
    s.stage.pitch_rate = command.pitch_rate;
    dynamics.rk4_step();
    const OrbitFailure reason = hopeless_burn(s, stage.propellant_load);
    if (reason != OrbitFailure::none) return reason;
    // The energy decides the cutoff only once the guidance has brought the
    // radius and the flight path near the target's: a stage dispersed high
    // and fast has the target's energy early, in the wrong place.
  } while (!(guidance.in_final_seconds() && energy() >= target_energy));

  // Back to the last state short of the target's energy, then the share of a
  // step that brings the energy to it: over one second the energy grows
  // almost linearly with time.
  const Real passed = energy();
  s.dt = -s.dt;
  dynamics.rk4_step();
  const Real short_of = energy();
  s.dt = (target_energy - short_of) / (passed - short_of);
  dynamics.rk4_step();
  s.stage.pitch_rate = 0.0L;
  const TargetOrbit& aimed = vehicle.target;
  if (std::fabs(s.perigee - aimed.perigee_altitude()) > MISSED_BY ||
      std::fabs(s.apogee - aimed.apogee_altitude()) > MISSED_BY) {
    return OrbitFailure::target_orbit_missed;
  }
  return OrbitFailure::none;
}

void AscentFlight::burn_to_target_orbit() {
  const OrbitFailure reason = ascent::burn_to_target_orbit(dynamics, vehicle);
  if (reason != OrbitFailure::none) give_up(reason);
}

}  // namespace ascent
