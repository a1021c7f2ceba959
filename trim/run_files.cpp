#include "trim/run_files.hpp"

#include "console/session.hpp"

namespace ascent::trim {

int write_run_files(const Vehicle& vehicle, const std::filesystem::path& thrust_file,
                    const TypedNumber& turn_time, const TypedNumber& maxa,
                    const std::filesystem::path& folder, const std::string& output_name,
                    std::FILE* report, const std::filesystem::path& vehicle_deck) {
  Session session(stdin, stdout, folder);
  session.vehicle = vehicle;
  session.vehicle_deck = vehicle_deck;
  session.booster_thrust_file = thrust_file;
  try {
    session.run_without_asking(output_name, turn_time.value, maxa.value);
    return 0;
  } catch (const RuntimeError& failure) {
    session.io.abandon();
    write_failure_report(failure, report);
    return failure.code();
  }
}

}  // namespace ascent::trim
