// ascent: interactive simulator of a launch vehicle's ascent to orbit.
#include <cstdio>

#include "base/interruption.hpp"
#include "base/standard_descriptors.hpp"
#include "console/session.hpp"

int main() {
  ascent::reserve_standard_descriptors();
  ascent::install_interruption_handlers();
  ascent::Session session(stdin, stdout);
  const int status = ascent::run_session(session, stdout);
  // Ended by a signal as the shell expects, once every file is whole.
  ascent::end_if_interrupted();
  return status;
}
