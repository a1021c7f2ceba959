// The vehicle and its launch site: two strap-on boosters, a core stage and
// the stage-3 stack (upper stage, payload and fairing).
#pragma once

#include "dynamics/real.hpp"

namespace ascent::vehicle {

// Launch site and Earth rotation.
inline constexpr Real LAUNCH_LATITUDE = 28.45L;     ///< [deg]
inline constexpr Real SIDEREAL_DAY = 86164.09L;     ///< [s] rotation period of the Earth

// Boosters: the thrust history of one booster comes from the booster thrust file.
inline constexpr int BOOSTER_COUNT = 2;
inline constexpr Real BOOSTER_EXHAUST_VELOCITY = 2605.4L;  ///< [m/s] vacuum thrust per kg/s
inline constexpr Real BOOSTER_PROPELLANT = 632489.0L;      ///< [kg] load of one booster
inline constexpr Real BOOSTER_SEPARATION_TIME = 128.4L;    ///< [s]
inline constexpr Real PITCH_OVER_ALTITUDE = 110.0L;        ///< [m] altitude that starts the kick
inline constexpr Real TURN_RATE = 0.5L;                    ///< [deg/s] pitch rate of kick and recovery

// Core stage.
inline constexpr Real CORE_THRUST = 9282548.16L;                ///< [N] vacuum thrust
inline constexpr Real CORE_EXHAUST_VELOCITY = 4420.8L;          ///< [m/s]
inline constexpr Real CORE_EXIT_AREA = 16.673713298791018L;     ///< [m^2]
inline constexpr Real CORE_DRY_MASS = 111580.0L;                ///< [kg] without the propellant burned at full thrust
inline constexpr Real FAIRING_JETTISON_TIME = 330.0L;           ///< [s]
inline constexpr Real FAIRING_MASS = 9707.0L;                   ///< [kg] payload fairing
inline constexpr Real TAIL_OFF_PROPELLANT = 1236.0L;            ///< [kg] burned while the thrust falls to zero
inline constexpr Real SEPARATION_COAST = 0.76L;                 ///< [s] core cutoff to separation

// Upper stage ("Stage 3") and its ullage motors.
inline constexpr Real ULLAGE_THRUST = 16012.0L;                 ///< [N]
inline constexpr Real ULLAGE_EXHAUST_VELOCITY = 2873.3L;        ///< [m/s]
inline constexpr Real ULLAGE_PROPELLANT = 32.32158145686145L;   ///< [kg] 5.8 s of ullage thrust
inline constexpr Real ULLAGE_EXIT_AREA = 0.005026548245743669L; ///< [m^2] four 4.5 cm nozzles
inline constexpr Real S3_PROPELLANT_LOAD = 45764.0L;            ///< [kg] main propellant loaded
inline constexpr Real S3_THRUST = 440372.0L;                    ///< [N] vacuum thrust at mainstage
inline constexpr Real S3_EXHAUST_VELOCITY = 4530.7L;            ///< [m/s]
inline constexpr Real S3_EXIT_AREA = 14.472072310503632L;       ///< [m^2]
inline constexpr Real S3_IGNITION_RATE = 169373.84615384616L;   ///< [N/s] thrust rise over the 2.6 s ramp
inline constexpr Real ORBIT_SPEED = 7784.245749961075L;         ///< [m/s] circular speed at 200 km

// Upper-stage mass budget.
inline constexpr Real INTERSTAGE_PER_NEWTON = 0.0006786651738936614L;  ///< [kg/N] of the largest force
inline constexpr Real RESERVE_FRACTION = 0.01L;   ///< reserve: propellant for 1 % of the stage's delta-V
inline constexpr Real S3_DRY_MASS = 14515.0L;               ///< [kg]
inline constexpr Real S3_UNUSABLE_PROPELLANT = 2524.0L;     ///< [kg]
inline constexpr Real DEORBIT_FRACTION = 0.0108694236074952L;  ///< [kg/kg] of the cutoff mass
inline constexpr Real S3_U_MP = 71.0L;                      ///< [kg] ullage and RCS propellant
inline constexpr Real TARGET_ALTITUDE = 200000.0L;          ///< [m] average orbit altitude aimed at

}  // namespace ascent::vehicle
