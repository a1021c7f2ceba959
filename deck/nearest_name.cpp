#include "deck/nearest_name.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

namespace ascent {

std::size_t edit_distance(std::string_view a, std::string_view b) {
  // One row of the table at a time: row[j] is the distance from the first
  // i characters of a to the first j of b.
  std::vector<std::size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0u : 1u)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearest_name(std::string_view name, std::span<const std::string> candidates) {
  const auto nearest = std::min_element(candidates.begin(), candidates.end(),
                                        [&](const std::string& x, const std::string& y) {
                                          return edit_distance(name, x) < edit_distance(name, y);
                                        });
  return nearest == candidates.end() ? std::string() : *nearest;
}

}  // namespace ascent
