// Monte Carlo dispersion studies: dispersion sets (TOML), a prepared study
// whose cases fly with the GIL released, and the summary of cases. A case
// depends only on the study, the seed and its number k, so chunks of cases
// may fly anywhere and in any order.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <map>
#include <optional>
#include <pybind11/stl/filesystem.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "bindings.hpp"
#include "studies/report_pages.hpp"
#include "studies/columns.hpp"
#include "number_text.hpp"
#include "python_signals.hpp"
#include "studies/ordered_pool.hpp"
#include "studies/dispersion_file.hpp"
#include "studies/plan_file.hpp"
#include "studies/study.hpp"
#include "studies/study_summary.hpp"

namespace py = pybind11;

namespace ascent::python {

using studies::case_columns;
using studies::Column;
using studies::ROW_STATUS_COUNT;
using studies::row_status_name;
using studies::row_status_named;
using studies::RowStatus;
using studies::run_in_order;

namespace {

using studies::CaseResult;
using studies::DispersionSet;
using studies::Distribution;
using studies::StudySpec;

constexpr double NOT_A_NUMBER = std::numeric_limits<double>::quiet_NaN();

py::list set_state(const DispersionSet& set) {
  py::list entries;
  for (const studies::Dispersion& d : set.entries()) {
    const Distribution& x = d.distribution;
    entries.append(py::make_tuple(d.name,
                                  x.shape == Distribution::Shape::normal ? "normal" : "uniform",
                                  x.relative, x.sigma, x.low, x.high));
  }
  return entries;
}

DispersionSet set_from(const py::list& entries) {
  DispersionSet set;
  for (const py::handle entry : entries) {
    const auto [name, shape, relative, sigma, low, high] =
        entry.cast<std::tuple<std::string, std::string, bool, double, double, double>>();
    if (shape != "normal" && shape != "uniform") {
      throw py::value_error("not the state of a Dispersions: no distribution \"" + shape + "\"");
    }
    Distribution x;  // checked as a set file's are, by add
    x.shape = shape == "normal" ? Distribution::Shape::normal : Distribution::Shape::uniform;
    x.relative = relative;
    x.sigma = sigma;
    x.low = low;
    x.high = high;
    set.add(name, x);
  }
  return set;
}

std::string distribution_text(const Distribution& x) {
  const std::string relative = x.relative ? " of the nominal" : "";
  if (x.shape == Distribution::Shape::normal)
    return "normal, sigma " + shortest(x.sigma) + relative;
  return "uniform, " + shortest(x.low) + " to " + shortest(x.high) + relative;
}

/// A prepared study. Its setup holds what it was prepared from, so that a
/// copy in another process prepares the same one.
struct Study {
  StudySpec setup;
  bool closed_loop() const { return setup.mode == studies::LoopMode::closed; }
  bool guided() const { return setup.mode == studies::LoopMode::guided; }
};

Study prepare(const Vehicle& vehicle, const ThrustHistory& thrust, double turn_time,
              const DispersionSet& set, bool closed_loop, double tolerance, bool guided,
              std::optional<double> maxa) {
  studies::TrimSettings settings{vehicle, thrust};
  settings.tolerance = tolerance;
  const studies::LoopMode mode = guided        ? studies::LoopMode::guided
                                 : closed_loop ? studies::LoopMode::closed
                                               : studies::LoopMode::open;
  std::optional<studies::TypedNumber> angle;
  if (maxa) angle = studies::TypedNumber{shortest(*maxa), *maxa};
  const py::gil_scoped_release trimming;
  return {studies::prepare_study(settings, turn_time_of(turn_time), set, mode, angle)};
}

/// What the study was prepared from: the angle given is kept, a trimmed one
/// is trimmed again.
py::tuple study_state(const Study& study) {
  const StudySpec& s = study.setup;
  const py::object maxa =
      s.maxa_trimmed ? py::object(py::none()) : py::object(py::float_(s.nominal_maxa.value));
  return py::make_tuple(s.nominal.vehicle, s.nominal.thrust, s.turn_time.value,
                        set_state(s.dispersions), study.closed_loop(), s.nominal.tolerance,
                        study.guided(), maxa);
}

Study study_from(const py::tuple& state) {
  return prepare(state[0].cast<const Vehicle&>(), state[1].cast<const ThrustHistory&>(),
                 state[2].cast<double>(), set_from(state[3].cast<py::list>()),
                 state[4].cast<bool>(), state[5].cast<double>(), state[6].cast<bool>(),
                 state[7].cast<std::optional<double>>());
}

/// The cases `ks`, a column per quantity; a quantity a case does not have is NaN.
/// Flown on `threads` threads (0: one per core); Ctrl-C stops them.
py::dict fly_cases(const Study& study, std::uint64_t seed, const std::vector<std::size_t>& ks,
                   unsigned threads) {
  std::vector<CaseResult> cases;
  cases.reserve(ks.size());
  PythonSignals signals;
  {
    const py::gil_scoped_release flying;
    run_in_order<CaseResult>(
        ks.size(), threads,
        [&](std::size_t i, const std::stop_token&) {
          return studies::fly_case(study.setup, seed, ks[i]);
        },
        [&](CaseResult& c) { cases.push_back(std::move(c)); }, signals.stop());
  }
  signals.rethrow();
  const auto count = static_cast<py::ssize_t>(cases.size());
  const std::vector<studies::Dispersion>& entries = study.setup.dispersions.entries();
  py::array_t<std::uint64_t> k(count), seeds(count);
  py::array_t<std::int64_t> flights(count);
  py::array_t<double> values({count, static_cast<py::ssize_t>(entries.size())});
  py::array_t<double> maxa(count), perigee(count), apogee(count), average(count), remaining(count),
      sc_mass(count), max_q(count), max_q_alpha(count), max_a(count);
  py::list status, message;
  for (py::ssize_t i = 0; i < count; ++i) {
    const CaseResult& c = cases[static_cast<std::size_t>(i)];
    k.mutable_at(i) = c.k;
    seeds.mutable_at(i) = c.seed;
    for (std::size_t j = 0; j < c.values.size(); ++j) {
      values.mutable_at(i, static_cast<py::ssize_t>(j)) = c.values[j];
    }
    maxa.mutable_at(i) = c.flights > 0 ? c.maxa : NOT_A_NUMBER;
    perigee.mutable_at(i) = c.flown ? c.perigee : NOT_A_NUMBER;
    apogee.mutable_at(i) = c.flown ? c.apogee : NOT_A_NUMBER;
    average.mutable_at(i) = c.flown ? c.average_altitude : NOT_A_NUMBER;
    remaining.mutable_at(i) = c.flown ? c.remaining_propellant : NOT_A_NUMBER;
    sc_mass.mutable_at(i) = c.flown ? c.SC_M : NOT_A_NUMBER;
    max_q.mutable_at(i) = c.flown ? c.max_dynamic_pressure : NOT_A_NUMBER;
    max_q_alpha.mutable_at(i) = c.flown ? c.max_q_alpha : NOT_A_NUMBER;
    max_a.mutable_at(i) = c.flown ? c.max_acceleration : NOT_A_NUMBER;
    flights.mutable_at(i) = c.flights;
    status.append(py::str(std::string(row_status_name(c.status))));
    message.append(py::str(c.message));
  }
  py::dict columns;
  columns["case"] = k;
  columns["seed"] = seeds;
  for (std::size_t j = 0; j < entries.size(); ++j) {
    columns[py::str(entries[j].name)] =
        values[py::make_tuple(py::slice(0, count, 1), static_cast<py::ssize_t>(j))];
  }
  const std::array<py::object, 12> quantities{maxa,  perigee,     apogee, average, remaining,
                                               sc_mass, max_q, max_q_alpha, max_a,  flights,
                                               status,  message};
  const std::span<const Column> names = case_columns();
  for (std::size_t i = 0; i < quantities.size(); ++i) {
    columns[py::str(std::string(names[i].name))] = quantities[i];
  }
  return columns;
}

RowStatus status_named(const std::string& name) {
  if (const std::optional<RowStatus> status = row_status_named(name)) return *status;
  throw py::value_error("no case status \"" + name + "\"");
}

py::dict statistics(const studies::Statistics& s) {
  py::dict d;
  d["count"] = s.count;
  d["mean"] = s.mean;
  d["standard_deviation"] = s.standard_deviation;
  d["low"] = s.low;
  d["median"] = s.median;
  d["high"] = s.high;
  return d;
}

/// The library's summary of cases given as columns (those of fly_cases).
/// The cases of a study given as columns (those of fly_cases), each drawn
/// parameter's values in the order of the names of `drawn`.
struct CaseColumns {
  std::vector<std::string> status;
  std::vector<double> maxa, perigee, apogee, average, remaining, sc_mass, max_q, max_q_alpha,
      max_a;
  std::map<std::string, std::vector<double>> drawn;
};

std::vector<CaseResult> cases_of(const CaseColumns& columns) {
  const auto& [status, maxa, perigee, apogee, average, remaining, sc_mass, max_q, max_q_alpha,
               max_a, drawn] = columns;
  std::vector<CaseResult> cases(status.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    CaseResult& c = cases[i];
    c.status = status_named(status[i]);
    c.flown = !std::isnan(perigee.at(i));
    c.maxa = maxa.at(i);
    c.perigee = perigee[i];
    c.apogee = apogee.at(i);
    c.average_altitude = average.at(i);
    c.remaining_propellant = remaining.at(i);
    c.SC_M = sc_mass.at(i);
    c.max_dynamic_pressure = max_q.at(i);
    c.max_q_alpha = max_q_alpha.at(i);
    c.max_acceleration = max_a.at(i);
    for (const auto& [name, values] : drawn) c.values.push_back(values.at(i));
  }
  return cases;
}

py::dict summarize(const std::vector<std::string>& status, const std::vector<double>& maxa,
                   const std::vector<double>& perigee, const std::vector<double>& apogee,
                   const std::vector<double>& average, const std::vector<double>& remaining,
                   const std::vector<double>& sc_mass, const std::vector<double>& max_q,
                   const std::vector<double>& max_q_alpha, const std::vector<double>& max_a,
                   const std::map<std::string, std::vector<double>>& drawn,
                   double nominal_remaining_propellant) {
  const studies::StudySummary s =
      studies::summarize(cases_of({status, maxa, perigee, apogee, average, remaining, sc_mass,
                                   max_q, max_q_alpha, max_a, drawn}));
  py::dict by_status;
  for (std::size_t i = 0; i < ROW_STATUS_COUNT; ++i) {
    by_status[py::str(std::string(row_status_name(static_cast<RowStatus>(i))))] =
        s.by_status[i];
  }
  py::dict d;
  d["cases"] = s.cases;
  d["in_orbit"] = s.in_orbit;
  d["orbit_probability"] = s.orbit_probability;
  d["by_status"] = by_status;
  d["maxa"] = statistics(s.maxa);
  d["perigee"] = statistics(s.perigee);
  d["apogee"] = statistics(s.apogee);
  d["average_altitude"] = statistics(s.average_altitude);
  d["remaining_propellant"] = statistics(s.remaining_propellant);
  d["sc_mass"] = statistics(s.SC_M);
  d["max_dynamic_pressure"] = statistics(s.max_dynamic_pressure);
  d["max_q_alpha"] = statistics(s.max_q_alpha);
  d["max_acceleration"] = statistics(s.max_acceleration);
  // Without a case there is no correlation to give: NaN for each parameter.
  py::dict correlation;
  std::size_t j = 0;
  for (const auto& entry : drawn) {
    correlation[py::str(entry.first)] =
        j < s.SC_M_rank_correlation.size() ? s.SC_M_rank_correlation[j] : NOT_A_NUMBER;
    ++j;
  }
  d["sc_mass_rank_correlation"] = correlation;
  // The reserve of a rubber tank: a deficit counts, over the cases reaching the orbit.
  const studies::Statistics& tank = s.rubber_tank;
  py::dict rubber_tank = statistics(tank);
  rubber_tank["orbit_probability"] = s.orbit_probability_with_any_propellant;
  rubber_tank["reserve"] = studies::rubber_tank_reserve(s, nominal_remaining_propellant);
  rubber_tank["reserve_3_sigma"] = studies::three_sigma_reserve(s, nominal_remaining_propellant);
  rubber_tank["lowest_case_confidence"] = studies::lowest_case_confidence(tank.count);
  rubber_tank["cases_for_95_percent"] = studies::cases_for_confidence(0.95);
  py::dict drivers;
  j = 0;
  for (const auto& entry : drawn) {
    drivers[py::str(entry.first)] =
        j < s.rubber_tank_rank_correlation.size() ? s.rubber_tank_rank_correlation[j] : NOT_A_NUMBER;
    ++j;
  }
  rubber_tank["rank_correlation"] = drivers;
  d["rubber_tank"] = rubber_tank;
  // Where no reserve covers 99.865 % of the cases, NaN and the reason next to it.
  const double reserve = studies::flight_performance_reserve(s, nominal_remaining_propellant);
  const bool met = !std::isinf(reserve);
  d["remaining_propellant_met"] = met ? s.remaining_propellant_met : NOT_A_NUMBER;
  d["sc_mass_met"] = met ? s.SC_M_met : NOT_A_NUMBER;
  d["flight_performance_reserve"] = met ? reserve : NOT_A_NUMBER;
  d["not_met_reason"] = met ? std::string() : std::string(studies::NO_RESERVE);
  return d;
}

/// The page of a study, as ascent-trim dispersions --report writes it.
HtmlReport study_page(const studies::Facts& run, const std::string& mode, double nominal_maxa,
                      double nominal_remaining_propellant, double nominal_sc_mass,
                      double target_perigee, double target_apogee,
                      const std::vector<std::string>& status, const std::vector<double>& maxa,
                      const std::vector<double>& perigee, const std::vector<double>& apogee,
                      const std::vector<double>& average, const std::vector<double>& remaining,
                      const std::vector<double>& sc_mass, const std::vector<double>& max_q,
                      const std::vector<double>& max_q_alpha, const std::vector<double>& max_a,
                      const std::map<std::string, std::vector<double>>& drawn) {
  studies::StudyPage page;
  page.mode = mode == "guided" ? studies::LoopMode::guided
              : mode == "open" ? studies::LoopMode::open
                               : studies::LoopMode::closed;
  for (const auto& entry : drawn) page.parameter_names.push_back(entry.first);
  page.cases = cases_of({status, maxa, perigee, apogee, average, remaining, sc_mass, max_q,
                         max_q_alpha, max_a, drawn});
  page.nominal_maxa = nominal_maxa;
  page.nominal_remaining_propellant = nominal_remaining_propellant;
  page.nominal_sc_mass = nominal_sc_mass;
  page.target.perigee = target_perigee;
  page.target.apogee = target_apogee;
  return studies::study_page(run, page);
}

}  // namespace

void bind_dispersion(py::module_& m) {
  py::class_<DispersionSet>(m, "Dispersions",
                            "The uncertain parameters of a study, each with its distribution")
      .def_static("read", &studies::read_dispersion_file, py::arg("path"),
                  "Reads a dispersion set in TOML (ValueError with file, line and column)")
      .def_static("parse", &studies::parse_dispersion_set, py::arg("text"),
                  py::arg("source") = "<string>", "A dispersion set from TOML text")
      .def_static("default", &studies::default_dispersion_set,
                  "The built-in set, data/dispersions.toml")
      .def_property_readonly(
          "names",
          [](const DispersionSet& set) {
            std::vector<std::string> names;
            for (const studies::Dispersion& d : set.entries()) names.push_back(d.name);
            return names;
          },
          "the parameters by name, in the set's order")
      .def_property_readonly("units",
                             [](const DispersionSet& set) {
                               py::dict units;
                               for (const studies::Dispersion& d : set.entries())
                                 units[py::str(d.name)] = std::string(d.unit());
                               return units;
                             })
      .def("__len__", [](const DispersionSet& set) { return set.entries().size(); })
      .def("__repr__",
           [](const DispersionSet& set) {
             std::string text = "Dispersions(";
             for (const studies::Dispersion& d : set.entries()) {
               text += "\n  " + d.name + ": " + distribution_text(d.distribution) + ",";
             }
             return text + (set.empty() ? ")" : "\n)");
           })
      .def(py::pickle(&set_state, &set_from));

  py::class_<Study>(m, "Study", "A dispersion study with its nominal flight trimmed")
      .def_property_readonly("turn_time", [](const Study& s) { return s.setup.turn_time.value; })
      .def_property_readonly("closed_loop", &Study::closed_loop)
      .def_property_readonly("guided", &Study::guided)
      .def_property_readonly("nominal_maxa",
                             [](const Study& s) { return s.setup.nominal_maxa.value; })
      .def_property_readonly(
          "nominal_remaining_propellant",
          [](const Study& s) { return s.setup.nominal_flight.remaining_propellant; })
      .def_property_readonly("nominal_sc_mass",
                             [](const Study& s) { return s.setup.nominal_flight.SC_M; })
      .def_property_readonly("dispersions", [](const Study& s) { return s.setup.dispersions; })
      .def_property_readonly(
          "target_perigee",
          [](const Study& s) { return s.setup.nominal.vehicle.target.perigee_altitude(); },
          "[m] of the orbit a guided stage aims at")
      .def_property_readonly(
          "target_apogee",
          [](const Study& s) { return s.setup.nominal.vehicle.target.apogee_altitude(); }, "[m]")
      .def("fly_cases", &fly_cases, py::arg("seed"), py::arg("ks"), py::arg("threads") = 1,
           "Cases ks of the study with `seed` on `threads` threads (0: one per core), a column "
           "per quantity")
      .def(py::pickle(&study_state, &study_from));

  m.def("prepare_study", &prepare, py::arg("vehicle"), py::arg("thrust"), py::arg("turn_time"),
        py::arg("dispersions"), py::arg("closed_loop"), py::arg("tolerance"),
        py::arg("guided") = false, py::arg("maxa") = py::none(),
        "Prepares a study of the plan (turn time, maxa): the nominal angle is maxa, or the "
        "trimmed one");
  m.def(
      "read_plan",
      [](const std::filesystem::path& path) {
        const studies::Plan plan = studies::read_plan_file(path);
        return py::make_tuple(plan.turn_time.value, plan.maxa.value,
                              plan.guidance == UpperStageGuidance::orbit_insertion,
                              plan.target_perigee, plan.target_apogee);
      },
      py::arg("path"),
      "The plan (turn time [s], maxa [deg], guided, the perigee and apogee [m] it aims at or "
      "None) in a CSV file written by `ascent-trim optimize --csv`");
  m.def("summarize", &summarize, py::arg("status"), py::arg("maxa"), py::arg("perigee"),
        py::arg("apogee"), py::arg("average_altitude"), py::arg("remaining_propellant"),
        py::arg("sc_mass"), py::arg("max_dynamic_pressure"), py::arg("max_q_alpha"),
        py::arg("max_acceleration"), py::arg("drawn"), py::arg("nominal_remaining_propellant"),
        "The library's summary of cases given as columns, with the flight performance reserve "
        "over the nominal flight's remaining propellant");
  m.def("study_page", &study_page, py::arg("run"), py::arg("mode"), py::arg("nominal_maxa"),
        py::arg("nominal_remaining_propellant"), py::arg("nominal_sc_mass"),
        py::arg("target_perigee"), py::arg("target_apogee"), py::arg("status"), py::arg("maxa"),
        py::arg("perigee"), py::arg("apogee"), py::arg("average_altitude"),
        py::arg("remaining_propellant"), py::arg("sc_mass"), py::arg("max_dynamic_pressure"),
        py::arg("max_q_alpha"), py::arg("max_acceleration"), py::arg("drawn"),
        "The HTML page of a study's cases given as columns");
}

}  // namespace ascent::python
