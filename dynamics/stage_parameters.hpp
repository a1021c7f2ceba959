// The parameters of the burning stage: constant during a step, set by the
// phases between steps.
#pragma once

#include "base/real.hpp"

namespace ascent {

struct StageParameters {
  Real m_fixed;      ///< [kg] vehicle mass other than m_prop
  Real thrust_rate;  ///< [N/s] rate of change of thrust_vac
  Real mdot_rate;    ///< [kg/s^2] rate of change of mdot
  Real exit_area;    ///< [m^2] nozzle exit area of the burning engines
  Real ref_area;     ///< [m^2] aerodynamic reference area
  Real pitch_rate;   ///< [rad/s] rate of change of pitch
  Real v_earth;      ///< [m/s] eastward surface speed at the launch latitude

  // Scales of the air model for dispersed flights; 1 leaves every product
  // unchanged to the last bit.
  Real drag_scale = 1.0L;     ///< [1] multiplies the drag coefficient
  Real density_scale = 1.0L;  ///< [1] multiplies the air density
  bool operator==(const StageParameters&) const = default;
};

}  // namespace ascent
