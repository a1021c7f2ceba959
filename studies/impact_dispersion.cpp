#include "studies/impact_dispersion.hpp"

#include <algorithm>
#include <cstdio>
#include <numbers>
#include <string>

namespace ascent::studies {

namespace {

constexpr double DEGREE = std::numbers::pi / 180.0;

/// The mean of `points` on the ground: the mean in the tangent plane at a
/// first guess, taken again at that mean, where the plane's distortion is
/// least. The projection is true in distance from its origin.
Geodetic mean_point(const GroundFrame& ground, const std::vector<Geodetic>& points) {
  Geodetic mean = points.front();
  for (int pass = 0; pass < 2; ++pass) {
    const TangentPlane plane(ground, mean);
    Eigen::Vector2d sum = Eigen::Vector2d::Zero();
    for (const Geodetic& p : points) sum += plane.to_plane(p);
    mean = plane.to_ground(sum / static_cast<double>(points.size()));
  }
  return mean;
}

}  // namespace

void ImpactDispersionBuilder::add(std::size_t k, const std::vector<ImpactRecord>& impacts) {
  for (const ImpactRecord& impact : impacts) {
    auto element = std::find_if(elements_.begin(), elements_.end(),
                                [&](const Element& e) { return e.name == impact.element; });
    if (element == elements_.end()) {
      elements_.push_back({impact.element, 0, {}, {}});
      element = elements_.end() - 1;
    }
    if (impact.reaches_orbit) {
      ++element->in_orbit;
      continue;
    }
    element->cases.push_back(k);
    element->points.push_back({impact.latitude * DEGREE, impact.longitude * DEGREE, 0.0});
  }
}

std::vector<ImpactDispersion> ImpactDispersionBuilder::finish() const {
  const GroundFrame& ground = ground_.world().ground;
  std::vector<ImpactDispersion> spreads;
  for (const Element& element : elements_) {
    ImpactDispersion spread;
    spread.element = element.name;
    spread.impacts = element.points.size();
    spread.in_orbit = element.in_orbit;
    if (element.points.empty()) {
      spreads.push_back(spread);
      continue;
    }
    spread.mean = mean_point(ground, element.points);
    spread.mean_downrange = ground.surface_distance(ground_.world().pad, spread.mean);
    const TangentPlane plane(ground, spread.mean);
    std::vector<Eigen::Vector2d> in_plane;
    in_plane.reserve(element.points.size());
    for (std::size_t i = 0; i < element.points.size(); ++i) {
      in_plane.push_back(plane.to_plane(element.points[i]));
      const double distance = in_plane.back().norm();
      if (distance >= spread.farthest_distance) {
        spread.farthest_distance = distance;
        spread.farthest_case = element.cases[i];
      }
    }
    const PlaneSpread sample = PlaneSpread::of(in_plane);
    spread.ellipse_99 = dispersion_ellipse(sample, ellipse_scale(ELLIPSE_PROBABILITY));
    spread.ellipse_3sigma = dispersion_ellipse(sample, THREE_SIGMA);
    if (spread.ellipse_99.semi_major > 0.0) {  // scattered, not all in one place
      spread.outline_99 = ground_outline(spread.ellipse_99, plane);
      spread.outline_3sigma = ground_outline(spread.ellipse_3sigma, plane);
    }
    spreads.push_back(std::move(spread));
  }
  return spreads;
}

GroundTrackColumns impact_chart_columns(const std::vector<CaseResult>& cases,
                                        const std::vector<ImpactDispersion>& spreads) {
  GroundTrackColumns columns;
  for (const ImpactDispersion& spread : spreads) {
    GroundTrackColumns::Element element{spread.element, {}, {}, {}, {}};
    for (const CaseResult& c : cases) {
      for (const ImpactRecord& impact : c.impacts) {
        if (impact.element != spread.element || impact.reaches_orbit) continue;
        element.latitude.push_back(impact.latitude);
        element.longitude.push_back(impact.longitude);
      }
    }
    for (const Geodetic& point : spread.outline_99) {
      element.ellipse_latitude.push_back(point.latitude / DEGREE);
      element.ellipse_longitude.push_back(point.longitude / DEGREE);
    }
    if (!element.latitude.empty()) columns.elements.push_back(std::move(element));
  }
  return columns;
}

KmlDocument impact_map(const FlightGround& ground, const std::vector<StepRecord>& nominal_steps,
                       const CaseImpacts& cases, const std::vector<ImpactDispersion>& spreads) {
  KmlDocument map = ground.map(nominal_steps, {});
  map.name = "ascent dispersion study";
  map.tracks.front().name = "nominal flight";
  for (const auto& [k, impacts] : cases) {
    for (const ImpactRecord& impact : impacts) {
      if (impact.reaches_orbit) continue;
      map.places.push_back({impact.element + ", case " + std::to_string(k),
                            impact_description(impact),
                            {impact.latitude * DEGREE, impact.longitude * DEGREE, 0.0}});
    }
  }
  for (const ImpactDispersion& spread : spreads) {
    if (spread.impacts == 0) continue;
    char text[160];
    std::snprintf(text, sizeof text, "mean of %zu impacts, %.1f km downrange", spread.impacts,
                  spread.mean_downrange / 1000.0);
    map.places.push_back({spread.element + ", mean", text, spread.mean});
    if (spread.outline_99.empty()) continue;
    std::snprintf(text, sizeof text, "99 %%: %.1f x %.1f km, major axis %.1f deg from north",
                  spread.ellipse_99.semi_major / 1000.0, spread.ellipse_99.semi_minor / 1000.0,
                  spread.ellipse_99.orientation / DEGREE);
    map.areas.push_back({spread.element + " 99 %", text, spread.outline_99});
    std::snprintf(text, sizeof text, "3-sigma: %.1f x %.1f km",
                  spread.ellipse_3sigma.semi_major / 1000.0,
                  spread.ellipse_3sigma.semi_minor / 1000.0);
    map.areas.push_back({spread.element + " 3-sigma", text, spread.outline_3sigma});
  }
  return map;
}

}  // namespace ascent::studies
