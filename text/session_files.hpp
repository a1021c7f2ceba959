// The files a session of the interactive program reads and writes in its
// working folder, and the prompts whose answers its output file records.
#pragma once

#include <cstddef>
#include <string_view>

namespace ascent {

inline constexpr std::string_view BOOSTER_THRUST_FILE = "s1.dat";
inline constexpr std::string_view SPEED_FILE = "speed.dat";
inline constexpr std::string_view HEIGHT_FILE = "height.dat";
inline constexpr std::string_view ACCEL_FILE = "accel.dat";
inline constexpr std::string_view DYNPRES_FILE = "dynpres.dat";
inline constexpr std::string_view CONSTANTS_FILE = "const_n.hpp";

inline constexpr std::string_view TURN_TIME_PROMPT = "Turn time (s)? ";
inline constexpr std::string_view MAXA_PROMPT = "Maximum angle of attack (degrees)? ";

/// Longest output file name and prompt text that are used; the rest is cut.
inline constexpr std::size_t MAX_TEXT_LENGTH = 255;

}  // namespace ascent
