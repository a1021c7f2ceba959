// Doubles as the shortest text that reads back to the same double.
#pragma once

#include <string>

namespace ascent {

/// The shortest decimal text of `x` that reads back to `x` bit for bit, in
/// fixed point while that is at most 24 characters long: "28.45", "200000",
/// "0.0006786651738936614", "1.5e-30", "inf", "nan".
[[nodiscard]] std::string shortest_text(double x);

}  // namespace ascent
