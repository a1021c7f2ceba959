// Reading a staged deck: the TOML parse, every table's keys against those it
// may hold (a misspelt one gets the nearest), every value's type and range,
// the triggers' words and element names, then the vehicle's own checks
// (mission/staged_checks.hpp) placed back at the key they are about. The
// first problem found ends the reading.
#include <cmath>
#include <map>
#include <numbers>
#include <optional>
#include <vector>

#include "base/runtime_error.hpp"
#include "deck/deck_file.hpp"
#include "deck/nearest_name.hpp"
#include "deck/shortest_text.hpp"
#include "deck/staged_deck.hpp"
#include "deck/toml_parse.hpp"
#include "deck/toml_words.hpp"
#include "mission/staged_checks.hpp"
#include "mission/thrust_history.hpp"

namespace ascent {

namespace {

constexpr double DEG = std::numbers::pi / 180.0;
constexpr double NO_MINIMUM = -std::numeric_limits<double>::infinity();
/// [m/s^2] standard gravity: an Isp [s] times this is the exhaust velocity.
constexpr double STANDARD_GRAVITY = 9.80665;

using Keys = std::vector<std::string>;
const Keys TOP_KEYS{"deck", "name", "environment", "launch_site", "payload", "element",
                    "aerodynamics", "phase", "target", "limits", "flight"};
const Keys ENVIRONMENT_KEYS{"gravitational_parameter", "equatorial_radius", "rotation_rate", "j2",
                            "atmosphere", "sea_level_density", "scale_height"};
const Keys SITE_KEYS{"latitude", "longitude", "altitude"};
const Keys PAYLOAD_KEYS{"mass"};
const Keys ELEMENT_KEYS{"name", "count", "dry_mass", "mass", "propellant", "thrust", "thrust_table",
                        "thrust_file", "exhaust_velocity", "isp", "exit_area", "min_throttle",
                        "max_throttle", "ignition", "shutdown", "relights", "jettison"};
const Keys RELIGHT_KEYS{"ignition", "shutdown"};
const Keys AERO_KEYS{"from", "reference_area", "drag_coefficient", "drag_table"};
const Keys PHASE_KEYS{"name", "steering", "until", "pitch_offset", "pitch_rate", "pitch", "yaw",
                      "direction", "exponent", "maxa", "cycle", "hold", "throttle",
                      "dynamic_pressure_limit"};
const Keys TARGET_KEYS{"perigee", "apogee", "semi_major_axis", "eccentricity", "inclination",
                       "ascending_node", "argument_of_perigee", "pass", "azimuth",
                       "minimum_perigee"};
const Keys LIMIT_KEYS{"max_dynamic_pressure", "max_q_alpha", "max_axial_acceleration"};
const Keys FLIGHT_KEYS{"step", "max_time"};
const Keys TRIGGER_KEYS{"time",  "elapsed",         "altitude", "heat_flux_below",
                        "speed", "apogee_altitude", "after",    "delay"};
const Keys STEERING_WORDS{"vertical", "gravity_turn", "held_angle", "pitch_yaw_table",
                          "direction_table", "vertical_law", "coast", "guided"};
const Keys MOMENT_WORDS{"ignition", "burnout", "jettison"};

std::string in_quotes(std::string_view name) {
  std::string text = "\"";
  text += name;
  text += '"';
  return text;
}

class StagedDeckReader {
 public:
  explicit StagedDeckReader(std::string file) : file_(std::move(file)) {}

