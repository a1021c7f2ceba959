// The spread of one element's impact points over the cases of a study: their
// mean point, the 99 % and 3-sigma ellipses in the plane tangent to the
// ground at the mean (studies/dispersion_ellipse.hpp) and the case that
// lands farthest from the mean. Built one case at a time.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dynamics/geodetic.hpp"
#include "studies/dispersion_ellipse.hpp"
#include "studies/flight_ground.hpp"
#include "studies/study.hpp"
#include "studies/study_charts.hpp"

namespace ascent::studies {

struct ImpactDispersion {
  std::string element;
  std::size_t impacts = 0;           ///< cases where it came down
  std::size_t in_orbit = 0;          ///< cases where it reached orbit
  Geodetic mean;                     ///< the mean impact point (altitude 0)
  double mean_downrange = 0.0;       ///< [m] of the mean point from the pad
  DispersionEllipse ellipse_99;      ///< holds 99 % of a normal law, east and north of `mean` [m]
  DispersionEllipse ellipse_3sigma;  ///< three standard deviations along each principal axis
  std::size_t farthest_case = 0;     ///< the case whose impact lies farthest from the mean
  double farthest_distance = 0.0;    ///< [m] its distance from the mean
  std::vector<Geodetic> outline_99;  ///< on the ground, a closed ring (empty without scatter)
  std::vector<Geodetic> outline_3sigma;  ///< on the ground, a closed ring
};

class ImpactDispersionBuilder {
 public:
  /// `ground`: the figure and pad of the impact points (the nominal flight's).
  explicit ImpactDispersionBuilder(const FlightGround& ground) : ground_(ground) {}

  /// Case `k`'s impact points.
  void add(std::size_t k, const std::vector<ImpactRecord>& impacts);

  /// Per element, in the order they first appeared.
  [[nodiscard]] std::vector<ImpactDispersion> finish() const;

 private:
  struct Element {
    std::string name;
    std::size_t in_orbit = 0;
    std::vector<std::size_t> cases;
    std::vector<Geodetic> points;
  };
  const FlightGround& ground_;
  std::vector<Element> elements_;
};

/// The chart's columns of the impact points of `cases` and the 99 % ellipses of `spreads`.
[[nodiscard]] GroundTrackColumns impact_chart_columns(const std::vector<CaseResult>& cases,
                                                      const std::vector<ImpactDispersion>& spreads);

/// Each case's impact points, by case number.
using CaseImpacts = std::vector<std::pair<std::size_t, std::vector<ImpactRecord>>>;

/// The map of a study: the nominal track, every case's impact points, and
/// each element's mean impact point and ellipses.
[[nodiscard]] KmlDocument impact_map(const FlightGround& ground,
                                     const std::vector<StepRecord>& nominal_steps,
                                     const CaseImpacts& cases,
                                     const std::vector<ImpactDispersion>& spreads);

}  // namespace ascent::studies
