#include "trim/dispersions_command.hpp"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "studies/dispersion_file.hpp"
#include "trim/study_reports.hpp"
#include "trim/progress_line.hpp"

namespace ascent::dispersion {

namespace {

std::string cannot_write(const std::string& path) {
  return "cannot write \"" + path + "\": " + std::strerror(errno != 0 ? errno : EIO);
}

}  // namespace

CLI::App* add_dispersions_command(CLI::App& app, DispersionsOptions& options) {
  CLI::App* command = app.add_subcommand(
      "dispersions",
      "Monte Carlo dispersion study: the spread of the orbit, the flight performance reserve and "
      "the payload met with 99.865 % probability");
  command->add_option("-n,--cases", options.cases, "Cases flown")
      ->capture_default_str()
      ->check(CLI::Range(std::size_t{1}, std::size_t{1000000}).description(""))
      ->type_name("N");
  command->add_option("--seed", options.seed, "Seed of the random draws")
      ->capture_default_str()
      ->type_name("N");
  command->add_flag("--open-loop", options.open_loop,
                    "Fly the nominal trimmed angle in every case (default: trim every case)");
  command
      ->add_option("--set", options.set_file,
                   "Dispersion set in TOML (default: the built-in data/dispersions.toml)")
      ->check(CLI::Validator(CLI::ExistingFile).description(""))
      ->type_name("FILE");
  command->add_option("-j,--jobs", options.jobs, "Threads (0: one per core)")
      ->capture_default_str()
      ->check(CLI::Range(0u, 1024u).description(""))
      ->type_name("N");
  command->add_option("-o,--output", options.cases_file, "CSV file of the cases, a row per case")
      ->type_name("FILE");
  return command;
}

int run_dispersions_command(const DispersionsOptions& options, const trim::TrimSettings& settings,
                            const trim::TypedNumber& turn_time, FileGuard& guard,
                            std::ostream& out, const std::string& report_file,
                            trim::ReportFacts facts) {
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
  std::ofstream cases_file;
  if (!options.cases_file.empty()) {
    guard.claim(options.cases_file, "the cases file");
    errno = 0;
    cases_file.open(options.cases_file, std::ios::binary);
    if (!cases_file) throw std::runtime_error(cannot_write(options.cases_file));
  }

  const StudySpec setup = prepare_study(settings, turn_time, std::move(set),
                                       options.open_loop ? LoopMode::open : LoopMode::closed);
  description.setup = &setup;
  if (cases_file.is_open()) write_case_csv_header(cases_file, setup.dispersions);

  std::vector<CaseResult> cases;
  cases.reserve(options.cases);
  std::size_t in_orbit = 0;
  trim::ProgressLine progress;
  run_study(
      setup, options.seed, options.cases, options.jobs,
      [&](const CaseResult& result) {
        if (cases_file.is_open()) {
          write_case_csv_row(cases_file, result);
          cases_file.flush();
          if (!cases_file) throw std::runtime_error(cannot_write(options.cases_file));
        }
        if (result.in_orbit()) ++in_orbit;
        cases.push_back(result);
        // The summary needs the outcome and the drawn values (for what drives SC_M).
        cases.back().message.clear();
      },
      [&](std::size_t done, std::size_t total) {
        progress.show("dispersions: " + std::to_string(done) + " of " + std::to_string(total) +
                      " cases flown, " + std::to_string(in_orbit) + " in orbit in case order");
      });
  progress.clear();
  if (cases_file.is_open()) {
    cases_file.close();
    if (!cases_file) throw std::runtime_error(cannot_write(options.cases_file));
  }
  const StudySummary summary = summarize(cases);
  write_summary_table(out, summary, description);
  if (!report_file.empty()) {
    std::ostringstream table;
    write_summary_table(table, summary, description);
    facts.emplace_back("seed", std::to_string(options.seed));
    facts.emplace_back("cases", std::to_string(options.cases));
    facts.emplace_back("steering", options.open_loop ? "open loop" : "closed loop");
    facts.emplace_back("dispersion set", description.set_name);
    trim::write_dispersion_report(report_file, facts, setup, cases, summary, table.str());
  }
  return summary.in_orbit == 0 ? 1 : 0;  // no case in orbit: nothing feasible
}

}  // namespace ascent::dispersion
