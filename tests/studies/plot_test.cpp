// The gnuplot scripts turn a run's plot files and a sweep's CSV into PNGs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "studies/flight_runner.hpp"
#include "trim/reports.hpp"
#include "trim/run_files.hpp"
#include "studies/sweep.hpp"
#include "studies/trim_testing.hpp"
#include "support/session.hpp"

namespace ascent::testing {
namespace {

const std::string PNG_SIGNATURE = "\x89PNG\r\n\x1a\n";

/// Runs a script of tools/ with gnuplot, what it prints going to `log`; the
/// exit status of the command.
int gnuplot(const std::string& script, const std::string& variables,
            const std::string& log = "/dev/stdout") {
  const std::string command = "'" GNUPLOT_EXE "' -e \"" + variables + "\" '" ASCENT_TOOLS_DIR
                              "/" + script + "' > '" + log + "' 2>&1";
  return std::system(command.c_str());
}

void skip_without_gnuplot() {
  if (std::string(GNUPLOT_EXE).empty() ||
      std::system("'" GNUPLOT_EXE "' --version > /dev/null") != 0) {
    GTEST_SKIP() << "gnuplot is not installed";
  }
}

void expect_png(const std::filesystem::path& path) {
  const std::string bytes = read_file(path);
  ASSERT_GT(bytes.size(), 1000u) << path;
  EXPECT_EQ(bytes.substr(0, PNG_SIGNATURE.size()), PNG_SIGNATURE) << path;
  EXPECT_NE(bytes.find("IEND"), std::string::npos) << path;
}

TEST(Plots, RunFilesBecomeOnePng) {
  skip_without_gnuplot();
  if (::testing::Test::IsSkipped()) return;
  TempDir dir;
  ASSERT_EQ(trim::write_run_files(Vehicle{}, sample_thrust_path(), *studies::typed_number("20"),
                                  *studies::typed_number("17.5"), dir.path(), "run.txt", stderr),
            0);
  const std::filesystem::path png = dir.path() / "run.png";
  ASSERT_EQ(gnuplot("plot_run.gp", "dir='" + dir.path().string() + "'; out='" + png.string() + "'"),
            0);
  expect_png(png);
}

TEST(Plots, EachRunOfASessionIsItsOwnCurveNamedByItsTurnTime) {
  skip_without_gnuplot();
  if (::testing::Test::IsSkipped()) return;
  TempDir dir;
  install_sample_thrust_file(dir);
  // Two runs, an answer of no run between them, and a turn too long for the boosters.
  ASSERT_EQ(run_program(dir, "run.txt\n20\n18\n0.5\n25\n19\n150\n-1\n").status, 0);
  const std::filesystem::path png = dir.path() / "runs.png";
  const std::string command = "'" GNUPLOT_EXE "' -e \"dir='" + dir.path().string() + "'; out='" +
                              png.string() + "'; runs='" + (dir.path() / "run.txt").string() +
                              "'\" '" ASCENT_TOOLS_DIR "/plot_run.gp' -e "
                              "'print run_count, \"|\", label(1), \"|\", label(3)' 2>&1";
  FILE* gnuplot_output = popen(command.c_str(), "r");
  ASSERT_NE(gnuplot_output, nullptr);
  std::string printed;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, gnuplot_output) != nullptr) printed += buffer;
  ASSERT_EQ(pclose(gnuplot_output), 0) << printed;
  EXPECT_EQ(printed, "3 | turn 20 s | turn 150 s\n");
  expect_png(png);
}

/// The trade table of `turn_times` as a CSV file in `dir`, and gnuplot's
/// sweep plot of it; what the script prints (its titles).
std::string plot_sweep(const TempDir& dir, const studies::TrimSettings& settings,
                       std::initializer_list<const char*> turn_times) {
  std::vector<studies::TypedNumber> times;
  for (const char* t : turn_times) times.push_back(*studies::typed_number(t));
  {
    std::ofstream csv(dir.path() / "sweep.csv");
    trim::write_trade_header(csv, settings, trim::Format::csv);
    studies::sweep(settings, studies::TurnTimes::listed(times), [&](const studies::SweepRow& row) {
      trim::write_trade_row(csv, row, trim::Format::csv);
    });
  }
  const std::filesystem::path png = dir.path() / "sweep.png";
  std::filesystem::remove(png);
  const std::filesystem::path log = dir.path() / "titles.txt";
  EXPECT_EQ(gnuplot("plot_sweep.gp",
                    "data='" + (dir.path() / "sweep.csv").string() + "'; out='" + png.string() + "'",
                    log.string()),
            0);
  expect_png(png);
  return read_file(log);
}

TEST(Plots, SweepCsvBecomesOnePngThatMarksOnlyARowInOrbit) {
  skip_without_gnuplot();
  if (::testing::Test::IsSkipped()) return;
  TempDir dir;
  // 10 s is trimmed but short of propellant, 121 s refused (empty fields).
  studies::TrimSettings settings = sample_settings();
  const std::string titles = plot_sweep(dir, settings, {"10", "20", "121"});
  EXPECT_NE(titles.find("Turn times trimmed to a 200 km orbit\n"), std::string::npos) << titles;
  EXPECT_NE(titles.find("(largest in orbit: 97332 kg at 20 s)\n"), std::string::npos) << titles;

  // Aimed at 300 km, 10 s is trimmed but no row is in orbit: no best, no placeholder.
  settings.vehicle.target.altitude = 300000.0;
  const std::string none = plot_sweep(dir, settings, {"10", "121"});
  EXPECT_NE(none.find("Turn times trimmed to a 300 km orbit\n"), std::string::npos) << none;
  EXPECT_NE(none.find("(no turn time in orbit)\n"), std::string::npos) << none;
  EXPECT_EQ(none.find("NaN"), std::string::npos) << none;

  EXPECT_NE(plot_sweep(dir, settings, {"121"}).find("Turn times swept: none trimmed\n"),
            std::string::npos);
}

}  // namespace
}  // namespace ascent::testing
