// Writing a vehicle deck: every field of the vehicle in the order of
// vehicle_fields(), in the shortest text that reads back to the same double.
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "deck/guidance_names.hpp"
#include "deck/shortest_text.hpp"
#include "deck/vehicle_deck.hpp"
#include "mission/vehicle_fields.hpp"

namespace ascent {

namespace {

constexpr std::string_view DECK_HEAD =
    "# Vehicle deck of ascent: the launch vehicle, its launch site, its pitch\n"
    "# programme and the orbit aimed at. Every key is required but those marked\n"
    "# optional; its unit is in brackets in its comment. What follows from these\n"
    "# values (areas from diameters, the ullage motors' propellant, the circular\n"
    "# speed of the target orbit) is derived by the program and not given here.\n";

/// What each table holds, for its header line.
constexpr std::array<std::pair<std::string_view, std::string_view>, 10> GROUP_NOTES{{
    {"launch_site", "the pad, carried east by the Earth's rotation"},
    {"pitch_program", "vertical rise, kick, hold of the turn time, recovery"},
    {"boosters", "the strap-on solid boosters; their thrust comes from the thrust file"},
    {"core", "the core stage, burning from the pad on"},
    {"fairing", "the payload fairing over the stage-3 stack"},
    {"upper_stage", "stage 3 and the stack it carries"},
    {"ullage", "the motors that settle stage 3's propellant before ignition"},
    {"mass_budget", "how stage 3's mass budget books what the flight does not fly"},
    {"target", "the orbit aimed at"},
    {"limits", "the structural limits of the loads; a limit left out is none"},
}};

std::string_view group_note(std::string_view group) {
  const auto note = std::find_if(GROUP_NOTES.begin(), GROUP_NOTES.end(),
                                 [&](const auto& entry) { return entry.first == group; });
  return note == GROUP_NOTES.end() ? std::string_view() : note->second;
}

/// A TOML value: a count as an integer, any other value as a float, which
/// TOML wants with a point or an exponent.
std::string value_text(const VehicleField& f, double x) {
  if (f.whole) return std::to_string(static_cast<long long>(x));
  std::string text = shortest_text(x);
  if (text.find_first_of(".en") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

std::string vehicle_deck_text(const Vehicle& vehicle) {
  std::string deck(DECK_HEAD);
  const std::span<const VehicleField> fields = vehicle_fields();
  // A key a deck may leave out is shown commented while it is off: an
  // optional field whose built-in value is 0, "none" (a load limit), the
  // apsides of a circular target and the default guidance.
  const Vehicle built_in;
  const auto is_on = [&](const VehicleField& f) {
    return !f.optional || f.get(built_in) != 0.0 || f.get(vehicle) != 0.0;
  };
  for (auto first = fields.begin(); first != fields.end();) {
    const auto last = std::find_if(first, fields.end(),
                                   [&](const VehicleField& f) { return f.group != first->group; });
    deck +=
        "\n[" + std::string(first->group) + "]  # " + std::string(group_note(first->group)) + "\n";
    // The unit comments of a table start in one column.
    std::vector<std::string> lines;
    std::vector<std::string> notes;
    std::size_t width = 0;
    const auto add = [&](bool on, std::string line, std::string note) {
      if (!on) line = "# " + line;
      width = std::max(width, line.size());
      lines.push_back(std::move(line));
      notes.push_back(std::move(note));
    };
    const auto add_field = [&](const VehicleField& f, double value, std::string_view off) {
      std::string note = "[";
      note += f.unit;
      note += "] ";
      note += f.what;
      if (!off.empty()) {
        note += "; optional: ";
        note += off;
      }
      add(off.empty(), std::string(f.key) + " = " + value_text(f, value), std::move(note));
    };
    for (auto f = first; f != last; ++f) {
      add_field(*f, f->get(vehicle), is_on(*f) ? "" : "none when left out");
    }
    for (const VehicleField& f : optional_vehicle_fields()) {
      if (f.group != first->group) continue;
      if (vehicle.target.elliptic()) {
        add_field(f, f.get(vehicle), "");
      } else {
        add_field(f, vehicle.target.altitude, "circular at the altitude when left out");
      }
    }
    if (first->group == "upper_stage") {
      const bool on = vehicle.upper_stage.guidance != UpperStageGuidance::vertical_acceleration;
      std::string line = "guidance = \"";
      line += guidance_name(on ? vehicle.upper_stage.guidance : UpperStageGuidance::orbit_insertion);
      line += '"';
      add(on, std::move(line),
          on ? "how the mainstage steers to its cutoff"
             : "how the mainstage steers to its cutoff; optional: " +
                   std::string(guidance_name(UpperStageGuidance::vertical_acceleration)) +
                   " when left out");
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      lines[i].resize(width, ' ');
      deck += lines[i] + "  # " + notes[i] + "\n";
    }
    first = last;
  }
  return deck;
}

}  // namespace ascent
