// The optimal ascent's report as a reader uses it: the steering history's
// rows read back to the optimum, and a failed solve that names its element.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "optimal/delta3_deck.hpp"
#include "trim/optimal_ascent_report.hpp"

namespace ascent::trim {
namespace {

// The numbers of a CSV line; a quoted field (a phase's name) reads as NaN.
std::vector<double> fields(const std::string& line) {
  std::vector<double> values;
  std::string field;
  bool quoted = false;
  const auto end_field = [&] {
    try {
      values.push_back(std::stod(field));
    } catch (const std::exception&) {
      values.push_back(NAN);
    }
    field.clear();
  };
  for (const char c : line) {
    if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) end_field();
    else field += c;
  }
  end_field();
  return values;
}

TEST(OptimalAscentReport, SteeringHistoryHasEveryPointInOrderWithUnitDirections) {
  const studies::AscentProblem problem = studies::delta3(6);
  const studies::AscentOptimum optimum = studies::optimize_ascent(problem);
  ASSERT_EQ(optimum.solution.status, studies::SolveStatus::solved);
  std::ostringstream csv;
  write_optimal_ascent_report(csv, problem, optimum, Format::csv);
  std::istringstream in(csv.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line.substr(0, 13), "time_s,phase,");
  std::size_t rows = 0;
  double last_time = -1.0;
  std::vector<double> last;
  while (std::getline(in, line)) {
    last = fields(line);
    ASSERT_EQ(last.size(), 9U) << line;
    EXPECT_GE(last[0], last_time);
    last_time = last[0];
    EXPECT_NEAR(std::hypot(last[2], last[3], last[4]), 1.0, 2e-6) << line;
    ++rows;
  }
  std::size_t points = 0;
  for (const studies::PhaseSolution& phase : optimum.solution.phases) points += phase.times.size();
  EXPECT_EQ(rows, points);
  EXPECT_NEAR(last[0], optimum.final_time, 1e-3);
  EXPECT_NEAR(last[8], optimum.final_mass, 1e-3);

  std::ostringstream table;
  write_optimal_ascent_report(table, problem, optimum, Format::table);
  for (const char* name : {"final mass", "end of stage2", "semi-major axis miss", "argument of perigee miss",
                           "solver iterations"})
    EXPECT_NE(table.str().find(name), std::string::npos) << name;
}

TEST(OptimalAscentReport, AFailedSolveNamesTheElementItMissesAndWritesNoHistory) {
  studies::AscentOptimum failed;
  failed.solution.status = studies::SolveStatus::infeasible;
  failed.unmet = studies::ElementMiss{"semi-major axis", 4.4e6, 24.36114e6, -19.96114e6};
  std::ostringstream table;
  write_optimal_ascent_report(table, studies::delta3(4), failed, Format::table);
  EXPECT_NE(table.str().find("No steering reaches the orbit"), std::string::npos);
  EXPECT_NE(table.str().find("semi-major axis is missed by at least -19961.14 km"), std::string::npos)
      << table.str();
  std::ostringstream csv;
  write_optimal_ascent_report(csv, studies::delta3(4), failed, Format::csv);
  EXPECT_TRUE(csv.str().empty());
}

}  // namespace
}  // namespace ascent::trim
