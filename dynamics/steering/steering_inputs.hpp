// What a steering law sees of the vehicle at one state, and what it gives
// back: the accelerations of the inertial velocity components.
#pragma once

#include "base/earth.hpp"
#include "base/extended_math.hpp"
#include "base/real.hpp"

namespace ascent {

/// The state as the steering sees it, at a trial state of a Runge-Kutta step
/// or at the state after it. At a trial state a law that does not fly in the
/// air is given no air data (theta, vt_rel, v_rel, T and D are 0), and a law
/// that does not read the flight-path angles no beta or no theta.
struct SteeringInputs {
  Real vt;          ///< [m/s] inertial horizontal velocity
  Real vr;          ///< [m/s] radial velocity
  Real r;           ///< [m] distance from the Earth's centre
  Real m;           ///< [kg] vehicle mass
  Real pitch;       ///< [rad] pitch offset
  Real thrust_vac;  ///< [N] vacuum thrust
  Real beta;        ///< [rad] inertial flight-path angle
  Real theta;       ///< [rad] Earth-relative flight-path angle
  Real vt_rel;      ///< [m/s] horizontal velocity relative to the air
  Real v_rel;       ///< [m/s] speed relative to the air
  Real T;           ///< [N] effective thrust
  Real D;           ///< [N] drag
  Real alpha;       ///< [rad] held angle from the inertial flight path to the thrust
  Real maxa;        ///< [rad] largest |alpha| a closed-loop law may hold
};

/// [m/s^2] accelerations of vt and vr, unrounded: the step multiplies them by dt.
struct Accelerations {
  Extended vt;
  Extended vr;
};

/// Thrust and drag along their directions (the sines and cosines of their
/// angles above the local horizontal), gravity and the terms of the turning
/// frame.
inline Accelerations thrust_and_drag(const SineCosine& thrust_direction,
                                     const SineCosine& drag_direction, const SteeringInputs& in) {
  return {(in.T * thrust_direction.cos - in.D * drag_direction.cos) / in.m - in.vr * in.vt / in.r,
          (in.T * thrust_direction.sin - in.D * drag_direction.sin) / in.m + in.vt * in.vt / in.r -
              MU / (in.r * in.r)};
}

/// Thrust at phi above the local horizontal, drag along the Earth-relative
/// path. Thrust along the path (the boosters' gravity turn without a pitch
/// offset) shares its directions.
inline Accelerations thrust_at_angle_in_air(Real phi, const SteeringInputs& in) {
  const SineCosine path_direction = sine_cosine(in.theta);
  return thrust_and_drag(same_bits(phi, in.theta) ? path_direction : sine_cosine(phi),
                         path_direction, in);
}

}  // namespace ascent
