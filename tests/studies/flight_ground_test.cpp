// The ground under the built-in vehicle's flight: its plane placed in three
// dimensions keeps the two-body invariants of the planar flight, starts on
// the pad at rest over the ground, and drops its elements where they fall.
#include "studies/flight_ground.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <tuple>

#include "deck/staged_deck.hpp"
#include "dynamics/orbital_elements.hpp"
#include "dynamics/sidereal_time.hpp"
#include "studies/flight_runner.hpp"
#include "studies/staged_ground.hpp"
#include "studies/trim_testing.hpp"

namespace ascent::testing {
namespace {

constexpr double DEGREE = std::numbers::pi / 180.0;

/// The trimmed flight at 20 s, every step kept.
const studies::FlightRecorder& recorded_flight() {
  static const studies::FlightRecorder recorder = [] {
    const studies::TrimSettings settings = sample_settings();
    studies::FlightRecorder flight(true);
    studies::FlightRequest request;
    request.vehicle = &settings.vehicle;
    request.thrust = &settings.thrust;
    request.turn_time = trimmed_at_20s().turn_time;
    request.maxa = trimmed_at_20s().maxa;
    request.observer = &flight;
    (void)studies::fly(request);
    return flight;
  }();
  return recorder;
}

TEST(PlanarEmbedding, StartsOnThePadAtRestOverTheGroundInADueEastPlane) {
  const EarthModel earth;
  const double latitude = 28.45 * DEGREE;
  const double longitude = -80.6 * DEGREE;
  const double pad_speed = earth.rotation_rate * earth.equatorial_radius * std::cos(latitude);
  const PlanarEmbedding plane(latitude, longitude, earth.equatorial_radius, pad_speed);
  const CartesianState pad = plane.state(0.0, 0.0, 0.0, pad_speed, 0.0);
  const GroundFrame ground(EarthFigure::sphere(earth.equatorial_radius), earth.rotation_rate);
  const Geodetic where = ground.geodetic(pad.position, 0.0);
  EXPECT_NEAR(where.latitude, latitude, 1e-12);
  EXPECT_NEAR(where.longitude, longitude, 1e-12);
  EXPECT_NEAR(where.altitude, 0.0, 1e-6);
  EXPECT_NEAR((pad.velocity - earth.rotation().cross(pad.position)).norm(), 0.0, 1e-9);

  // Any state of the plane: radius R + h0, speed sqrt(vt^2 + vr^2), radial
  // rate vr, and a plane heading due east from the pad, inclined as its latitude.
  const CartesianState s = plane.state(300.0, 150.0e3, 1.2e6, 6500.0, 420.0);
  EXPECT_NEAR(s.position.norm(), earth.equatorial_radius + 150.0e3, 1e-6);
  EXPECT_NEAR(s.velocity.norm(), std::hypot(6500.0, 420.0), 1e-9);
  EXPECT_NEAR(s.position.normalized().dot(s.velocity), 420.0, 1e-9);
  const OrbitalElements orbit =
      orbital_elements(earth.gravitational_parameter, s.position, s.velocity);
  EXPECT_NEAR(orbit.inclination, latitude, 1e-12);
}

TEST(FlightGround, TheTrackStartsAtThePadWithTheFlightsAltitudes) {
  const studies::FlightGround ground(sample_settings().vehicle, {});
  const auto& steps = recorded_flight().steps();
  ASSERT_GT(steps.size(), 100u);
  const studies::GroundPoint first = ground.point(steps.front());
  EXPECT_NEAR(first.latitude, 28.45, 1e-4);
  EXPECT_NEAR(first.longitude, studies::DEFAULT_LAUNCH_LONGITUDE, 1e-3);
  for (const studies::StepRecord& step : steps) {
    EXPECT_NEAR(ground.point(step).altitude, step.h0, 1e-6) << step.t;  // on the sphere
  }
  // Due east: the track runs east, its latitude falling from the pad's
  // towards the equator as a great circle does.
  const studies::GroundPoint last = ground.point(steps.back());
  EXPECT_GT(last.longitude, first.longitude + 10.0);
  EXPECT_LT(last.latitude, first.latitude);
  // On WGS84 the same path stands higher at this latitude, where the
  // ellipsoid lies inside the flight's sphere.
  const studies::FlightGround wgs84(sample_settings().vehicle,
                                    {studies::DEFAULT_LAUNCH_LONGITUDE, true});
  EXPECT_GT(wgs84.point(steps.back()).altitude, steps.back().h0);
}

TEST(FlightGround, DroppedElementsFallInOrderAndTheUpperStageKeepsTheFlightsOrbit) {
  const studies::FlightGround ground(sample_settings().vehicle, {});
  const std::vector<studies::EventRecord> events = recorded_flight().events();
  const std::vector<studies::ImpactRecord> impacts = ground.impacts(events);
  ASSERT_EQ(impacts.size(), 4u);
  EXPECT_EQ(impacts[0].element, "boosters");
  EXPECT_EQ(impacts[1].element, "fairing");
  EXPECT_EQ(impacts[2].element, "core stage");
  EXPECT_EQ(impacts[3].element, "upper stage");
  for (int k = 0; k < 3; ++k) {
    EXPECT_FALSE(impacts[k].reaches_orbit) << impacts[k].element;
    EXPECT_GT(impacts[k].speed, 0.0);
  }
  EXPECT_LT(impacts[0].downrange, impacts[1].downrange);
  EXPECT_LT(impacts[1].downrange, impacts[2].downrange);
  EXPECT_TRUE(impacts[3].reaches_orbit);
  // The upper stage's orbit in three dimensions is the planar flight's.
  const std::vector<Jettison> dropped = ground.jettisons(events);
  const OrbitalElements orbit =
      orbital_elements(ground.world().earth.gravitational_parameter, dropped[3].state.position,
                       dropped[3].state.velocity);
  EXPECT_NEAR(orbit.perigee_radius() - ground.world().earth.equatorial_radius,
              trimmed_at_20s().flight.perigee, 1.0);
  EXPECT_NEAR(orbit.apogee_radius() - ground.world().earth.equatorial_radius,
              trimmed_at_20s().flight.apogee, 1.0);
}

TEST(FlightGround, TheEphemerisTurnsThePathIntoTemeAtTheLaunchEpoch) {
  const studies::FlightGround ground(sample_settings().vehicle, {});
  const UtcTime launch = UtcTime::parse("2026-12-08T14:30:00Z");
  const auto& steps = recorded_flight().steps();
  const OrbitEphemeris ephemeris = ground.ephemeris(steps, launch);
  ASSERT_GT(ephemeris.states.size(), 100u);
  for (std::size_t k = 1; k < ephemeris.states.size(); ++k) {
    ASSERT_GT(ephemeris.states[k].epoch.microseconds, ephemeris.states[k - 1].epoch.microseconds);
  }
  // Over the pad, the vehicle lies at the sidereal time plus the pad's
  // longitude east of the equinox, turned on with the Earth since launch.
  const Vector3& pad = ephemeris.states.front().position;
  const double right_ascension = greenwich_mean_sidereal_time(launch) +
                                 studies::DEFAULT_LAUNCH_LONGITUDE * DEGREE +
                                 ground.world().earth.rotation_rate * steps.front().t;
  EXPECT_NEAR(
      std::remainder(std::atan2(pad.y(), pad.x()) - right_ascension, 2.0 * std::numbers::pi), 0.0,
      1e-6);
  EXPECT_NEAR(pad.norm(), ground.world().earth.equatorial_radius + steps.front().h0, 1e-3);
  EXPECT_EQ(ephemeris.states.front().epoch, launch.plus(steps.front().t));
}

}  // namespace
}  // namespace ascent::testing

