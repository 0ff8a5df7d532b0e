#include "strataquill/sections/site_geometry.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <cmath>

namespace sq::sections {
namespace {

TEST(SiteGeometryTest, NumbersAreWholeTextsOnly) {
  EXPECT_EQ(parseNumber("742.3"), 742.3);
  EXPECT_EQ(parseNumber("  -84.29315 "), -84.29315);
  EXPECT_EQ(parseNumber("+12"), 12.0);
  EXPECT_EQ(parseNumber(".5"), 0.5);
  for (const char* bad : {"", "   ", "742.3 ft", "Dry", "Not encountered", "1,250.0", "12-14",
                          "nan", "inf", "1e400", "--3", "+"})
    EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
}

TEST(SiteGeometryTest, DistancesAndProjectionOntoTheLine) {
  const SitePoint a{0, 0}, b{300, 400};
  EXPECT_DOUBLE_EQ(distance(a, b), 500);
  // A point left of the line a -> b (north-west of it) and one behind a.
  const LinePosition left = projectOntoLine({-40, 130}, a, b);
  EXPECT_NEAR(left.along, 80, 1e-9);
  EXPECT_NEAR(left.offset, 110, 1e-9);
  const LinePosition right = projectOntoLine({80 + 40, 60 - 130 + 100 - 30}, a, b);
  EXPECT_LT(right.offset, 0);
  EXPECT_LT(projectOntoLine({-30, -40}, a, b).along, 0) << "before the line's start";
  // A line of no length measures from its point.
  const LinePosition none = projectOntoLine({3, 4}, a, a);
  EXPECT_EQ(none.along, 0);
  EXPECT_DOUBLE_EQ(none.offset, 5);
}

TEST(SiteGeometryTest, StationsCumulativeOrProjected) {
  // A dog-leg: 0 -> (100, 0) -> (100, 50).
  const std::vector<SitePoint> pts{{0, 0}, {100, 0}, {100, 50}};
  const auto cumulative = sectionStations(pts, StationMode::kCumulative);
  ASSERT_EQ(cumulative.size(), 3u);
  EXPECT_DOUBLE_EQ(cumulative[1], 100);
  EXPECT_DOUBLE_EQ(cumulative[2], 150);
  const auto projected = sectionStations(pts, StationMode::kProjected);
  const double line = std::hypot(100.0, 50.0);
  EXPECT_DOUBLE_EQ(projected[0], 0);
  EXPECT_NEAR(projected[1], 100 * 100 / line, 1e-9);
  EXPECT_NEAR(projected[2], line, 1e-9);
  EXPECT_TRUE(sectionStations({}, StationMode::kCumulative).empty());
}

TEST(SiteGeometryTest, ScaleBarsAndTicksUseNiceNumbers) {
  const std::pair<double, double> bars[] = {{1, 1},      {1.99, 1},   {2, 2},     {4.9, 2},
                                            {5, 5},      {9.99, 5},   {10, 10},   {73, 50},
                                            {180, 100},  {0.37, 0.2}, {0.05, 0.05}, {1234, 1000}};
  for (auto [x, nice] : bars) EXPECT_NEAR(niceNumber(x), nice, nice * 1e-12) << x;
  EXPECT_EQ(niceNumber(0), 0);
  EXPECT_EQ(niceNumber(-5), 0);
  // Ticks: the smallest nice step that keeps to the count.
  EXPECT_DOUBLE_EQ(niceStep(120, 12), 10);
  EXPECT_DOUBLE_EQ(niceStep(121, 12), 20);
  EXPECT_DOUBLE_EQ(niceStep(383, 8), 50);
  EXPECT_DOUBLE_EQ(niceStep(0, 8), 1);
  // Drawing scales from the engineers' series, up and down.
  EXPECT_DOUBLE_EQ(roundScaleUp(57.3), 60);
  EXPECT_DOUBLE_EQ(roundScaleUp(50), 50) << "a scale on the series stays";
  EXPECT_DOUBLE_EQ(roundScaleUp(81), 100);
  EXPECT_DOUBLE_EQ(roundScaleUp(0.22), 0.25);
  EXPECT_DOUBLE_EQ(roundScaleDown(57.3), 50);
  EXPECT_DOUBLE_EQ(roundScaleDown(9.9), 8);
  EXPECT_DOUBLE_EQ(roundScaleDown(1.4), 1);
}

TEST(SiteGeometryTest, EquirectangularProjectionAboutTheSite) {
  // A degree of latitude is about 111.2 km; a degree of longitude shrinks
  // with the cosine of the latitude.
  const SitePoint north = projectEquirectangular(40, -84, 39, -84);
  EXPECT_NEAR(north.north, 111195, 50);
  EXPECT_NEAR(north.east, 0, 1e-6);
  const SitePoint east = projectEquirectangular(39, -83, 39, -84);
  EXPECT_NEAR(east.east, 111195 * std::cos(39 * M_PI / 180), 50);
  // The demo's B-1 and B-2 lie about 306 ft apart on its site grid.
  const SitePoint b1 = projectEquirectangular(39.41872, -84.29315, 39.4185, -84.2927);
  const SitePoint b2 = projectEquirectangular(39.41831, -84.29219, 39.4185, -84.2927);
  EXPECT_NEAR(distance(b1, b2) / 0.3048, 306, 4);
}

TEST(SiteGeometryTest, ElevationScaleGoesBothWays) {
  const ElevationScale e{750, 1.5, 25};
  EXPECT_DOUBLE_EQ(e.y(750), 1.5);
  EXPECT_DOUBLE_EQ(e.y(700), 3.5);
  EXPECT_DOUBLE_EQ(e.elevation(e.y(712.4)), 712.4);
}

TEST(SiteGeometryTest, MapFitKeepsEveryPointInsideTheFrame) {
  QRandomGenerator random(20261208);
  const PageRect frame{1, 0.5, 6.5, 5};
  for (int round = 0; round < 200; ++round) {
    std::vector<SitePoint> pts;
    const int n = random.bounded(1, 60);
    const double spread = std::pow(10.0, random.bounded(0, 6));
    const double e0 = random.bounded(-1000000, 1000000), n0 = random.bounded(-1000000, 1000000);
    for (int i = 0; i < n; ++i)
      pts.push_back({e0 + random.generateDouble() * spread,
                     n0 + random.generateDouble() * spread * random.generateDouble()});
    const MapFit fit = fitMap(pts, frame, 0.4, 10);
    for (const SitePoint& p : pts) {
      EXPECT_GE(fit.x(p), frame.left + 0.4 - 1e-9);
      EXPECT_LE(fit.x(p), frame.right() - 0.4 + 1e-9);
      EXPECT_GE(fit.y(p), frame.top + 0.4 - 1e-9);
      EXPECT_LE(fit.y(p), frame.bottom() - 0.4 + 1e-9);
      const SitePoint back = fit.site(fit.x(p), fit.y(p));
      EXPECT_NEAR(back.east, p.east, 1e-6 * std::max(1.0, std::abs(p.east)));
    }
    EXPECT_GE(fit.unitsPerInch, 10);
    EXPECT_DOUBLE_EQ(fit.unitsPerInch, roundScaleUp(fit.unitsPerInch)) << "a rounded scale";
  }
  // North is up: a point further north is higher on the page.
  const MapFit fit = fitMap({{0, 0}, {0, 100}}, frame, 0.4, 1);
  EXPECT_LT(fit.y({0, 100}), fit.y({0, 0}));
}

}  // namespace
}  // namespace sq::sections