  StagedVehicle read(std::string_view text) {
    toml::table root;
    try {
      root = parse_toml(text, file_);
    } catch (const toml::parse_error& error) {
      fail(error.source(), "TOML syntax error: " + std::string(error.description()));
    }
    only_known(root, TOP_KEYS, "outside every table");
    const toml::node* kind = root.get("deck");
    if (kind == nullptr || kind->value<std::string>() != std::string(STAGED_DECK_KIND)) {
      fail(kind != nullptr ? kind->source() : root.source(),
           "a staged deck starts with deck = \"staged\"");
    }
    if (const toml::node* name = root.get("name")) v_.name = string_of(*name, "name");

    read_environment(table_of(root, "environment", false));
    read_site(table_of(root, "launch_site", true));
    const toml::table* payload = table_of(root, "payload", true);
    only_known(*payload, PAYLOAD_KEYS, "in [payload]");
    v_.payload = number(*payload, "mass", "payload.mass", 0.0, std::nullopt);
    read_elements(root);
    read_aerodynamics(root);
    read_phases(root);
    read_target(table_of(root, "target", true));
    read_limits(table_of(root, "limits", false));
    read_flight(table_of(root, "flight", false));

    if (const std::optional<StagedFault> fault = staged_vehicle_fault(v_)) fail_at(*fault);
    return std::move(v_);
  }

 private:
  [[noreturn]] void fail(const toml::source_region& region, const std::string& what) const {
    throw DeckError(DeckPlace{file_, region.begin.line, region.begin.column}, what);
  }

  /// A fault of the checks, at the key it names or the nearest enclosing one.
  [[noreturn]] void fail_at(const StagedFault& fault) const {
    std::string field = fault.field;
    while (!field.empty()) {
      if (const auto at = places_.find(field); at != places_.end()) fail(at->second, field + ": " + fault.what);
      const std::size_t dot = field.rfind('.');
      field = dot == std::string::npos ? "" : field.substr(0, dot);
    }
    throw DeckError(DeckPlace{file_}, fault.field + ": " + fault.what);
  }

  void only_known(const toml::table& table, const Keys& known, const std::string& where) const {
    for (const auto& [key, node] : table) {
      if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
      fail(key.source(), "unknown key " + in_quotes(key.str()) + " " + where + "; did you mean " +
                             in_quotes(nearest_name(key.str(), known)) + "?");
    }
  }

  const toml::table* table_of(const toml::table& root, const std::string& key, bool required) {
    const toml::node* node = root.get(key);
    if (node == nullptr) {
      if (required) throw DeckError(DeckPlace{file_}, "missing table [" + key + "]");
      return nullptr;
    }
    const toml::table* table = node->as_table();
    if (table == nullptr) {
      fail(node->source(), in_quotes(key) + " must be the table [" + key + "], not " +
                               std::string(toml_type_words(node->type())));
    }
    places_.emplace(key, node->source());
    return table;
  }

  /// The array of tables [[key]] (empty when absent), placed at `field`.
  std::vector<const toml::table*> tables_of(const toml::table& root, const std::string& key,
                                            const std::string& field) {
    std::vector<const toml::table*> out;
    const toml::node* node = root.get(key);
    if (node == nullptr) return out;
    const toml::array* array = node->as_array();
    if (array == nullptr) {
      fail(node->source(), in_quotes(key) + " must be tables [[" + key + "]], not " +
                               std::string(toml_type_words(node->type())));
    }
    for (const toml::node& entry : *array) {
      if (!entry.is_table()) fail(entry.source(), "every [[" + key + "]] must be a table");
      out.push_back(entry.as_table());
    }
    places_.emplace(field, node->source());
    return out;
  }

  double number_of(const toml::node& node, const std::string& field, double minimum) {
    const auto* integer = node.as_integer();
    const auto* floating = node.as_floating_point();
    if (integer == nullptr && floating == nullptr) {
      fail(node.source(), field + " must be a number, not " + std::string(toml_type_words(node.type())));
    }
    const double x = integer != nullptr ? static_cast<double>(integer->get()) : floating->get();
    if (!std::isfinite(x)) fail(node.source(), field + " = " + shortest_text(x) + " is not a finite number");
    if (x < minimum) {
      fail(node.source(), field + " = " + shortest_text(x) + " is out of range: it must be at least " +
                              shortest_text(minimum));
    }
    places_.emplace(field, node.source());
    return x;
  }