namespace ascent::testing {
namespace {

TEST(StagedImpacts, TheBuiltInStagedDeckDropsItsElementsWhereTheClassicFlightDoes) {
  const StagedVehicle staged = read_staged_deck(ASCENT_DATA_DIR "/vehicles/builtin.toml");
  const StagedResult flown = fly_staged(staged);
  const std::vector<studies::ImpactRecord> impacts = studies::staged_impacts(staged, flown, false);
  // The classic flight at the same plan, its pad where the staged deck's is.
  const studies::FlightGround classic_ground(
      sample_settings().vehicle, {staged.site.longitude * 180.0 / std::numbers::pi, false});
  const std::vector<studies::ImpactRecord> classic =
      classic_ground.impacts(recorded_flight().events());
  const GroundFrame& frame = classic_ground.world().ground;
  const auto at = [](const studies::ImpactRecord& i) {
    return Geodetic{i.latitude * DEGREE, i.longitude * DEGREE, 0.0};
  };
  // Pairs of the same element; the core falls far and fast, so its point moves most
  // with the few kilometres of apogee the two flights differ by.
  const std::array<std::tuple<const char*, const char*, double>, 3> pairs{
      {{"boosters", "boosters", 10.0e3},
       {"fairing", "fairing", 10.0e3},
       {"core", "core stage", 30.0e3}}};
  for (const auto& [mine, theirs, within] : pairs) {
    const auto a = std::find_if(impacts.begin(), impacts.end(),
                                [&](const auto& i) { return i.element == mine; });
    const auto b = std::find_if(classic.begin(), classic.end(),
                                [&](const auto& i) { return i.element == theirs; });
    ASSERT_NE(a, impacts.end()) << mine;
    ASSERT_NE(b, classic.end()) << theirs;
    EXPECT_FALSE(a->reaches_orbit);
    EXPECT_LT(frame.surface_distance(at(*a), at(*b)), within) << mine;
    // The element left at jettison and fell for a while.
    const auto jettison = std::find_if(
        flown.events.begin(), flown.events.end(),
        [&](const StagedEvent& e) { return e.name == std::string(mine) + ".jettison"; });
    ASSERT_NE(jettison, flown.events.end());
    EXPECT_GT(a->t, jettison->t + 60.0) << mine;
    EXPECT_GT(jettison->dropped_mass, 0.0);
  }

  // Its map holds the history's track and every impact; its ephemeris every step.
  const KmlDocument map = studies::staged_map(staged, flown, impacts, false);
  EXPECT_EQ(map.tracks.front().points.size(), flown.history.size());
  EXPECT_EQ(map.places.size(), impacts.size());
  const OrbitEphemeris ephemeris =
      studies::staged_ephemeris(flown, UtcTime::parse("2026-12-08T14:30:00Z"));
  ASSERT_FALSE(ephemeris.states.empty());
  EXPECT_NEAR(ephemeris.states.back().position.norm(), flown.history.back().state.position.norm(),
              1e-6);
}

}  // namespace
}  // namespace ascent::testing
