// Reading a vehicle deck: the TOML parse, then every table and key checked
// against the vehicle's fields in the order of the file, then the keys that
// are missing, then the values that conflict. The first problem found ends
// the reading, with its place in the file.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "deck/deck_file.hpp"
#include "deck/field_value.hpp"
#include "deck/guidance_names.hpp"
#include "deck/nearest_name.hpp"
#include "deck/shortest_text.hpp"
#include "deck/toml_parse.hpp"
#include "deck/toml_words.hpp"
#include "deck/vehicle_checks.hpp"
#include "deck/vehicle_deck.hpp"
#include "mission/vehicle_fields.hpp"

namespace ascent {

namespace {

/// The target's average altitude, which an elliptic target may leave out.
constexpr std::string_view TARGET_ALTITUDE = "target.altitude";

std::string in_quotes(std::string_view name) {
  std::string quoted = "\"";  // appended: g++ 12 warns wrongly on "\"" + name
  quoted += name;
  quoted += '"';
  return quoted;
}

/// The entries of a table in the order of the file.
std::vector<std::pair<const toml::key*, const toml::node*>> in_file_order(
    const toml::table& table) {
  std::vector<std::pair<const toml::key*, const toml::node*>> entries;
  for (const auto& [key, node] : table) entries.emplace_back(&key, &node);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    const toml::source_position x = a.first->source().begin;
    const toml::source_position y = b.first->source().begin;
    return x.line != y.line ? x.line < y.line : x.column < y.column;
  });
  return entries;
}

class DeckReader {
 public:
  explicit DeckReader(std::string file) : file_(std::move(file)) {
    for (const VehicleField& f : vehicle_fields()) {
      if (groups_.empty() || groups_.back() != f.group) groups_.emplace_back(f.group);
    }
    // Every key a deck may hold is a name a misspelt one may mean.
    for (const auto fields : {vehicle_fields(), optional_vehicle_fields()}) {
      for (const VehicleField& f : fields) add_name(f.group, f.key);
    }
    const std::string_view guidance = GUIDANCE_KEY;
    add_name(guidance.substr(0, guidance.find('.')), guidance.substr(guidance.find('.') + 1));
  }

  Vehicle read(std::string_view text) {
    toml::table root;
    try {
      root = parse_toml(text, file_);
    } catch (const toml::parse_error& error) {
      fail(error.source(), "TOML syntax error: " + std::string(error.description()));
    }
    for (const auto& [key, node] : in_file_order(root)) read_entry(*key, *node);
    check_every_field_given(root);
    if (const std::optional<VehicleConflict> conflict = vehicle_conflict(vehicle_)) {
      fail(places_.at(std::string(conflict->field)), conflict->what);
    }
    return vehicle_;
  }

 private:
  [[noreturn]] void fail(const toml::source_region& region, const std::string& what) const {
    throw DeckError(DeckPlace{file_, region.begin.line, region.begin.column}, what);
  }

  void add_name(std::string_view group, std::string_view key) {
    names_.push_back(std::string(group) + "." + std::string(key));
    groups_of_names_.emplace_back(group);
    keys_.emplace_back(key);
  }

