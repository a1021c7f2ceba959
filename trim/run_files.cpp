#include "trim/run_files.hpp"

#include "base/runtime_error.hpp"
#include "mission/recommended_maxa.hpp"
#include "text/file_guard.hpp"
#include "text/folder_lock.hpp"
#include "text/run_writer.hpp"
#include "text/session_files.hpp"

namespace ascent::trim {

using studies::fly;
using studies::TypedNumber;

namespace {

/// The output file and the plot files of one run, opened once every claim
/// on them has passed the guard: a refusal empties nothing.
struct RunChannels {
  TextChannel output;
  PlotChannels plots;

  void close() {
    output.close();
    for (TextChannel* plot : {&plots.speed, &plots.height, &plots.accel, &plots.dynpres}) {
      plot->close();
    }
  }
  void abandon() noexcept {
    output.abandon();
    for (TextChannel* plot : {&plots.speed, &plots.height, &plots.accel, &plots.dynpres}) {
      plot->abandon();
    }
  }
};

void write_run(const Vehicle& vehicle, const std::filesystem::path& thrust_file,
               const TypedNumber& turn_time, const TypedNumber& maxa,
               const std::filesystem::path& folder, const std::string& output_name,
               const std::filesystem::path& vehicle_deck, RunChannels& files) {
  const FolderLock lock = FolderLock::acquire(folder);
  FileGuard guard;
  guard.add_standard_streams(stdin, stdout);
  guard.add_read_file(thrust_file, "the booster thrust file");
  if (!vehicle_deck.empty()) guard.add_read_file(vehicle_deck, "the vehicle deck");
  guard.claim_replacing(folder / CONSTANTS_FILE, "the constants file");
  for (const std::string_view plot : {SPEED_FILE, HEIGHT_FILE, ACCEL_FILE, DYNPRES_FILE}) {
    guard.claim(folder / plot, "a plot file");
  }
  guard.claim(folder / output_name, "the output file");

  files.output = TextChannel::create(folder / output_name);
  files.plots.speed = TextChannel::create(folder / SPEED_FILE);
  files.plots.height = TextChannel::create(folder / HEIGHT_FILE);
  files.plots.accel = TextChannel::create(folder / ACCEL_FILE);
  files.plots.dynpres = TextChannel::create(folder / DYNPRES_FILE);

  TextChannel& out = files.output;
  write_table_header(out, LATIN1_SYMBOLS);
  write_answer(out, TURN_TIME_PROMPT, turn_time.value);
  const ThrustHistory thrust = ThrustHistory::read(thrust_file);
  RunWriter table(out, &files.plots);
  FlightPlan plan;
  plan.turn_time = turn_time.value;
  plan.maxa_at_separation = [&] {
    write_answer(out, MAXA_PROMPT, maxa.value);
    return maxa.value;
  };
  const FlightResult result = fly(vehicle, thrust, plan, &table);

  RecommendedMaxa secant;
  if (result.separated()) {
    secant.add_run(result.maxa, result.orbit.average_altitude, vehicle.target.altitude);
  }
  LoadMaxima maxima = result.maxima;
  write_run_end(out, result,
                {vehicle, secant.recommended(), LATIN1_SYMBOLS, &maxima, folder / CONSTANTS_FILE});
  write_answer(out, TURN_TIME_PROMPT, -1.0L);
  files.close();
}

}  // namespace

int write_run_files(const Vehicle& vehicle, const std::filesystem::path& thrust_file,
                    const TypedNumber& turn_time, const TypedNumber& maxa,
                    const std::filesystem::path& folder, const std::string& output_name,
                    std::FILE* report, const std::filesystem::path& vehicle_deck) {
  RunChannels files;
  try {
    write_run(vehicle, thrust_file, turn_time, maxa, folder, output_name, vehicle_deck, files);
    return 0;
  } catch (const RuntimeError& failure) {
    files.abandon();
    write_failure_report(failure, report);
    return failure.code();
  }
}

}  // namespace ascent::trim
