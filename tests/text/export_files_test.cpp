// The KML map and the CCSDS ephemeris: what is written reads back as the
// states and points given, with the keywords the formats require, and a file
// that cannot be written whole is not written at all.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "base/runtime_error.hpp"
#include "support/session.hpp"
#include "text/kml_document.hpp"
#include "text/orbit_ephemeris.hpp"

namespace ascent::testing {
namespace {

constexpr double PI = std::numbers::pi;

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

/// States on a circular orbit of radius 6678 km inclined 51.6 deg, at uneven times.
OrbitEphemeris circular_orbit() {
  OrbitEphemeris ephemeris;
  ephemeris.creation_date = UtcTime::parse("2026-12-08T00:00:00Z");
  ephemeris.object_name = "upper stage";
  ephemeris.object_id = "2026-999A";
  const double r = 6678.0e3;
  const double n = std::sqrt(3.986004418e14 / (r * r * r));
  const double i = 51.6 * PI / 180.0;
  const UtcTime launch = UtcTime::parse("2026-12-08T14:30:00.5");
  for (const double t : {0.0, 0.1, 7.25, 100.0, 1234.567891, 5400.0}) {
    const double u = n * t;
    const Eigen::Vector3d p(std::cos(u), std::sin(u) * std::cos(i), std::sin(u) * std::sin(i));
    const Eigen::Vector3d q(-std::sin(u), std::cos(u) * std::cos(i), std::cos(u) * std::sin(i));
    ephemeris.states.push_back({launch.plus(t), r * p, r * n * q});
  }
  return ephemeris;
}

struct ParsedOem {
  std::map<std::string, std::string> keywords;  ///< the last value of each
  std::vector<std::string> epochs;
  std::vector<std::array<double, 6>> states;  ///< km, km/s
  bool meta_closed = false;
};

ParsedOem parse_oem(const std::string& text) {
  ParsedOem parsed;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (line == "META_START") continue;
    if (line == "META_STOP") {
      parsed.meta_closed = true;
      continue;
    }
    if (const auto equals = line.find(" = "); equals != std::string::npos) {
      const std::string key = line.substr(0, line.find(' '));
      parsed.keywords[key] = line.substr(equals + 3);
      continue;
    }
    std::istringstream fields(line);
    std::string epoch;
    std::array<double, 6> state{};
    fields >> epoch;
    for (double& value : state) fields >> value;
    EXPECT_FALSE(fields.fail()) << line;
    parsed.epochs.push_back(epoch);
    parsed.states.push_back(state);
  }
  return parsed;
}

TEST(OrbitEphemeris, ReadsBackAsTheStatesGivenToTheMillimetre) {
  const OrbitEphemeris ephemeris = circular_orbit();
  TempDir dir;
  write_oem(dir.path() / "flight.oem", ephemeris);
  const ParsedOem parsed = parse_oem(dir.read("flight.oem"));

  EXPECT_EQ(parsed.keywords.at("CCSDS_OEM_VERS"), "2.0");
  EXPECT_EQ(parsed.keywords.at("CREATION_DATE"), "2026-12-08T00:00:00.000000");
  EXPECT_EQ(parsed.keywords.at("ORIGINATOR"), "ascent");
  EXPECT_EQ(parsed.keywords.at("OBJECT_NAME"), "upper stage");
  EXPECT_EQ(parsed.keywords.at("OBJECT_ID"), "2026-999A");
  EXPECT_EQ(parsed.keywords.at("CENTER_NAME"), "EARTH");
  EXPECT_EQ(parsed.keywords.at("REF_FRAME"), "TEME");
  EXPECT_EQ(parsed.keywords.at("TIME_SYSTEM"), "UTC");
  EXPECT_EQ(parsed.keywords.at("START_TIME"), "2026-12-08T14:30:00.500000");
  EXPECT_EQ(parsed.keywords.at("STOP_TIME"), ephemeris.states.back().epoch.iso());
  EXPECT_TRUE(parsed.meta_closed);

  ASSERT_EQ(parsed.states.size(), ephemeris.states.size());
  for (std::size_t k = 0; k < parsed.states.size(); ++k) {
    const auto& given = ephemeris.states[k];
    EXPECT_EQ(UtcTime::parse(parsed.epochs[k]), given.epoch);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_NEAR(parsed.states[k][axis] * 1e3, given.position(axis), 1e-3) << k;
      EXPECT_NEAR(parsed.states[k][3 + axis] * 1e3, given.velocity(axis), 1e-6) << k;
    }
  }
}

TEST(OrbitEphemeris, IsWrittenWholeOrNotAtAll) {
  TempDir dir;
  dir.write("flight.oem", "the previous ephemeris\n");
  OrbitEphemeris empty = circular_orbit();
  empty.states.clear();
  EXPECT_THROW(write_oem(dir.path() / "flight.oem", empty), InputError);
  OrbitEphemeris broken = circular_orbit();
  broken.object_name = "two\nlines";
  EXPECT_THROW(write_oem(dir.path() / "flight.oem", broken), InputError);
  EXPECT_EQ(dir.read("flight.oem"), "the previous ephemeris\n");
  // A folder in the way: refused, nothing left beside it.
  std::filesystem::create_directory(dir.path() / "folder.oem");
  EXPECT_THROW(write_oem(dir.path() / "folder.oem", circular_orbit()), FileError);
  EXPECT_THROW(write_oem(dir.path() / "missing" / "flight.oem", circular_orbit()), FileError);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 2u);
}

TEST(KmlDocument, HoldsTheTrackAtItsAltitudeThePlacesAndTheRings) {
  KmlDocument document;
  document.name = "flight <A&B>";
  std::vector<Geodetic> track;
  for (int k = 0; k <= 10; ++k) {
    track.push_back({(28.45 + 0.01 * k) * PI / 180.0, (-80.6 + 0.1 * k) * PI / 180.0, 2.0e4 * k});
  }
  document.tracks.push_back({"ascent", track});
  document.places.push_back({"core stage", "impact at 512.3 s", {27.9 * PI / 180.0, -70.5 * PI / 180.0, 0.0}});
  document.areas.push_back({"core stage 99 %", "", {track[0], track[3], track[6], track[0]}});
  const std::string kml = kml_text(document);

  EXPECT_EQ(kml.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">", 0), 0u);
  EXPECT_NE(kml.find("<name>flight &lt;A&amp;B&gt;</name>"), std::string::npos);
  EXPECT_EQ(count(kml, "<Placemark>"), 3u);
  EXPECT_EQ(count(kml, "<LineString><altitudeMode>absolute</altitudeMode>"), 1u);
  EXPECT_EQ(count(kml, "<Polygon>"), 1u);
  EXPECT_EQ(count(kml, "<Point>"), 1u);
  // Longitude first, then latitude, then metres.
  EXPECT_NE(kml.find("<coordinates>-80.600000000,28.450000000,0.000 -80.500000000,28.460000000,20000.000 "),
            std::string::npos);
  EXPECT_NE(kml.find("-79.600000000,28.550000000,200000.000</coordinates>"), std::string::npos);
  EXPECT_NE(kml.find("<Point><coordinates>-70.500000000,27.900000000,0.000</coordinates></Point>"),
            std::string::npos);
  EXPECT_NE(kml.find("<description>impact at 512.3 s</description>"), std::string::npos);
  EXPECT_EQ(kml.substr(kml.size() - 7), "</kml>\n");

  TempDir dir;
  write_kml(dir.path() / "flight.kml", document);
  EXPECT_EQ(dir.read("flight.kml"), kml);
}

}  // namespace
}  // namespace ascent::testing
