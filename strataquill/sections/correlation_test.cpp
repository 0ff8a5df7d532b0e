#include "strataquill/sections/correlation.h"

#include <gtest/gtest.h>

#include <QPainterPath>
#include <QPolygonF>
#include <QRandomGenerator>

namespace sq::sections {
namespace {

using Pairs = std::vector<std::pair<std::size_t, std::size_t>>;

// Units stacked from y = 0, each one inch thick, of the classes given.
std::vector<ColumnUnit> stack(const std::vector<std::string>& classes, double start = 0,
                              double thickness = 1) {
  std::vector<ColumnUnit> units;
  double y = start;
  for (const std::string& c : classes) {
    units.push_back({y, y + thickness, c});
    y += thickness;
  }
  return units;
}

double area(const QPainterPath& path) {
  double total = 0;
  for (const QPolygonF& poly : path.toFillPolygons()) {
    for (int i = 0; i < poly.size(); ++i) {
      const QPointF& a = poly[i];
      const QPointF& b = poly[(i + 1) % poly.size()];
      total += a.x() * b.y() - b.x() * a.y();
    }
  }
  return std::abs(total) / 2;
}

QPainterPath pathOf(const PanelShape& shape) {
  QPainterPath p;
  p.addPolygon(QPolygonF(QList<QPointF>(shape.points.begin(), shape.points.end())));
  p.closeSubpath();
  return p;
}

// No two shapes of a panel cover the same paper.
void expectNoOverlap(const std::vector<PanelShape>& shapes) {
  for (std::size_t i = 0; i < shapes.size(); ++i)
    for (std::size_t j = i + 1; j < shapes.size(); ++j)
      EXPECT_LT(area(pathOf(shapes[i]).intersected(pathOf(shapes[j]))), 1e-6)
          << shapes[i].classText << " and " << shapes[j].classText;
}

TEST(CorrelationTest, IdenticalSequencesJoinEveryUnit) {
  const auto a = stack({"Fill", "CL", "SM", "SP"});
  const auto b = stack({"Fill", "CL", "SM", "SP"}, 0.5);
  EXPECT_EQ(matchUnits(a, b), (Pairs{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  const auto shapes = correlationPanel(a, b, 1, 3);
  ASSERT_EQ(shapes.size(), 4u);
  for (const PanelShape& s : shapes) EXPECT_TRUE(s.joined);
  // Top to top and base to base.
  EXPECT_EQ(shapes[1].points.front(), QPointF(1, 1));
  EXPECT_EQ(shapes[1].points[2], QPointF(3, 1.5));
  EXPECT_EQ(shapes[1].points[3], QPointF(3, 2.5));
  EXPECT_EQ(shapes[1].points[5], QPointF(1, 2));
  expectNoOverlap(shapes);
}

TEST(CorrelationTest, AnExtraUnitPinchesOutHalfWay) {
  const auto a = stack({"CL", "PT", "SM"});
  const auto b = stack({"CL", "SM"});
  EXPECT_EQ(matchUnits(a, b), (Pairs{{0, 0}, {2, 1}}));
  const auto shapes = correlationPanel(a, b, 0, 2);
  const PanelShape* peat = nullptr;
  for (const PanelShape& s : shapes)
    if (s.classText == "PT") peat = &s;
  ASSERT_NE(peat, nullptr);
  EXPECT_FALSE(peat->joined);
  ASSERT_EQ(peat->points.size(), 3u) << "a wedge";
  EXPECT_DOUBLE_EQ(peat->points[1].x(), 1) << "its point half-way across";
  // The clay's base and the sand's top bend through that point, so the
  // wedge leaves no hole between them.
  EXPECT_EQ(shapes[0].points[4], peat->points[1]);
  EXPECT_EQ(shapes[1].points[1], peat->points[1]);
  double total = 0;
  for (const PanelShape& s : shapes) total += area(pathOf(s));
  // The space between the columns: 3 inches deep on the left, 2 on the right.
  EXPECT_NEAR(total, 2 * (3 + 2) / 2.0, 1e-9);
  expectNoOverlap(shapes);
}

TEST(CorrelationTest, SwappedOrderNeverCrosses) {
  const auto a = stack({"SM", "CL"});
  const auto b = stack({"CL", "SM"});
  const Pairs pairs = matchUnits(a, b);
  ASSERT_EQ(pairs.size(), 1u) << "only one of the two can be joined";
  const auto shapes = correlationPanel(a, b, 0, 2);
  expectNoOverlap(shapes);
  int joined = 0;
  for (const PanelShape& s : shapes) joined += s.joined;
  EXPECT_EQ(joined, 1);
}

TEST(CorrelationTest, TiesGoToTheUnitsClosestInHeight) {
  // B's one clay layer lies level with A's deeper clay.
  const auto a = stack({"CL", "SM", "CL"});
  const std::vector<ColumnUnit> b{{2.1, 3.1, "CL"}};
  EXPECT_EQ(matchUnits(a, b), (Pairs{{2, 0}}));
  // Units without a class are never joined.
  EXPECT_TRUE(matchUnits(stack({""}), stack({""})).empty());
}

TEST(CorrelationTest, AnEmptyBoringJoinsNothing) {
  const auto a = stack({"CL", "SM"});
  EXPECT_TRUE(matchUnits(a, {}).empty());
  EXPECT_TRUE(matchUnits({}, a).empty());
  for (const auto& shapes : {correlationPanel(a, {}, 0, 2), correlationPanel({}, a, 0, 2)}) {
    ASSERT_EQ(shapes.size(), 2u);
    for (const PanelShape& s : shapes) EXPECT_FALSE(s.joined);
    expectNoOverlap(shapes);
  }
  EXPECT_TRUE(correlationPanel({}, {}, 0, 2).empty());
}

TEST(CorrelationTest, UnitsBelowTheDeepestJoinEndHalfWay) {
  // B goes deeper: its gravel and shale were never reached by A.
  const auto a = stack({"CL", "SP"});
  const auto b = stack({"CL", "GW", "Shale"});
  const auto shapes = correlationPanel(a, b, 0, 2);
  int truncated = 0;
  for (const PanelShape& s : shapes) {
    if (!s.truncated) continue;
    ++truncated;
    const bool onA = s.classText == "SP";
    for (const QPointF& p : s.points) {
      if (onA) {
        EXPECT_LE(p.x(), 1 + 1e-9) << "SP stays on A's half";
      } else {
        EXPECT_GE(p.x(), 1 - 1e-9) << s.classText << " stays on B's half";
      }
    }
  }
  EXPECT_EQ(truncated, 3) << "SP on A's side, GW and Shale on B's";
  expectNoOverlap(shapes);
}

TEST(CorrelationTest, RandomColumnsNeverOverlap) {
  QRandomGenerator random(2291014);
  const std::vector<std::string> classes{"CL", "ML", "SM", "SP", "GW"};
  for (int round = 0; round < 60; ++round) {
    auto column = [&] {
      std::vector<ColumnUnit> units;
      double y = random.generateDouble();
      const int n = random.bounded(0, 7);
      for (int i = 0; i < n; ++i) {
        const double t = 0.1 + random.generateDouble();
        // Now and then a gap in the record.
        if (random.bounded(6) == 0) y += 0.3;
        units.push_back({y, y + t, classes[random.bounded(static_cast<int>(classes.size()))]});
        y += t;
      }
      return units;
    };
    const auto a = column(), b = column();
    const Pairs pairs = matchUnits(a, b);
    for (std::size_t k = 1; k < pairs.size(); ++k) {
      EXPECT_LT(pairs[k - 1].first, pairs[k].first);
      EXPECT_LT(pairs[k - 1].second, pairs[k].second) << "joins never cross";
    }
    for (const auto& [i, j] : pairs) EXPECT_EQ(a[i].classText, b[j].classText);
    expectNoOverlap(correlationPanel(a, b, 0, 1.5));
  }
}

}  // namespace
}  // namespace sq::sections
