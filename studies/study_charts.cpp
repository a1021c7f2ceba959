#include "studies/study_charts.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace ascent::report {

namespace {

std::vector<double> scaled(const std::vector<double>& values, double factor) {
  std::vector<double> out(values.size());
  std::transform(values.begin(), values.end(), out.begin(), [&](double v) { return v * factor; });
  return out;
}

Chart against_time(const FlightColumns& f, std::string title, std::string y_label,
                   std::vector<double> y) {
  return {ChartKind::lines, std::move(title), "time [s]", std::move(y_label),
          {{"", f.t, std::move(y)}}, f.events, {}};
}

Chart against_turn_time(const SweepColumns& s, std::string title, std::string y_label,
                        std::vector<ChartSeries> series) {
  for (ChartSeries& one : series) one.x = s.turn_time;
  return {ChartKind::points, std::move(title), "turn time [s]", std::move(y_label),
          std::move(series), {}, {}};
}

/// `longitude` [deg] moved by whole turns to within half a turn of `near`.
double unwrapped(double longitude, double near) {
  return longitude - 360.0 * std::round((longitude - near) / 360.0);
}

std::vector<double> unwrapped(const std::vector<double>& longitudes, double near, bool follow) {
  std::vector<double> out;
  out.reserve(longitudes.size());
  for (const double longitude : longitudes) {
    out.push_back(std::isfinite(longitude) ? unwrapped(longitude, near) : longitude);
    if (follow && std::isfinite(out.back())) near = out.back();
  }
  return out;
}

}  // namespace

Chart ground_track_chart(const GroundTrackColumns& ground) {
  const double start = ground.longitude.empty() ? 0.0 : ground.longitude.front();
  Chart chart{ChartKind::map, "Ground track and impact points", "longitude [deg]",
              "latitude [deg]", {{"track", unwrapped(ground.longitude, start, true), ground.latitude}},
              {}, {}};
  for (const GroundTrackColumns::Element& element : ground.elements) {
    chart.series.push_back({element.name, unwrapped(element.longitude, start, false),
                            element.latitude, true});
    if (element.ellipse_latitude.empty()) continue;
    chart.series.push_back({element.name + " 99 %", unwrapped(element.ellipse_longitude, start, false),
                            element.ellipse_latitude});
  }
  return chart;
}

std::vector<Chart> flight_charts(const FlightColumns& f) {
  return {against_time(f, "Altitude", "altitude [km]", scaled(f.altitude, 1e-3)),
          against_time(f, "Inertial speed", "speed [km/s]", scaled(f.speed, 1e-3)),
          against_time(f, "Dynamic pressure", "dynamic pressure [kPa]", scaled(f.Pq, 1e-3)),
          against_time(f, "Thrust acceleration", "acceleration [m/s^2]", f.acceleration)};
}

std::vector<Chart> sweep_charts(const SweepColumns& s) {
  return {against_turn_time(s, "Payload", "SC_M [kg]", {{"SC_M", {}, s.sc_mass}}),
          against_turn_time(s, "Remaining propellant", "propellant [kg]",
                            {{"remaining propellant", {}, s.remaining_propellant}}),
          against_turn_time(s, "Orbit", "altitude [km]",
                            {{"perigee", {}, scaled(s.perigee, 1e-3)},
                             {"apogee", {}, scaled(s.apogee, 1e-3)}}),
          against_turn_time(s, "Trimmed maximum angle of attack", "maxa [deg]",
                            {{"maxa", {}, s.maxa}})};
}

std::vector<Chart> dispersion_charts(const DispersionColumns& d) {
  std::vector<Chart> charts;
  charts.push_back({ChartKind::histogram, "Orbit spread", "altitude [km]", "cases",
                    {{"perigee", {}, scaled(d.perigee, 1e-3)}, {"apogee", {}, scaled(d.apogee, 1e-3)}},
                    {}, {}});
  std::vector<ChartMark> propellant_marks{{d.nominal_remaining_propellant, "nominal"}};
  if (std::isfinite(d.remaining_propellant_met)) {
    propellant_marks.push_back({d.remaining_propellant_met, "met 99.865 %"});
  }
  charts.push_back({ChartKind::histogram, "Remaining propellant", "propellant [kg]", "cases",
                    {{"remaining propellant", {}, d.remaining_propellant}}, propellant_marks, {}});
  charts.push_back({ChartKind::histogram, "Payload", "SC_M [kg]", "cases",
                    {{"SC_M", {}, d.sc_mass}}, {}, {}});
  charts.push_back({ChartKind::points, "Perigee and apogee", "perigee [km]", "apogee [km]",
                    {{"", scaled(d.perigee, 1e-3), scaled(d.apogee, 1e-3)}}, {}, {}});
  // What drives the propellant left: each parameter's correlation with it,
  // the strongest first.
  std::vector<std::size_t> order(d.parameters.size());
  std::iota(order.begin(), order.end(), 0);
  std::vector<double> r(d.parameters.size());
  for (std::size_t i = 0; i < r.size(); ++i) r[i] = correlation(d.parameters[i], d.remaining_propellant);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const double ra = std::isfinite(r[a]) ? std::fabs(r[a]) : -1.0;
    const double rb = std::isfinite(r[b]) ? std::fabs(r[b]) : -1.0;
    return ra > rb;
  });
  Chart drivers{ChartKind::bars, "What drives the remaining propellant",
                "correlation with the remaining propellant", "", {{"", {}, {}}}, {}, {}};
  for (const std::size_t i : order) {
    drivers.categories.push_back(d.parameter_names[i]);
    drivers.series.front().y.push_back(r[i]);
  }
  if (!order.empty()) charts.push_back(drivers);
  return charts;
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const std::size_t n = std::min(a.size(), b.size());
  long double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  std::size_t count = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(a[i]) || !std::isfinite(b[i])) continue;
    ++count;
    sa += a[i];
    sb += b[i];
  }
  if (count < 2) return std::numeric_limits<double>::quiet_NaN();
  const long double ma = sa / static_cast<long double>(count);
  const long double mb = sb / static_cast<long double>(count);
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(a[i]) || !std::isfinite(b[i])) continue;
    saa += (a[i] - ma) * (a[i] - ma);
    sbb += (b[i] - mb) * (b[i] - mb);
    sab += (a[i] - ma) * (b[i] - mb);
  }
  if (saa == 0 || sbb == 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(sab / std::sqrt(saa * sbb));
}

}  // namespace ascent::report