  /// The number at `key`, at least `minimum`; `fallback` when the key is absent (or refused).
  double number(const toml::table& table, const std::string& key, const std::string& field,
                double minimum, std::optional<double> fallback) {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
      if (fallback) return *fallback;
      fail(table.source(), "missing key " + in_quotes(key) + " (" + field + ")");
    }
    return number_of(*node, field, minimum);
  }

  std::optional<double> maybe_number(const toml::table& table, const std::string& key,
                                     const std::string& field, double minimum) {
    if (table.get(key) == nullptr) return std::nullopt;
    return number(table, key, field, minimum, std::nullopt);
  }

  std::string string_of(const toml::node& node, const std::string& field) {
    const auto* text = node.as_string();
    if (text == nullptr) {
      fail(node.source(), field + " must be a string, not " + std::string(toml_type_words(node.type())));
    }
    places_.emplace(field, node.source());
    return text->get();
  }

  std::string word(const toml::node& node, const std::string& field, const Keys& words) {
    const std::string text = string_of(node, field);
    if (std::find(words.begin(), words.end(), text) == words.end()) {
      fail(node.source(), field + " = " + in_quotes(text) + " is no choice here; did you mean " +
                              in_quotes(nearest_name(text, words)) + "?");
    }
    return text;
  }

  /// Rows of numbers, each `width` wide: [[x, y], ...].
  std::vector<std::vector<double>> rows(const toml::node& node, const std::string& field,
                                        std::size_t width) {
    const toml::array* array = node.as_array();
    if (array == nullptr || array->empty()) {
      fail(node.source(), field + " must be an array of rows [[...], ...]");
    }
    std::vector<std::vector<double>> out;
    for (const toml::node& row : *array) {
      const toml::array* cells = row.as_array();
      if (cells == nullptr || cells->size() != width) {
        fail(row.source(), field + ": every row must hold " + std::to_string(width) + " numbers");
      }
      std::vector<double> values;
      for (const toml::node& cell : *cells) values.push_back(number_of(cell, field, NO_MINIMUM));
      out.push_back(std::move(values));
    }
    places_[field] = node.source();
    return out;
  }

  LinearTable table_rows(const toml::node& node, const std::string& field, double scale) {
    std::vector<TablePoint> points;
    for (const std::vector<double>& row : rows(node, field, 2)) points.push_back({row[0], row[1] * scale});
    return LinearTable(std::move(points));
  }

  void read_environment(const toml::table* table) {
    if (table == nullptr) return;
    only_known(*table, ENVIRONMENT_KEYS, "in [environment]");
    EarthModel& earth = v_.earth;
    earth.gravitational_parameter = number(*table, "gravitational_parameter",
                                           "environment.gravitational_parameter", 0.0,
                                           earth.gravitational_parameter);
    earth.equatorial_radius = number(*table, "equatorial_radius", "environment.equatorial_radius",
                                     0.0, earth.equatorial_radius);
    earth.rotation_rate = number(*table, "rotation_rate", "environment.rotation_rate", NO_MINIMUM,
                                 earth.rotation_rate);
    earth.j2 = number(*table, "j2", "environment.j2", NO_MINIMUM, earth.j2);
    if (const toml::node* model = table->get("atmosphere")) {
      if (word(*model, "environment.atmosphere", {"us1976", "exponential"}) == "exponential") {
        v_.air.kind = AirModel::Kind::exponential;
      }
    }
    v_.air.sea_level_density = number(*table, "sea_level_density", "environment.sea_level_density",
                                      0.0, v_.air.sea_level_density);
    v_.air.scale_height =
        number(*table, "scale_height", "environment.scale_height", 0.0, v_.air.scale_height);
  }

  void read_site(const toml::table* table) {
    only_known(*table, SITE_KEYS, "in [launch_site]");
    v_.site.latitude = number(*table, "latitude", "launch_site.latitude", NO_MINIMUM, std::nullopt) * DEG;
    v_.site.longitude = number(*table, "longitude", "launch_site.longitude", NO_MINIMUM, 0.0) * DEG;
    v_.site.altitude = number(*table, "altitude", "launch_site.altitude", 0.0, 0.0);
  }

