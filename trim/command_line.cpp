#include "trim/command_line.hpp"

#include "deck/staged_deck.hpp"

#include <CLI/CLI.hpp>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "mission/vehicle_fields.hpp"
#include "studies/sweep.hpp"
#include "trim/option_checks.hpp"

namespace ascent::trim {

using studies::DEFAULT_LAUNCH_LONGITUDE;
using studies::SWEEP_FIRST_TURN_TIME;
using studies::SWEEP_LAST_TURN_TIME;
using studies::SWEEP_SMALLEST_STEP;
using studies::TrimSettings;
using studies::TurnTimes;
using studies::typed_number;
using studies::TypedNumber;

namespace {

constexpr double SMALLEST_TOLERANCE = 0.001;    // [m]
constexpr double LARGEST_TOLERANCE = 100000.0;  // [m]
constexpr double SMALLEST_START_MAXA = 0.001;   // [deg]
constexpr long long FEWEST_FLIGHTS = 2;
constexpr long long MOST_FLIGHTS = 10000;

}  // namespace

CommandLineOutcome parse_command_line(int argc, const char* const* argv) {
  CommandLine line;
  line.command_text = "ascent-trim";
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    const bool plain = !word.empty() && word.find_first_of(" \t'\"$\\") == std::string::npos;
    line.command_text += " " + (plain ? word : "'" + word + "'");
  }
  TrimSettings& settings = line.settings;
  CLI::App app{
      "Trims the launch vehicle's ascent to its target orbit (200 km for the built-in vehicle): "
      "the maximum angle of attack for a turn time, a sweep of turn times for the largest "
      "payload, the events and time history of a trimmed flight, and Monte Carlo dispersion "
      "studies.",
      "ascent-trim"};
  app.require_subcommand(1);
  app.fallthrough();
  app.footer(
      "Examples, in the folder of s1.dat:\n"
      "  ascent-trim trim -t 20\n"
      "  ascent-trim events -t 20\n"
      "  ascent-trim history -t 20 -o flight.csv\n"
      "  ascent-trim impacts -t 20\n"
      "  ascent-trim history -t 20 --kml flight.kml --oem flight.oem --launch-epoch "
      "2026-12-08T14:30:00Z\n"
      "  ascent-trim sweep --from 10 --to 30 --csv > sweep.csv\n"
      "  ascent-trim dispersions -n 1000 --seed 1 -t 20 -o cases.csv\n"
      "  ascent-trim --vehicle guided.toml optimize --csv > plan.csv\n"
      "  ascent-trim --vehicle guided.toml dispersions --plan plan.csv -n 400\n"
      "  ascent-trim target -t 20 --perigee 185000 --apogee 400000\n"
      "  ascent-trim optimize --from 20 --to 115 --max-dynamic-pressure 30000\n"
      "  ascent-trim optimize --guided --perigee 185000 --apogee 400000 --max-q-alpha 12000\n"
      "  ascent-trim sensitivities -t 80\n"
      "  ascent-trim --vehicle vehicle.toml trim -t 20 --target-altitude 300000\n"
      "Exit status: 0; 1 when no feasible result is found (a trim fails, a flight cannot be "
      "flown, no plan is feasible); 2 for bad input (a command line, thrust file, vehicle deck "
      "or dispersion set that cannot be used, or an output that is a file read); 101 when an "
      "output cannot be written (a full disk); with --run-files, ascent's error number when "
      "those files cannot be written (5: another session uses the folder); 128 + N after "
      "signal N (a sweep or a study keeps its whole rows and says how many cases ran).");

  bool csv = false;
  app.add_option("-f,--thrust-file", line.thrust_file, "Booster thrust file")
      ->capture_default_str()
      ->check(CLI::Validator(CLI::ExistingFile).description(""))
      ->type_name("FILE");
  app.add_option("--vehicle", line.vehicle_file,
                 "Vehicle deck to fly (TOML, as data/vehicle.toml); default: the built-in vehicle")
      ->check(file_name())
      ->type_name("FILE");
  app.add_flag("--csv", csv, "Write CSV instead of a readable table");
  add_number(app, "--tolerance", settings.tolerance,
             "[m] Largest miss of the target average altitude")
      ->default_str(typed_number(settings.tolerance, 6).text)
      ->check(number_in(SMALLEST_TOLERANCE, LARGEST_TOLERANCE))
      ->type_name("METRES");
  add_number(app, "--start-maxa", settings.start_maxa, "[deg] First maximum angle of attack flown")
      ->default_str(typed_number(settings.start_maxa, 6).text)
      ->check(number_in(SMALLEST_START_MAXA, settings.largest_maxa))
      ->type_name("DEGREES");
  add_number(app, "--max-flights", settings.max_flights, "Flights a trim may take")
      ->default_str(std::to_string(settings.max_flights))
      ->check(count_in(FEWEST_FLIGHTS, MOST_FLIGHTS))
      ->type_name("N");

