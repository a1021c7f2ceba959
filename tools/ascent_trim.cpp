// ascent-trim: trims the ascent to the target orbit, sweeps turn times for the
// largest payload, and exports the events and time history of a trimmed
// flight. Every flight is a flight of the interactive program's simulation.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "base/runtime_error.hpp"
#include "deck/vehicle_deck.hpp"
#include "mission/vehicle_fields.hpp"
#include "text/file_guard.hpp"
#include "tools/dispersion/dispersions_command.hpp"
#include "tools/trim/flight_recorder.hpp"
#include "tools/trim/progress_line.hpp"
#include "tools/trim/reports.hpp"
#include "tools/trim/run_files.hpp"
#include "tools/trim/sweep.hpp"

namespace {

using namespace ascent::trim;
/// A turn time as the interactive program reads it: its number grammar, at least 1 s.
CLI::Validator turn_time_check() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        const std::optional<TypedNumber> value = typed_number(text);
        if (!value) return "\"" + text + "\" is not a number";
        if (!(value->value >= 1.0)) return "a turn time must be at least 1 s";
        return "";
      },
      "SECONDS");
}

TrimResult trim_with_progress(const TrimSettings& settings, const TypedNumber& turn_time) {
  ProgressLine progress;
  int flights = 0;
  return trim_turn_time(settings, turn_time, [&](const TrimFlight& flight) {
    ++flights;
    std::string text = "turn time " + turn_time.text + " s, flight " + std::to_string(flights) +
                       ": maxa " + flight.maxa.text + " deg";
    if (flight.outcome.in_orbit) {
      text += ", average altitude " +
              typed_number(flight.outcome.average_altitude / 1000.0, 3).text + " km";
    } else {
      text += ", no orbit";
    }
    progress.show(text);
  });
}

/// Flies the trimmed angle once more, recording it.
FlightRecorder record_trimmed_flight(const TrimSettings& settings, const TrimResult& result,
                                     bool keep_steps) {
  FlightRecorder recorder(keep_steps);
  FlightRequest request;
  request.vehicle = &settings.vehicle;
  request.thrust = &settings.thrust;
  request.turn_time = result.turn_time;
  request.maxa = result.maxa;
  request.observer = &recorder;
  fly(request);
  return recorder;
}

