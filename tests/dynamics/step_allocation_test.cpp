// A Runge-Kutta step, with its row and plot lines, takes no memory from the
// free store. This program replaces the global operator new to count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "dynamics/flight_harness.hpp"

namespace {

long& allocations() {
  static long count = 0;
  return count;
}

}  // namespace

void* operator new(std::size_t size) {
  ++allocations();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace ascent::testing {
namespace {

TEST(StepAllocation, NoneInAnySteeringMode) {
  FlightHarness h(Output::file);
  FlightState& s = h.state();
  for (const SteeringLaw& law : every_steering_law()) {
    set_core_climb(s);
    s.steering.law = law;
    s.steering.maxa = 0.5;
    s.force_count = 3;
    h.sim.rk4_step();  // the first write may give the streams their buffers
    const long before = allocations();
    for (int i = 0; i < 10; ++i) h.sim.rk4_step();
    EXPECT_EQ(allocations(), before) << "steering law " << law.index();
  }
}

}  // namespace
}  // namespace ascent::testing
