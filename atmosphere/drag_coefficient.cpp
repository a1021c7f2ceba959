// Drag coefficient of the vehicle against the Mach number: a subsonic plateau,
// a jump just above Mach 1, a transonic plateau to Mach 1.4, three falling
// straight segments to Mach 5 and a constant hypersonic value.
#include "atmosphere/drag_coefficient.hpp"

#include <cmath>

namespace ascent {

Real drag_coefficient(Real M) {
  if (!(M < 5.0L)) return 0.55L;
  // The segment is chosen by the integer nearest M - 0.5, a tie going to the
  // even integer (the default rounding mode): Mach 1 stays subsonic, Mach 2
  // and 3 fall in the segment starting at Mach 2, Mach 4 in the last one.
  // rint rounds as nearbyint does but skips saving the x87 environment.
  const Extended k = std::rint(M - 0.5L);
  if (k >= 3.0L) return 0.59L - 0.02L * (M - 3.0L);
  if (k == 2.0L) return 0.69L - 0.1L * (M - 2.0L);
  if (k == 1.0L) {
    if (M < 1.4L) return 0.8L;
    return 0.8L - 0.11L * (M - 1.4L) / 0.6L;
  }
  // k = 0: the subsonic plateau, which also answers for a negative Mach
  // number (k < 0), never passed by the flight dynamics.
  return 0.4L;
}

}  // namespace ascent
