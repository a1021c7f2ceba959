// The events and the time history of a trimmed flight against the output
// file that `ascent` writes for the same answers, and the CSV around them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "studies/flight_recorder.hpp"
#include "trim/reports.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {

using studies::Column;
using studies::history_columns;

namespace {

/// The trimmed flight at 20 s: ascent's output file and the tool's record.
class TrimmedFlight : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const studies::TrimResult& r = trimmed_at_20s();
    ASSERT_TRUE(r.trimmed());
    TempDir dir;
    install_sample_thrust_file(dir);
    ASSERT_EQ(run_program(dir, "run.txt\n20\n" + r.maxa.text + "\n-1\n").status, 0);
    lines_ = new std::vector<OutputLine>(output_lines(dir.read("run.txt")));

    recorder_ = new studies::FlightRecorder(true);
    static const Vehicle vehicle;
    static const ThrustHistory thrust = ThrustHistory::read(sample_thrust_path());
    studies::FlightRequest request{&vehicle, &thrust, r.turn_time, r.maxa, recorder_};
    ASSERT_TRUE(studies::fly(request).in_orbit());
  }
  static void TearDownTestSuite() {
    delete lines_;
    delete recorder_;
  }

  static std::vector<TableRow> rows() {
    std::vector<TableRow> out;
    for (const OutputLine& l : *lines_) {
      if (l.is_row) out.push_back(l.row);
    }
    return out;
  }

  static std::vector<OutputLine>* lines_;
  static studies::FlightRecorder* recorder_;
};

std::vector<OutputLine>* TrimmedFlight::lines_ = nullptr;
studies::FlightRecorder* TrimmedFlight::recorder_ = nullptr;

void expect_same_state(const studies::EventRecord& e, const TableRow& row) {
  EXPECT_NEAR(e.t, row.t, 0.005);
  EXPECT_NEAR(e.h0, row.h0, 0.5);
  EXPECT_NEAR(e.vi, row.vi, 0.5);
  EXPECT_NEAR(e.beta, row.beta, 0.005);
  EXPECT_NEAR(e.theta, row.theta, 0.005);
  EXPECT_NEAR(e.Pq, row.Pq, 0.05);
  EXPECT_NEAR(e.mass, row.mass, 0.05);
}

TEST_F(TrimmedFlight, EventsCarryTheStateOfTheRowBeforeTheirLine) {
  const std::vector<studies::EventRecord> events = recorder_->events();
  std::vector<studies::EventRecord> from_lines;
  for (const studies::EventRecord& e : events) {
    if (!e.line.empty()) from_lines.push_back(e);
  }
  // Walk ascent's output: each event line follows the row of its state.
  std::size_t next = 0;
  const TableRow* last_row = nullptr;
  for (const OutputLine& l : *lines_) {
    if (l.is_row) {
      last_row = &l.row;
    } else if (next < from_lines.size() && l.text == from_lines[next].line) {
      ASSERT_NE(last_row, nullptr);
      SCOPED_TRACE(l.text);
      expect_same_state(from_lines[next], *last_row);
      ++next;
    }
  }
  EXPECT_EQ(next, from_lines.size());

  std::vector<std::string> names;
  for (const studies::EventRecord& e : events) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"liftoff", "pitch-over", "end of turn",
                                             "maximum dynamic pressure", "booster separation",
                                             "fairing jettison", "core cutoff", "core separation",
                                             "upper-stage ignition", "upper-stage mainstage",
                                             "upper-stage cutoff", "upper-stage separation"}));
}

TEST_F(TrimmedFlight, LiftoffAndMaximumDynamicPressureMatchTheTable) {
  const std::vector<TableRow> table = rows();
  const std::vector<studies::EventRecord> events = recorder_->events();
  // The second row of the table is the liftoff row, written before any step.
  SCOPED_TRACE("liftoff");
  expect_same_state(events.front(), table[1]);

  const auto max_q = std::max_element(table.begin(), table.end(),
                                      [](const auto& a, const auto& b) { return a.Pq < b.Pq; });
  const auto recorded = std::find_if(events.begin(), events.end(), [](const auto& e) {
    return e.name == "maximum dynamic pressure";
  });
  ASSERT_NE(recorded, events.end());
  SCOPED_TRACE("maximum dynamic pressure");
  expect_same_state(*recorded, *max_q);
}

