// The figures of a report, chosen once for every client (ascent-trim's
// --report and the Python package's ascent.report): the flight's loads
// against time with its events, a sweep's payload and orbit against the turn
// time, a dispersion study's spread with what drives it, and the ground
// track with the impact points of the jettisoned elements.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/svg_chart.hpp"

namespace ascent::studies {

/// A flight's history without its search steps, and its events.
struct FlightColumns {
  std::vector<double> t;             ///< [s]
  std::vector<double> altitude;      ///< [m]
  std::vector<double> speed;         ///< [m/s] inertial
  std::vector<double> Pq;            ///< [Pa]
  std::vector<double> acceleration;  ///< [m/s^2] thrust acceleration
  std::vector<ChartMark> events;     ///< at their times [s]
};

/// One row per turn time; NaN where a turn time was not trimmed or its
/// flight has no orbit.
struct SweepColumns {
  std::vector<double> turn_time;             ///< [s]
  std::vector<double> maxa;                  ///< [deg]
  std::vector<double> perigee;               ///< [m]
  std::vector<double> apogee;                ///< [m]
  std::vector<double> average_altitude;      ///< [m]
  std::vector<double> remaining_propellant;  ///< [kg]
  std::vector<double> sc_mass;               ///< [kg]
  std::vector<double> max_dynamic_pressure;  ///< [Pa]
  std::vector<double> max_q_alpha;           ///< [Pa*deg]
  std::vector<double> max_acceleration;      ///< [m/s^2]
  std::vector<double> flights;               ///< of the trim
  std::vector<std::string> status;           ///< the row's status word: only in_orbit is feasible
  std::vector<std::string> message;          ///< why a row is not in orbit

  /// The row of the largest payload in orbit, or none.
  [[nodiscard]] std::optional<std::size_t> best() const;
};

/// One value per case flown to separation (NaN otherwise), and what drives
/// the payload.
struct DispersionColumns {
  std::vector<double> perigee;               ///< [m]
  std::vector<double> apogee;                ///< [m]
  std::vector<double> remaining_propellant;  ///< [kg]
  std::vector<double> sc_mass;               ///< [kg]
  std::vector<std::string> status;           ///< of each case
  std::vector<std::string> driver_names;     ///< the dispersed parameters, the strongest first
  std::vector<double> drivers;               ///< their Spearman rank correlation with SC_M
  double nominal_remaining_propellant = 0.0;  ///< [kg]
  double remaining_propellant_met = 0.0;      ///< [kg] 0.135 % quantile (-inf: not met)
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

}  // namespace ascent::studies
