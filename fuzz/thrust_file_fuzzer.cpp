// Fuzz target: the booster thrust file reader. The input is written as the
// file and read record by record until the reader refuses it. Every record
// handed out must be finite, its thrust not negative, its time after 0 and
// after the record before, and at most MAX_RECORD_INTERVAL after it; every
// refusal must be a read error (100), an invalid number (106) or a file that
// cannot be flown (201).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.hpp"
#include "mission/booster_thrust_file.hpp"
#include "base/runtime_error.hpp"

namespace {

using ascent::fuzz::check;

/// More records than a flight reads (one per second up to 128.4 s).
constexpr int MAX_RECORDS = 10000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ascent::fuzz::ScratchFolder folder;
  folder.write("s1.dat", std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    ascent::BoosterThrustFile file(folder.path() / "s1.dat");
    double last_t = 0.0;
    for (int n = 0; n < MAX_RECORDS; ++n) {
      const ascent::BoosterRecord record = file.read_record();
      check(std::isfinite(record.t.value()) && std::isfinite(record.thrust.value()));
      check(record.thrust.value() >= 0.0);
      check(record.t.value() > last_t);
      check(record.t.value() - last_t <= ascent::MAX_RECORD_INTERVAL);
      check(file.records_read() == n + 1);
      last_t = record.t.value();
    }
  } catch (const ascent::RuntimeError& refusal) {
    check(refusal.code() == 100 || refusal.code() == 106 || refusal.code() == 201);
  }
  return 0;
}