  // Where the flight is over the ground, before or after the command.
  add_number(app, "--launch-longitude", line.ground.launch_longitude,
             "[deg] Longitude of the pad, east positive, for the ground track and impact points")
      ->default_str(typed_number(DEFAULT_LAUNCH_LONGITUDE, 1).text)
      ->check(number_in(-180.0, 180.0))
      ->type_name("DEGREES");
  app.add_flag("--wgs84", line.ground.wgs84,
               "Geodetic coordinates and the surface impacts reach on the WGS84 ellipsoid "
               "(default: the flight's sphere)");
  std::string launch_epoch;
  CLI::Option* epoch_option =
      app.add_option("--launch-epoch", launch_epoch,
                     "UTC time of liftoff, as 2026-12-08T14:30:00Z: the epochs of --oem")
          ->check(CLI::Validator(
              [](const std::string& text) {
                try {
                  (void)UtcTime::parse(text);
                } catch (const InputError& fault) {
                  return std::string(fault.what());
                }
                return std::string();
              },
              "", "UTC time"))
          ->type_name("UTC");

  std::string turn_time_text;
  const auto add_turn_time = [&](CLI::App* command, bool required = true) {
    return command->add_option("-t,--turn-time", turn_time_text, "[s] Turn time, at least 1")
        ->required(required)
        ->check(number_in(1.0, std::numeric_limits<double>::infinity()))
        ->type_name("SECONDS");
  };

  // Like the other settings of a trim, before or after the command.
  const VehicleField& target_field = *find_vehicle_field("target.altitude");
  double target_altitude = 0.0;
  CLI::Option* target_option =
      add_number(app, "--target-altitude", target_altitude,
                 "[m] Average orbit altitude aimed at, instead of the vehicle's target.altitude "
                 "(200000 for the built-in vehicle)")
          ->check(number_in(target_field.minimum, target_field.maximum))
          ->type_name("METRES");

  CLI::App* trim = app.add_subcommand(
      "trim", "The maximum angle of attack that brings the average orbit altitude to the target");
  add_turn_time(trim);
  trim->add_option("--run-files", line.run_files,
                   "Also write the trimmed flight as ascent writes it with an output file: "
                   "run.txt, the four plot files and const_n.hpp in FOLDER (made if missing)")
      ->check(file_name())
      ->type_name("FOLDER");

  // A staged vehicle deck flies its own flight sequence: no turn time.
  CLI::App* events = app.add_subcommand(
      "events", "The events of the trimmed flight (of the flight of a staged --vehicle deck)");
  add_turn_time(events, false);

  CLI::App* impacts = app.add_subcommand(
      "impacts", "Where the elements the trimmed flight drops come down, or that they reach orbit "
                 "(of the flight of a staged --vehicle deck)");
  add_turn_time(impacts, false);

  CLI::App* history = app.add_subcommand(
      "history", "The trimmed flight step by step, as CSV (the flight of a staged --vehicle deck)");
  add_turn_time(history, false);
  history->add_option("-o,--output", line.history_file, "CSV file (default: the standard output)")
      ->check(file_name())
      ->type_name("FILE");
  history->add_option("--oem", line.oem_file,
                      "Also write the flight as a CCSDS orbit ephemeris (OEM 2.0, TEME), with "
                      "--launch-epoch")
      ->check(file_name())
      ->type_name("FILE");

