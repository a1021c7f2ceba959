// The ground under a flight of the built-in vehicle: where each step is over
// the Earth (geodetic latitude, longitude and altitude, on the flight's
// sphere or on WGS84), the elements it drops and where they come down, and
// the ephemeris of its path. The planar flight is placed in three dimensions
// by mission/planar_embedding.hpp.
#pragma once

#include <string>
#include <vector>

#include "base/utc_time.hpp"
#include "mission/impact_points.hpp"
#include "mission/planar_embedding.hpp"
#include "mission/vehicle.hpp"
#include "studies/flight_recorder.hpp"
#include "text/kml_document.hpp"
#include "text/orbit_ephemeris.hpp"

namespace ascent::studies {

/// [deg] the pad's longitude when none is given: Cape Canaveral's, whose
/// latitude the built-in vehicle's site has.
inline constexpr double DEFAULT_LAUNCH_LONGITUDE = -80.6;

/// Where and on what the flight's ground is described.
struct GroundSettings {
  double launch_longitude = DEFAULT_LAUNCH_LONGITUDE;  ///< [deg] east positive
  bool wgs84 = false;  ///< geodetic coordinates and the surface on WGS84, else the flight's sphere
};

/// A point of the path over the ground, in the units of the tables.
struct GroundPoint {
  double latitude;   ///< [deg]
  double longitude;  ///< [deg]
  double altitude;   ///< [m] above the figure
};

/// An element's impact point, in the units of the tables.
struct ImpactRecord {
  std::string element;
  bool reaches_orbit = false;
  double t = 0.0;          ///< [s] of impact (of jettison when in orbit)
  double latitude = 0.0;   ///< [deg]
  double longitude = 0.0;  ///< [deg]
  double downrange = 0.0;  ///< [m] from the pad along the surface
  double speed = 0.0;      ///< [m/s] relative to the ground
};

/// The description of an impact on a map: "impact at 412.3 s, 631.2 km
/// downrange, 88 m/s", or "reaches orbit at 612.0 s".
[[nodiscard]] std::string impact_description(const ImpactRecord& impact);

/// The impact points of `impacts`, in the units of the tables.
[[nodiscard]] std::vector<ImpactRecord> impact_records(const std::vector<ElementImpact>& impacts);

/// The map of a flight named `name`: its track at its altitude, and where its
/// elements come down (elements that reach orbit marked where they leave the vehicle).
[[nodiscard]] KmlDocument flight_map(std::string name, std::vector<Geodetic> track,
                                     const std::vector<ImpactRecord>& impacts);

/// A state of a flight's path at mission time `t`.
struct TimedState {
  double t;                  ///< [s]
  Eigen::Vector3d position;  ///< [m] inertial, x towards longitude 0 at launch
  Eigen::Vector3d velocity;  ///< [m/s]
};

/// The states as an ephemeris in TEME for a launch at `launch` (the inertial
/// axes turned by the sidereal time): a state whose epoch does not follow
/// the last one's microsecond is left out.
[[nodiscard]] OrbitEphemeris teme_ephemeris(const std::vector<TimedState>& states,
                                            const UtcTime& launch);

class FlightGround {
 public:
  FlightGround(const Vehicle& vehicle, const GroundSettings& settings);

  [[nodiscard]] const FallWorld& world() const { return world_; }

  /// The inertial state of a classic state at mission time `t`.
  [[nodiscard]] CartesianState inertial(double t, double h0, double r0, double vt,
                                        double vr) const {
    return embedding_.state(t, h0, r0, vt, vr);
  }
  /// Where the classic state at mission time `t` is over the ground.
  [[nodiscard]] GroundPoint point(double t, double h0, double r0, double vt, double vr) const;
  [[nodiscard]] GroundPoint point(const StepRecord& s) const {
    return point(s.t, s.h0, s.r0, s.vt, s.vr);
  }
  [[nodiscard]] GroundPoint point(const EventRecord& e) const {
    return point(e.t, e.h0, e.r0, e.vt, e.vr);
  }

  /// The elements dropped at the recorded events: the boosters, the fairing,
  /// the core stage with what stays on it, and the upper stage with the
  /// spacecraft, each with its own mass and cross-section and the default
  /// drag coefficient.
  [[nodiscard]] std::vector<Jettison> jettisons(const std::vector<EventRecord>& events) const;

  /// Where the elements dropped at the recorded events come down.
  [[nodiscard]] std::vector<ImpactRecord> impacts(const std::vector<EventRecord>& events) const;

  /// The path of the recorded steps (steps of a search left out) as an
  /// ephemeris in TEME, for a launch at `launch`.
  [[nodiscard]] OrbitEphemeris ephemeris(const std::vector<StepRecord>& steps,
                                         const UtcTime& launch) const;

  /// The map of the flight: its track (steps of a search left out) at its
  /// altitude, and where its elements come down (elements that reach orbit
  /// marked where they leave the vehicle).
  [[nodiscard]] KmlDocument map(const std::vector<StepRecord>& steps,
                                const std::vector<ImpactRecord>& impacts) const;

 private:
  Vehicle vehicle_;
  PlanarEmbedding embedding_;
  FallWorld world_;
};

}  // namespace ascent::studies
