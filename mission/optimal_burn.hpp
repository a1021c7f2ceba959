// The burn that reaches a target orbit with the least propellant, from the
// stage's present state, at constant thrust and mass flow in a central
// gravity field: the thrust along the primer vector, the costate of the
// velocity (D. F. Lawden, "Optimal trajectories for space navigation", 1963),
// found by shooting on the initial costates, the burn time and the place of
// the insertion on the target ellipse. The plane of flight is the frame:
// x along the radius at the start of the burn, y along the horizontal.
#pragma once

#include <array>
#include <optional>

namespace ascent {

/// [s] The longest burn sought: a stage that needs more is far too weak, and
/// its burn would wind about the Earth.
inline constexpr double LONGEST_BURN = 2000.0;

/// [rad] The first guess's pitch at ignition, about that of the optimal
/// burns of a stage whose thrust is a third of its weight.
inline constexpr double FIRST_GUESS_PITCH = 0.6;

/// A point of the plane [m] or a velocity in it [m/s].
using PlaneVector = std::array<double, 2>;

/// The target orbit, its orientation in the plane free.
struct TargetEllipse {
  double perigee_radius;  ///< [m] from the Earth's centre
  double apogee_radius;   ///< [m]
};

/// The stage at the start of the burn.
struct BurnStart {
  double radius;        ///< [m] from the Earth's centre
  double vr;            ///< [m/s] radial velocity
  double vt;            ///< [m/s] horizontal velocity
  double acceleration;  ///< [m/s^2] thrust over mass now
  double tau;           ///< [s] the time that would burn the whole mass
};

/// What the shooting solves for: the costates at the start of the burn (the
/// primer of unit length), the burn time and the true anomaly of the insertion.
struct BurnSolution {
  PlaneVector position_costate;  ///< [1/s] relative to the primer's length
  double primer_angle;           ///< [rad] of the primer from the x axis
  double burn_time;              ///< [s]
  double insertion_anomaly;      ///< [rad] true anomaly of the insertion on the target
};

/// The state and costates along a burn.
struct BurnArc {
  PlaneVector r, v;    ///< [m], [m/s]
  PlaneVector lr, lv;  ///< costates of the position and the velocity (lv: the primer)
};

/// The arc of `solution` from `start`, `span` seconds into the burn.
[[nodiscard]] BurnArc burn_arc(const BurnStart& start, const BurnSolution& solution, double span);

/// `arc`, `from` seconds into the burn from `start`, `span` seconds on.
[[nodiscard]] BurnArc advance_arc(const BurnArc& arc, const BurnStart& start, double from,
                                  double span);

/// The misses of the burn `solution` from `start` against `target`: the radius,
/// the radial and horizontal speeds at the end against those of the ellipse at
/// the insertion anomaly, and the two conditions of the free place (the
/// orientation of the ellipse and the anomaly on it), each scaled to order one.
[[nodiscard]] std::array<double, 5> burn_misses(const BurnStart& start,
                                                const BurnSolution& solution,
                                                const TargetEllipse& target);

/// The optimal burn from `start` by Newton's method from `guess`, at most
/// `iterations` steps; none when it does not converge or leaves the burns the
/// stage can fly (longer than tau or LONGEST_BURN).
[[nodiscard]] std::optional<BurnSolution> solve_optimal_burn(const BurnStart& start,
                                                             const TargetEllipse& target,
                                                             BurnSolution guess, int iterations);

/// A guess of the optimal burn from `start`: the primer turning evenly (the
/// linear tangent of a flat Earth) from `pitch` [rad] above the horizon to
/// the horizon at the end, whose direction has turned with the travel
/// around the Earth, over the burn the rocket equation gives for the
/// velocity missing at the target's perigee.
[[nodiscard]] BurnSolution first_guess(const BurnStart& start, const TargetEllipse& target,
                                       double pitch = FIRST_GUESS_PITCH);

/// The optimal burn from `start` without a guess: Newton's method from the
/// first guesses of a few pitches; none when no guess leads to it, or the
/// first guess's burn is longer than LONGEST_BURN.
[[nodiscard]] std::optional<BurnSolution> first_optimal_burn(const BurnStart& start,
                                                             const TargetEllipse& target);

}  // namespace ascent
