#include "studies/trim_testing.hpp"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace ascent::testing {

studies::TrimSettings sample_settings() {
  studies::TrimSettings settings;
  settings.thrust = ThrustHistory::read(sample_thrust_path());
  return settings;
}

std::filesystem::path scaled_thrust_file(const TempDir& dir, double factor) {
  std::istringstream in(read_file(sample_thrust_path()));
  std::ostringstream out;
  double t = 0.0;
  double thrust = 0.0;
  while (in >> t >> thrust) {
    char line[64];
    std::snprintf(line, sizeof line, "%.1f %.1f\n", t, thrust * factor);
    out << line;
  }
  dir.write("scaled.dat", out.str());
  return dir.path() / "scaled.dat";
}

std::vector<OutputLine> output_lines(const std::string& bytes) {
  std::vector<OutputLine> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    OutputLine line;
    line.text = bytes.substr(start, end - start);
    TableRow& r = line.row;
    char rest = 0;
    line.is_row =
        std::sscanf(line.text.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %c", &r.t, &r.a,
                    &r.vi, &r.h0, &r.r0, &r.alpha, &r.beta, &r.theta, &r.Pq, &r.mass, &rest) == 10;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

const studies::TrimResult& trimmed_at_20s() {
  static const studies::TrimResult result =
      studies::trim_turn_time(sample_settings(), *studies::typed_number("20"));
  return result;
}

}  // namespace ascent::testing
