// Drag coefficient of the vehicle against the Mach number.
#pragma once

#include "base/real.hpp"

namespace ascent {

/// Drag coefficient at Mach number `M` (M >= 0; a negative M, which no caller
/// passes, gets the subsonic value 0.4).
[[nodiscard]] Real drag_coefficient(Real M);

}  // namespace ascent
