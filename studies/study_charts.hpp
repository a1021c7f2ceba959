// The figures of a report, chosen once for every client (ascent-trim's
// --report and the Python package's ascent.report): the flight's loads
// against time with its events, a sweep's payload and orbit against the turn
// time, a dispersion study's spread with what drives it, and the ground
// track with the impact points of the jettisoned elements.
#pragma once

#include <string>
#include <vector>

#include "text/svg_chart.hpp"

namespace ascent::report {

/// A flight's history without its search steps, and its events.
struct FlightColumns {
  std::vector<double> t;             ///< [s]
  std::vector<double> altitude;      ///< [m]
  std::vector<double> speed;         ///< [m/s] inertial
  std::vector<double> Pq;            ///< [Pa]
  std::vector<double> acceleration;  ///< [m/s^2] thrust acceleration
  std::vector<ChartMark> events;     ///< at their times [s]
};

/// One row per turn time; NaN where a turn time was not trimmed.
struct SweepColumns {
  std::vector<double> turn_time;             ///< [s]
  std::vector<double> maxa;                  ///< [deg]
  std::vector<double> perigee;               ///< [m]
  std::vector<double> apogee;                ///< [m]
  std::vector<double> remaining_propellant;  ///< [kg]
  std::vector<double> sc_mass;               ///< [kg]
};

/// One row per case flown to separation (NaN otherwise), and the drawn
/// value of each dispersed parameter.
struct DispersionColumns {
  std::vector<double> perigee;               ///< [m]
  std::vector<double> apogee;                ///< [m]
  std::vector<double> remaining_propellant;  ///< [kg]
  std::vector<double> sc_mass;               ///< [kg]
  std::vector<double> maxa;                  ///< [deg]
  std::vector<std::string> parameter_names;
  std::vector<std::vector<double>> parameters;  ///< a column per name, a value per case
  double nominal_remaining_propellant = 0.0;    ///< [kg]
  double remaining_propellant_met = 0.0;        ///< [kg] 0.135 % quantile (-inf: not met)
};

/// Where a flight passes over the ground and where its elements come down.
struct GroundTrackColumns {
  std::vector<double> latitude;   ///< [deg] the track, a point per step
  std::vector<double> longitude;  ///< [deg]
  struct Element {
    std::string name;
    std::vector<double> latitude;           ///< [deg] its impact points, one per case
    std::vector<double> longitude;          ///< [deg]
    std::vector<double> ellipse_latitude;   ///< [deg] the outline of its 99 % ellipse, or empty
    std::vector<double> ellipse_longitude;  ///< [deg]
  };
  std::vector<Element> elements;
};

[[nodiscard]] std::vector<Chart> flight_charts(const FlightColumns& flight);
/// The track, the impact points and their ellipses over a latitude-longitude
/// grid; longitudes run on across the antimeridian from the track's first.
[[nodiscard]] Chart ground_track_chart(const GroundTrackColumns& ground);
[[nodiscard]] std::vector<Chart> sweep_charts(const SweepColumns& sweep);
[[nodiscard]] std::vector<Chart> dispersion_charts(const DispersionColumns& study);

/// Pearson's correlation of `a` and `b` over the rows where both are finite;
/// NaN without spread.
[[nodiscard]] double correlation(const std::vector<double>& a, const std::vector<double>& b);

}  // namespace ascent::report
