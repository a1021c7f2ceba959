#include "hardening/hardening_support.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>

#include "console/session.hpp"

namespace ascent::testing {

namespace {

/// The pad and liftoff rows: upright, alpha 90, beta 0, theta 90, no dynamic pressure.
constexpr std::string_view UPRIGHT_COLUMNS = "  90.00   0.00  90.00      0.0";
constexpr std::size_t UPRIGHT_AT = 37;  // after t, a, vi, h0 and r0

bool is_row(std::string_view line) {
  // A row starts with the time, "%7.2f", and holds nothing but numbers.
  if (line.size() < 77 || line.find_first_not_of(" -.0123456789") != std::string_view::npos) {
    return false;
  }
  const auto point = line.find('.');
  return point != std::string_view::npos && point + 3 <= line.size() && line[point + 3] == ' ';
}

class StepCounter : public FlightObserver {
 public:
  void on_step(const FlightState&, const StepQuantities&) override { ++steps; }
  std::size_t steps = 0;
};

}  // namespace

std::string failure_cause(std::string_view standard_output) {
  const auto start = standard_output.find("Runtime error ");
  if (start == std::string_view::npos) return "";
  const auto cause = standard_output.find("\r\n  ", start);
  if (cause == std::string_view::npos) return "";
  const auto end = standard_output.find("\r\n", cause + 2);
  return std::string(standard_output.substr(cause + 4, end - cause - 4));
}

std::size_t step_rows(std::string_view text) {
  std::size_t rows = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    auto end = text.find("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(at, end - at);
    if (is_row(line) && line.substr(UPRIGHT_AT, UPRIGHT_COLUMNS.size()) != UPRIGHT_COLUMNS) ++rows;
    at = end + 2;
  }
  return rows;
}

std::size_t complete_lines(std::string_view text) {
  EXPECT_TRUE(text.empty() || text.ends_with("\r\n")) << "the last line is cut";
  std::size_t lines = 0;
  for (auto at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2)) {
    ++lines;
  }
  return lines;
}

bool shows_non_finite(std::string_view text) {
  return text.find("nan") != std::string_view::npos || text.find("inf") != std::string_view::npos;
}

CountedSession run_counting_steps(const TempDir& dir, std::string_view answers) {
  ScriptedSession session(dir, answers);
  StepCounter counter;
  session.session().observer = &counter;
  CountedSession counted;
  counted.result.status = session.run();
  counted.result.standard_output = session.standard_output();
  counted.steps = counter.steps;
  return counted;
}

void expect_nothing_lost(const TempDir& dir, std::string_view name, std::size_t steps) {
  const std::string output = dir.read(name);
  complete_lines(output);
  EXPECT_EQ(step_rows(output), steps) << "rows of " << name;
  for (const char* plot : PLOT_FILES) {
    EXPECT_EQ(complete_lines(dir.read(plot)), steps) << "lines of " << plot;
  }
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file()) << "the booster thrust file changed";
}

std::string temporary_files(const TempDir& dir) {
  std::string found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.ends_with(".part")) found += name + " ";
  }
  return found;
}

void expect_whole_files(const TempDir& dir, std::string_view output_name) {
  const std::string output = dir.read(output_name);
  complete_lines(output);
  for (const char* plot : PLOT_FILES) {
    EXPECT_EQ(complete_lines(dir.read(plot)), step_rows(output)) << plot;
  }
  if (dir.exists("const_n.hpp")) {
    const std::string constants = dir.read("const_n.hpp");
    EXPECT_EQ(complete_lines(constants), 9u);
    EXPECT_TRUE(constants.ends_with("; {kg, Spacecraft mass}\r\n")) << constants;
  }
  EXPECT_EQ(temporary_files(dir), "");
  EXPECT_EQ(dir.read("s1.dat"), sample_thrust_file()) << "the booster thrust file changed";
}

ProgramResult run_program_with(const TempDir& dir, std::string_view answers,
                               const std::string& output_target) {
  dir.write("answers.in", answers);
  const std::string output = output_target.empty()  ? "session.out"
                             : output_target == "-" ? "&-"
                                                    : "'" + output_target + "'";
  const std::string command = "cd '" + dir.path().string() +
                              "' && '" ASCENT_EXE "' < answers.in >" + output + " 2> session.err";
  const int raw = std::system(command.c_str());
  ProgramResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  if (output_target.empty()) result.standard_output = dir.read("session.out");
  result.standard_error = dir.read("session.err");
  for (const char* scratch : {"session.out", "session.err"}) {
    std::filesystem::remove(dir.path() / scratch);
  }
  return result;
}

}  // namespace ascent::testing
