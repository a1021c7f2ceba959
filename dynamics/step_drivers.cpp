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

void FlightDynamics::run_for_time(Real span) {
  FlightState& s = state;
  // Whole steps count the span down only when dt is positive and not lost in
  // its rounding; otherwise the loop would never end.
  if (span > s.dt && !(Real(span - s.dt) < span)) {
    throw FlightError(describe("cannot fly %g s in steps of %g s", span.value(), s.dt.value()));
  }
  while (span > s.dt) {
    rk4_step();
    span = span - s.dt;
  }
  // The last step, of the remainder.
  s.dt = span;
  rk4_step();
}

Real FlightDynamics::run_to_altitude(Real h_stop, Real span) {
  FlightState& s = state;
  if (!(s.dt > 0.0L)) {
    throw FlightError(describe("cannot climb to %.1f m with steps of %g s", h_stop.value(),
                               s.dt.value()));
  }
  int steps = 0;
  do {
    if (steps == MAX_CLIMB_STEPS) {
      throw FlightError(describe("the altitude of %.1f m was not passed by t = %.2f s",
                                 h_stop.value(), s.t.value()));
    }
    rk4_step();
    ++steps;
    span = span - s.dt;
  } while (!(s.h0 > h_stop));
  // One step of the same length back, to the last state below the limit.
  s.dt = -s.dt;
  rk4_step();
  return span - s.dt;
}

}  // namespace ascent
