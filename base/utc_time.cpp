#include "base/utc_time.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>

#include "base/runtime_error.hpp"

namespace ascent {

namespace {

constexpr std::int64_t MICROSECONDS_PER_SECOND = 1000000;
constexpr std::int64_t MICROSECONDS_PER_DAY = 86400 * MICROSECONDS_PER_SECOND;
/// [d] Julian date of 1970-01-01T00:00:00.
constexpr double UNIX_EPOCH_JULIAN_DATE = 2440587.5;
/// [us] The first instant of the years 1 to 9999, which the form
/// YYYY-MM-DD writes, and the first after them: 0001-01-01T00:00:00 and
/// 10000-01-01T00:00:00.
constexpr double FIRST_WRITTEN = -62135596800.0 * MICROSECONDS_PER_SECOND;
constexpr double PAST_WRITTEN = 253402300800.0 * MICROSECONDS_PER_SECOND;

[[noreturn]] void refuse(std::string_view text, const char* why) {
  throw InputError(ErrorCode::invalid_numeric_format,
                   "\"" + std::string(text) + "\" is not a UTC time YYYY-MM-DDThh:mm:ss[.fff][Z]: " +
                       why);
}

/// The `count` decimal digits of `text` at `at`, or -1 when one is not a digit.
int digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

UtcTime UtcTime::parse(std::string_view text) {
  // YYYY-MM-DDThh:mm:ss
  const int year = digits(text, 0, 4);
  const int month = digits(text, 5, 2);
  const int day = digits(text, 8, 2);
  const int hour = digits(text, 11, 2);
  const int minute = digits(text, 14, 2);
  const int second = digits(text, 17, 2);
  if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 ||
      text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
      text[13] != ':' || text[16] != ':') {
    refuse(text, "not in that form");
  }
  const std::chrono::year_month_day date{std::chrono::year(year),
                                         std::chrono::month(static_cast<unsigned>(month)),
                                         std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok() || hour > 23 || minute > 59 || second > 59) refuse(text, "no such time");

  std::size_t at = 19;
  std::int64_t fraction = 0;  // [us]
  if (at < text.size() && text[at] == '.') {
    ++at;
    const std::size_t first = at;
    double scale = 0.1 * MICROSECONDS_PER_SECOND;
    double part = 0.0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
      part += (text[at] - '0') * scale;
      scale /= 10.0;
      ++at;
    }
    if (at == first) refuse(text, "no digit after the decimal point");
    fraction = std::llround(part);
  }
  if (at < text.size() && text[at] == 'Z') ++at;
  if (at != text.size()) refuse(text, "text after the time");

  const std::int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
  const std::int64_t seconds = (hour * 60 + minute) * 60 + second;
  return {days * MICROSECONDS_PER_DAY + seconds * MICROSECONDS_PER_SECOND + fraction};
}

std::string UtcTime::iso() const {
  const std::int64_t day_count =
      microseconds >= 0 ? microseconds / MICROSECONDS_PER_DAY
                        : -((-microseconds + MICROSECONDS_PER_DAY - 1) / MICROSECONDS_PER_DAY);
  const std::int64_t of_day = microseconds - day_count * MICROSECONDS_PER_DAY;
  const std::chrono::year_month_day date{
      std::chrono::sys_days(std::chrono::days(static_cast<int>(day_count)))};
  const std::int64_t seconds = of_day / MICROSECONDS_PER_SECOND;
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02lld:%02lld:%02lld.%06lld",
                static_cast<int>(date.year()), static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), static_cast<long long>(seconds / 3600),
                static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60),
                static_cast<long long>(of_day % MICROSECONDS_PER_SECOND));
  return text;
}

UtcTime UtcTime::plus(double seconds) const {
  const double later = static_cast<double>(microseconds) + seconds * MICROSECONDS_PER_SECOND;
  if (!(later >= FIRST_WRITTEN && later < PAST_WRITTEN)) {
    throw InputError(ErrorCode::range_check,
                     "a time of " + std::to_string(seconds) +
                         " s from the epoch is no time of the years 1 to 9999");
  }
  return {microseconds + std::llround(seconds * MICROSECONDS_PER_SECOND)};
}

double UtcTime::julian_date() const {
  const std::int64_t whole_days = microseconds / MICROSECONDS_PER_DAY;
  const double rest = static_cast<double>(microseconds - whole_days * MICROSECONDS_PER_DAY) /
                      static_cast<double>(MICROSECONDS_PER_DAY);
  return UNIX_EPOCH_JULIAN_DATE + static_cast<double>(whole_days) + rest;
}

}  // namespace ascent
