// The shortest program on the flight library: one flight of the default
// vehicle with the sample booster thrust file, its orbit and payload.
//
//   fly_one_flight data/s1.dat
#include <cstdio>

#include "mission/flight.hpp"

int main(int argc, char** argv) {
  const char* thrust_file = argc > 1 ? argv[1] : "s1.dat";
  try {
    const ascent::ThrustHistory thrust = ascent::ThrustHistory::read(thrust_file);
    const ascent::FlightResult flight = ascent::fly(ascent::Vehicle{}, thrust, {20.0, 18.0, {}});
    std::printf("in orbit: %s\n", flight.in_orbit() ? "yes" : "no");
    std::printf("perigee %.1f km, apogee %.1f km\n", flight.orbit.perigee / 1000,
                flight.orbit.apogee / 1000);
    std::printf("spacecraft mass %.0f kg\n", flight.budget.SC_M);
    return flight.in_orbit() ? 0 : 1;
  } catch (const ascent::RuntimeError& failure) {
    std::fprintf(stderr, "fly_one_flight: %s\n", failure.what());
    return 2;
  }
}