  void read_elements(const toml::table& root) {
    const std::vector<const toml::table*> tables = tables_of(root, "element", "element");
    // Names first: a trigger may name an element further down the deck.
    for (const toml::table* table : tables) {
      const toml::node* name = table->get("name");
      if (name == nullptr) fail(table->source(), "every [[element]] needs a name");
      Element e;
      e.name = string_of(*name, "element.name");
      places_.emplace("element." + e.name, table->source());
      v_.elements.push_back(std::move(e));
    }
    for (std::size_t i = 0; i < tables.size(); ++i) read_element(*tables[i], v_.elements[i]);
  }

  void read_element(const toml::table& table, Element& e) {
    only_known(table, ELEMENT_KEYS, "in [[element]] " + in_quotes(e.name));
    const auto field = [&](const char* key) { return element_field(e, key); };
    e.count = static_cast<int>(number(table, "count", field("count"), 1.0, 1.0));
    if (e.count != number(table, "count", field("count"), 1.0, 1.0) || e.count > 1000) {
      fail(table.get("count")->source(), field("count") + " must be a whole number from 1 to 1000");
    }
    const bool inert = table.get("mass") != nullptr;
    if (inert) {
      for (const char* key : {"dry_mass", "propellant", "thrust", "thrust_table", "thrust_file",
                              "exhaust_velocity", "isp", "exit_area", "min_throttle",
                              "max_throttle", "ignition", "shutdown", "relights"}) {
        if (const toml::node* node = table.get(key)) {
          fail(node->source(), field(key) + ": an inert item (given by its mass) has no " + key);
        }
      }
      e.dry_mass = number(table, "mass", field("mass"), 0.0, std::nullopt);
      e.jettison = trigger(table, "jettison", field("jettison"), Trigger{});
      return;
    }
    e.dry_mass = number(table, "dry_mass", field("dry_mass"), 0.0, std::nullopt);
    e.propellant = number(table, "propellant", field("propellant"), 0.0, std::nullopt);
    read_thrust(table, e);
    const toml::node* ve = table.get("exhaust_velocity");
    const toml::node* isp = table.get("isp");
    if ((ve == nullptr) == (isp == nullptr)) {
      fail(table.source(), "element " + in_quotes(e.name) + " needs exactly one of exhaust_velocity [m/s] and isp [s]");
    }
    e.exhaust_velocity = ve != nullptr ? number_of(*ve, field("exhaust_velocity"), 0.0)
                                       : number_of(*isp, field("isp"), 0.0) * STANDARD_GRAVITY;
    if (!(e.exhaust_velocity > 0.0)) {
      fail((ve != nullptr ? ve : isp)->source(), field(ve != nullptr ? "exhaust_velocity" : "isp") + " must be above 0");
    }
    if (isp != nullptr) places_.emplace(field("exhaust_velocity"), isp->source());
    e.exit_area = number(table, "exit_area", field("exit_area"), 0.0, 0.0);
    // Without a minimum the engine runs at its maximum only.
    e.max_throttle = number(table, "max_throttle", field("max_throttle"), NO_MINIMUM, e.max_throttle);
    e.min_throttle = number(table, "min_throttle", field("min_throttle"), NO_MINIMUM, e.max_throttle);
    e.ignition = trigger(table, "ignition", field("ignition"), std::nullopt);
    e.shutdown = trigger(table, "shutdown", field("shutdown"), Trigger{Trigger::Kind::depletion});
    const std::vector<const toml::table*> relights = tables_of(table, "relights", field("relights"));
    for (std::size_t k = 1; k <= relights.size(); ++k) {
      const toml::table& burn = *relights[k - 1];
      only_known(burn, RELIGHT_KEYS, "in a relight of " + in_quotes(e.name));
      places_.emplace(element_field(e, "relights." + std::to_string(k)), burn.source());
      Relight relight;
      relight.ignition = trigger(burn, "ignition", burn_field(e, k, "ignition"), std::nullopt);
      relight.shutdown = trigger(burn, "shutdown", burn_field(e, k, "shutdown"), relight.shutdown);
      e.relights.push_back(relight);
    }
    e.jettison = trigger(table, "jettison", field("jettison"), Trigger{});
  }

