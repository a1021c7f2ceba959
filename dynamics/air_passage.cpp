// What a flight computes once per state: the inertial flight-path angle and
// the passage through the air (its path angle only when asked for). The update after a step and the next step's
// first stage look at the same state, so each is kept for the last state
// asked about and given again while the state is the same, bit for bit.
#include "atmosphere/drag_coefficient.hpp"
#include "base/extended_math.hpp"
#include "dynamics/flight_dynamics.hpp"

namespace ascent {

Real FlightDynamics::flight_path_angle(Real vt, Real vr) {
  const bool same =
      angle_memo_.valid && same_bits(angle_memo_.vt, vt) && same_bits(angle_memo_.vr, vr);
  if (!same) angle_memo_ = {vt.value(), vr.value(), arctangent(vr / vt), true};
  return angle_memo_.beta;
}

const AirPassage& FlightDynamics::air_passage(Real h0, Real vt, Real vr, Real v_earth,
                                              bool with_path_angle) {
  const bool same = air_memo_.valid && same_bits(air_memo_.h0, h0) &&
                    same_bits(air_memo_.vt, vt) && same_bits(air_memo_.vr, vr) &&
                    same_bits(air_memo_.v_earth, v_earth);
  if (!same) {
    AirPassage& p = air_memo_.passage;
    p.rel = air_relative_motion(vt, vr, h0 + R_EARTH, v_earth);
    p.ambient = air_.atmosphere(h0);
    p.Cd = drag_coefficient(p.rel.v_rel / p.ambient.sound_speed);
    air_memo_.h0 = h0.value();
    air_memo_.vt = vt.value();
    air_memo_.vr = vr.value();
    air_memo_.v_earth = v_earth.value();
    air_memo_.valid = true;
    air_memo_.path_angle_known = false;
  }
  if (with_path_angle && !air_memo_.path_angle_known) {
    air_memo_.passage.rel.theta = earth_relative_path_angle(air_memo_.passage.rel, vr);
    air_memo_.path_angle_known = true;
  }
  return air_memo_.passage;
}

}  // namespace ascent
