// The names of the columns that ascent-trim's CSV files and the Python
// package's DataFrames share: one name and one unit per quantity, in snake
// case with the unit as a suffix (perigee_m, t_s, sc_mass_kg; a pure number
// has none). Such a name is a Python identifier, so pandas reads it as
// df.perigee_m, in query() strings and as a keyword without quoting, and it
// needs no quotes in a CSV header either.
#pragma once

#include <span>
#include <string_view>

namespace ascent::studies {

struct Column {
  std::string_view name;  ///< "perigee_m"
  std::string_view unit;  ///< "m"; "1" for a pure number, "" for a word
};

/// A step of a flight's history, in the order of StepRecord's members,
/// then where it is over the ground.
[[nodiscard]] std::span<const Column> history_columns();

/// A trimmed turn time: the trade table's CSV and a sweep's DataFrame.
[[nodiscard]] std::span<const Column> trim_columns();

/// A case of a dispersion study, after its number, seed and drawn values.
[[nodiscard]] std::span<const Column> case_columns();

/// The guided stage flown to a target orbit: ascent-trim target's CSV.
[[nodiscard]] std::span<const Column> target_columns();

/// An exchange ratio of a vehicle field: ascent-trim sensitivities' CSV and
/// the DataFrame of ascent.sensitivities.
[[nodiscard]] std::span<const Column> sensitivity_columns();

/// An event of a flight: ascent-trim's events command and Flight.events.
[[nodiscard]] std::span<const Column> event_columns();

/// Where an element dropped by a flight comes down (time and place at
/// jettison, and no downrange or speed, when it reaches orbit).
[[nodiscard]] std::span<const Column> impact_columns();

}  // namespace ascent::studies
