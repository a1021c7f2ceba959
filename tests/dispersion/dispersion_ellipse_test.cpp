// Dispersion ellipses against the normal law they estimate: a large sample
// drawn from a known 2-D normal law gives its semi-axes, orientation and
// share of points inside, and the chi-square scale of 2 degrees of freedom;
// the impact points of a study's elements, summed up per element.
#include "studies/dispersion_ellipse.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "studies/impact_dispersion.hpp"
#include "studies/report_pages.hpp"

namespace ascent::testing {

using studies::dispersion_ellipse;
using studies::DispersionEllipse;
using studies::ELLIPSE_PROBABILITY;
using studies::ellipse_scale;
using studies::ground_outline;
using studies::PlaneSpread;
using studies::THREE_SIGMA;

namespace {

constexpr double PI = std::numbers::pi;

/// `count` points of the normal law centred at `center` with standard
/// deviations `major` and `minor` [m] along axes turned `azimuth` from north.
std::vector<Eigen::Vector2d> normal_sample(std::size_t count, Eigen::Vector2d center, double major,
                                           double minor, double azimuth, unsigned seed) {
  std::mt19937_64 draw(seed);
  std::normal_distribution<double> unit;
  const Eigen::Vector2d along(std::sin(azimuth), std::cos(azimuth));
  const Eigen::Vector2d across(along.y(), -along.x());
  std::vector<Eigen::Vector2d> points;
  for (std::size_t i = 0; i < count; ++i) {
    points.push_back(center + major * unit(draw) * along + minor * unit(draw) * across);
  }
  return points;
}

/// Whether `p` lies inside `e`.
bool inside(const DispersionEllipse& e, const Eigen::Vector2d& p) {
  const Eigen::Vector2d d = p - e.center;
  const double along = d.x() * std::sin(e.orientation) + d.y() * std::cos(e.orientation);
  const double across = d.x() * std::cos(e.orientation) - d.y() * std::sin(e.orientation);
  return std::pow(along / e.semi_major, 2) + std::pow(across / e.semi_minor, 2) <= 1.0;
}

TEST(EllipseScale, IsTheChiSquareQuantileOfTwoDegreesOfFreedom) {
  // Tables of the chi-square law, 2 degrees of freedom: 9.2103 at 99 %, 5.9915 at 95 %.
  EXPECT_NEAR(std::pow(ellipse_scale(ELLIPSE_PROBABILITY), 2), 9.2103, 1e-4);
  EXPECT_NEAR(std::pow(ellipse_scale(0.95), 2), 5.9915, 1e-4);
  const DispersionEllipse three_sigma = dispersion_ellipse(PlaneSpread{}, THREE_SIGMA);
  EXPECT_NEAR(three_sigma.probability, 0.98889, 1e-5);
}

TEST(DispersionEllipse, OfALargeNormalSampleHasTheLawsSemiAxesAndOrientation) {
  const Eigen::Vector2d center(12.0e3, -40.0e3);
  const double major = 8.0e3;  // [m] standard deviations
  const double minor = 2.5e3;
  for (const double azimuth_deg : {30.0, 100.0, 165.0}) {
    const double azimuth = azimuth_deg * PI / 180.0;
    const auto points = normal_sample(100000, center, major, minor, azimuth, 11);
    const PlaneSpread spread = PlaneSpread::of(points);
    EXPECT_EQ(spread.count, points.size());
    EXPECT_LT((spread.mean - center).norm(), 0.05 * minor);

    const double k = ellipse_scale(ELLIPSE_PROBABILITY);
    const DispersionEllipse e99 = dispersion_ellipse(spread, k);
    EXPECT_NEAR(e99.semi_major, k * major, 0.02 * k * major) << azimuth_deg;
    EXPECT_NEAR(e99.semi_minor, k * minor, 0.02 * k * minor) << azimuth_deg;
    EXPECT_NEAR(e99.orientation, azimuth, 1.0 * PI / 180.0) << azimuth_deg;
    EXPECT_NEAR(e99.probability, ELLIPSE_PROBABILITY, 1e-12);

    // Shares inside: a binomial count of 1e5 has a standard deviation of 0.0003 at 99 %.
    const DispersionEllipse e3 = dispersion_ellipse(spread, THREE_SIGMA);
    EXPECT_DOUBLE_EQ(e3.semi_major / e99.semi_major, THREE_SIGMA / k);
    std::size_t in99 = 0;
    std::size_t in3 = 0;
    for (const auto& p : points) {
      in99 += inside(e99, p) ? 1 : 0;
      in3 += inside(e3, p) ? 1 : 0;
    }
    EXPECT_NEAR(static_cast<double>(in99) / 1e5, 0.99, 0.0015);
    EXPECT_NEAR(static_cast<double>(in3) / 1e5, e3.probability, 0.002);
  }
}

TEST(DispersionEllipse, OfPointsOnALineIsFlatAndOfOnePointEmpty) {
  const std::vector<Eigen::Vector2d> line{{0.0, 0.0}, {1.0, 1.0}, {2.0, 2.0}, {3.0, 3.0}};
  const DispersionEllipse flat = dispersion_ellipse(PlaneSpread::of(line), THREE_SIGMA);
  EXPECT_NEAR(flat.orientation, PI / 4.0, 1e-12);
  EXPECT_NEAR(flat.semi_minor, 0.0, 1e-9);
  // Sample standard deviation along the line: sqrt(2) * sqrt(5/3).
  EXPECT_NEAR(flat.semi_major, THREE_SIGMA * std::sqrt(2.0 * 5.0 / 3.0), 1e-12);

  const std::vector<Eigen::Vector2d> one{{5.0, -7.0}};
  const DispersionEllipse point = dispersion_ellipse(PlaneSpread::of(one), THREE_SIGMA);
  EXPECT_EQ(point.center, one.front());
  EXPECT_EQ(point.semi_major, 0.0);
}

TEST(GroundOutline, IsAClosedRingAtTheEllipsesDistanceFromItsCenter) {
  const GroundFrame ground(EarthFigure::wgs84(), 7.292115e-5);
  const Geodetic origin{28.0 * PI / 180.0, -75.0 * PI / 180.0, 0.0};
  const TangentPlane plane(ground, origin);
  DispersionEllipse e;
  e.semi_major = 30.0e3;
  e.semi_minor = 10.0e3;
  e.orientation = 60.0 * PI / 180.0;
  const std::vector<Geodetic> ring = ground_outline(e, plane, 36);
  ASSERT_EQ(ring.size(), 37u);
  EXPECT_EQ(ring.front().latitude, ring.back().latitude);
  EXPECT_NEAR(ground.surface_distance(origin, ring[0]), e.semi_major,
              1e-3);  // along the major axis
  EXPECT_NEAR(ground.surface_distance(origin, ring[9]), e.semi_minor, 1e-3);  // a quarter turn on
  // The major axis points 60 degrees east of north: its end lies north-east of the centre.
  EXPECT_GT(ring[0].latitude, origin.latitude);
  EXPECT_GT(ring[0].longitude, origin.longitude);
}

}  // namespace
}  // namespace ascent::testing

