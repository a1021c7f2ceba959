// A vehicle deck that cannot be flown: its syntax, its keys, their types, a
// value outside what can be flown, or values that contradict each other.
#pragma once

#include <string>

#include "base/runtime_error.hpp"

namespace ascent {

/// Where in a deck a problem sits; a line of 0 when only the file is known.
struct DeckPlace {
  std::string file;
  unsigned line = 0;
  unsigned column = 0;
};

/// The message is "<file>:<line>:<column>: <what>", "<file>: <what>" when
/// no place in the file is known, or just what when no file is (it could not be opened).
class DeckError : public InputError {
 public:
  DeckError(const DeckPlace& place, const std::string& what);

  [[nodiscard]] const DeckPlace& place() const { return place_; }
  /// The message without the place.
  [[nodiscard]] const std::string& problem() const { return problem_; }

 private:
  DeckPlace place_;
  std::string problem_;
};

}  // namespace ascent
