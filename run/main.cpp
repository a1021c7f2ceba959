// ascent: interactive simulator of a launch vehicle's ascent to orbit.
#include <cstdio>

#include "run/simulation.hpp"

int main() {
  ascent::Simulation simulation(stdin, stdout);
  return ascent::run_session(simulation, stdout);
}
