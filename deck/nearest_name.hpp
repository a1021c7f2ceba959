// The known name nearest to a misspelt one, for "did you mean" in messages.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace ascent {

/// Levenshtein distance: the fewest insertions, deletions and substitutions
/// of single characters that turn `a` into `b`.
[[nodiscard]] std::size_t edit_distance(std::string_view a, std::string_view b);

/// The candidate nearest to `name` by edit distance, the first of equals;
/// "" when there is no candidate.
[[nodiscard]] std::string nearest_name(std::string_view name,
                                       std::span<const std::string> candidates);

}  // namespace ascent
