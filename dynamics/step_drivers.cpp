// The step drivers: fly a span of time ending exactly on an event, or fly
// until the altitude passes a limit and take the last step back.
#include <cstdio>
#include <string>

#include "base/runtime_error.hpp"
#include "dynamics/flight_dynamics.hpp"

namespace ascent {

namespace {

std::string describe(const char* pattern, double a, double b) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b);
  return text;
}

}  // namespace

void FlightDynamics::run_for_time() {
  FlightState& s = state;
  // Whole steps count t_rem down only when dt is positive and not lost in the
  // rounding of t_rem; otherwise the loop would never end.
  if (s.t_rem > s.dt && !(Real(s.t_rem - s.dt) < s.t_rem)) {
    throw FlightError(
                       describe("cannot fly %g s in steps of %g s", s.t_rem.value(), s.dt.value()));
  }
  while (s.t_rem > s.dt) {
    rk4_step();
    s.t_rem = s.t_rem - s.dt;
  }
  // The last step, of the remainder; dt and t_rem are both left at its length.
  s.dt = s.t_rem;
  rk4_step();
}

void FlightDynamics::run_to_altitude() {
  FlightState& s = state;
  if (!(s.dt > 0.0L)) {
    throw FlightError(describe("cannot climb to %.1f m with steps of %g s",
                                                        s.h_stop.value(), s.dt.value()));
  }
  int steps = 0;
  do {
    if (steps == MAX_CLIMB_STEPS) {
      throw FlightError(
                         describe("the altitude of %.1f m was not passed by t = %.2f s",
                                  s.h_stop.value(), s.t.value()));
    }
    rk4_step();
    ++steps;
    s.t_rem = s.t_rem - s.dt;
  } while (!(s.h0 > s.h_stop));
  // One step of the same length back, to the last state below the limit.
  s.dt = -s.dt;
  rk4_step();
  s.t_rem = s.t_rem - s.dt;
}

}  // namespace ascent