TEST_F(TrimmedFlight, HistoryHasOneCsvRowPerStepOfTheTable) {
  std::ostringstream csv;
  const studies::FlightGround ground(Vehicle{}, {});
  trim::write_history_csv(csv, recorder_->steps(), ground);
  std::istringstream in(csv.str());
  std::string header;
  std::getline(in, header);
  const std::span<const Column> columns = history_columns();
  std::string expected_header;
  for (const Column& c : columns) {
    // Snake case, the unit as a suffix: "a_m_s2" for m/s^2; a pure number has none.
    std::string suffix(c.unit);
    for (char& ch : suffix) ch = ch == '/' || ch == '*' ? '_' : static_cast<char>(std::tolower(ch));
    std::erase(suffix, '^');
    if (c.unit != "1" && !c.unit.empty()) {
      EXPECT_TRUE(c.name.ends_with("_" + suffix)) << c.name;
    }
    if (!expected_header.empty()) expected_header += ',';
    expected_header += c.name;
  }
  EXPECT_EQ(header, expected_header);

  // The table's first two rows, on the pad and at liftoff, are not steps.
  const std::vector<TableRow> table = rows();
  ASSERT_GT(table.size(), 2u);
  const std::size_t steps = table.size() - 2;
  // The numbers of the step, its search_step word, then where it is over the ground.
  const auto search_column = static_cast<std::size_t>(
      std::find_if(columns.begin(), columns.end(),
                   [](const Column& c) { return c.name == "search_step"; }) -
      columns.begin());
  std::vector<std::vector<double>> values;
  std::vector<std::vector<double>> places;
  std::vector<std::string> search_steps;
  for (std::string line; std::getline(in, line);) {
    std::vector<double> fields;
    std::istringstream cells(line);
    std::string cell;
    for (std::size_t i = 0; i < search_column && std::getline(cells, cell, ','); ++i) {
      fields.push_back(std::stod(cell));
    }
    ASSERT_EQ(fields.size(), search_column) << line;
    std::getline(cells, cell, ',');
    search_steps.push_back(cell);
    values.push_back(fields);
    std::vector<double> place;
    while (std::getline(cells, cell, ',')) place.push_back(std::stod(cell));
    ASSERT_EQ(place.size(), columns.size() - search_column - 1) << line;
    places.push_back(place);
  }
  ASSERT_EQ(values.size(), steps);
  ASSERT_EQ(recorder_->step_count(), steps);
  for (std::size_t i = 0; i < steps; ++i) {
    const TableRow& row = table[i + 2];
    const studies::StepRecord& step = recorder_->steps()[i];
    ASSERT_NEAR(values[i][0], row.t, 0.005) << "step " << i;
    ASSERT_NEAR(values[i][6], row.h0, 0.5) << "step " << i;
    ASSERT_NEAR(values[i][11], row.Pq, 0.05) << "step " << i;
    ASSERT_NEAR(values[i][15], row.mass, 0.05) << "step " << i;
    // Every value reads back exactly.
    ASSERT_EQ(values[i][0], step.t);
    ASSERT_EQ(values[i][19], step.apogee);
    ASSERT_EQ(search_steps[i], step.search_step ? "true" : "false") << "step " << i;
    const studies::GroundPoint where = ground.point(step);
    ASSERT_EQ(places[i][0], where.latitude);
    ASSERT_EQ(places[i][1], where.longitude);
    ASSERT_NEAR(places[i][2], step.h0, 1e-6) << "on the sphere, the altitude";
  }
}

TEST_F(TrimmedFlight, WithoutItsSearchStepsTheHistoryMovesForwardInTime) {
  double last_kept = -1.0;
  std::vector<double> marked;
  for (const studies::StepRecord& step : recorder_->steps()) {
    if (step.search_step) {
      marked.push_back(step.t);
    } else {
      EXPECT_GT(step.t, last_kept);
      last_kept = step.t;
    }
  }
  // The pitch-over search near 6.6 s and the upper stage's last second.
  ASSERT_GE(marked.size(), 4u);
  EXPECT_LT(marked.front(), 10.0);
  EXPECT_GT(marked.back(), 500.0);
  EXPECT_EQ(last_kept, recorder_->steps().back().t);
}

TEST(CsvField, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(trim::csv_field("trimmed"), "trimmed");
  EXPECT_EQ(trim::csv_field("at 129.64 s, after"), "\"at 129.64 s, after\"");
  EXPECT_EQ(trim::csv_field("a \"b\""), "\"a \"\"b\"\"\"");
}

}  // namespace
}  // namespace ascent::testing
