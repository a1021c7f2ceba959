// Where a jettisoned element comes down: a ballistic three-dimensional flight
// from its jettison state, with gravity (central and J2) and drag on its own
// reference area and drag coefficient in the air that turns with the Earth,
// integrated with the point-mass rates and their RK4 step to the ground,
// where the last step ends exactly. An element whose orbit keeps its perigee
// above the sensible atmosphere reaches orbit and is not flown on.
#pragma once

#include "atmosphere/air_model.hpp"
#include "dynamics/earth_model.hpp"
#include "dynamics/geodetic.hpp"
#include "dynamics/point_mass_motion.hpp"

namespace ascent {

/// [1] drag coefficient of a spent element when its deck gives none: a
/// cylinder tumbling end over end, between its broadside (about 1.2) and
/// end-on (about 0.8) values.
inline constexpr double DEFAULT_FALL_DRAG_COEFFICIENT = 1.0;
/// [m] an element whose perigee stays this high above the surface reaches orbit.
inline constexpr double ORBIT_PERIGEE_ALTITUDE = 100.0e3;

/// What falls: its mass and its drag (a jettisoned element's own reference
/// area and drag coefficient; a table against Mach number where known).
struct FallingElement {
  double mass = 0.0;  ///< [kg]
  DragModel drag;
};

/// The world it falls through, and the pad downrange distances are measured from.
struct FallWorld {
  EarthModel earth;
  AirModel air;
  GroundFrame ground;  ///< the surface is altitude 0 on its figure
  Geodetic pad;        ///< the launch site
};

struct ImpactPoint {
  bool reaches_orbit = false;  ///< its perigee stays above ORBIT_PERIGEE_ALTITUDE: no impact
  double perigee_altitude = 0.0;  ///< [m] of the orbit at jettison, above the equatorial radius
  double time = 0.0;              ///< [s] since launch, at impact (at jettison when in orbit)
  Geodetic where;                 ///< latitude, longitude; altitude 0 at impact
  double downrange = 0.0;         ///< [m] along the surface from the pad
  double speed = 0.0;             ///< [m/s] relative to the ground at impact
  double flight_time = 0.0;       ///< [s] from jettison to impact
  int steps = 0;                  ///< RK4 steps taken
};

/// The fall of `element` from `state` (its mass is replaced by the
/// element's) at `time` [s] since launch.
[[nodiscard]] ImpactPoint ballistic_fall(const FallingElement& element, double time,
                                         const PointMassState& state, const FallWorld& world);

}  // namespace ascent
