// The optimal ascent of a staged vehicle: the thrust direction over every
// burn phase and the end of the last burn that deliver the most mass to an
// orbit given by some of its elements. Each phase burns at a constant thrust
// and mass flow (the elements burning between two staging events); spent
// elements drop at the phase's start. The point-mass equations of motion of
// the flight engine are the collocation's defects.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "atmosphere/air_model.hpp"
#include "dynamics/earth_model.hpp"
#include "dynamics/point_mass_motion.hpp"
#include "studies/optimal_control.hpp"

namespace ascent::studies {

struct BurnPhase {
  std::string name;            ///< the elements burning, for reports
  double duration = 0.0;       ///< [s] or the longest when the phase ends the flight
  double vacuum_thrust = 0.0;  ///< [N] of all burning engines
  double mass_flow = 0.0;      ///< [kg/s] of all burning engines
  double exit_area = 0.0;      ///< [m^2] of all burning nozzles
  DragModel drag;
  double dropped_mass = 0.0;   ///< [kg] jettisoned at the phase's start
  int segments = 10;           ///< collocation segments
};

/// The orbit asked for: any of its elements, angles in radians. A circular
/// orbit is asked by its radius instead of a and e (an eccentricity of 0 is
/// no smooth condition): the radius, no radial velocity, the circular speed.
struct TargetOrbit {
  std::optional<double> semi_major_axis;      ///< [m]
  std::optional<double> eccentricity;         ///< [1]
  std::optional<double> inclination;          ///< [rad]
  std::optional<double> ascending_node;       ///< [rad]
  std::optional<double> argument_of_perigee;  ///< [rad]
  std::optional<double> circular_radius;      ///< [m]
};

/// Limits that hold at every point of the flight.
struct PathLimits {
  std::optional<double> dynamic_pressure;    ///< [Pa]
  std::optional<double> q_alpha;             ///< [Pa rad] dynamic pressure times the angle of attack
  std::optional<double> axial_acceleration;  ///< [m/s^2] effective thrust over mass
};

struct AscentProblem {
  EarthModel earth;
  AirModel air;
  double latitude = 0.0;   ///< [rad] of the launch site, geocentric
  double longitude = 0.0;  ///< [rad] from the inertial x axis at liftoff
  double altitude = 0.0;   ///< [m] above the equatorial radius
  /// [rad] of the first guess's plane; from the target's inclination when none.
  std::optional<double> azimuth;
  double liftoff_mass = 0.0;  ///< [kg]
  std::vector<BurnPhase> phases;  ///< the last one's end is free
  TargetOrbit target;
  PathLimits limits;
};

/// One element of the orbit reached against its target.
struct ElementMiss {
  std::string name;  ///< "semi-major axis", "inclination", "radial velocity", ...
  double value;      ///< [m], [1], [rad] or [m/s]
  double target;
  double miss;       ///< value less target, angles wrapped to (-pi, pi]
};

/// The largest value of a limited quantity over the optimum's points.
struct PathPeak {
  std::string name;     ///< "dynamic pressure", "q alpha", "axial acceleration"
  double largest;       ///< [Pa], [Pa rad] or [m/s^2]
  double time;          ///< [s] where it is largest
  double limit;
  bool active;          ///< the limit holds the optimum: the peak is at it
};

struct AscentOptimum {
  Solution solution;               ///< the collocation's points, iterations and time
  double final_mass = 0.0;         ///< [kg]
  double final_time = 0.0;         ///< [s]
  std::vector<double> phase_ends;  ///< [s] of each phase
  std::vector<ElementMiss> elements;
  std::vector<PathPeak> limits;  ///< one for each limit asked
  /// The element that cannot be met (when the solve failed): its name and
  /// the least miss that can be reached, or none.
  std::optional<ElementMiss> unmet;
};

/// The state components of the collocation: position, velocity, mass.
inline constexpr int ASCENT_STATES = 7;

/// The collocation problem of the ascent (exposed for tests and the flown check).
[[nodiscard]] Problem ascent_collocation(const AscentProblem& ascent);

/// Maximises the final mass. Throws std::invalid_argument for a problem that
/// cannot be posed (no phase, no target element, a phase of no thrust, a
/// mass not positive), Interrupted when a signal ends the solve.
[[nodiscard]] AscentOptimum optimize_ascent(const AscentProblem& ascent, const SolveSettings& settings = {});

}  // namespace ascent::studies
