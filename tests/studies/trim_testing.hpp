// Shared by the ascent-trim tests: the sample thrust file, thrust files
// scaled from it, and the rows and event lines of an output file of ascent.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/session.hpp"
#include "studies/trim_solver.hpp"

namespace ascent::testing {

inline std::filesystem::path sample_thrust_path() {
  return ASCENT_SAMPLE_THRUST;
}

/// Trim settings on the sample thrust file.
studies::TrimSettings sample_settings();

/// The sample's thrust history cut after its first `records` records: it
/// ends before booster separation.
inline ThrustHistory cut_thrust_history(std::size_t records) {
  const ThrustHistory sample = ThrustHistory::read(sample_thrust_path());
  const std::vector<ThrustRecord>& all = sample.records();
  return ThrustHistory::from_records({all.begin(), all.begin() + static_cast<long>(records)});
}

/// Writes a copy of the sample thrust file with every thrust times `factor`.
std::filesystem::path scaled_thrust_file(const TempDir& dir, double factor);

/// A row of the trajectory table as written to an output file.
struct TableRow {
  double t, a, vi, h0, r0, alpha, beta, theta, Pq, mass;
};

/// A line of an output file: a table row, or any other line.
struct OutputLine {
  bool is_row = false;
  TableRow row{};
  std::string text;
};

/// The lines of an output file (CR LF line ends), table rows parsed.
std::vector<OutputLine> output_lines(const std::string& bytes);

/// The trimmed result for the sample thrust file at 20 s, computed once.
const studies::TrimResult& trimmed_at_20s();

}  // namespace ascent::testing
