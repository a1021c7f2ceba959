// The pages of a report, written once for every client (ascent-trim's
// --report and the Python package's ascent.report): what was run, the
// results as tables with their units, and the figures. A page looks the same
// whichever client asked for it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "studies/flight_recorder.hpp"
#include "studies/optimizer.hpp"
#include "studies/sensitivities.hpp"
#include "studies/study.hpp"
#include "studies/study_charts.hpp"
#include "studies/target.hpp"
#include "text/html_report.hpp"

namespace ascent::studies {

/// Name and value pairs: what was run (command, deck, thrust file, seed).
using Facts = std::vector<std::pair<std::string, std::string>>;

/// A flight: its results, its events and its history against time with the
/// events marked (without steps kept, the events only; without a flight,
/// the results only).
[[nodiscard]] HtmlReport flight_page(const std::string& title, const Facts& run,
                                     const Facts& results, const FlightRecorder* flight);

/// The results of a trim, a guided flight to a target orbit and the plan of
/// the largest payload, for the page of their flight.
[[nodiscard]] Facts trim_facts(const TrimResult& trim);
[[nodiscard]] Facts target_facts(const TargetResult& target);
[[nodiscard]] Facts optimum_facts(const OptimizeResult& optimum);

/// A sweep of turn times: the largest payload in orbit, the table of every
/// row, and the figures, rows not in orbit drawn apart.
[[nodiscard]] HtmlReport sweep_page(const Facts& run, const SweepColumns& sweep);

/// A dispersion study's cases and how it was run.
struct StudyPage {
  LoopMode mode = LoopMode::closed;
  std::vector<std::string> parameter_names;     ///< the dispersed parameters, in the set's order
  std::vector<CaseResult> cases;                ///< with their drawn values
  double nominal_maxa = 0.0;                    ///< [deg]
  double nominal_remaining_propellant = 0.0;    ///< [kg]
  double nominal_sc_mass = 0.0;                 ///< [kg]
  TargetOrbit target;                           ///< guided: the orbit aimed at
  /// The cases' impact points and each element's 99 % ellipse, when the study computed them.
  std::optional<GroundTrackColumns> impacts;
};

/// How the cases of a study fly, in words ("closed loop: every case trimmed
/// to the target").
[[nodiscard]] std::string loop_words(LoopMode mode);

/// The study's summary, its statistics with their units and quantiles, what
/// is met with 99.865 % probability (or why nothing is), what drives the
/// payload, and the figures of the spread.
[[nodiscard]] HtmlReport study_page(const Facts& run, const StudyPage& study);

/// The exchange ratios at a turn time, ranked by the effect of 1 % more.
[[nodiscard]] HtmlReport sensitivities_page(const Facts& run,
                                            const std::vector<ExchangeRatio>& ratios);

}  // namespace ascent::studies
