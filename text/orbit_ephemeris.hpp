// A trajectory as a CCSDS Orbit Ephemeris Message, version 2.0 (CCSDS
// 502.0-B-2, KVN form), which mission analysis tools read: a header, one
// metadata block and one line per state, "epoch x y z vx vy vz" in km and
// km/s. The states are written as given: the caller puts them in the frame
// it names.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <Eigen/Core>

#include "base/utc_time.hpp"

namespace ascent {

struct OrbitEphemeris {
  struct State {
    UtcTime epoch;
    Eigen::Vector3d position;  ///< [m]
    Eigen::Vector3d velocity;  ///< [m/s]
  };

  UtcTime creation_date;
  std::string originator = "ascent";
  std::string object_name;
  std::string object_id;
  std::string reference_frame = "TEME";
  std::vector<State> states;  ///< in increasing epoch
};

/// The message as KVN text. Throws InputError when it has no state, a state
/// that is not finite or an epoch not after the one before, or when a name
/// holds a character KVN cannot carry (a line end).
[[nodiscard]] std::string oem_text(const OrbitEphemeris& ephemeris);

/// Writes the message to `path`, whole or not at all; throws FileError when it cannot.
void write_oem(const std::filesystem::path& path, const OrbitEphemeris& ephemeris);

}  // namespace ascent
