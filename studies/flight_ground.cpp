#include "studies/flight_ground.hpp"

#include <chrono>
#include <cstdio>
#include <numbers>

#include "dynamics/sidereal_time.hpp"

namespace ascent::studies {

namespace {

constexpr double DEGREE = std::numbers::pi / 180.0;

GroundPoint in_degrees(const Geodetic& point) {
  return {point.latitude / DEGREE, point.longitude / DEGREE, point.altitude};
}

FallWorld world_of(const Vehicle& vehicle, const GroundSettings& settings) {
  const EarthModel earth;  // the classic flight's sphere, central field and rotation
  const EarthFigure figure =
      settings.wgs84 ? EarthFigure::wgs84() : EarthFigure::sphere(earth.equatorial_radius);
  const GroundFrame ground(figure, earth.rotation_rate);
  const Geodetic pad{vehicle.launch_site.latitude * DEGREE, settings.launch_longitude * DEGREE,
                     0.0};
  return {earth, AirModel::us1976(), ground, pad};
}

/// [m^2]
double area(Real value) {
  return static_cast<double>(value);
}

}  // namespace

FlightGround::FlightGround(const Vehicle& vehicle, const GroundSettings& settings)
    : vehicle_(vehicle),
      embedding_(vehicle.launch_site.latitude * DEGREE, settings.launch_longitude * DEGREE,
                 static_cast<double>(R_EARTH), static_cast<double>(vehicle.surface_speed())),
      world_(world_of(vehicle, settings)) {}

GroundPoint FlightGround::point(double t, double h0, double r0, double vt, double vr) const {
  return in_degrees(world_.ground.geodetic(inertial(t, h0, r0, vt, vr).position, t));
}

std::vector<Jettison> FlightGround::jettisons(const std::vector<EventRecord>& events) const {
  const Vehicle& v = vehicle_;
  std::vector<Jettison> dropped;
  const auto drop = [&](const EventRecord& at, std::string element, double mass, double area) {
    const CartesianState s = inertial(at.t, at.h0, at.r0, at.vt, at.vr);
    dropped.push_back({std::move(element),
                       at.t,
                       {s.position, s.velocity, mass},
                       {area, DEFAULT_FALL_DRAG_COEFFICIENT, {}}});
  };
  for (const EventRecord& event : events) {
    if (event.name == "booster separation") {
      // Each booster keeps the propellant the event reports; they fall side by side.
      drop(event, "boosters", v.boosters.count * (v.boosters.dry_mass + event.value),
           v.boosters.count * area(v.booster_area()));
    } else if (event.name == "fairing jettison") {
      drop(event, "fairing", v.fairing.mass, area(v.stack_area()));
    } else if (event.name == "core separation") {
      drop(event, "core stage", v.core.dry_mass + v.upper_stage.left_with_core,
           area(v.core_stack_area()));
    } else if (event.name == "upper-stage separation") {
      drop(event, "upper stage", event.mass, area(v.stack_area()));
    }
  }
  return dropped;
}

std::vector<ImpactRecord> impact_records(const std::vector<ElementImpact>& impacts) {
  std::vector<ImpactRecord> records;
  records.reserve(impacts.size());
  for (const ElementImpact& one : impacts) {
    const GroundPoint where = in_degrees(one.impact.where);
    records.push_back({one.element, one.impact.reaches_orbit, one.impact.time, where.latitude,
                       where.longitude, one.impact.downrange, one.impact.speed});
  }
  return records;
}

std::vector<ImpactRecord> FlightGround::impacts(const std::vector<EventRecord>& events) const {
  return impact_records(impact_points(jettisons(events), world_));
}

OrbitEphemeris teme_ephemeris(const std::vector<TimedState>& states, const UtcTime& launch) {
  OrbitEphemeris ephemeris;
  ephemeris.creation_date = {std::chrono::duration_cast<std::chrono::microseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count()};
  ephemeris.object_name = "ascent vehicle";
  ephemeris.object_id = "ascent";
  // The inertial axes are the Earth-fixed ones at launch: TEME turned by the sidereal time.
  const double turn = launch_frame_right_ascension(launch, 0.0);
  for (const TimedState& state : states) {
    const UtcTime epoch = launch.plus(state.t);
    if (!ephemeris.states.empty() &&
        epoch.microseconds <= ephemeris.states.back().epoch.microseconds) {
      continue;
    }
    ephemeris.states.push_back({epoch, turned_about_z(state.position, turn),
                                turned_about_z(state.velocity, turn)});
  }
  return ephemeris;
}

OrbitEphemeris FlightGround::ephemeris(const std::vector<StepRecord>& steps,
                                       const UtcTime& launch) const {
  // A search's steps go back in time: the path leaves them out.
  std::vector<TimedState> states;
  for (const StepRecord& step : steps) {
    if (step.search_step) continue;
    const CartesianState s = inertial(step.t, step.h0, step.r0, step.vt, step.vr);
    states.push_back({step.t, s.position, s.velocity});
  }
  return teme_ephemeris(states, launch);
}

std::string impact_description(const ImpactRecord& impact) {
  char text[128];
  if (impact.reaches_orbit) {
    std::snprintf(text, sizeof text, "reaches orbit at %.1f s", impact.t);
  } else {
    std::snprintf(text, sizeof text, "impact at %.1f s, %.1f km downrange, %.0f m/s", impact.t,
                  impact.downrange / 1000.0, impact.speed);
  }
  return text;
}

KmlDocument flight_map(std::string name, std::vector<Geodetic> track,
                       const std::vector<ImpactRecord>& impacts) {
  KmlDocument document{std::move(name), {{"ascent", std::move(track)}}, {}, {}};
  for (const ImpactRecord& impact : impacts) {
    document.places.push_back({impact.element, impact_description(impact),
                               {impact.latitude * DEGREE, impact.longitude * DEGREE, 0.0}});
  }
  return document;
}

KmlDocument FlightGround::map(const std::vector<StepRecord>& steps,
                              const std::vector<ImpactRecord>& impacts) const {
  std::vector<Geodetic> track;
  for (const StepRecord& step : steps) {
    if (step.search_step) continue;
    const CartesianState s = inertial(step.t, step.h0, step.r0, step.vt, step.vr);
    track.push_back(world_.ground.geodetic(s.position, step.t));
  }
  return flight_map("ascent flight", std::move(track), impacts);
}

}  // namespace ascent::studies
