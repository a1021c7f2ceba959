#include "trim/sensitivity_report.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace ascent::trim {

using studies::ExchangeRatio;
using studies::ratio_caveat;
using studies::sensitivity_columns;
using studies::SENSITIVITY_STEP;
using studies::SENSITIVITY_TOLERANCE;
using studies::TrimSettings;
using studies::typed_number;
using studies::TypedNumber;

namespace {

/// Six significant digits: the ratios span kg per newton to kg per kg/N.
std::string significant(double value) {
  if (!std::isfinite(value)) return "-";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6g", value);
  return buffer;
}

std::string padded(const std::string& text, std::size_t width, bool right) {
  if (text.size() >= width) return text + (right ? "" : " ");
  const std::string fill(width - text.size(), ' ');
  return right ? fill + text : text + fill;
}

}  // namespace

void write_sensitivity_report(std::ostream& out, const std::vector<ExchangeRatio>& ratios,
                              const TrimSettings& settings, const TypedNumber& turn_time,
                              Format format) {
  if (format == Format::csv) {
    out << csv_header(sensitivity_columns()) << '\n';
    for (const ExchangeRatio& r : ratios) {
      const bool known = std::isfinite(r.ratio);
      out << r.field->name() << ',' << csv_field(r.field->unit) << ',' << significant(r.value)
          << ',' << significant(r.step) << ',' << (r.central ? "true" : "false") << ','
          << (known ? significant(r.ratio) : "") << ','
          << (known ? significant(r.per_percent()) : "") << ',' << csv_field(r.message) << ','
          << csv_field(ratio_caveat(r.field->name())) << '\n';
    }
    return;
  }
  out << "Exchange ratios at turn time " << turn_time.text
      << " s: d(SC_M)/d(field), the unrounded SC_M of flights re-trimmed to "
      << typed_number(settings.target_altitude() / 1000.0, 3).text << " km (within "
      << typed_number(SENSITIVITY_TOLERANCE, 3).text << " m), a step of "
      << typed_number(SENSITIVITY_STEP * 100.0, 3).text
      << " % of each value either side; the largest effect of 1 % more first\n\n"
      << "field                                       value  unit            step"
         "     ratio [kg/unit]   1 % more [kg]\n";
  std::string_view caveats;
  for (const ExchangeRatio& r : ratios) {
    out << padded(r.field->name(), 38, false) << padded(significant(r.value), 11, true) << "  "
        << padded(std::string(r.field->unit), 8, false) << padded(significant(r.step), 12, true)
        << padded(significant(r.ratio), 20, true) << padded(significant(r.per_percent()), 16, true);
    if (!r.central) out << "  (one-sided)";
    if (!r.message.empty()) out << "  " << r.message;
    if (const std::string_view caveat = ratio_caveat(r.field->name()); !caveat.empty()) {
      out << "  (*)";
      if (caveats.empty()) caveats = caveat;
    }
    out << "\n";
  }
  if (!caveats.empty()) out << "\n(*) " << caveats << ".\n";
}

}  // namespace ascent::trim
