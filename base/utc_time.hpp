// Calendar times in UTC, as the launch epoch and the dates of exported
// files: ISO 8601 text ("2026-12-08T14:30:00Z", "2026-12-08T14:30:00.25")
// read and written, and the Julian date for sidereal time. Counted in whole
// microseconds since 1970-01-01T00:00:00 with no leap second inside: a
// flight of minutes that spans a leap second is off by that second.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ascent {

struct UtcTime {
  std::int64_t microseconds = 0;  ///< [us] since 1970-01-01T00:00:00 UTC

  /// Reads "YYYY-MM-DDThh:mm:ss[.fff...][Z]" (a space may stand for the T;
  /// digits of the fraction beyond the microsecond are rounded). Throws
  /// InputError for anything else, or a date that does not exist.
  [[nodiscard]] static UtcTime parse(std::string_view text);

  /// "YYYY-MM-DDThh:mm:ss.ffffff", the form of CCSDS data messages.
  [[nodiscard]] std::string iso() const;

  /// This time plus `seconds`, rounded to the microsecond. Throws
  /// InputError for seconds that are not finite or lead out of the years 1
  /// to 9999 (which the form YYYY writes).
  [[nodiscard]] UtcTime plus(double seconds) const;

  /// [d] the Julian date (2451545.0 at 2000-01-01T12:00:00).
  [[nodiscard]] double julian_date() const;

  friend bool operator==(const UtcTime&, const UtcTime&) = default;
};

}  // namespace ascent
