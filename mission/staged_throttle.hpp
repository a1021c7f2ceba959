// The throttle of a staged flight's engines. A phase commands a fraction of
// the vacuum thrust: settings against mission time, each held from its time
// until the next, and optionally a dynamic-pressure limit that lowers the
// command so that q holds at the limit. Every engine follows the command
// within its own range (Element::min_throttle to max_throttle); its mass
// flow scales with its thrust. The command is held over a step, as the
// steering's parameters are, so RK4 keeps its order and each engine's
// propellant follows in closed form.
#pragma once

#include <vector>

#include "base/linear_table.hpp"

namespace ascent {

struct ThrottleLaw {
  /// [s, 1] each setting from its mission time on; full throttle before the first.
  std::vector<TablePoint> settings;
  /// [Pa] the dynamic pressure the command is lowered to hold; 0: no limit.
  double dynamic_pressure_limit = 0.0;

  /// [1] the command at mission time `t`: the last setting at or before it.
  [[nodiscard]] double command(double t) const;
  /// [s] the first setting's time after `t`, infinity when none.
  [[nodiscard]] double next_setting(double t) const;

  bool operator==(const ThrottleLaw&) const = default;
};

/// [1] an engine's throttle for a command: the command within its range.
[[nodiscard]] double engine_throttle(double command, double min_throttle, double max_throttle);

/// The command in [low, high] at which `too_high(command)` turns from false
/// to true, to `tolerance`; `low` when it is true already there. The
/// dynamic-pressure limit's search: a larger command gives a larger q.
template <class TooHigh>
[[nodiscard]] double largest_command_below(double low, double high, double tolerance,
                                           TooHigh too_high) {
  if (too_high(low)) return low;
  while (high - low > tolerance) {
    const double mid = 0.5 * (low + high);
    (too_high(mid) ? high : low) = mid;
  }
  return low;
}

}  // namespace ascent