namespace ascent::testing {
namespace {

TEST(ImpactDispersion, OfImpactsDrawnAboutAPointGivesItTheLawsEllipseAndTheOutlier) {
  const studies::FlightGround ground(Vehicle{}, {});
  const GroundFrame& frame = ground.world().ground;
  // Impacts of the core stage scattered 40 km by 6 km along azimuth 100 deg
  // about a point 3600 km downrange; one case far off; boosters always in one place.
  const Geodetic center{23.0 * PI / 180.0, -45.0 * PI / 180.0, 0.0};
  const TangentPlane plane(frame, center);
  const auto points =
      normal_sample(20000, Eigen::Vector2d::Zero(), 40.0e3, 6.0e3, 100.0 * PI / 180.0, 5);
  studies::ImpactDispersionBuilder builder(ground);
  for (std::size_t k = 0; k < points.size(); ++k) {
    const Eigen::Vector2d at = k == 777 ? Eigen::Vector2d(400.0e3, 0.0) : points[k];
    const Geodetic g = plane.to_ground(at);
    builder.add(k, {{"boosters", false, 360.0, 28.4, -78.2, 236.0e3, 450.0},
                    {"core stage", false, 1000.0, g.latitude * 180.0 / PI, g.longitude * 180.0 / PI,
                     0.0, 190.0},
                    {"upper stage", true, 936.0, 21.7, -41.8, 0.0, 0.0}});
  }
  const std::vector<studies::ImpactDispersion> spreads = builder.finish();
  ASSERT_EQ(spreads.size(), 3u);
  EXPECT_EQ(spreads[0].element, "boosters");
  EXPECT_EQ(spreads[0].ellipse_99.semi_major, 0.0);
  EXPECT_EQ(spreads[2].impacts, 0u);
  EXPECT_EQ(spreads[2].in_orbit, points.size());

  const studies::ImpactDispersion& core = spreads[1];
  EXPECT_EQ(core.impacts, points.size());
  EXPECT_LT(frame.surface_distance(core.mean, center), 1.0e3);  // the outlier moves it 20 m
  const double k99 = ellipse_scale(ELLIPSE_PROBABILITY);
  EXPECT_NEAR(core.ellipse_99.semi_major, k99 * 40.0e3, 0.02 * k99 * 40.0e3);
  EXPECT_NEAR(core.ellipse_99.semi_minor, k99 * 6.0e3, 0.02 * k99 * 6.0e3);
  EXPECT_NEAR(core.ellipse_3sigma.semi_major, 3.0 * 40.0e3, 0.02 * 3.0 * 40.0e3);
  EXPECT_NEAR(core.ellipse_99.orientation, 100.0 * PI / 180.0, 1.0 * PI / 180.0);
  EXPECT_EQ(core.farthest_case, 777u);
  EXPECT_NEAR(core.farthest_distance, 400.0e3, 1.0e3);
  EXPECT_NEAR(core.mean_downrange, frame.surface_distance(ground.world().pad, center), 1.0e3);
  ASSERT_EQ(core.outline_99.size(), 73u);

  // Its map: every impact, each element's mean, and two rings per element that scatters.
  const studies::CaseImpacts cases{{0, {{"core stage", false, 1000.0, 23.0, -45.0, 3.6e6, 190.0}}},
                                   {1, {{"upper stage", true, 936.0, 21.7, -41.8, 0.0, 0.0}}}};
  const KmlDocument map = studies::impact_map(ground, {}, cases, spreads);
  EXPECT_EQ(map.places.size(), 1u + 2u);  // one impact, the means of the boosters and core
  ASSERT_EQ(map.areas.size(), 2u);
  EXPECT_EQ(map.areas[0].name, "core stage 99 %");
  EXPECT_EQ(map.areas[1].name, "core stage 3-sigma");
}

}  // namespace
}  // namespace ascent::testing

