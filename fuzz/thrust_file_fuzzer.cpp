// Fuzz target: the booster thrust file reader. The input is written as the
// file and read as a thrust history. Every record it holds must be finite, its thrust not negative, its time after 0 and
// after the record before, and at most MAX_RECORD_INTERVAL after it; every
// record past the last must be refused with a read error (100), an invalid number (106) or a file that
// cannot be flown (201).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.hpp"
#include "mission/thrust_history.hpp"
#include "base/runtime_error.hpp"

namespace {

using ascent::fuzz::check;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ascent::fuzz::ScratchFolder folder;
  folder.write("s1.dat", std::string_view(reinterpret_cast<const char*>(data), size));
  const ascent::ThrustHistory history = ascent::ThrustHistory::read(folder.path() / "s1.dat");
  double last_t = 0.0;
  for (const ascent::ThrustRecord& record : history.records()) {
    check(std::isfinite(record.t.value()) && std::isfinite(record.thrust.value()));
    check(record.thrust.value() >= 0.0);
    check(record.t.value() > last_t);
    check(record.t.value() - last_t <= ascent::MAX_RECORD_INTERVAL);
    last_t = record.t.value();
  }
  try {
    (void)history.record(history.records().size());
    check(false);
  } catch (const ascent::RuntimeError& refusal) {
    check(refusal.code() == 100 || refusal.code() == 106 || refusal.code() == 201);
  }
  return 0;
}
