// Reader of the booster thrust file: records of mission time [s] and vacuum
// thrust of one booster [N], two numbers per record. Blanks and control
// characters before a number are skipped (so blank lines are allowed), and
// anything after the second number of a line is ignored.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "dynamics/real.hpp"

namespace ascent {

/// [s] Records are meant to lie 1 s apart; up to this far apart they are
/// flown (with a warning line beyond 1 s). A longer interval would be one
/// integration step of that length, through events and phases, and the first
/// record after booster separation would be reached only inside the core
/// phase: such a file cannot be flown.
inline constexpr double MAX_RECORD_INTERVAL = 10.0;

struct BoosterRecord {
  Real t;       ///< [s] mission time
  Real thrust;  ///< [N] vacuum thrust of one booster
};

class BoosterThrustFile {
 public:
  /// Opens the file for reading; a missing file is error 2.
  explicit BoosterThrustFile(const std::filesystem::path& path);

  /// Reads the next record. Throws RuntimeError naming the file and the
  /// record: 100 when the file ends first, 106 for a malformed number, 201
  /// when the time does not follow the previous record's (or 0 s for the
  /// first) or lies more than MAX_RECORD_INTERVAL after it, or when the
  /// thrust is negative.
  BoosterRecord read_record();

  /// Closes the file; reading is finished.
  void close();

  [[nodiscard]] int records_read() const { return records_read_; }
  [[nodiscard]] const std::string& name() const { return name_; }

 private:
  Real read_number(const char* what);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  std::string name_;
  int records_read_ = 0;
  Real last_t_;
};

}  // namespace ascent