  void read_thrust(const toml::table& table, Element& e) {
    const toml::node* constant = table.get("thrust");
    const toml::node* rows_node = table.get("thrust_table");
    const toml::node* file_node = table.get("thrust_file");
    if ((constant != nullptr) + (rows_node != nullptr) + (file_node != nullptr) != 1) {
      fail(table.source(), "element " + in_quotes(e.name) +
                               " needs exactly one of thrust [N], thrust_table and thrust_file");
    }
    if (constant != nullptr) {
      e.thrust = number_of(*constant, element_field(e, "thrust"), 0.0);
    } else if (rows_node != nullptr) {
      e.thrust_table = table_rows(*rows_node, element_field(e, "thrust_table"), 1.0);
    } else {
      e.thrust_table = thrust_file(*file_node, element_field(e, "thrust_file"));
      places_.emplace(element_field(e, "thrust_table"), file_node->source());
    }
  }

  /// A thrust file's records as a table against time since ignition, from 0 N
  /// at ignition when the first record is later (the classic flight's rise).
  LinearTable thrust_file(const toml::node& node, const std::string& field) {
    const std::filesystem::path path =
        std::filesystem::path(file_).parent_path() / string_of(node, field);
    std::vector<TablePoint> points;
    try {
      const ThrustHistory history = ThrustHistory::read(path);
      if (history.stop_code() != ErrorCode::read_error || history.records().empty()) {
        fail(node.source(), field + ": " + history.stop_message());
      }
      if (history.records().front().t.value() > 0.0) points.push_back({0.0, 0.0});
      for (const ThrustRecord& r : history.records()) points.push_back({r.t.value(), r.thrust.value()});
    } catch (const RuntimeError& failure) {
      fail(node.source(), field + ": " + failure.what());
    }
    return LinearTable(std::move(points));
  }

  Trigger trigger(const toml::table& table, const std::string& key, const std::string& field,
                  std::optional<Trigger> fallback) {
    const toml::node* node = table.get(key);
    if (node == nullptr) {
      if (fallback) return *fallback;
      fail(table.source(), "missing key " + in_quotes(key) + " (" + field + ")");
    }
    places_.emplace(field, node->source());
    if (const toml::table* inline_table = node->as_table()) return trigger_table(*inline_table, field);
    if (!node->is_string()) {
      fail(node->source(), field + " must be a word such as \"liftoff\" or a table such as { time = 10.0 }");
    }
    return trigger_word(*node, string_of(*node, field), field);
  }

