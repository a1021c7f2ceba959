// A Monte Carlo dispersion study: many flights of the vehicle, each with its
// uncertain parameters drawn at random about the nominal values.
//
// Open loop, every case flies the nominal trimmed angle: how far the orbit
// disperses. Closed loop, every case is trimmed to the target average
// altitude as the nominal was: how much upper-stage propellant remains, and
// so the flight performance reserve and the payload one can promise. Guided,
// every case flies the nominal angle and its upper stage steers in closed
// loop to the target orbit: no trim per case.
//
//   const StudySpec setup =
//       prepare_study(settings, turn_time, default_dispersion_set(), LoopMode::closed);
//   run_study(setup, seed, 1000, 0, [&](const CaseResult& c) { rows.push_back(c); });
//   const StudySummary summary = summarize(rows);
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "studies/dispersion_set.hpp"
#include "studies/flight_ground.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::studies {

enum class LoopMode {
  open,    ///< every case flies the nominal trimmed angle
  closed,  ///< every case is trimmed to the target
  guided,  ///< every case flies the nominal angle, the upper stage guided to the target orbit
};

/// Everything a case needs: a worker that flies a chunk of cases builds it
/// once (prepare_study trims the nominal flight) and calls fly_case.
struct StudySpec {
  TrimSettings nominal;   ///< the undispersed vehicle and thrust history, the target
  TypedNumber turn_time;  ///< [s]
  DispersionSet dispersions;
  LoopMode mode = LoopMode::closed;
  TypedNumber nominal_maxa;  ///< [deg] the plan's angle, or the undispersed flight's trimmed one
  bool maxa_trimmed = true;            ///< the nominal angle came from a trim, not the plan
  FlightOutcome nominal_flight;        ///< the undispersed flight at that angle
  /// When set, where each case's dropped elements come down (closed loop:
  /// one more flight per case, at its trimmed angle).
  std::optional<GroundSettings> ground;
};

/// Prepares the study of the plan (`turn_time`, `maxa`): the nominal angle is
/// `maxa` when given, else the trimmed one (guided: the default law's,
/// studies/target.hpp); closed loop, the nominal is trimmed always, from
/// `maxa` when given. The nominal flight is flown at that angle. A vehicle
/// whose upper stage is guided makes the study guided, whatever `mode`.
/// Throws FlightError when the nominal angle cannot be trimmed or the thrust
/// history cannot be flown.
[[nodiscard]] StudySpec prepare_study(TrimSettings nominal, const TypedNumber& turn_time,
                                      DispersionSet dispersions, LoopMode mode,
                                      const std::optional<TypedNumber>& maxa = std::nullopt);

struct CaseResult {
  std::uint64_t seed = 0;
  std::size_t k = 0;
  std::vector<double> values;  ///< the drawn value of each dispersion, in the set's order
  /// How the case ended: its flight's outcome, or why it has none. Only
  /// in_orbit counts as a success.
  RowStatus status = RowStatus::flight_error;
  std::string message;  ///< why the case is not in orbit ("" in orbit)
  int flights = 0;      ///< flown for the case (closed loop: those of the trim)

  /// The flight reached separation (closed loop: at a trimmed angle), so the
  /// numbers below are those of its orbit and budget.
  bool flown = false;
  double maxa = 0.0;                  ///< [deg] flown; closed loop: the trimmed angle
  double perigee = 0.0;               ///< [m]
  double apogee = 0.0;                ///< [m]
  double average_altitude = 0.0;      ///< [m]
  double remaining_propellant = 0.0;  ///< [kg] upper-stage main propellant left at cutoff
  double SC_M = 0.0;                  ///< [kg] spacecraft mass the stage can carry
  double max_dynamic_pressure = 0.0;  ///< [Pa]
  double max_q_alpha = 0.0;           ///< [Pa*deg]
  double max_acceleration = 0.0;      ///< [m/s^2] thrust over mass
  /// Where its elements came down, when the study asks (of the flight at `maxa`).
  std::vector<ImpactRecord> impacts;

  [[nodiscard]] bool in_orbit() const { return status == RowStatus::in_orbit; }
};

/// The case flew to separation with both apsides within `tolerance` [m] of
/// the target orbit's: how well the guidance aims, whatever the propellant.
[[nodiscard]] bool near_target(const CaseResult& c, const TargetOrbit& target, double tolerance);

/// Flies case `k` of the study with `seed`. Pure: the same arguments give
/// the same result, bit for bit, on any thread and in any order.
[[nodiscard]] CaseResult fly_case(const StudySpec& setup, std::uint64_t seed, std::size_t k);

/// Called with each case, in case order, one call at a time.
using CaseSink = std::function<void(const CaseResult&)>;
/// Reports `done` of `total` cases handed on; called after each case.
using StudyProgress = std::function<void(std::size_t done, std::size_t total)>;

/// Flies cases 0 .. count-1 on `threads` threads (0: one per core) and hands
/// each to `sink`, on the calling thread, in case order as soon as it and
/// every case before it are done. Threads run at most a few cases ahead of
/// the sink, so the memory stays bounded whatever the count. `stop`, asked
/// on the calling thread between cases and at least every STOP_POLL
/// (studies/ordered_pool.hpp), ends the study early. Returns the number of
/// cases handed on (count unless stopped). An exception from the sink or the
/// progress stops the study and is thrown here.
std::size_t run_study(const StudySpec& setup, std::uint64_t seed, std::size_t count,
                      unsigned threads, const CaseSink& sink, const StudyProgress& progress = {},
                      const std::function<bool()>& stop = {});

}  // namespace ascent::studies
