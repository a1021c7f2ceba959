#include "studies/row_status.hpp"

#include <array>

namespace ascent::studies {

namespace {

constexpr std::array<std::string_view, ROW_STATUS_COUNT - OUTCOME_COUNT> NOT_FLOWN{
    "out_of_reach", "not_converged", "out_of_range", "flight_error"};

}  // namespace

// A flight's status is its outcome, value for value.
static_assert(static_cast<int>(RowStatus::in_orbit) == static_cast<int>(Outcome::in_orbit) &&
              static_cast<int>(RowStatus::cannot_reach_orbit) ==
                  static_cast<int>(Outcome::cannot_reach_orbit) &&
              static_cast<std::size_t>(RowStatus::out_of_reach) == OUTCOME_COUNT);

RowStatus row_status(Outcome outcome) { return static_cast<RowStatus>(outcome); }

std::string_view row_status_name(RowStatus status) {
  const auto i = static_cast<std::size_t>(status);
  return i < OUTCOME_COUNT ? outcome_name(static_cast<Outcome>(i)) : NOT_FLOWN.at(i - OUTCOME_COUNT);
}

std::optional<RowStatus> row_status_named(std::string_view name) {
  for (std::size_t i = 0; i < ROW_STATUS_COUNT; ++i) {
    const auto status = static_cast<RowStatus>(i);
    if (row_status_name(status) == name) return status;
  }
  return std::nullopt;
}

}  // namespace ascent::studies
