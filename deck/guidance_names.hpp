// The names of the upper stage's guidance in a vehicle deck:
// upper_stage.guidance = "vertical_acceleration" (the default) or "orbit_insertion".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "mission/vehicle.hpp"

namespace ascent {

inline constexpr std::string_view GUIDANCE_KEY = "upper_stage.guidance";

[[nodiscard]] std::string_view guidance_name(UpperStageGuidance guidance);

/// The guidance of a name, or nothing for a name that is none.
[[nodiscard]] std::optional<UpperStageGuidance> guidance_named(std::string_view name);

/// "\"vertical_acceleration\" or \"orbit_insertion\"", for messages.
[[nodiscard]] std::string guidance_names_text();

}  // namespace ascent
