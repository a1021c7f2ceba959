#include "studies/dispersion_file.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "base/read_file.hpp"
#include "deck/nearest_name.hpp"
#include "deck/toml_parse.hpp"
#include "deck/toml_words.hpp"
#include "deck/vehicle_deck.hpp"
#include "studies/default_dispersions.hpp"

namespace ascent::studies {

namespace {

constexpr std::array DISTRIBUTION_KEYS{SIGMA_KEY, SIGMA_RELATIVE_KEY, UNIFORM_KEY,
                                       UNIFORM_RELATIVE_KEY};

std::string in_quotes(std::string_view text) {
  std::string quoted(1, '"');
  quoted.append(text);
  quoted += '"';
  return quoted;
}

/// Every name a parameter may have: the vehicle's fields and the scale factors.
const std::vector<std::string>& parameter_names() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const VehicleField& f : vehicle_fields()) all.push_back(f.name());
    for (const ScaleFactorName& s : SCALE_FACTORS) all.emplace_back(s.name);
    return all;
  }();
  return names;
}

/// A parameter's entry in the file.
struct Entry {
  std::string name;  ///< "group.key"
  const toml::key* key;
  const toml::node* node;
};

/// Reads one set, each failure placed at its line and column.
class SetReader {
 public:
  explicit SetReader(std::string_view source) : source_(source) {}

  DispersionSet read(const toml::table& root);

 private:
  [[noreturn]] void fail(const toml::source_region& where, const std::string& why) const {
    throw DispersionFileError(source_ + ":" + std::to_string(where.begin.line) + ":" +
                              std::to_string(where.begin.column) + ": " + why);
  }
  /// Adds the entries of a group's table to `entries`.
  void list_group(const toml::key& group, const toml::node& node, std::vector<Entry>& entries);
  void read_parameter(const std::string& name, const toml::key& key, const toml::node& node);
  /// The distribution of the parameter `name` from its table.
  Distribution distribution(const std::string& name, const toml::table& table);
  double number(const std::string& what, const toml::node& node) const;

  std::string source_;
  DispersionSet set_;
};

DispersionSet SetReader::read(const toml::table& root) {
  // Tables come sorted by key: put the parameters back in the file's order,
  // which the set, the case file's columns and the first mistake follow.
  std::vector<Entry> entries;
  for (const auto& [group, node] : root) list_group(group, node, entries);
  const auto position = [](const Entry& e) {
    const toml::source_position& at = e.key->source().begin;
    return std::pair(at.line, at.column);
  };
  std::sort(entries.begin(), entries.end(),
            [&](const Entry& a, const Entry& b) { return position(a) < position(b); });
  for (const Entry& e : entries) read_parameter(e.name, *e.key, *e.node);
  return std::move(set_);
}

void SetReader::list_group(const toml::key& group, const toml::node& node,
                           std::vector<Entry>& entries) {
  const toml::table* table = node.as_table();
  if (table == nullptr) {
    fail(node.source(), in_quotes(group.str()) + " must be a table of parameters (as [" +
                            std::string(group.str()) + "]), not " +
                            std::string(toml_type_words(node.type())));
  }
  for (const auto& [key, parameter] : *table) {
    entries.push_back({std::string(group.str()) + "." + std::string(key.str()), &key, &parameter});
  }
}

void SetReader::read_parameter(const std::string& name, const toml::key& key,
                               const toml::node& node) {
  const std::vector<std::string>& known = parameter_names();
  if (std::find(known.begin(), known.end(), name) == known.end()) {
    fail(key.source(), "unknown parameter " + in_quotes(name) + " (did you mean " +
                           in_quotes(nearest_name(name, known)) + "?)");
  }
  const toml::table* table = node.as_table();
  if (table == nullptr) {
    fail(node.source(), name + " must be a table with its distribution, as { " +
                            std::string(SIGMA_RELATIVE_KEY) + " = 0.01 }, not " +
                            std::string(toml_type_words(node.type())));
  }
  const Distribution d = distribution(name, *table);
  try {
    set_.add(name, d);
  } catch (const InputError& refused) {
    fail(key.source(), refused.what());
  }
}

