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
#include "deck/vehicle_deck.hpp"
#include "text/channel_stream.hpp"
#include "text/file_guard.hpp"
#include "text/folder_lock.hpp"
#include "trim/command_line.hpp"
#include "trim/html_reports.hpp"
#include "studies/flight_recorder.hpp"
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
                        ascent::report::target_facts(result), flight ? &*flight : nullptr);
  }
  return result.status == ascent::RowStatus::in_orbit ? 0 : NOT_FEASIBLE;
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
                        ascent::report::optimum_facts(result), best_flight ? &*best_flight : nullptr);
  }
  return result.best ? 0 : NOT_FEASIBLE;
}

/// The work of the command; what it writes for the standard output goes to `out`.
int run(CommandLine& line, std::ostream& out) {
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
  if (line.command == Command::dispersions) {
    return ascent::dispersion::run_dispersions_command(line.dispersions, settings, line.turn_time,
                                                       guard, out, line.report_file,
                                                       report_facts(line));
  }

  if (line.command == Command::target) return run_target(line, out);

  const TrimResult result = trim_with_progress(settings, line.turn_time);
  if (line.command == Command::trim) {
    write_trim_report(out, result, settings, line.format);
    if (!line.report_file.empty()) {
      const std::optional<FlightRecorder> flight =
          result.trimmed() ? std::optional(record_trimmed_flight(settings, result, true))
                           : std::nullopt;
      write_flight_report(line.report_file, "Trim", report_facts(line),
                          ascent::report::trim_facts(result), flight ? &*flight : nullptr);
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
  if (line.command == Command::events) {
    write_event_table(out, result, record_trimmed_flight(settings, result, false).events(),
                      line.format);
    return 0;
  }
  const FlightRecorder recorder = record_trimmed_flight(settings, result, true);
  if (line.history_file.empty()) {
    write_history_csv(out, recorder.steps());
    return 0;
  }
  TextChannel file = TextChannel::create(line.history_file);
  ChannelStream csv(file);
  write_history_csv(csv, recorder.steps());
  file.close();
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

  if (!std::filesystem::is_regular_file(line.thrust_file)) {
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
