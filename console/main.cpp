// ascent: interactive simulator of a launch vehicle's ascent to orbit.
#include <cstdio>

#include "console/session.hpp"

int main() {
  ascent::Session session(stdin, stdout);
  return ascent::run_session(session, stdout);
}
