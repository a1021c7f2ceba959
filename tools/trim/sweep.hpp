// A sweep: many turn times, each trimmed, spread over threads. Each flight
// is its own Simulation, so the flights share nothing and the results do
// not depend on how many threads fly them.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "tools/trim/trim_solver.hpp"

namespace ascent::trim {

/// Decimals of the turn times a sweep generates.
inline constexpr int TURN_TIME_DECIMALS = 6;

/// from, from + step, ... up to `to` (included when a step lands on it within
/// a millionth of a step), each as the text that would be typed.
std::vector<TypedNumber> turn_times_between(double from, double to, double step);

/// Reports `done` of `total` turn times; called from the worker threads, one
/// call at a time.
using SweepProgress = std::function<void(std::size_t done, std::size_t total)>;

/// Trims every turn time on `threads` threads (0: one per core). The results
/// come in the order of `turn_times`. A failure of one flight (the thrust
/// file cannot be flown) stops the sweep and is thrown here.
std::vector<TrimResult> sweep(const TrimSettings& settings,
                              const std::vector<TypedNumber>& turn_times, unsigned threads = 0,
                              const SweepProgress& progress = {});

/// The index of the trimmed result with the largest SC_M (the first of equals).
std::optional<std::size_t> largest_payload(const std::vector<TrimResult>& results);

}  // namespace ascent::trim
