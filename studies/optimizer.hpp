// The plan that carries the largest payload: the turn time (within bounds)
// whose trimmed flight gives the largest spacecraft mass, subject to the
// upper stage's propellant and to the structural limits of the loads.
//
// Each point of the search is a trim, as a sweep's row is: the default
// steering law reaches the target average altitude only through the trimmed
// maximum angle of attack. The objective is the unrounded spacecraft mass,
// which moves with every change of the flight where the budget's SC_M moves
// in whole kilograms.
//
// A guided upper stage (orbit_insertion) reaches the target orbit by itself,
// so the core stage's maximum angle of attack is free: the plan then has two
// variables, the turn time and the angle (from 0 to the largest, scanned
// about the angle the default law trims the turn time to), and each
// point of the search is one guided flight, feasible when it is in orbit.
#pragma once

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "studies/trim_solver.hpp"

namespace ascent::studies {

struct OptimizeSettings {
  TrimSettings trim;  ///< vehicle (with its load limits), thrust history, target, tolerance
  double from = 20.0;  ///< [s] shortest turn time
  double to = 115.0;   ///< [s] longest turn time
  LoadLimits limits{};  ///< besides the vehicle's; the stricter of each pair holds
  double turn_time_tolerance = 0.1;  ///< [s] the search stops when its steps are shorter
  int max_trims = 40;                 ///< trims (guided flights) of each refinement after the scan
  double maxa_tolerance = 0.01;       ///< [deg] of a guided search's angle
};

/// The vehicle's upper stage guides itself to the orbit: the search varies the angle too.
[[nodiscard]] bool searches_maxa(const OptimizeSettings& settings);

/// Decimals of the turn times the search flies.
inline constexpr int OPTIMUM_TURN_TIME_DECIMALS = 3;

/// What holds the optimum where it is.
enum class Constraint {
  shortest_turn_time,
  longest_turn_time,
  propellant,  ///< the upper stage burns all it holds
  dynamic_pressure,
  q_alpha,
  axial_acceleration,
};

/// "dynamic pressure limit", "shortest turn time", ...
[[nodiscard]] std::string_view constraint_name(Constraint constraint);

struct OptimizeResult {
  /// The best feasible trim of the search; none when no point was feasible.
  /// In a guided search, each "trim" is one guided flight at its plan's
  /// angle, counted trimmed when its stage reached the orbit.
  std::optional<TrimResult> best;
  std::vector<Constraint> active;  ///< the constraints that bind at the optimum
  std::vector<TrimResult> trims;   ///< every trim (or guided flight) of the search, in order
  std::size_t flights = 0;         ///< flown in all the trims
  LoadLimits limits{};             ///< the limits the search kept to
};

/// Called after each trim of the search.
using OptimizeProgress = std::function<void(const TrimResult&)>;

/// Searches the turn time (and for a guided stage the angle) of the largest
/// payload. Throws InputError for turn times out of the sweep's range or
/// not in order and for a limit that is no finite number of at least 0;
/// else what a trim or a flight throws; an exception from
/// `progress` ends the search and is thrown here.
[[nodiscard]] OptimizeResult optimize_payload(const OptimizeSettings& settings,
                                              const OptimizeProgress& progress = {});

}  // namespace ascent::studies
