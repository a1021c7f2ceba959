#include "deck/field_value.hpp"

#include <cmath>
#include <limits>

#include "deck/shortest_text.hpp"

namespace ascent {

namespace {

/// "greater than 0 kg and at most 1e+08 kg": the range of a field in words.
std::string range_text(const VehicleField& f) {
  std::string unit;
  if (f.unit != "1") {
    unit = ' ';
    unit += f.unit;
  }
  std::string text;
  if (f.minimum == std::numeric_limits<double>::denorm_min()) {
    text = "greater than 0";
  } else {
    text = "at least ";
    text += shortest_text(f.minimum);
  }
  text += unit;
  if (f.maximum < std::numeric_limits<double>::max()) {
    text += " and at most ";
    text += shortest_text(f.maximum);
    text += unit;
  }
  return text;
}

}  // namespace

std::string field_value_fault(const VehicleField& f, double x) {
  std::string fault = f.name();
  fault += " = ";
  fault += shortest_text(x);
  if (f.whole && x != std::trunc(x)) {
    fault += " is not a whole number";
  } else if (!(x >= f.minimum && x <= f.maximum)) {
    if (f.unit != "1") {
      fault += ' ';
      fault += f.unit;
    }
    fault += " is out of range: it must be ";
    fault += range_text(f);
  } else {
    return "";
  }
  fault += " (";
  fault += f.what;
  fault += ')';
  return fault;
}

}  // namespace ascent
