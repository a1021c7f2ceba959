// Fuzz target: the fixed-point writer against snprintf("%*.*Lf"). The input is
// the 10 bytes of an x87 extended value (any pattern: NaNs, subnormals,
// non-canonical encodings), a signed byte of width, a signed byte of decimals
// and, when present, a byte choosing the rounding mode.
//
// Invariants: the text is byte for byte snprintf's; with one byte less of room
// the same length comes back and nothing is written past the room (an exact
// heap block, watched by AddressSanitizer).
#include <cfenv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "fuzz_support.hpp"
#include "text/decimal_format.hpp"

namespace {

using ascent::fuzz::check;

constexpr std::size_t VALUE_BYTES = 10;
constexpr int ROUNDING_MODES[] = {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO};

void compare_with_printf(long double x, int width, int decimals) {
  char reference[8192];
  const int printed = std::snprintf(reference, sizeof reference, "%*.*Lf", width, decimals, x);
  check(printed >= 0 && static_cast<std::size_t>(printed) < sizeof reference);
  const auto length = static_cast<std::size_t>(printed);

  std::vector<char> exact(length);
  check(ascent::write_fixed(exact.data(), exact.size(), x, width, decimals) == length);
  check(std::memcmp(exact.data(), reference, length) == 0);

  if (length == 0) return;
  std::vector<char> short_by_one(length - 1);
  check(ascent::write_fixed(short_by_one.data(), short_by_one.size(), x, width, decimals) == length);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < VALUE_BYTES + 2) return 0;
  long double x = 0.0L;
  std::memcpy(&x, data, VALUE_BYTES);
  const int width = static_cast<std::int8_t>(data[VALUE_BYTES]);
  const int decimals = static_cast<std::int8_t>(data[VALUE_BYTES + 1]);
  const int mode = size > VALUE_BYTES + 2 ? ROUNDING_MODES[data[VALUE_BYTES + 2] % 4] : FE_TONEAREST;

  check(std::fesetround(mode) == 0);
  compare_with_printf(x, width, decimals);
  std::fesetround(FE_TONEAREST);
  return 0;
}