  Trigger trigger_word(const toml::node& node, const std::string& text, const std::string& field) {
    using K = Trigger::Kind;
    static const std::map<std::string, K> words{
        {"never", K::never},   {"liftoff", K::liftoff},     {"depletion", K::depletion},
        {"cutoff", K::cutoff}, {"burnout", K::own_burnout}, {"apogee", K::apogee},
        {"circular_speed", K::circular_speed}, {"target_energy", K::target_energy}};
    if (const auto at = words.find(text); at != words.end()) return Trigger{at->second};
    const std::size_t dot = text.rfind('.');
    if (dot == std::string::npos) {
      Keys choices;
      for (const auto& [w, kind] : words) choices.push_back(w);
      for (const Element& e : v_.elements) choices.push_back(e.name + ".burnout");
      fail(node.source(), field + " = " + in_quotes(text) + " is no event; did you mean " +
                              in_quotes(nearest_name(text, choices)) + "?");
    }
    Trigger t{K::after};
    const std::string name = text.substr(0, dot);
    const std::string moment = text.substr(dot + 1);
    const std::optional<std::size_t> element = v_.element_named(name);
    if (!element) {
      Keys names;
      for (const Element& e : v_.elements) names.push_back(e.name);
      fail(node.source(), field + ": no element is named " + in_quotes(name) + "; did you mean " +
                              in_quotes(nearest_name(name, names)) + "?");
    }
    t.element = *element;
    // "ignition2", "burnout3": the moment of a later burn.
    const std::size_t digits = moment.find_first_of("0123456789");
    const std::string moment_word = moment.substr(0, digits);
    if (digits != std::string::npos) {
      const std::string number = moment.substr(digits);
      const bool whole = number.find_first_not_of("0123456789") == std::string::npos &&
                         number.size() <= 3 && number.front() != '0' && number != "1";
      if (!whole || moment_word == "jettison") {
        fail(node.source(), field + ": " + in_quotes(moment) +
                                " is no moment of an element: a later burn's is \"ignition2\", \"burnout2\", ...");
      }
      t.burn = std::stoul(number) - 1;
    }
    const auto m = std::find(MOMENT_WORDS.begin(), MOMENT_WORDS.end(), moment_word);
    if (m == MOMENT_WORDS.end()) {
      fail(node.source(), field + ": " + in_quotes(moment) + " is no moment of an element; did you mean " +
                              in_quotes(nearest_name(moment, MOMENT_WORDS)) + "?");
    }
    t.moment = static_cast<ElementMoment>(m - MOMENT_WORDS.begin());
    return t;
  }

  Trigger trigger_table(const toml::table& table, const std::string& field) {
    using K = Trigger::Kind;
    only_known(table, TRIGGER_KEYS, "in " + field);
    static const std::vector<std::pair<std::string, K>> valued{
        {"time", K::time}, {"elapsed", K::elapsed}, {"altitude", K::altitude},
        {"heat_flux_below", K::heat_flux_below}, {"speed", K::speed},
        {"apogee_altitude", K::apogee_altitude}};
    std::optional<Trigger> found;
    for (const auto& [key, kind] : valued) {
      if (table.get(key) == nullptr) continue;
      if (found) fail(table.source(), field + " must wait for one thing only");
      found = Trigger{kind, number(table, key, field, 0.0, std::nullopt)};
    }
    if (const toml::node* after = table.get("after")) {
      if (found) fail(table.source(), field + " must wait for one thing only");
      found = trigger_word(*after, string_of(*after, field), field);
      if (found->kind != K::after) fail(after->source(), field + ": after needs \"<element>.<moment>\"");
      found->delay = number(table, "delay", field, 0.0, 0.0);
    } else if (table.get("delay") != nullptr) {
      fail(table.get("delay")->source(), field + ": a delay goes with after = \"<element>.<moment>\"");
    }
    if (!found) {
      fail(table.source(), field + " waits for nothing: give time, elapsed, altitude, heat_flux_below, "
                                   "speed, apogee_altitude or after");
    }
    return *found;
  }

  void read_aerodynamics(const toml::table& root) {
    const std::vector<const toml::table*> tables = tables_of(root, "aerodynamics", "aerodynamics");
    for (std::size_t i = 0; i < tables.size(); ++i) {
      const toml::table& table = *tables[i];
      const std::string field = "aerodynamics." + std::to_string(i + 1);
      only_known(table, AERO_KEYS, "in [[aerodynamics]]");
      places_.emplace(field, table.source());
      AeroConfiguration a;
      a.from = trigger(table, "from", field + ".from", i == 0 ? std::optional{Trigger{Trigger::Kind::liftoff}} : std::nullopt);
      a.drag.reference_area = number(table, "reference_area", field + ".reference_area", 0.0, std::nullopt);
      const toml::node* cd = table.get("drag_coefficient");
      const toml::node* cd_table = table.get("drag_table");
      if ((cd == nullptr) == (cd_table == nullptr)) {
        fail(table.source(), field + " needs exactly one of drag_coefficient and drag_table");
      }
      if (cd != nullptr) a.drag.drag_coefficient = number_of(*cd, field + ".drag_coefficient", 0.0);
      if (cd_table != nullptr) a.drag.against_mach = table_rows(*cd_table, field + ".drag_table", 1.0);
      v_.aerodynamics.push_back(std::move(a));
    }
  }