namespace ascent::testing {
namespace {

TEST(ImpactChart, DrawsEachElementsImpactsAndEllipseOnTheStudysPage) {
  const studies::FlightGround ground(Vehicle{}, {});
  studies::ImpactDispersionBuilder builder(ground);
  std::vector<studies::CaseResult> cases(3);
  for (std::size_t k = 0; k < cases.size(); ++k) {
    cases[k].k = k;
    const double d = static_cast<double>(k);
    cases[k].impacts = {
        {"core stage", false, 1000.0, 22.0 + 0.1 * d, -45.0 + 0.3 * d * d, 3.6e6, 190.0},
        {"upper stage", true, 936.0, 21.7, -41.8, 0.0, 0.0}};
    builder.add(k, cases[k].impacts);
  }
  const studies::GroundTrackColumns columns =
      studies::impact_chart_columns(cases, builder.finish());
  ASSERT_EQ(columns.elements.size(), 1u);  // the upper stage never came down
  EXPECT_EQ(columns.elements[0].latitude, (std::vector<double>{22.0, 22.1, 22.2}));
  EXPECT_EQ(columns.elements[0].ellipse_latitude.size(), 73u);

  studies::StudyPage study;
  study.cases = cases;
  study.impacts = columns;
  const std::string page = studies::study_page({}, study).page();
  EXPECT_NE(page.find("Ground track and impact points"), std::string::npos);
  EXPECT_NE(page.find(">core stage 99 %<"), std::string::npos);
  EXPECT_EQ(page.find(">track<"), std::string::npos) << "no track, no series for it";
}

TEST(GroundTrackChart, RunsOnAcrossTheAntimeridian) {
  const studies::GroundTrackColumns across{
      {10.0, 10.5, 11.0}, {179.5, 179.9, -179.7}, {{"core", {9.0}, {-179.0}, {}, {}}}};
  const Chart chart = studies::ground_track_chart(across);
  ASSERT_EQ(chart.series.size(), 2u);
  EXPECT_EQ(chart.series[0].x, (std::vector<double>{179.5, 179.9, 180.3}));
  EXPECT_DOUBLE_EQ(chart.series[1].x[0], 181.0);
  EXPECT_TRUE(chart.series[1].dots);
}

}  // namespace
}  // namespace ascent::testing
