// The rows of a staged flight as ascent-trim's CSV and the Python package's
// DataFrames have them: each step's inertial state, its place over the
// turning Earth (on the flight's sphere and on the WGS84 ellipsoid), its air
// and its osculating orbit; each event with the element it names.
#pragma once

#include <array>
#include <span>

#include "dynamics/geodetic.hpp"
#include "mission/staged_flight.hpp"
#include "studies/columns.hpp"

namespace ascent::studies {

/// The columns of a step, in the order of StagedHistoryRows' rows.
[[nodiscard]] std::span<const Column> staged_history_columns();
/// The columns of an event: event, element, t_s, altitude_m, speed_m_s, mass_kg.
[[nodiscard]] std::span<const Column> staged_event_columns();

inline constexpr std::size_t STAGED_HISTORY_COLUMNS = 26;
using StagedHistoryRow = std::array<double, STAGED_HISTORY_COLUMNS>;

/// The rows of the flights of one vehicle, SI units but angles in degrees.
/// Latitude, longitude and altitude are geocentric, over the flight's sphere;
/// the geodetic latitude and altitude are over WGS84 (the longitude is the
/// same on both). The azimuth is that of the velocity relative to the
/// turning Earth, from north, and the flight-path angle its elevation.
class StagedHistoryRows {
 public:
  explicit StagedHistoryRows(const StagedVehicle& vehicle);

  [[nodiscard]] StagedHistoryRow operator()(const StagedSample& sample) const;

 private:
  const StagedVehicle& vehicle_;
  GroundFrame wgs84_;
};

}  // namespace ascent::studies
