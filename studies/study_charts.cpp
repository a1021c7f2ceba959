#include "studies/study_charts.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ascent::studies {

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

/// `values` where `keep` holds for the row's status, NaN elsewhere.
std::vector<double> where(const SweepColumns& s, const std::vector<double>& values, bool in_orbit) {
  std::vector<double> out(values.size(), std::numeric_limits<double>::quiet_NaN());
  for (std::size_t i = 0; i < values.size() && i < s.status.size(); ++i) {
    if ((s.status[i] == "in_orbit") == in_orbit) out[i] = values[i];
  }
  return out;
}

/// One quantity against the turn time: the rows in orbit, then those not
/// in orbit apart, the largest payload marked.
Chart against_turn_time(const SweepColumns& s, std::string title, std::string y_label,
                        const std::vector<double>& y) {
  Chart chart{ChartKind::points, std::move(title), "turn time [s]", std::move(y_label),
              {{"in orbit", s.turn_time, where(s, y, true)},
               {"not in orbit", s.turn_time, where(s, y, false)}},
              {}, {}};
  if (const std::optional<std::size_t> best = s.best()) {
    chart.marks.push_back({s.turn_time[*best], "largest SC_M"});
  }
  return chart;
}

Chart histogram_of(std::string title, std::string x_label, std::vector<double> values) {
  return {ChartKind::histogram, std::move(title), std::move(x_label), "cases",
          {{"", {}, std::move(values)}}, {}, {}};
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
  // Longitudes run on from the track's first, else from the first impact's.
  double start = ground.longitude.empty() ? 0.0 : ground.longitude.front();
  if (ground.longitude.empty() && !ground.elements.empty() &&
      !ground.elements[0].longitude.empty()) {
    start = ground.elements[0].longitude.front();
  }
  Chart chart{ChartKind::map, "Ground track and impact points", "longitude [deg]",
              "latitude [deg]", {}, {}, {}};
  if (!ground.latitude.empty()) {
    chart.series.push_back({"track", unwrapped(ground.longitude, start, true), ground.latitude});
  }
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

std::optional<std::size_t> SweepColumns::best() const {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < sc_mass.size() && i < status.size(); ++i) {
    if (status[i] != "in_orbit" || !std::isfinite(sc_mass[i])) continue;
    if (!best || sc_mass[i] > sc_mass[*best]) best = i;
  }
  return best;
}

std::vector<Chart> sweep_charts(const SweepColumns& s) {
  return {against_turn_time(s, "Payload", "SC_M [kg]", s.sc_mass),
          against_turn_time(s, "Remaining propellant", "propellant [kg]", s.remaining_propellant),
          against_turn_time(s, "Average orbit altitude", "altitude [km]",
                            scaled(s.average_altitude, 1e-3)),
          against_turn_time(s, "Trimmed maximum angle of attack", "maxa [deg]", s.maxa)};
}

std::vector<Chart> dispersion_charts(const DispersionColumns& d) {
  // Each apsis in bins of its own: together, the bins would span both.
  std::vector<Chart> charts{histogram_of("Perigee", "perigee [km]", scaled(d.perigee, 1e-3)),
                            histogram_of("Apogee", "apogee [km]", scaled(d.apogee, 1e-3))};
  Chart propellant = histogram_of("Remaining propellant", "propellant [kg]", d.remaining_propellant);
  propellant.marks.push_back({d.nominal_remaining_propellant, "nominal"});
  if (std::isfinite(d.remaining_propellant_met)) {
    propellant.marks.push_back({d.remaining_propellant_met, "0.135 % quantile"});
  }
  charts.push_back(propellant);
  charts.push_back(histogram_of("Payload", "SC_M [kg]", d.sc_mass));
  // A series per status, those in orbit first: each status keeps its colour.
  Chart orbits{ChartKind::points, "Perigee and apogee", "perigee [km]", "apogee [km]",
               {{"in_orbit", {}, {}}}, {}, {}};
  for (std::size_t i = 0; i < d.status.size() && i < d.perigee.size(); ++i) {
    const auto series = std::find_if(orbits.series.begin(), orbits.series.end(),
                                     [&](const ChartSeries& one) { return one.name == d.status[i]; });
    ChartSeries& one = series != orbits.series.end()
                           ? *series
                           : orbits.series.emplace_back(ChartSeries{d.status[i], {}, {}});
    one.x.push_back(d.perigee[i] * 1e-3);
    one.y.push_back(d.apogee[i] * 1e-3);
  }
  charts.push_back(orbits);
  if (!d.drivers.empty()) {
    charts.push_back({ChartKind::bars, "What drives SC_M", "Spearman rank correlation with SC_M",
                      "", {{"", {}, d.drivers}}, {}, d.driver_names});
  }
  return charts;
}

}  // namespace ascent::studies
