#include "studies/staged_history.hpp"

#include <cmath>
#include <numbers>

#include "mission/staged_steering.hpp"

namespace ascent::studies {

namespace {

constexpr std::array<Column, STAGED_HISTORY_COLUMNS> HISTORY{{
    {"t_s", "s"},
    {"x_m", "m"},
    {"y_m", "m"},
    {"z_m", "m"},
    {"vx_m_s", "m/s"},
    {"vy_m_s", "m/s"},
    {"vz_m_s", "m/s"},
    {"mass_kg", "kg"},
    {"altitude_m", "m"},
    {"latitude_deg", "deg"},
    {"longitude_deg", "deg"},
    {"speed_m_s", "m/s"},
    {"azimuth_deg", "deg"},
    {"pq_pa", "Pa"},
    {"mach", "1"},
    {"thrust_n", "N"},
    {"semi_major_axis_m", "m"},
    {"eccentricity", "1"},
    {"inclination_deg", "deg"},
    {"ascending_node_deg", "deg"},
    {"argument_of_perigee_deg", "deg"},
    {"perigee_m", "m"},
    {"apogee_m", "m"},
    {"geodetic_latitude_deg", "deg"},
    {"geodetic_altitude_m", "m"},
    {"flight_path_angle_deg", "deg"},
}};

constexpr std::array<Column, 6> EVENTS{{{"event", ""},
                                        {"element", ""},
                                        {"t_s", "s"},
                                        {"altitude_m", "m"},
                                        {"speed_m_s", "m/s"},
                                        {"mass_kg", "kg"}}};

constexpr double DEGREES = 180.0 / std::numbers::pi;

}  // namespace

std::span<const Column> staged_history_columns() { return HISTORY; }
std::span<const Column> staged_event_columns() { return EVENTS; }

StagedHistoryRows::StagedHistoryRows(const StagedVehicle& vehicle)
    // The inertial x axis points to longitude 0 at liftoff's frame.
    : vehicle_(vehicle), wgs84_(EarthFigure::wgs84(), vehicle.earth.rotation_rate) {}

StagedHistoryRow StagedHistoryRows::operator()(const StagedSample& s) const {
  const StagedVehicle& v = vehicle_;
  const Vector3& r = s.state.position;
  const Vector3& vel = s.state.velocity;
  const LocalFrame frame = LocalFrame::at(r);
  const Vector3 relative = vel - v.earth.rotation().cross(r);
  const double azimuth = std::atan2(relative.dot(frame.east), relative.dot(frame.north));
  const double horizontal = std::hypot(relative.dot(frame.east), relative.dot(frame.north));
  const Geodetic ground = wgs84_.geodetic(r, s.t);
  const double R = v.earth.equatorial_radius;
  const OrbitalElements& el = s.elements;
  return {s.t,
          r.x(),
          r.y(),
          r.z(),
          vel.x(),
          vel.y(),
          vel.z(),
          s.state.mass,
          s.altitude,
          std::asin(r.z() / r.norm()) * DEGREES,
          ground.longitude * DEGREES,
          vel.norm(),
          azimuth * DEGREES,
          s.dynamic_pressure,
          s.mach,
          s.thrust,
          el.semi_major_axis,
          el.eccentricity,
          el.inclination * DEGREES,
          el.ascending_node * DEGREES,
          el.argument_of_perigee * DEGREES,
          el.perigee_radius() - R,
          el.apogee_radius() - R,
          ground.latitude * DEGREES,
          ground.altitude,
          std::atan2(relative.dot(frame.up), horizontal) * DEGREES};
}

}  // namespace ascent::studies
