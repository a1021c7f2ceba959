// Constants and tables of the U.S. Standard Atmosphere, 1976, as the
// atmosphere model holds them: the derived gas constants, the seven layers
// with linear temperature profiles up to 84852 m, and the tabulated pressure
// and density from 86 km to 1000 km.
#pragma once

#include <array>

#include "atmosphere/atmosphere.hpp"
#include "base/real.hpp"

namespace ascent {

// U.S. Standard Atmosphere, 1976: reference values, held in extended precision.
inline constexpr Extended G0 = 9.80665L;               ///< [m/s^2] standard gravity
inline constexpr Extended R_STANDARD = 6356766.0L;     ///< [m] the standard's Earth radius
inline constexpr Extended T_SEA_LEVEL = 288.15L;       ///< [K] base temperature of layer 0
inline constexpr Extended P_SEA_LEVEL = 101325.0L;     ///< [Pa] base pressure of layer 0
inline constexpr Extended SWITCH_ALTITUDE = 86000.0L;  ///< [m] geometric; upper model from here
inline constexpr Extended TOP_ALTITUDE = 1000000.0L;   ///< [m] geometric; the model's ceiling

// U.S. Standard Atmosphere, 1976: derived from g0, M0 = 28.9644 kg/kmol,
// R* = 8.31432 J/(mol K) and gamma = 1.4, to 20 significant digits.
inline constexpr Extended HYDROSTATIC_CONSTANT = 0.034163194736310365729L;  ///< [K/m] g0 M0 / R*
inline constexpr Extended DENSITY_CONSTANT = 0.0034836763559737897987L;     ///< [kg K/J] M0 / R*
inline constexpr Extended SOUND_SPEED_CONSTANT =
    401.87430086589054148L;  ///< [m^2/(s^2 K)] gamma R* / M0

/// Number of layers of the lower model.
inline constexpr int LAYERS = 8;
using LayerTable = std::array<Real, LAYERS>;

// U.S. Standard Atmosphere, 1976: layer bases and temperature gradients
// (64-bit values, hence double literals). Layer i reaches from layer_height[i]
// to layer_height[i+1]; layer 7 reaches from 84852 m up to the switch.
inline constexpr LayerTable layer_height{0.0,     11000.0, 20000.0, 32000.0,
                                         47000.0, 51000.0, 71000.0, 84852.0};  ///< [m] geopotential
inline constexpr LayerTable lapse_rate{-0.0065, 0.0,     0.001,  0.0028,
                                       0.0,     -0.0028, -0.002, 0.0};  ///< [K/m] geopotential

// U.S. Standard Atmosphere, 1976: pressure and density at 16 geometric altitudes.
inline constexpr NodeTable upper_height{86000.0,  100000.0, 115000.0, 130000.0, 150000.0, 175000.0,
                                        200000.0, 250000.0, 300000.0, 400000.0, 500000.0, 600000.0,
                                        700000.0, 800000.0, 900000.0, 1000000.0};  ///< [m]
inline constexpr NodeTable upper_pressure{3.7338e-1, 3.2011e-2, 4.0096e-3, 1.2505e-3,
                                          4.5422e-4, 1.7936e-4, 8.4736e-5, 2.4767e-5,
                                          8.7704e-6, 1.4518e-6, 3.0236e-7, 8.2130e-8,
                                          3.1908e-8, 1.7036e-8, 1.0873e-8, 7.5138e-9};  ///< [Pa]
inline constexpr NodeTable upper_density{6.958e-6,  5.604e-7,  4.289e-8,  8.152e-9,
                                         2.076e-9,  6.339e-10, 2.541e-10, 6.073e-11,
                                         1.916e-11, 2.803e-12, 5.215e-13, 1.137e-13,
                                         3.070e-14, 1.136e-14, 5.759e-15, 3.561e-15};  ///< [kg/m^3]

}  // namespace ascent