void report_not_trimmed(const TrimResult& result) {
  std::cerr << "ascent-trim: turn time " << result.turn_time.text
            << " s not trimmed: " << result.message << "\n";
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Trims the launch vehicle's ascent to its target orbit: the maximum angle of attack for a "
      "turn time, a sweep of turn times for the largest payload, and the events and time "
      "history of a trimmed flight.",
      "ascent-trim"};
  app.require_subcommand(1);
  app.fallthrough();
  app.footer(
      "Examples, in the folder of s1.dat:\n"
      "  ascent-trim trim -t 20\n"
      "  ascent-trim events -t 20\n"
      "  ascent-trim history -t 20 -o flight.csv\n"
      "  ascent-trim sweep --from 10 --to 30 --csv > sweep.csv\n"
      "  ascent-trim dispersions -n 1000 --seed 1 -t 20 -o cases.csv\n"
      "  ascent-trim --vehicle vehicle.toml trim -t 20 --target-altitude 300000\n"
      "Exit status: 0, 1 when a trim fails or a flight cannot be flown, 2 for a bad command line "
      "or a vehicle deck that cannot be flown.");

  TrimSettings settings;
  std::string thrust_file = "s1.dat";
  bool csv = false;
  app.add_option("-f,--thrust-file", thrust_file, "Booster thrust file")
      ->capture_default_str()
      ->check(CLI::ExistingFile);
  std::string vehicle_file;
  app.add_option("--vehicle", vehicle_file,
                 "Vehicle deck to fly (TOML, as data/vehicle.toml); default: the built-in vehicle")
      ->type_name("FILE");
  app.add_flag("--csv", csv, "Write CSV instead of a readable table");
  app.add_option("--tolerance", settings.tolerance,
                 "[m] Largest miss of the target average altitude")
      ->capture_default_str()
      ->check(CLI::Range(0.001, 100000.0));
  app.add_option("--start-maxa", settings.start_maxa, "[deg] First maximum angle of attack flown")
      ->capture_default_str()
      ->check(CLI::Range(0.001, 90.0));
  app.add_option("--max-flights", settings.max_flights, "Flights a trim may take")
      ->capture_default_str()
      ->check(CLI::Range(2, 10000));

  std::string turn_time_text;
  const auto add_turn_time = [&](CLI::App* command) {
    command->add_option("-t,--turn-time", turn_time_text, "[s] Turn time, at least 1")
        ->required()
        ->check(turn_time_check());
  };

  double target_altitude = 0.0;
  const ascent::VehicleField& target_field = *ascent::find_vehicle_field("target.altitude");
  const auto add_target_altitude = [&](CLI::App* command) {
    return command
        ->add_option("--target-altitude", target_altitude,
                     "[m] Average orbit altitude aimed at, instead of the vehicle's "
                     "target.altitude (200000 for the built-in vehicle)")
        ->check(CLI::Range(target_field.minimum, target_field.maximum));
  };

  CLI::App* trim = app.add_subcommand(
      "trim", "The maximum angle of attack that brings the average orbit altitude to the target");
  add_turn_time(trim);
  const CLI::Option* trim_target = add_target_altitude(trim);
  std::string run_files;
  trim->add_option("--run-files", run_files,
                   "Fly the trimmed flight as ascent does with an output file: FOLDER/run.txt, "
                   "the four plot files and const_n.hpp")
      ->check(CLI::ExistingDirectory);

  CLI::App* events = app.add_subcommand("events", "The events of the trimmed flight");
  add_turn_time(events);

  CLI::App* history = app.add_subcommand("history", "The trimmed flight step by step, as CSV");
  add_turn_time(history);
  std::string history_file;
  history->add_option("-o,--output", history_file, "CSV file (default: the standard output)");

  CLI::App* sweep_command =
      app.add_subcommand("sweep", "Trims a range of turn times: the trade table of payload");
  double from = 0.0;
  double to = 0.0;
  double step = 1.0;
  unsigned jobs = 0;
  sweep_command->add_option("--from", from, "[s] First turn time")
      ->required()
      ->check(CLI::Range(1.0, 1000.0));
  sweep_command->add_option("--to", to, "[s] Last turn time")
      ->required()
      ->check(CLI::Range(1.0, 1000.0));
  sweep_command->add_option("--step", step, "[s] Between turn times")
      ->capture_default_str()
      ->check(CLI::Range(0.000001, 1000.0));
  sweep_command->add_option("-j,--jobs", jobs, "Threads (0: one per core)")
      ->capture_default_str()
      ->check(CLI::Range(0u, 1024u));
  const CLI::Option* sweep_target = add_target_altitude(sweep_command);

  ascent::dispersion::DispersionsOptions dispersion_options;
  CLI::App* dispersions = ascent::dispersion::add_dispersions_command(app, dispersion_options);
  add_turn_time(dispersions);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }

  if (!vehicle_file.empty()) {
    try {
      settings.vehicle = ascent::read_vehicle_deck(vehicle_file);
    } catch (const ascent::DeckError& error) {
      std::cerr << "ascent-trim: " << error.what() << "\n";
      return 2;
    }
  }
  if (trim_target->count() + sweep_target->count() > 0) {
    settings.vehicle.target.altitude = target_altitude;
  }

  if (!std::filesystem::is_regular_file(thrust_file)) {
    std::cerr << "ascent-trim: there is no booster thrust file \"" << thrust_file
              << "\" (name one with --thrust-file)\n";
    return 1;
  }
  const Format format = csv ? Format::csv : Format::table;
  try {
    settings.thrust = ascent::ThrustHistory::read(thrust_file);
    // No file this tool writes may be one it reads: refused before any flight.
    ascent::FileGuard guard;
    guard.add_standard_streams(stdin, stdout);
    guard.add_read_file(thrust_file, "the booster thrust file");
    if (!vehicle_file.empty()) guard.add_read_file(vehicle_file, "the vehicle deck");
    if (!history_file.empty()) guard.claim(history_file, "the history file");
    if (!run_files.empty()) std::filesystem::create_directories(run_files);
    if (dispersions->parsed()) {
      return ascent::dispersion::run_dispersions_command(
          dispersion_options, settings, *typed_number(turn_time_text), guard, std::cout);
    }
    if (sweep_command->parsed()) {
      if (to < from) {
        std::cerr << "ascent-trim: --to " << to << " comes before --from " << from << "\n";
        return 2;
      }
      const std::vector<TypedNumber> times = turn_times_between(from, to, step);
      ProgressLine progress;
      const std::vector<TrimResult> results =
          ascent::trim::sweep(settings, times, jobs, [&](std::size_t done, std::size_t total) {
            progress.show("sweep: " + std::to_string(done) + " of " + std::to_string(total) +
                          " turn times trimmed");
          });
      progress.clear();
      write_trade_table(std::cout, results, settings, format);
      return 0;
    }

    const TypedNumber turn_time = *typed_number(turn_time_text);
    const TrimResult result = trim_with_progress(settings, turn_time);

    if (trim->parsed()) {
      write_trim_report(std::cout, result, settings, format);
      if (!result.trimmed()) return 1;
      if (!run_files.empty()) {
        if (write_run_files(settings.vehicle, thrust_file, result.turn_time, result.maxa,
                            run_files, "run.txt", stderr, vehicle_file) != 0) {
          return 1;
        }
        if (format == Format::table) {
          std::cout << "\nThe trimmed flight as ascent writes it: " << run_files
                    << "/run.txt, speed.dat, height.dat, accel.dat, dynpres.dat, const_n.hpp\n";
        }
      }
      return 0;
    }

    if (!result.trimmed()) {
      report_not_trimmed(result);
      return 1;
    }
    if (events->parsed()) {
      write_event_table(std::cout, result, record_trimmed_flight(settings, result, false).events(),
                        format);
      return 0;
    }
    // history
    const FlightRecorder recorder = record_trimmed_flight(settings, result, true);
    if (history_file.empty()) {
      write_history_csv(std::cout, recorder.steps());
      return 0;
    }
    errno = 0;
    std::ofstream file(history_file, std::ios::binary);
    write_history_csv(file, recorder.steps());
    file.close();
    if (!file) {
      std::cerr << "ascent-trim: cannot write \"" << history_file
                << "\": " << std::strerror(errno != 0 ? errno : EIO) << "\n";
      return 1;
    }
    return 0;
  } catch (const std::exception& failure) {
    std::cerr << "ascent-trim: " << failure.what() << "\n";
    return 1;
  }
}