Distribution SetReader::distribution(const std::string& name, const toml::table& table) {
  const std::vector<std::string> keys(DISTRIBUTION_KEYS.begin(), DISTRIBUTION_KEYS.end());
  const toml::key* given = nullptr;
  const toml::node* value = nullptr;
  Distribution d;
  for (const auto& [key, node] : table) {
    const std::string_view k = key.str();
    if (std::find(keys.begin(), keys.end(), k) == keys.end()) {
      fail(key.source(), name + ": unknown key " + in_quotes(k) + " (did you mean " +
                             in_quotes(nearest_name(k, keys)) + "?)");
    }
    if (given != nullptr) {
      fail(key.source(), name + ": " + std::string(k) + " and " + std::string(given->str()) +
                             " both give a distribution; keep one");
    }
    given = &key;
    value = &node;
  }
  if (given == nullptr) {
    fail(table.source(), name +
                             " has no distribution: give one of sigma, sigma_relative, "
                             "uniform or uniform_relative");
  }
  const std::string_view k = given->str();
  const std::string what = name + "." + std::string(k);
  d.relative = k == SIGMA_RELATIVE_KEY || k == UNIFORM_RELATIVE_KEY;
  if (k == SIGMA_KEY || k == SIGMA_RELATIVE_KEY) {
    d.shape = Distribution::Shape::normal;
    d.sigma = number(what, *value);
  } else {
    d.shape = Distribution::Shape::uniform;
    const toml::array* bounds = value->as_array();
    if (bounds == nullptr || bounds->size() != 2) {
      fail(value->source(), what + " must be an array of two bounds, [low, high], not " +
                                (bounds == nullptr ? std::string(toml_type_words(value->type()))
                                                   : std::to_string(bounds->size()) + " values"));
    }
    d.low = number(what + " low bound", *bounds->get(0));
    d.high = number(what + " high bound", *bounds->get(1));
  }
  if (const std::string fault = distribution_fault(d); !fault.empty()) {
    fail(value->source(), what + ": " + fault);
  }
  return d;
}

double SetReader::number(const std::string& what, const toml::node& node) const {
  // An integer is a number however large: toml++'s value<double>() gives
  // none for one a double does not hold exactly (above 2^53).
  const std::optional<double> value =
      node.is_integer()          ? std::optional(static_cast<double>(node.as_integer()->get()))
      : node.is_floating_point() ? node.value<double>()
                                 : std::nullopt;
  if (!value) {
    fail(node.source(),
         what + " must be a number, not " + std::string(toml_type_words(node.type())));
  }
  if (!std::isfinite(*value)) fail(node.source(), what + " must be a finite number");
  return *value;
}

}  // namespace

DispersionSet parse_dispersion_set(std::string_view text, std::string_view source) {
  toml::table root;
  try {
    root = parse_toml(text, source);
  } catch (const toml::parse_error& error) {
    const toml::source_position& at = error.source().begin;
    throw DispersionFileError(std::string(source) + ":" + std::to_string(at.line) + ":" +
                              std::to_string(at.column) + ": " + std::string(error.description()));
  }
  return SetReader(source).read(root);
}

DispersionSet read_dispersion_file(const std::filesystem::path& path) {
  const FileOwner file = open_for_reading(path, "the dispersion set");
  // No larger than a vehicle deck: a set names a few dozen parameters, and
  // a file of gigabytes would be read whole before the parser saw it.
  std::string text(MAX_DECK_SIZE + 1, '\0');
  const std::size_t got = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get()) != 0) {
    throw FileError(ErrorCode::read_error, FileUse::input, path.string() + ": cannot be read");
  }
  if (got > MAX_DECK_SIZE) {
    throw DispersionFileError(path.string() + ": larger than " + std::to_string(MAX_DECK_SIZE) +
                              " bytes: not a dispersion set");
  }
  text.resize(got);
  return parse_dispersion_set(text, path.string());
}

const DispersionSet& default_dispersion_set() {
  static const DispersionSet set =
      parse_dispersion_set(DEFAULT_DISPERSIONS_TOML, "data/dispersions.toml (built in)");
  return set;
}

}  // namespace ascent::studies
