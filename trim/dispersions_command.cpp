#include "trim/dispersions_command.hpp"

#include <sstream>

#include "base/interruption.hpp"
#include "base/runtime_error.hpp"
#include "studies/dispersion_file.hpp"
#include "studies/flight_runner.hpp"
#include "studies/impact_dispersion.hpp"
#include "studies/plan_file.hpp"
#include "studies/study_summary.hpp"
#include "text/text_channel.hpp"
#include "trim/option_checks.hpp"
#include "trim/progress_line.hpp"
#include "trim/study_reports.hpp"

namespace ascent::trim {

using studies::CaseImpacts;
using studies::CaseResult;
using studies::default_dispersion_set;
using studies::DispersionSet;
using studies::impact_map;
using studies::ImpactDispersion;
using studies::ImpactDispersionBuilder;
using studies::LoopMode;
using studies::prepare_study;
using studies::read_dispersion_file;
using studies::run_study;
using studies::StudySpec;
using studies::StudySummary;
using studies::SummaryBuilder;

namespace {

constexpr long long MOST_CASES = 1'000'000;
constexpr long long LARGEST_SEED = 999'999'999'999'999'999;  ///< 18 digits

}  // namespace

CLI::App* add_dispersions_command(CLI::App& app, DispersionsOptions& options) {
  CLI::App* command = app.add_subcommand(
      "dispersions",
      "Monte Carlo dispersion study: the spread of the orbit, the flight performance reserve and "
      "the payload met with 99.865 % probability");
  add_number(*command, "-n,--cases", options.cases, "Cases flown")
      ->default_str(std::to_string(options.cases))
      ->check(count_in(1, MOST_CASES))
      ->type_name("N");
  add_number(*command, "--seed", options.seed, "Seed of the random draws")
      ->default_str(std::to_string(options.seed))
      ->check(count_in(0, LARGEST_SEED))
      ->type_name("N");
  CLI::Option* open_loop =
      command->add_flag("--open-loop", options.open_loop,
                        "Fly the nominal trimmed angle in every case (default: trim every case)");
  command
      ->add_flag("--guided", options.guided,
                 "Fly the nominal trimmed angle in every case, the upper stage guided to the "
                 "target orbit (no trim per case)")
      ->excludes(open_loop);
  command
      ->add_option("--set", options.set_file,
                   "Dispersion set in TOML (default: the built-in data/dispersions.toml)")
      ->check(file_name())
      ->check(CLI::Validator(CLI::ExistingFile).description(""))
      ->type_name("FILE");
  add_number(*command, "-j,--jobs", options.jobs, "Threads (0: one per core)")
      ->default_str(std::to_string(options.jobs))
      ->check(count_in(0, MOST_JOBS))
      ->type_name("N");
  command->add_option("-o,--output", options.cases_file, "CSV file of the cases, a row per case")
      ->check(file_name())
      ->type_name("FILE");
  CLI::Option* maxa =
      add_number(*command, "--maxa", options.maxa,
                 "[deg] Nominal maximum angle of attack of the core stage, flown by "
                 "open-loop and guided studies; a closed-loop study trims from it "
                 "(default: the trimmed one)")
          ->check(number_in(0.0, studies::TrimSettings{}.largest_maxa))
          ->type_name("DEGREES")
          ->each([&options](const std::string&) { options.maxa_given = true; });
  command
      ->add_option("--plan", options.plan_file,
                   "The plan to fly, turn time and maxa, from the CSV of `optimize --csv` "
                   "(instead of -t and --maxa)")
      ->check(file_name())
      ->check(CLI::Validator(CLI::ExistingFile).description(""))
      ->type_name("FILE")
      ->excludes(maxa);
  command
      ->add_option("--impacts", options.impacts_file,
                   "CSV file of where each case's dropped elements come down; the summary then "
                   "gives each element's impact ellipses")
      ->check(file_name())
      ->type_name("FILE");
  return command;
}

int run_dispersions_command(const DispersionsOptions& options,
                            const studies::TrimSettings& settings,
                            const studies::TypedNumber& turn_time, FileGuard& guard,
                            std::ostream& out, const std::string& report_file, ReportFacts facts) {
  StudyDescription description;
  description.seed = options.seed;
  DispersionSet set;
  if (options.set_file.empty()) {
    set = default_dispersion_set();
    description.set_name = "built-in data/dispersions.toml";
  } else {
    guard.add_read_file(options.set_file, "the dispersion set");
    set = read_dispersion_file(options.set_file);
    description.set_name = options.set_file;
  }
  if (!options.cases_file.empty()) guard.claim_replacing(options.cases_file, "the cases file");
  if (!options.impacts_file.empty()) {
    guard.claim_replacing(options.impacts_file, "the impact points file");
  }
  const bool impacts_asked = !options.impacts_file.empty() || !options.kml_file.empty();

  studies::Plan plan{turn_time, studies::typed_number(options.maxa, studies::MAXA_DECIMALS)};
  if (!options.plan_file.empty()) {
    guard.add_read_file(options.plan_file, "the plan");
    plan = studies::read_plan_file(options.plan_file);
  }
  // A guided plan is flown guided, to the orbit it was found for.
  studies::TrimSettings planned = settings;
  planned.vehicle = studies::vehicle_of_plan(settings.vehicle, plan);
  const LoopMode mode = options.guided || plan.guidance == UpperStageGuidance::orbit_insertion
                            ? LoopMode::guided
                        : options.open_loop ? LoopMode::open
                                            : LoopMode::closed;
  const bool angle_given = options.maxa_given || !options.plan_file.empty();
  StudySpec setup = prepare_study(planned, plan.turn_time, std::move(set), mode,
                                  angle_given ? std::optional(plan.maxa) : std::nullopt);
  if (impacts_asked) setup.ground = options.ground;
  description.setup = &setup;
  // The cases go to a new file beside the old one, which they replace only
  // when the study is done: a study that stops (a nominal that cannot be
  // trimmed, a full disk, a signal) leaves an existing file as it was, and
  // a write that fails part way never leaves half a row.
  TextChannel cases_file;
  std::ostringstream row;
  const auto write_out = [&] {
    cases_file.write(row.str());
    row.str("");
  };
  if (!options.cases_file.empty()) {
    cases_file = TextChannel::replace(options.cases_file);
    write_case_csv_header(row, setup.dispersions);
    write_out();
  }
  TextChannel impacts_file;
  if (!options.impacts_file.empty()) {
    impacts_file = TextChannel::replace(options.impacts_file);
    write_impact_csv_header(row);
    impacts_file.write(row.str());
    row.str("");
  }
  const studies::FlightGround nominal_ground(setup.nominal.vehicle, options.ground);
  ImpactDispersionBuilder impact_spread(nominal_ground);
  CaseImpacts case_impacts;  // kept for the map only

  // The summary keeps the numbers it sorts and ranks, not the cases.
  SummaryBuilder summary(setup.mode == LoopMode::guided ? &setup.nominal.vehicle.target : nullptr);
  std::vector<CaseResult> cases;
  std::size_t in_orbit = 0;
  ProgressLine progress;
  const std::size_t handed = run_study(
      setup, options.seed, options.cases, options.jobs,
      [&](const CaseResult& result) {
        if (cases_file.is_open()) {
          write_case_csv_row(row, result);
          write_out();
        }
        if (impacts_file.is_open()) {
          write_impact_csv_rows(row, result);
          impacts_file.write(row.str());
          row.str("");
        }
        impact_spread.add(result.k, result.impacts);
        if (!options.kml_file.empty()) case_impacts.emplace_back(result.k, result.impacts);
        if (result.in_orbit()) ++in_orbit;
        summary.add(result);
        // The report draws the cases; without one, none is kept.
        if (!report_file.empty()) cases.push_back(result);
      },
      [&](std::size_t done, std::size_t total) {
        progress.show("dispersions: " + std::to_string(done) + " of " + std::to_string(total) +
                          " cases flown, " + std::to_string(in_orbit) + " in orbit in case order",
                      done, total);
      },
      [] { return pending_interruption() != 0; });
  progress.clear();
  // The cases file holds the whole rows so far, also after a signal; a
  // study cut short has no summary.
  if (cases_file.is_open()) cases_file.close();
  if (impacts_file.is_open()) impacts_file.close();
  check_interrupted_after(handed, options.cases);
  const StudySummary study_summary = summary.finish();
  write_summary_table(out, study_summary, description);
  const std::vector<ImpactDispersion> spreads =
      impacts_asked ? impact_spread.finish() : std::vector<ImpactDispersion>{};
  if (impacts_asked) write_impact_summary(out, spreads);
  if (!options.kml_file.empty()) {
    studies::FlightRecorder nominal(true);
    studies::FlightRequest request{&setup.nominal.vehicle,
                                   &setup.nominal.thrust,
                                   setup.turn_time,
                                   setup.nominal_maxa,
                                   &nominal,
                                   setup.nominal.aero};
    (void)studies::fly(request);
    write_kml(options.kml_file, impact_map(nominal_ground, nominal.steps(), case_impacts, spreads));
  }
  if (!report_file.empty()) {
    facts.emplace_back("seed", std::to_string(options.seed));
    facts.emplace_back("cases", std::to_string(options.cases));
    facts.emplace_back("dispersion set", description.set_name);
    write_dispersion_report(report_file, facts, setup, cases, spreads);
  }
  return study_summary.in_orbit == 0 ? 1 : 0;  // no case in orbit: nothing feasible
}

}  // namespace ascent::trim