  CLI::App* sweep_command =
      app.add_subcommand("sweep", "Trims a range of turn times: the trade table of payload");
  const CLI::Validator turn_times = number_in(SWEEP_FIRST_TURN_TIME, SWEEP_LAST_TURN_TIME);
  add_number(*sweep_command, "--from", line.from, "[s] First turn time")
      ->required()
      ->check(turn_times)
      ->type_name("SECONDS");
  add_number(*sweep_command, "--to", line.to, "[s] Last turn time")
      ->required()
      ->check(turn_times)
      ->type_name("SECONDS");
  add_number(*sweep_command, "--step", line.step, "[s] Between turn times")
      ->default_str("1")
      ->check(number_in(SWEEP_SMALLEST_STEP, SWEEP_LAST_TURN_TIME))
      ->type_name("SECONDS");
  add_number(*sweep_command, "-j,--jobs", line.jobs, "Threads (0: one per core)")
      ->default_str("0")
      ->check(count_in(0, MOST_JOBS))
      ->type_name("N");

  CLI::App* optimize = app.add_subcommand(
      "optimize", "The turn time of the largest payload within the load limits (NLopt's COBYLA)");
  add_number(*optimize, "--from", line.from, "[s] Shortest turn time")
      ->default_str("20")
      ->check(turn_times)
      ->type_name("SECONDS");
  add_number(*optimize, "--to", line.to, "[s] Longest turn time")
      ->default_str("115")
      ->check(turn_times)
      ->type_name("SECONDS");
  const CLI::Validator positive = number_in(std::numeric_limits<double>::denorm_min(),
                                            std::numeric_limits<double>::max());
  add_number(*optimize, "--max-dynamic-pressure", line.limits.max_dynamic_pressure,
             "[Pa] Largest dynamic pressure, besides the deck's limits.max_dynamic_pressure")
      ->check(positive)
      ->type_name("PA");
  add_number(*optimize, "--max-q-alpha", line.limits.max_q_alpha,
             "[Pa*deg] Largest dynamic pressure times angle of attack")
      ->check(positive)
      ->type_name("PA_DEG");
  add_number(*optimize, "--max-acceleration", line.limits.max_axial_acceleration,
             "[m/s^2] Largest axial acceleration (thrust over mass)")
      ->check(positive)
      ->type_name("M_S2");

  CLI::App* dispersions = add_dispersions_command(app, line.dispersions);
  // A plan gives the study its turn time.
  CLI::Option* plan_option = dispersions->get_option("--plan");
  add_turn_time(dispersions)->required(false)->excludes(plan_option);
  for (CLI::App* mapped : {history, dispersions}) {
    mapped->add_option("--kml", line.kml_file,
                       "Also write a KML map: the track, the impact points (and their ellipses)")
        ->check(file_name())
        ->type_name("FILE.kml");
  }

  CLI::App* target = app.add_subcommand(
      "target", "Flies the guided upper stage to the target orbit: its perigee and apogee");
  add_turn_time(target);
  double maxa = 0.0;
  double perigee = 0.0;
  double apogee = 0.0;
  add_number(*target, "--maxa", maxa,
             "[deg] Maximum angle of attack of the core stage (default: the trimmed one)")
      ->check(number_in(0.0, settings.largest_maxa))
      ->type_name("DEGREES");
  // A guided deck's flight is its plan's: the angle given, as target flies it.
  for (CLI::App* command : {events, history}) {
    add_number(*command, "--maxa", maxa,
               "[deg] With a guided upper stage: the core stage's maximum angle of attack "
               "(default: as target flies it)")
        ->check(number_in(0.0, settings.largest_maxa))
        ->type_name("DEGREES");
  }
  // The orbit of the guided stage, for the flight to it and for the plan of
  // the largest payload.
  const CLI::Validator apsis = number_in(MINIMUM_TARGET_PERIGEE, MAXIMUM_TARGET_APOGEE);
  for (CLI::App* command : {target, optimize}) {
    CLI::Option* perigee_option =
        add_number(*command, "--perigee", perigee,
                   "[m] Perigee altitude of the guided stage's orbit (default: the vehicle's "
                   "target)")
            ->check(apsis)
            ->type_name("METRES");
    CLI::Option* apogee_option =
        add_number(*command, "--apogee", apogee, "[m] Apogee altitude aimed at, with --perigee")
            ->check(apsis)
            ->type_name("METRES");
    perigee_option->needs(apogee_option);
    apogee_option->needs(perigee_option);
  }
  optimize->add_flag("--guided", line.guided,
                     "Guide the upper stage to the target orbit (as a deck's upper_stage.guidance "
                     "= \"orbit_insertion\"): each plan's maxa is searched too; implied by "
                     "--perigee");
  CLI::App* capability = app.add_subcommand(
      "capability", "The largest payload a staged --vehicle deck takes to its target orbit");
  add_number(*capability, "--reserve", line.reserve,
             "[kg] Propellant the burning stages must have left at cutoff")
      ->default_str("0")
      ->check(number_in(0.0, 1e9))
      ->type_name("KG");
  CLI::App* sensitivities = app.add_subcommand(
      "sensitivities",
      "Exchange ratios: d(SC_M)/d(field) of every numeric vehicle field, from re-trimmed flights");
  add_turn_time(sensitivities);

