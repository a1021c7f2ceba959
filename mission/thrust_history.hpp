// The thrust history of one booster, read from a booster thrust file: records
// of mission time [s] and vacuum thrust [N], two numbers per record. Blanks
// and control characters before a number are skipped (so blank lines are
// allowed), and anything after the second number of a line is ignored. A
// line ends at LF, CR LF or CR alike.
//
// The file is read and checked once. A flight takes the records in order and
// meets the reason the reading stopped (the end of the file, or a record that
// cannot be flown) only when it needs a record beyond the last good one: a
// file may hold anything after the records the flight uses.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "base/real.hpp"
#include "base/runtime_error.hpp"

namespace ascent {

/// [s] Records are meant to lie 1 s apart; up to this far apart they are
/// flown (with a warning event beyond 1 s). A longer interval would be one
/// integration step of that length, through events and phases, and the first
/// record after booster separation would be reached only inside the core
/// phase: such a file cannot be flown.
inline constexpr double MAX_RECORD_INTERVAL = 10.0;

/// The name shown for a thrust history that comes from memory, not a file.
inline constexpr const char* RECORDS_IN_MEMORY = "records in memory";

struct ThrustRecord {
  Real t;       ///< [s] mission time
  Real thrust;  ///< [N] vacuum thrust of one booster
};

class ThrustHistory {
 public:
  /// Reads the booster thrust file at `path`. Throws FileError when it
  /// cannot be opened (2 when missing, 5 for a folder or no permission).
  static ThrustHistory read(const std::filesystem::path& path);
  /// A history from records in memory, checked as a file's records are.
  static ThrustHistory from_records(const std::vector<ThrustRecord>& records,
                                    std::string name = RECORDS_IN_MEMORY);

  /// The same history with every thrust multiplied by `factor` (> 0).
  [[nodiscard]] ThrustHistory scaled(double factor) const;

  /// Record `index` (0 for the first). Past the last good record, throws the
  /// FlightError of what stopped the reading: 100 when the file ended, 106 for
  /// a malformed number, 201 for a time that does not follow the one before
  /// or lies more than MAX_RECORD_INTERVAL after it, or a negative thrust.
  [[nodiscard]] const ThrustRecord& record(std::size_t index) const;

  [[nodiscard]] const std::vector<ThrustRecord>& records() const { return records_; }
  [[nodiscard]] const std::string& name() const { return name_; }

  /// Why no record follows the last: the error a flight meets past it.
  [[nodiscard]] ErrorCode stop_code() const { return stop_code_; }
  [[nodiscard]] const std::string& stop_message() const { return stop_message_; }
  /// The same records ending for `code` and `message`: a history rebuilt
  /// from its parts (a copy sent to another process) flies as the original.
  [[nodiscard]] ThrustHistory ending(ErrorCode code, std::string message) const;

 private:
  std::vector<ThrustRecord> records_;
  std::string name_;
  ErrorCode stop_code_ = ErrorCode::read_error;  ///< why no record follows the last
  std::string stop_message_;
};

}  // namespace ascent
