#include "studies/plan_file.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/read_file.hpp"
#include "base/runtime_error.hpp"
#include "deck/guidance_names.hpp"
#include "studies/target.hpp"

namespace ascent::studies {

namespace {

/// [bytes] A plan is two lines; a larger file is not one.
constexpr std::size_t MAX_PLAN_FILE_SIZE = 65536;
/// [deg] The largest maximum angle of attack a plan may fly.
constexpr double LARGEST_MAXA = 90.0;

/// The fields of one CSV line; a quoted field may hold commas and doubled quotes.
std::vector<std::string> csv_fields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ',' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r') {
      fields.back() += c;
    }
  }
  return fields;
}

}  // namespace

Plan parse_plan(std::string_view text, std::string_view source) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const auto fail = [&](std::size_t line, const std::string& why) -> InputError {
    return InputError(ErrorCode::range_check,
                      std::string(source) + ":" + std::to_string(line) + ": " + why);
  };
  if (lines.empty()) throw fail(1, "empty: a plan is the header and the row of `optimize --csv`");
  const std::vector<std::string> header = csv_fields(lines[0]);
  const auto column = [&](std::string_view name) {
    const auto at = std::find(header.begin(), header.end(), name);
    if (at == header.end()) {
      throw fail(1, "no column " + std::string(name) + " (the header of `optimize --csv`)");
    }
    return static_cast<std::size_t>(at - header.begin());
  };
  const auto optional_column = [&](std::string_view name) -> std::optional<std::size_t> {
    const auto at = std::find(header.begin(), header.end(), name);
    if (at == header.end()) return std::nullopt;
    return static_cast<std::size_t>(at - header.begin());
  };
  const std::size_t turn_time_column = column("turn_time_s");
  const std::size_t maxa_column = column("maxa_deg");
  if (lines.size() < 2 || lines[1].empty()) {
    throw fail(2, "no plan: the search found none feasible");
  }
  const std::vector<std::string> row = csv_fields(lines[1]);
  const auto value = [&](std::size_t at, std::string_view name, double lowest, double highest) {
    const std::optional<TypedNumber> number =
        at < row.size() ? typed_number(row[at]) : std::nullopt;
    if (!number || !(number->value >= lowest && number->value <= highest)) {
      throw fail(2, std::string(name) + " \"" + (at < row.size() ? row[at] : "") +
                        "\" is not a number from " + typed_number(lowest, 0).text + " to " +
                        typed_number(highest, 0).text);
    }
    return *number;
  };
  Plan plan{value(turn_time_column, "turn_time_s", 1.0, 1e6),
            value(maxa_column, "maxa_deg", 0.0, LARGEST_MAXA)};
  if (const std::optional<std::size_t> at = optional_column("guidance")) {
    const std::optional<UpperStageGuidance> guidance =
        *at < row.size() ? guidance_named(row[*at]) : std::nullopt;
    if (!guidance) {
      throw fail(2, "guidance \"" + (*at < row.size() ? row[*at] : "") + "\" is not " +
                        guidance_names_text());
    }
    plan.guidance = *guidance;
  }
  const auto apsis = [&](std::string_view name) -> std::optional<double> {
    const std::optional<std::size_t> at = optional_column(name);
    if (!at || plan.guidance != UpperStageGuidance::orbit_insertion) return std::nullopt;
    return value(*at, name, MINIMUM_TARGET_PERIGEE, MAXIMUM_TARGET_APOGEE).value;
  };
  plan.target_perigee = apsis("target_perigee_m");
  plan.target_apogee = apsis("target_apogee_m");
  if (plan.target_perigee.has_value() != plan.target_apogee.has_value()) {
    throw fail(1, "target_perigee_m and target_apogee_m come together");
  }
  if (plan.target_perigee && *plan.target_perigee > *plan.target_apogee) {
    throw fail(2, "target_perigee_m is above target_apogee_m");
  }
  return plan;
}

Vehicle vehicle_of_plan(const Vehicle& vehicle, const Plan& plan) {
  if (plan.guidance != UpperStageGuidance::orbit_insertion) return vehicle;
  return guided_vehicle(vehicle, plan.target_perigee, plan.target_apogee);
}

Plan read_plan_file(const std::filesystem::path& path) {
  const FileOwner file = open_for_reading(path, "the plan");
  std::string text(MAX_PLAN_FILE_SIZE + 1, '\0');
  const std::size_t got = std::fread(text.data(), 1, text.size(), file.get());
  if (std::ferror(file.get()) != 0) {
    throw FileError(ErrorCode::read_error, FileUse::input, path.string() + ": cannot be read");
  }
  if (got > MAX_PLAN_FILE_SIZE) {
    throw InputError(ErrorCode::range_check,
                     path.string() + ": larger than " + std::to_string(MAX_PLAN_FILE_SIZE) +
                         " bytes: not a plan");
  }
  text.resize(got);
  return parse_plan(text, path.string());
}

}  // namespace ascent::studies
