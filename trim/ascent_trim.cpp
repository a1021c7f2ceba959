// ascent-trim: trims the ascent to the vehicle's target orbit, sweeps turn
// times for the largest payload, exports the events and time history of a
// trimmed flight, runs dispersion studies, flies the guided upper stage to a
// target orbit, finds the plan of the largest payload within the load
// limits, and gives the exchange ratios of the vehicle's fields. Every flight goes through the
// flight library, as the interactive program's do.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>

#include "base/interruption.hpp"
#include "base/runtime_error.hpp"
#include "base/standard_descriptors.hpp"
#include "deck/staged_deck.hpp"
#include "deck/vehicle_deck.hpp"
#include "text/channel_stream.hpp"
#include "text/file_guard.hpp"
#include "text/folder_lock.hpp"
#include "trim/command_line.hpp"
#include "trim/html_reports.hpp"
#include "studies/flight_recorder.hpp"
#include "studies/staged_ground.hpp"
#include "trim/progress_line.hpp"
#include "trim/reports.hpp"
#include "trim/run_files.hpp"
#include "studies/optimizer.hpp"
#include "studies/sensitivities.hpp"
#include "studies/sweep.hpp"
#include "trim/optimum_report.hpp"
#include "trim/sensitivity_report.hpp"

namespace {

using namespace ascent::trim;
using ascent::ChannelStream;
using ascent::TextChannel;
using ascent::studies::check_trimmable;
using ascent::studies::exchange_ratios;
using ascent::studies::ExchangeRatio;
using ascent::studies::FlightRecorder;
using ascent::studies::FlightRequest;
using ascent::studies::fly;
using ascent::studies::fly_to_target;
using ascent::studies::guided;
using ascent::studies::guided_vehicle;
using ascent::studies::LargestPayload;
using ascent::studies::MAXA_DECIMALS;
using ascent::studies::optimize_payload;
using ascent::studies::OptimizeResult;
using ascent::studies::OptimizeSettings;
using ascent::studies::searches_maxa;
using ascent::studies::staged_ephemeris;
using ascent::studies::staged_impacts;
using ascent::studies::staged_map;
using ascent::studies::sweep;
using ascent::studies::SweepRow;
using ascent::studies::TargetRequest;
using ascent::studies::TargetResult;
using ascent::studies::trim_turn_time;
using ascent::studies::TrimFlight;
using ascent::studies::TrimResult;
using ascent::studies::TrimSettings;
using ascent::studies::TrimStatus;
using ascent::studies::TurnTimes;
using ascent::studies::typed_number;
using ascent::studies::TypedNumber;

/// Exit statuses other than 0 and 128 + a signal's number, as --help lists them.
constexpr int NOT_FEASIBLE = 1;    ///< a trim, sweep or study found no feasible flight
constexpr int BAD_INPUT = 2;       ///< a value, file or combination given cannot be used
constexpr int WRITE_FAILED = 101;  ///< an output cannot be written (ascent's write error)

/// The exit status of a failure of the library, by its kind.
int exit_status(const ascent::RuntimeError& failure) {
  switch (failure.kind()) {
    case ascent::ErrorKind::bad_input:
      return BAD_INPUT;
    case ascent::ErrorKind::file:
      return dynamic_cast<const ascent::FileError&>(failure).use() == ascent::FileUse::output
                 ? WRITE_FAILED
                 : BAD_INPUT;
    case ascent::ErrorKind::flight:
      break;
  }
  return NOT_FEASIBLE;
}

TrimResult trim_with_progress(const TrimSettings& settings, const TypedNumber& turn_time) {
  ProgressLine progress;
  int flights = 0;
  return trim_turn_time(settings, turn_time, [&](const TrimFlight& flight) {
    ascent::check_interruption();
    ++flights;
    std::string text = "turn time " + turn_time.text + " s, flight " + std::to_string(flights) +
                       ": maxa " + flight.maxa.text + " deg";
    if (flight.outcome.above_surface) {
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

/// What a report says was run: the command, its vehicle and thrust history.
ReportFacts report_facts(const CommandLine& line) {
  return {{"command", line.command_text},
          {"vehicle deck", line.vehicle_file.empty() ? "the built-in vehicle" : line.vehicle_file},
          {"booster thrust file", line.thrust_file},
          {"target average altitude",
           typed_number(line.settings.vehicle.target.altitude, 0).text + " m"}};
}

/// The trade table, each row written as its turn time is done. Returns 1
/// when no turn time is in orbit or a turn time's flights could not be
/// flown, else 0.
int run_sweep(const CommandLine& line, std::ostream& out) {
  const TurnTimes times = TurnTimes::between(line.from, line.to, line.step);
  ProgressLine progress;
  LargestPayload largest;
  bool flights_failed = false;
  check_trimmable(line.settings.vehicle);  // refused before the table's header
  std::vector<SweepRow> rows;  // kept for the report only
  write_trade_header(out, line.settings, line.format);
  out.flush();
  const std::size_t handed = sweep(
      line.settings, times,
      [&](const SweepRow& row) {
        progress.clear();
        write_trade_row(out, row, line.format);
        out.flush();
        if (!line.report_file.empty()) rows.push_back(row);
        largest.offer(row);
        flights_failed = flights_failed || row.status == TrimStatus::cannot_be_flown;
        progress.show("sweep: " + std::to_string(row.index + 1) + " of " +
                          std::to_string(times.size()) + " turn times trimmed",
                      row.index + 1, times.size());
      },
      line.jobs, [] { return ascent::pending_interruption() != 0; });
  progress.clear();
  // The rows so far are out; the footer is not written.
  check_interrupted_after(handed, times.size());
  write_trade_footer(out, largest.best(), times.size(), line.format);
  if (!line.report_file.empty()) write_sweep_report(line.report_file, report_facts(line), rows);
  return flights_failed || !largest.best() ? NOT_FEASIBLE : 0;
}

/// The guided flight to the target orbit: 0 when it is reached (short of
/// propellant too, as a trim that is infeasible), else 1.
int run_target(const CommandLine& line, std::ostream& out) {
  TargetRequest request{line.settings, line.turn_time, std::nullopt, line.perigee, line.apogee};
  if (line.maxa) request.maxa = typed_number(*line.maxa, MAXA_DECIMALS);
  ProgressLine progress;
  progress.show("turn time " + line.turn_time.text + " s: guided flight to the target orbit");
  const TargetResult result = fly_to_target(request);
  progress.clear();
  write_target_report(out, result, line.format);
  if (!line.report_file.empty()) {
    std::optional<FlightRecorder> flight;
    if (!result.maxa.text.empty()) {
      TrimSettings guided = line.settings;
      guided.vehicle = guided_vehicle(guided.vehicle, line.perigee, line.apogee);
      TrimResult plan;
      plan.turn_time = result.turn_time;
      plan.maxa = result.maxa;
      flight = record_trimmed_flight(guided, plan, true);
    }
    write_flight_report(line.report_file, "Guided flight to a target orbit", report_facts(line),
                        ascent::studies::target_facts(result), flight ? &*flight : nullptr);
  }
  return result.status == ascent::studies::RowStatus::in_orbit ? 0 : NOT_FEASIBLE;
}

/// The plan of the largest payload within the limits; 1 when no plan is feasible.
int run_optimize(const CommandLine& line, std::ostream& out) {
  OptimizeSettings settings;
  settings.trim = line.settings;
  if (line.guided) {
    settings.trim.vehicle = guided_vehicle(settings.trim.vehicle, line.perigee, line.apogee);
  }
  settings.from = line.from;
  settings.to = line.to;
  settings.limits = line.limits;
  ProgressLine progress;
  const OptimizeResult result = optimize_payload(settings, [&](const TrimResult& trimmed) {
    ascent::check_interruption();
    progress.show("optimize: turn time " + trimmed.turn_time.text +
                  (searches_maxa(settings) ? " s, maxa " + trimmed.maxa.text + " deg flown"
                                           : " s trimmed"));
  });
  progress.clear();
  write_optimum_report(out, result, settings, line.format);
  if (!line.report_file.empty()) {
    const std::optional<FlightRecorder> best_flight =
        result.best ? std::optional(record_trimmed_flight(settings.trim, *result.best, true))
                    : std::nullopt;
    write_flight_report(line.report_file, "Payload optimisation", report_facts(line),
                        ascent::studies::optimum_facts(result),
                        best_flight ? &*best_flight : nullptr);
  }
  return result.best ? 0 : NOT_FEASIBLE;
}

/// A staged deck's flight: its events, impact points or history (with its
/// map and ephemeris). 1 when it does not reach orbit (the tables are
/// written all the same).
int run_staged(const CommandLine& line, std::ostream& out) {
  if (line.command != Command::events && line.command != Command::history &&
      line.command != Command::impacts && line.command != Command::capability) {
    throw ascent::InputError(
        ascent::ErrorCode::range_check,
        "a staged vehicle deck flies with the events, impacts, history and capability commands");
  }
  const ascent::StagedVehicle vehicle = ascent::read_staged_deck(line.vehicle_file);
  if (line.command == Command::capability) {
    ProgressLine progress;
    const ascent::studies::CapabilityResult found = ascent::studies::staged_capability(
        vehicle, line.reserve, [&](double payload, const ascent::StagedResult& flown) {
          ascent::check_interruption();
          progress.show("capability: payload " + typed_number(payload, 1).text + " kg, " +
                        std::string(ascent::outcome_name(flown.outcome)));
        });
    progress.clear();
    write_capability_report(out, vehicle, found, line.reserve, line.format);
    return found.feasible ? 0 : NOT_FEASIBLE;
  }
  ascent::FileGuard guard;
  guard.add_standard_streams(stdin, stdout);
  guard.add_read_file(line.vehicle_file, "the vehicle deck");
  if (!line.history_file.empty()) guard.claim(line.history_file, "the history file");
  if (!line.kml_file.empty()) guard.claim(line.kml_file, "the KML map");
  if (!line.oem_file.empty()) guard.claim(line.oem_file, "the orbit ephemeris");
  ascent::StagedPlan plan;
  plan.keep_history = line.command == Command::history;
  const ascent::StagedResult result = ascent::fly_staged(vehicle, plan);
  const bool wgs84 = line.ground.wgs84;
  if (line.command == Command::events) {
    write_staged_events(out, vehicle, result, line.format);
  } else if (line.command == Command::impacts) {
    write_impact_table(out, "the flight of " + line.vehicle_file,
                       staged_impacts(vehicle, result, wgs84), line.format);
  } else if (line.history_file.empty()) {
    write_staged_history_csv(out, vehicle, result);
  } else {
    TextChannel file = TextChannel::create(line.history_file);
    ChannelStream csv(file);
    write_staged_history_csv(csv, vehicle, result);
    file.close();
  }
  if (!line.kml_file.empty()) {
    ascent::write_kml(line.kml_file,
                      staged_map(vehicle, result, staged_impacts(vehicle, result, wgs84), wgs84));
  }
  if (!line.oem_file.empty()) {
    ascent::write_oem(line.oem_file, staged_ephemeris(result, *line.launch_epoch));
  }
  return result.in_orbit() ? 0 : NOT_FEASIBLE;
}

/// The plan whose flight the command shows: a guided stage's (turn time,
/// --maxa or the angle target flies), else the trim of the turn time.
TrimResult plan_flown(const CommandLine& line) {
  const bool shows_a_flight = line.command == Command::events || line.command == Command::history;
  if (!shows_a_flight || !guided(line.settings.vehicle)) {
    if (line.maxa) {
      throw ascent::InputError(ascent::ErrorCode::range_check,
                               "--maxa flies a guided upper stage's plan: the deck's upper stage "
                               "follows the default law, whose angle is trimmed");
    }
    return trim_with_progress(line.settings, line.turn_time);
  }
  TargetRequest request{line.settings, line.turn_time, std::nullopt, std::nullopt, std::nullopt};
  if (line.maxa) request.maxa = typed_number(*line.maxa, MAXA_DECIMALS);
  const TargetResult flown = fly_to_target(request);
  TrimResult plan;
  plan.turn_time = flown.turn_time;
  plan.maxa = flown.maxa;
  plan.status = flown.maxa.text.empty() ? TrimStatus::out_of_reach : TrimStatus::trimmed;
  plan.message = flown.reason;
  return plan;
}

/// The work of the command; what it writes for the standard output goes to `out`.
int run(CommandLine& line, std::ostream& out) {
  if (!line.vehicle_file.empty() && ascent::is_staged_deck(line.vehicle_file)) {
    return run_staged(line, out);
  }
  if (line.command == Command::capability) {
    throw ascent::InputError(ascent::ErrorCode::range_check,
                             "capability flies a staged vehicle deck: name one with --vehicle");
  }
  TrimSettings& settings = line.settings;
  if (!line.vehicle_file.empty()) settings.vehicle = ascent::read_vehicle_deck(line.vehicle_file);
  if (line.target_altitude) settings.vehicle.target.altitude = *line.target_altitude;
  settings.thrust = ascent::ThrustHistory::read(line.thrust_file);
  // No file this tool writes may be one it reads: refused before any flight.
  ascent::FileGuard guard;
  guard.add_standard_streams(stdin, stdout);
  guard.add_read_file(line.thrust_file, "the booster thrust file");
  if (!line.vehicle_file.empty()) guard.add_read_file(line.vehicle_file, "the vehicle deck");
  if (!line.history_file.empty()) guard.claim(line.history_file, "the history file");
  if (!line.kml_file.empty()) guard.claim(line.kml_file, "the KML map");
  if (!line.oem_file.empty()) guard.claim(line.oem_file, "the orbit ephemeris");
  if (!line.report_file.empty()) guard.claim(line.report_file, "the report");
  if (!line.run_files.empty()) {
    if (std::error_code failed; !std::filesystem::create_directories(line.run_files, failed) && failed) {
      throw ascent::FileError(ascent::ErrorCode::write_error, ascent::FileUse::output,
                              "cannot create the folder \"" + line.run_files + "\": " +
                                  failed.message());
    }
    try {
      // Another session in the folder is told now, not after the trim.
      ascent::FolderLock::acquire(line.run_files);
    } catch (const ascent::RuntimeError& in_use) {
      std::cerr << "ascent-trim: --run-files: " << in_use.what() << "\n";
      return in_use.code();
    }
  }
  if (line.command == Command::sweep) return run_sweep(line, out);
  if (line.command == Command::dispersions) {
    line.dispersions.kml_file = line.kml_file;
    line.dispersions.ground = line.ground;
    return ascent::trim::run_dispersions_command(line.dispersions, settings, line.turn_time, guard,
                                                 out, line.report_file, report_facts(line));
  }
  // The work below runs on this thread: a signal ends it before its next flight.
  settings.interruption = ascent::check_interruption;
  if (line.command == Command::optimize) return run_optimize(line, out);
  if (line.command == Command::sensitivities) {
    ProgressLine progress;
    progress.show("sensitivities: two trims for each vehicle field");
    const std::vector<ExchangeRatio> ratios = exchange_ratios(settings, line.turn_time);
    progress.clear();
    write_sensitivity_report(out, ratios, settings, line.turn_time, line.format);
    if (!line.report_file.empty()) {
      ReportFacts facts = report_facts(line);
      facts.emplace_back("turn time", line.turn_time.text + " s");
      write_sensitivities_report(line.report_file, facts, ratios);
    }
    return 0;
  }
  if (line.command == Command::target) return run_target(line, out);

  const TrimResult result = plan_flown(line);
  if (line.command == Command::trim) {
    write_trim_report(out, result, settings, line.format);
    if (!line.report_file.empty()) {
      const std::optional<FlightRecorder> flight =
          result.trimmed() ? std::optional(record_trimmed_flight(settings, result, true))
                           : std::nullopt;
      write_flight_report(line.report_file, "Trim", report_facts(line),
                          ascent::studies::trim_facts(result), flight ? &*flight : nullptr);
    }
    // The trimmed flight's files are written whatever its outcome, as ascent
    // writes them for any flight; only an angle not found has none.
    if (result.trimmed() && !line.run_files.empty()) {
      out.flush();
      const int status =
          write_run_files(settings.vehicle, line.thrust_file, result.turn_time, result.maxa,
                          line.run_files, "run.txt", stderr, line.vehicle_file);
      if (status != 0) return status;
      if (line.format == Format::table) {
        out << "\nThe trimmed flight as ascent writes it: " << line.run_files
            << "/run.txt, speed.dat, height.dat, accel.dat, dynpres.dat, const_n.hpp\n";
      }
    }
    return result.feasible() ? 0 : NOT_FEASIBLE;
  }

  if (!result.trimmed()) {
    report_not_trimmed(result);
    return NOT_FEASIBLE;
  }
  const ascent::studies::FlightGround ground(settings.vehicle, line.ground);
  if (line.command == Command::events) {
    write_event_table(out, result, record_trimmed_flight(settings, result, false).events(), ground,
                      line.format);
    return 0;
  }
  if (line.command == Command::impacts) {
    write_impact_table(out,
                       "turn time " + result.turn_time.text + " s, maximum angle of attack " +
                           result.maxa.text + " deg",
                       ground.impacts(record_trimmed_flight(settings, result, false).events()),
                       line.format);
    return 0;
  }
  const FlightRecorder recorder = record_trimmed_flight(settings, result, true);
  if (line.history_file.empty()) {
    write_history_csv(out, recorder.steps(), ground);
  } else {
    TextChannel file = TextChannel::create(line.history_file);
    ChannelStream csv(file);
    write_history_csv(csv, recorder.steps(), ground);
    file.close();
  }
  if (!line.kml_file.empty()) {
    ascent::write_kml(line.kml_file,
                      ground.map(recorder.steps(), ground.impacts(recorder.events())));
  }
  if (!line.oem_file.empty()) {
    ascent::write_oem(line.oem_file, ground.ephemeris(recorder.steps(), *line.launch_epoch));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ascent::reserve_standard_descriptors();
  ascent::install_interruption_handlers();
  CommandLineOutcome parsed = parse_command_line(argc, argv);
  std::cout << parsed.standard_output;
  std::cerr << parsed.standard_error;
  if (!parsed.line) return parsed.status;
  CommandLine& line = *parsed.line;

  // A staged deck names its own thrust files.
  const bool staged = !line.vehicle_file.empty() && ascent::is_staged_deck(line.vehicle_file);
  if (!staged && !std::filesystem::is_regular_file(line.thrust_file)) {
    std::cerr << "ascent-trim: there is no booster thrust file \"" << line.thrust_file
              << "\" (name one with --thrust-file)\n";
    return BAD_INPUT;
  }
  // Every line for the standard output goes out whole, and a write that
  // fails (a full disk, a closed descriptor) is a failure of the program.
  TextChannel standard_output = TextChannel::borrow(stdout, "standard output");
  int status = 0;
  try {
    ChannelStream out(standard_output);
    status = run(line, out);
    standard_output.close();
    // The descriptor too: a file system that reports a failed write only at
    // the close (NFS) is heard. Nothing writes to the standard output after.
    if (::close(STDOUT_FILENO) != 0) {
      throw ascent::FileError(ascent::ErrorCode::write_error, ascent::FileUse::output,
                                 std::string("cannot close \"standard output\": ") +
                                     std::strerror(errno));
    }
  } catch (const ascent::Interrupted& interruption) {
    standard_output.abandon();
    status = 128 + interruption.signal();
  } catch (const ascent::RuntimeError& failure) {
    standard_output.abandon();
    std::cerr << "ascent-trim: " << failure.what() << "\n";
    status = exit_status(failure);
  } catch (const std::exception& failure) {
    // Outside the library's failures (memory, say): no result.
    standard_output.abandon();
    std::cerr << "ascent-trim: " << failure.what() << "\n";
    status = NOT_FEASIBLE;
  }
  // Ended by a signal as the shell expects, once the lines written are whole.
  ascent::end_if_interrupted();
  return status;
}
