#include "dynamics/point_mass_motion.hpp"

#include "dynamics/gravity.hpp"

namespace ascent {

Airflow airflow(const EarthModel& earth, const AirModel& air, const Vector3& position,
                const Vector3& velocity) {
  Airflow flow{};
  flow.altitude = position.norm() - earth.equatorial_radius;
  flow.air = air_data(air, flow.altitude);
  flow.air_velocity = velocity - earth.rotation().cross(position);
  flow.air_speed = flow.air_velocity.norm();
  flow.mach = flow.air_speed / flow.air.sound_speed;
  flow.dynamic_pressure = 0.5 * flow.air.density * flow.air_speed * flow.air_speed;
  return flow;
}

PointMassState point_mass_rates(const PointMassState& state, const EarthModel& earth,
                                const Airflow& flow, const ThrustSetting& thrust,
                                const DragModel& drag) {
  Vector3 force = effective_thrust(thrust, flow.air.pressure) * thrust.direction;
  if (flow.air_speed > 0.0) {
    const double D = flow.dynamic_pressure * drag.reference_area * drag.coefficient(flow.mach);
    force -= (D / flow.air_speed) * flow.air_velocity;
  }
  return {state.velocity, gravity(earth, state.position) + force / state.mass,
          -thrust.mass_flow};
}

PointMassState point_mass_rates(const PointMassState& state, const EarthModel& earth,
                                const AirModel& air, const ThrustSetting& thrust,
                                const DragModel& drag) {
  return point_mass_rates(state, earth, airflow(earth, air, state.position, state.velocity),
                          thrust, drag);
}

}  // namespace ascent