  for (CLI::App* command : {trim, sweep_command, dispersions, optimize, target, sensitivities}) {
    command->add_option("--report", line.report_file,
                        "Also write the result as one HTML page: what was run, its tables and "
                        "figures")
        ->check(file_name())
        ->type_name("FILE.html");
  }

  CommandLineOutcome outcome;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    std::ostringstream out;
    std::ostringstream err;
    outcome.status = app.exit(error, out, err) == 0 ? 0 : 2;
    outcome.standard_output = out.str();
    outcome.standard_error = err.str();
    return outcome;
  }

  line.format = csv ? Format::csv : Format::table;
  if (epoch_option->count() > 0) line.launch_epoch = UtcTime::parse(launch_epoch);
  if (history->count("--oem") > 0 && !line.launch_epoch) {
    outcome.status = 2;
    outcome.standard_error = "ascent-trim: history --oem needs the --launch-epoch of its states\n";
    return outcome;
  }
  if (target_option->count() > 0) line.target_altitude = target_altitude;
  if (optimize->parsed()) {
    line.command = Command::optimize;
    if (optimize->count("--from") == 0) line.from = 20.0;
    if (optimize->count("--to") == 0) line.to = 115.0;
    if (!(line.from < line.to)) {
      outcome.status = 2;
      outcome.standard_error = "ascent-trim: optimize --from must be before --to\n";
      return outcome;
    }
    if (optimize->count("--perigee") > 0) {
      line.perigee = perigee;
      line.apogee = apogee;
      line.guided = true;
    }
  } else if (capability->parsed()) {
    line.command = Command::capability;
  } else if (sweep_command->parsed()) {
    line.command = Command::sweep;
    try {
      TurnTimes::between(line.from, line.to, line.step);
    } catch (const InputError& fault) {
      outcome.status = 2;
      outcome.standard_error =
          std::string("ascent-trim: sweep --from, --to, --step: ") + fault.what() + "\n";
      return outcome;
    }
  } else {
    line.command = trim->parsed()          ? Command::trim
                   : events->parsed()      ? Command::events
                   : impacts->parsed()     ? Command::impacts
                   : dispersions->parsed()   ? Command::dispersions
                   : target->parsed()        ? Command::target
                   : sensitivities->parsed() ? Command::sensitivities
                                             : Command::history;
    if (target->count("--maxa") + events->count("--maxa") + history->count("--maxa") > 0) {
      line.maxa = maxa;
    }
    if (target->count("--perigee") > 0) {
      line.perigee = perigee;
      line.apogee = apogee;
    }
    if (dispersions->parsed() && turn_time_text.empty() && plan_option->count() == 0) {
      outcome.status = 2;
      outcome.standard_error = "ascent-trim: dispersions needs a turn time (-t) or a plan (--plan)\n";
      return outcome;
    }
    const bool without_turn_time = events->parsed() || history->parsed() || impacts->parsed();
    if (without_turn_time && turn_time_text.empty() &&
        (line.vehicle_file.empty() || !is_staged_deck(line.vehicle_file))) {
      std::ostringstream out;
      std::ostringstream err;
      outcome.status = app.exit(CLI::RequiredError("--turn-time"), out, err) == 0 ? 0 : 2;
      outcome.standard_error = err.str();
      return outcome;
    }
    if (!turn_time_text.empty()) {
      line.turn_time = TypedNumber{turn_time_text, number_value(turn_time_text)};
    }
  }
  outcome.line = std::move(line);
  return outcome;
}

}  // namespace ascent::trim
