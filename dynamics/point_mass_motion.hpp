// Equations of motion of a point mass in the Earth-centred inertial frame:
// gravity with J2, thrust less the back-pressure loss on the nozzle exits,
// and drag on the velocity relative to the air, which turns with the Earth.
// The staged flight, the optimiser's transcription and the ballistic fall of
// spent stages all integrate these rates, with rk4_step.
#pragma once

#include "atmosphere/air_model.hpp"
#include "base/linear_table.hpp"
#include "dynamics/earth_model.hpp"
#include "dynamics/vector3.hpp"

namespace ascent {

/// What a point-mass flight integrates; the same type carries the rates.
struct PointMassState {
  Vector3 position;  ///< [m] from the Earth's centre, inertial axes
  Vector3 velocity;  ///< [m/s] inertial
  double mass;       ///< [kg]
};

inline PointMassState operator+(const PointMassState& a, const PointMassState& b) {
  return {a.position + b.position, a.velocity + b.velocity, a.mass + b.mass};
}
inline PointMassState operator*(double k, const PointMassState& s) {
  return {k * s.position, k * s.velocity, k * s.mass};
}

/// The engines' setting over a step.
struct ThrustSetting {
  Vector3 direction = Vector3::Zero();  ///< [1] unit vector, inertial axes
  double vacuum_thrust = 0.0;           ///< [N]
  double mass_flow = 0.0;               ///< [kg/s] propellant burned
  double exit_area = 0.0;               ///< [m^2] of all burning nozzles
};

/// The aerodynamics of a configuration: drag only, at zero angle of attack.
struct DragModel {
  double reference_area = 0.0;    ///< [m^2]
  double drag_coefficient = 0.0;  ///< [1] when no table is given
  LinearTable against_mach;       ///< [1] drag coefficient against Mach number

  [[nodiscard]] double coefficient(double mach) const {
    return against_mach.empty() ? drag_coefficient : against_mach.at(mach);
  }
  bool operator==(const DragModel&) const = default;
};

/// The vehicle's passage through the air at one position and velocity.
struct Airflow {
  double altitude;          ///< [m] above the sphere of the equatorial radius
  AirData air;              ///< ambient air at that altitude
  Vector3 air_velocity;     ///< [m/s] velocity relative to the turning air
  double air_speed;         ///< [m/s] its magnitude
  double mach;              ///< [1]
  double dynamic_pressure;  ///< [Pa]
};

[[nodiscard]] Airflow airflow(const EarthModel& earth, const AirModel& air,
                              const Vector3& position, const Vector3& velocity);

/// [N] vacuum thrust less pressure times exit area, not below 0.
[[nodiscard]] inline double effective_thrust(const ThrustSetting& thrust, double pressure) {
  const double T = thrust.vacuum_thrust - pressure * thrust.exit_area;
  return T > 0.0 ? T : 0.0;
}

/// The rates of the state with the airflow at it already known.
[[nodiscard]] PointMassState point_mass_rates(const PointMassState& state,
                                              const EarthModel& earth, const Airflow& flow,
                                              const ThrustSetting& thrust, const DragModel& drag);

/// The rates of the state: velocity, acceleration and mass flow.
[[nodiscard]] PointMassState point_mass_rates(const PointMassState& state,
                                              const EarthModel& earth, const AirModel& air,
                                              const ThrustSetting& thrust, const DragModel& drag);

/// One classical fourth-order Runge-Kutta step of `dt` [s] from `state` at
/// time `t`; `rates(time, trial_state)` gives the rates at a trial state.
template <class Rates>
[[nodiscard]] PointMassState rk4_step(const PointMassState& state, double t, double dt,
                                      Rates&& rates) {
  const double half = 0.5 * dt;
  const PointMassState k1 = rates(t, state);
  const PointMassState k2 = rates(t + half, state + half * k1);
  const PointMassState k3 = rates(t + half, state + half * k2);
  const PointMassState k4 = rates(t + dt, state + dt * k3);
  return state + (dt / 6.0) * (k1 + 2.0 * k2 + 2.0 * k3 + k4);
}

}  // namespace ascent