  void read_phases(const toml::table& root) {
    const std::vector<const toml::table*> tables = tables_of(root, "phase", "phase");
    for (std::size_t i = 0; i < tables.size(); ++i) {
      const toml::table& table = *tables[i];
      Phase p;
      p.name = "phase" + std::to_string(i + 1);
      if (const toml::node* name = table.get("name")) p.name = string_of(*name, "phase.name");
      places_.emplace("phase." + p.name, table.source());
      only_known(table, PHASE_KEYS, "in [[phase]] " + in_quotes(p.name));
      const auto field = [&](const char* key) { return phase_field(p, key); };
      const toml::node* steering = table.get("steering");
      if (steering == nullptr) fail(table.source(), "missing key \"steering\" (" + field("steering") + ")");
      const std::string kind = word(*steering, field("steering"), STEERING_WORDS);
      StagedSteering& s = p.steering;
      s.kind = static_cast<StagedSteering::Kind>(
          std::find(STEERING_WORDS.begin(), STEERING_WORDS.end(), kind) - STEERING_WORDS.begin());
      if (const auto offset = maybe_number(table, "pitch_offset", field("pitch_offset"), NO_MINIMUM)) {
        s.pitch_offset = *offset * DEG;
      }
      s.pitch_rate = number(table, "pitch_rate", field("pitch_rate"), NO_MINIMUM, 0.0) * DEG;
      if (const toml::node* pitch = table.get("pitch")) s.pitch = table_rows(*pitch, field("pitch"), DEG);
      if (const toml::node* yaw = table.get("yaw")) s.yaw = table_rows(*yaw, field("yaw"), DEG);
      if (const toml::node* direction = table.get("direction")) {
        for (const std::vector<double>& row : rows(*direction, field("direction"), 4)) {
          s.directions.times.push_back(row[0]);
          s.directions.directions.emplace_back(row[1], row[2], row[3]);
        }
      }
      s.law_exponent = number(table, "exponent", field("exponent"), 0.0, 1.0);
      s.maxa = number(table, "maxa", field("maxa"), 0.0, 180.0) * DEG;
      s.guidance.cycle = number(table, "cycle", field("cycle"), 0.0, s.guidance.cycle);
      s.guidance.hold = number(table, "hold", field("hold"), 0.0, s.guidance.hold);
      read_throttle(table, p);
      p.end = trigger(table, "until", field("until"), std::nullopt);
      v_.phases.push_back(std::move(p));
    }
  }

  /// A phase's throttle: one setting for the whole phase, or rows [time, setting]
  /// each held until the next; and the dynamic-pressure limit.
  void read_throttle(const toml::table& table, Phase& p) {
    const std::string field = phase_field(p, "throttle");
    if (const toml::node* throttle = table.get("throttle")) {
      if (throttle->is_array()) {
        for (const std::vector<double>& row : rows(*throttle, field, 2)) {
          p.throttle.settings.push_back({row[0], row[1]});
        }
      } else {
        // From the start of the flight: the phase is flown at it whenever it comes.
        p.throttle.settings.push_back({0.0, number_of(*throttle, field, NO_MINIMUM)});
      }
    }
    p.throttle.dynamic_pressure_limit =
        number(table, "dynamic_pressure_limit", phase_field(p, "dynamic_pressure_limit"), 0.0, 0.0);
  }

