// ascent-trim's --report: a sweep or a dispersion study as one HTML page
// with what was run, the table the command printed and the study's figures.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "studies/flight_recorder.hpp"
#include "studies/study.hpp"
#include "studies/study_summary.hpp"
#include "studies/sweep.hpp"

namespace ascent::trim {

/// What was run: the command line, the vehicle deck, the thrust file and
/// what the command adds (seed, dispersion set...).
using ReportFacts = std::vector<std::pair<std::string, std::string>>;

/// The rows of a sweep and the trade table printed for them.
void write_sweep_report(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::vector<SweepRow>& rows, const std::string& table);

/// The cases of a dispersion study (with their drawn values), its summary
/// and the summary table printed for it.
void write_dispersion_report(const std::filesystem::path& path, const ReportFacts& facts,
                             const dispersion::StudySpec& study,
                             const std::vector<dispersion::CaseResult>& cases,
                             const dispersion::StudySummary& summary, const std::string& table);

/// The plan of an optimisation: the report printed for it and, when a plan
/// was found, its flight (altitude, speed, loads and events against time).
void write_optimum_page(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::string& table, const FlightRecorder* best_flight);

}  // namespace ascent::trim