  /// The field nearest to an unknown "group.key" or key: a key of another
  /// table put in the wrong one is that field; a misspelt key in a table is
  /// the nearest of that table's keys; a key outside every table, the
  /// nearest of all.
  std::string nearest_field(std::string_view name) const {
    const std::size_t dot = name.find('.');
    const std::string_view key = dot == std::string_view::npos ? name : name.substr(dot + 1);
    const std::string_view group = dot == std::string_view::npos ? "" : name.substr(0, dot);
    const auto same_key = std::find(keys_.begin(), keys_.end(), key);
    if (same_key != keys_.end()) return names_[static_cast<std::size_t>(same_key - keys_.begin())];
    std::size_t nearest = 0;
    std::size_t least = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (!group.empty() && groups_of_names_[i] != group) continue;
      const std::size_t distance = edit_distance(key, keys_[i]);
      if (distance < least) {
        least = distance;
        nearest = i;
      }
    }
    return names_[nearest];
  }

  void read_entry(const toml::key& name, const toml::node& node) {
    const std::string_view key = name.str();
    if (std::find(groups_.begin(), groups_.end(), key) == groups_.end()) {
      if (node.is_table()) {
        fail(name.source(), "unknown table [" + std::string(key) + "]; did you mean [" +
                                nearest_name(key, groups_) + "]?");
      }
      fail(name.source(), "unknown key " + in_quotes(key) + " outside every table; did you mean " +
                              in_quotes(nearest_field(key)) + "?");
    }
    const toml::table* table = node.as_table();
    if (table == nullptr) {
      fail(name.source(), in_quotes(key) + " must be the table [" + std::string(key) + "], not " +
                              std::string(toml_type_words(node.type())));
    }
    for (const auto& [entry, value] : in_file_order(*table)) {
      const std::string full = std::string(key) + "." + std::string(entry->str());
      if (full == GUIDANCE_KEY) {
        read_guidance(*value);
        continue;
      }
      const VehicleField* field = find_vehicle_field(full);
      if (field == nullptr) field = find_optional_vehicle_field(full);
      if (field == nullptr) {
        fail(entry->source(), "unknown key " + in_quotes(full) + "; did you mean " +
                                  in_quotes(nearest_field(full)) + "?");
      }
      read_value(*field, *value);
    }
  }

  void read_value(const VehicleField& f, const toml::node& node) {
    const std::string name = f.name();
    const auto* integer = node.as_integer();
    const auto* floating = node.as_floating_point();
    if (integer == nullptr && floating == nullptr) {
      fail(node.source(),
           name + " must be " +
               (f.whole ? "a whole number (an integer)"
                        : "a number (a float or an integer) in " + std::string(f.unit)) +
               ", not " + std::string(toml_type_words(node.type())));
    }
    const double x = integer != nullptr ? static_cast<double>(integer->get()) : floating->get();
    if (std::string fault = field_value_fault(f, x); !fault.empty()) fail(node.source(), fault);
    f.set(vehicle_, x);
    places_.emplace(name, node.source());
  }

  void read_guidance(const toml::node& node) {
    const auto* name = node.as_string();
    const std::optional<UpperStageGuidance> guidance =
        name != nullptr ? guidance_named(name->get()) : std::nullopt;
    if (!guidance) {
      fail(node.source(), std::string(GUIDANCE_KEY) + " must be " + guidance_names_text() +
                              " (how the upper stage steers to its cutoff)");
    }
    vehicle_.upper_stage.guidance = *guidance;
  }

  /// Every required field is given; an elliptic target's average altitude,
  /// when left out, is the mean of its apsides.
  void check_every_field_given(const toml::table& root) {
    if (!places_.contains(std::string(TARGET_ALTITUDE)) && places_.contains("target.perigee") &&
        places_.contains("target.apogee")) {
      TargetOrbit& target = vehicle_.target;
      target.altitude = (target.perigee + target.apogee) / 2.0;
      places_.emplace(TARGET_ALTITUDE, places_.at("target.apogee"));
    }
    for (const VehicleField& f : vehicle_fields()) {
      const std::string name = f.name();
      if (places_.contains(name) || f.optional) continue;
      const toml::node* group = root.get(f.group);
      if (group == nullptr) {
        throw DeckError(DeckPlace{file_}, "missing table [" + std::string(f.group) + "]");
      }
      fail(group->source(), "missing key " + in_quotes(name) + " in [" + std::string(f.group) +
                                "]: [" + std::string(f.unit) + "] " + std::string(f.what));
    }
  }

  std::string file_;
  std::vector<std::string> names_;   ///< "group.key" of every field
  std::vector<std::string> keys_;    ///< the key of every field, in the same order
  std::vector<std::string> groups_of_names_;  ///< the table of every field, in the same order
  std::vector<std::string> groups_;  ///< the tables, in the order of the deck
  Vehicle vehicle_;
  std::map<std::string, toml::source_region> places_;  ///< where each field's value is
};

}  // namespace

Vehicle read_vehicle_deck_text(std::string_view text, const std::string& file) {
  return DeckReader(file).read(text);
}

Vehicle read_vehicle_deck(const std::filesystem::path& path) {
  return read_vehicle_deck_text(read_deck_file(path, "the vehicle deck"), path.string());
}

}  // namespace ascent