  void read_target(const toml::table* table) {
    only_known(*table, TARGET_KEYS, "in [target]");
    StagedTarget& t = v_.target;
    if (table->get("semi_major_axis") != nullptr || table->get("eccentricity") != nullptr) {
      for (const char* key : {"perigee", "apogee"}) {
        if (const toml::node* node = table->get(key)) {
          fail(node->source(), "target: give perigee and apogee or semi_major_axis and eccentricity, not both");
        }
      }
      const double a = number(*table, "semi_major_axis", "target.semi_major_axis", 0.0, std::nullopt);
      const double e = number(*table, "eccentricity", "target.eccentricity", 0.0, std::nullopt);
      if (!(e < 1.0)) fail(table->get("eccentricity")->source(), "target.eccentricity must be below 1: a closed orbit");
      const double R = v_.earth.equatorial_radius;
      t.perigee_altitude = a * (1.0 - e) - R;
      t.apogee_altitude = a * (1.0 + e) - R;
      places_.emplace("target.perigee", table->get("semi_major_axis")->source());
      places_.emplace("target.apogee", table->get("eccentricity")->source());
    } else {
      t.perigee_altitude = number(*table, "perigee", "target.perigee", NO_MINIMUM, std::nullopt);
      t.apogee_altitude = number(*table, "apogee", "target.apogee", NO_MINIMUM, std::nullopt);
    }
    t.inclination = number(*table, "inclination", "target.inclination", NO_MINIMUM, std::nullopt) * DEG;
    if (const auto node = maybe_number(*table, "ascending_node", "target.ascending_node", NO_MINIMUM)) {
      t.ascending_node = *node * DEG;
    }
    if (const auto w = maybe_number(*table, "argument_of_perigee", "target.argument_of_perigee", NO_MINIMUM)) {
      t.argument_of_perigee = *w * DEG;
    }
    if (const auto azimuth = maybe_number(*table, "azimuth", "target.azimuth", NO_MINIMUM)) {
      t.azimuth = *azimuth * DEG;
    }
    if (const toml::node* pass = table->get("pass")) {
      if (word(*pass, "target.pass", {"ascending", "descending"}) == "descending") {
        t.pass = OrbitPass::descending;
      }
    }
    t.minimum_perigee = number(*table, "minimum_perigee", "target.minimum_perigee", 0.0, t.minimum_perigee);
  }

  void read_limits(const toml::table* table) {
    if (table == nullptr) return;
    only_known(*table, LIMIT_KEYS, "in [limits]");
    LoadLimits& l = v_.limits;
    l.max_dynamic_pressure = number(*table, "max_dynamic_pressure", "limits.max_dynamic_pressure", 0.0, 0.0);
    l.max_q_alpha = number(*table, "max_q_alpha", "limits.max_q_alpha", 0.0, 0.0);
    l.max_axial_acceleration = number(*table, "max_axial_acceleration", "limits.max_axial_acceleration", 0.0, 0.0);
  }

  void read_flight(const toml::table* table) {
    if (table == nullptr) return;
    only_known(*table, FLIGHT_KEYS, "in [flight]");
    v_.step = number(*table, "step", "flight.step", 0.0, v_.step);
    v_.max_time = number(*table, "max_time", "flight.max_time", 0.0, v_.max_time);
  }

  std::string file_;
  StagedVehicle v_;
  std::map<std::string, toml::source_region> places_;
};

}  // namespace

bool is_staged_deck_text(std::string_view text) {
  try {
    const toml::table root = parse_toml(text, "");
    return root["deck"].value<std::string>() == std::string(STAGED_DECK_KIND);
  } catch (const toml::parse_error&) {
    return false;
  }
}

bool is_staged_deck(const std::filesystem::path& path) {
  try {
    return is_staged_deck_text(read_deck_file(path, "the vehicle deck"));
  } catch (const DeckError&) {
    return false;
  }
}

StagedVehicle read_staged_deck_text(std::string_view text, const std::string& file) {
  return StagedDeckReader(file).read(text);
}

StagedVehicle read_staged_deck(const std::filesystem::path& path) {
  return read_staged_deck_text(read_deck_file(path, "the vehicle deck"), path.string());
}

}  // namespace ascent
