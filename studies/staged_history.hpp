// The rows of a staged flight as ascent-trim's CSV and the Python package's
// DataFrames have them: each step's inertial state, its place over the
// turning Earth, its air and its osculating orbit; each event with the
// element it names.
#pragma once

#include <array>
#include <span>

#include "mission/staged_flight.hpp"
#include "studies/columns.hpp"

namespace ascent::studies {

/// The columns of a step, in the order of staged_history_row.
[[nodiscard]] std::span<const Column> staged_history_columns();
/// The columns of an event: event, element, t_s, altitude_m, speed_m_s, mass_kg.
[[nodiscard]] std::span<const Column> staged_event_columns();

inline constexpr std::size_t STAGED_HISTORY_COLUMNS = 23;
using StagedHistoryRow = std::array<double, STAGED_HISTORY_COLUMNS>;

/// One step's values, SI units but angles in degrees. Latitude and longitude
/// are geocentric, over the sphere; the azimuth is that of the velocity
/// relative to the turning Earth, from north.
[[nodiscard]] StagedHistoryRow staged_history_row(const StagedVehicle& vehicle,
                                                  const StagedSample& sample);

}  // namespace ascent::studies
