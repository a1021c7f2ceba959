// ascent-trim's --report: the page of a trim, a guided flight to a target,
// a sweep, a dispersion study, the plan of the largest payload or the
// exchange ratios, as the studies library writes each for every client.
#pragma once

#include <filesystem>
#include <vector>

#include "studies/flight_recorder.hpp"
#include "studies/impact_dispersion.hpp"
#include "studies/report_pages.hpp"
#include "studies/study.hpp"
#include "studies/sweep.hpp"

namespace ascent::trim {

/// What was run: the command line, the vehicle deck, the thrust file and
/// what the command adds (seed, dispersion set...).
using ReportFacts = studies::Facts;

void write_sweep_report(const std::filesystem::path& path, const ReportFacts& facts,
                        const std::vector<studies::SweepRow>& rows);

/// The cases of a dispersion study, with their drawn values.
void write_dispersion_report(const std::filesystem::path& path, const ReportFacts& facts,
                             const studies::StudySpec& study,
                             const std::vector<studies::CaseResult>& cases,
                             const std::vector<studies::ImpactDispersion>& spreads = {});

/// A flight (that of a trim, a guided flight, the plan of an optimisation)
/// with `results` first; without a flight, the results only.
void write_flight_report(const std::filesystem::path& path, const std::string& title,
                         const ReportFacts& facts, const ReportFacts& results,
                         const studies::FlightRecorder* flight);

void write_sensitivities_report(const std::filesystem::path& path, const ReportFacts& facts,
                                const std::vector<studies::ExchangeRatio>& ratios);

}  // namespace ascent::trim
