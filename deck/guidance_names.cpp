#include "deck/guidance_names.hpp"

#include <array>
#include <utility>

namespace ascent {

namespace {

constexpr std::array<std::pair<UpperStageGuidance, std::string_view>, 2> NAMES{{
    {UpperStageGuidance::vertical_acceleration, "vertical_acceleration"},
    {UpperStageGuidance::orbit_insertion, "orbit_insertion"},
}};

}  // namespace

std::string_view guidance_name(UpperStageGuidance guidance) {
  for (const auto& [kind, name] : NAMES) {
    if (kind == guidance) return name;
  }
  return NAMES.front().second;
}

std::optional<UpperStageGuidance> guidance_named(std::string_view name) {
  for (const auto& [kind, known] : NAMES) {
    if (known == name) return kind;
  }
  return std::nullopt;
}

std::string guidance_names_text() {
  std::string text;
  for (const auto& entry : NAMES) {
    if (!text.empty()) text += " or ";
    text += '"';
    text += entry.second;
    text += '"';
  }
  return text;
}

}  // namespace ascent
