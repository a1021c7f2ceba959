// Staged vehicle decks: a launch vehicle as elements and its flight as
// phases, in TOML, beside the classic vehicle decks (deck/vehicle_deck.hpp).
// A staged deck says so on its first key:
//
//   deck = "staged"
//   [environment]  gravitational_parameter, equatorial_radius, rotation_rate, j2,
//                  atmosphere ("us1976" or "exponential"), sea_level_density, scale_height
//   [launch_site]  latitude [deg], longitude [deg], altitude [m]
//   [payload]      mass [kg]
//   [[element]]    name, count, dry_mass (an inert item's mass), propellant,
//                  thrust, thrust_table or thrust_file, exhaust_velocity or isp,
//                  exit_area, min_throttle, max_throttle, ignition, shutdown,
//                  relights = [{ ignition, shutdown }, ...] (the burns after
//                  the first), jettison
//   [[aerodynamics]] from, reference_area, drag_coefficient or drag_table
//   [[phase]]      name, steering, until, what the steering reads, throttle
//                  (a setting, or rows [time s, setting] each held until the
//                  next), dynamic_pressure_limit [Pa]
//   [target]       perigee and apogee (or semi_major_axis and eccentricity),
//                  inclination, ascending_node, argument_of_perigee, pass,
//                  azimuth, minimum_perigee
//   [limits]       max_dynamic_pressure, max_q_alpha, max_axial_acceleration
//   [flight]       step, max_time
//
// A trigger is a word ("liftoff", "never", "depletion", "cutoff", "burnout",
// "apogee", "circular_speed", "target_energy", "<element>.ignition",
// "<element>.burnout", "<element>.jettison", a later burn's "<element>.ignition2",
// "<element>.burnout2", ...) or a table: { time = s }, { elapsed = s },
// { altitude = m }, { heat_flux_below = W/m^2 }, { speed = m/s },
// { apogee_altitude = m }, { after = "<element>.<moment>", delay = s }.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "deck/deck_error.hpp"
#include "mission/staged_vehicle.hpp"

namespace ascent {

/// The value of the key `deck` that marks a staged deck.
inline constexpr std::string_view STAGED_DECK_KIND = "staged";

/// Whether the text is a staged deck (its key `deck` says "staged"); false
/// for a classic deck and for text that is not TOML.
[[nodiscard]] bool is_staged_deck_text(std::string_view text);
/// The same for the file at `path` (false when it cannot be read).
[[nodiscard]] bool is_staged_deck(const std::filesystem::path& path);

/// Reads the staged deck at `path`; thrust files are found beside it.
/// Throws DeckError, with the file, line and column and a hint for a
/// misspelt key, for anything that cannot be flown.
[[nodiscard]] StagedVehicle read_staged_deck(const std::filesystem::path& path);

/// The same for the text of a deck; `file` names it in messages and its
/// folder holds the thrust files.
[[nodiscard]] StagedVehicle read_staged_deck_text(std::string_view text, const std::string& file);

}  // namespace ascent
