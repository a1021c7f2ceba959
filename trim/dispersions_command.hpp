// The subcommand "dispersions" of ascent-trim: a Monte Carlo dispersion study
// on every core, a CSV row per case as it completes, a summary table.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <ostream>
#include <string>

#include "studies/flight_ground.hpp"
#include "text/file_guard.hpp"
#include "studies/trim_solver.hpp"
#include "trim/html_reports.hpp"

namespace ascent::trim {

struct DispersionsOptions {
  std::size_t cases = 1000;
  std::uint64_t seed = 1;
  bool open_loop = false;
  bool guided = false;     ///< the nominal angle and the guided upper stage in every case
  std::string set_file;    ///< "" for the built-in default set
  unsigned jobs = 0;       ///< threads; 0: one per core
  std::string cases_file;  ///< the CSV of the cases; "" for none
  double maxa = 0.0;       ///< [deg] the nominal angle, when maxa_given
  bool maxa_given = false;  ///< --maxa: the plan's angle instead of the trimmed one
  std::string plan_file;   ///< the plan (turn time and angle) from `optimize --csv`; "" for none
  std::string impacts_file;   ///< the CSV of the impact points, a row per case and element; ""
  std::string kml_file;       ///< the KML map of the nominal track and the impacts; ""
  studies::GroundSettings ground;  ///< where the pad is, on what figure
};

/// Adds "dispersions" with its options to `app`; the caller adds the turn
/// time, which --plan gives instead.
CLI::App* add_dispersions_command(CLI::App& app, DispersionsOptions& options);

/// Runs the study of `turn_time` (or of the plan file's plan, the file then
/// guarded as read) on the trim settings of the command line
/// and writes its summary to `out`. `guard` already holds the files the
/// program reads. With a `report_file`, the study is also written there as
/// a page that opens with `facts`. Returns the exit status (1 when no case
/// is in orbit); throws what stops the study.
int run_dispersions_command(const DispersionsOptions& options,
                            const studies::TrimSettings& settings,
                            const studies::TypedNumber& turn_time, FileGuard& guard,
                            std::ostream& out, const std::string& report_file = "",
                            ReportFacts facts = {});

}  // namespace ascent::trim
