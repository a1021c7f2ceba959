// The guided mainstage burn: the orbit-insertion guidance steers every
// one-second step, and the burn cuts off when the orbit's energy reaches the
// target's. With the radius and the horizontal flight path the guidance has
// brought about, the energy fixes the speed and so the whole orbit.
#include "base/earth.hpp"
#include "mission/ascent_flight.hpp"
#include "mission/orbit_insertion_guidance.hpp"
#include "mission/upper_stage_phase.hpp"

namespace ascent {

namespace {

/// A guided burn that has used this many loads of propellant beyond its own
/// cannot end in the orbit asked for; the stage only falls or runs away.
constexpr Extended PROPELLANT_LOADS_BEYOND = 1.0L;

}  // namespace

void AscentFlight::burn_to_target_orbit() {
  const UpperStage& stage = vehicle.upper_stage;
  const InsertionPoint target = insertion_point(vehicle.target);
  OrbitInsertionGuidance guidance(target, stage.exhaust_velocity);
  const auto energy = [&] { return orbital_energy(s.vt, s.vr, s.h0); };

  s.steer_mode = HORIZON_STEERING;
  s.dt = 1.0L;
  do {
    const PitchCommand command =
        guidance.steer({s.vt, s.vr, s.h0, s.thrust_vac / s.mass()}, s.dt);
    s.pitch = command.pitch;
    s.pitch_rate = command.pitch_rate;
    dynamics.rk4_step();
    const OrbitFailure reason = hopeless_burn(s);
    if (reason != OrbitFailure::none) give_up(reason);
    if (s.m_prop < -PROPELLANT_LOADS_BEYOND * stage.propellant_load) {
      give_up(OrbitFailure::propellant_far_exceeded);
    }
  } while (energy() < target.energy);

  // Back to the last state short of the target's energy, then the share of a
  // step that brings the energy to it: over one second the energy grows
  // almost linearly with time.
  const Real passed = energy();
  s.dt = -s.dt;
  dynamics.rk4_step();
  const Real short_of = energy();
  s.dt = (target.energy - short_of) / (passed - short_of);
  dynamics.rk4_step();
  s.pitch_rate = 0.0L;
}

}  // namespace ascent
