// Drawing on a repeating tile, and the seam measure the shipped tiles are
// checked with.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "strataquill/data/pattern_marks.h"
#include "strataquill/data/pattern_set.h"
#include "strataquill/data/tile_seams.h"

namespace sq::patterns {
namespace {

QImage blank(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

TEST(TileSeamsTest, CatchesTilesDrawnWithoutRepeating) {
  // Bedding lines that climb a little across the tile jump at the seam.
  QImage climbing = blank(150, 150);
  {
    QPainter p(&climbing);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
    for (int y = 10; y < 150; y += 25) p.drawLine(QPointF(0, y + 5), QPointF(150, y));
  }
  EXPECT_FALSE(measureSeams(climbing).seamless());

  // Hatching whose spacing does not divide the tile breaks at both seams.
  QImage offHatch = blank(150, 150);
  {
    QPainter p(&offHatch);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3));
    for (int c = -150; c < 150; c += 22) p.drawLine(c, 0, c + 150, 150);
  }
  const SeamMeasure m = measureSeams(offHatch);
  EXPECT_FALSE(m.seamless()) << m.verticalSeam << " vs " << m.maxInsideColumns;

  // A tile that is plain everywhere has no seam.
  EXPECT_TRUE(measureSeams(blank(90, 90)).seamless());
}

TEST(TilePainterTest, MarksCrossingAnEdgeComeBackOnTheOtherSide) {
  QImage tile = blank(100, 100);
  {
    TilePainter p(tile);
    p.dot(QPointF(99, 50), 6);                   // straddles the right edge
    p.ellipse(QPointF(50, 1), 12, 8);            // straddles the top edge
    p.line(QPointF(90, 95), QPointF(115, 120));  // leaves over a corner
  }
  auto dark = [&](int x, int y) { return qGray(tile.pixel(x, y)) < 128; };
  EXPECT_TRUE(dark(97, 50));
  EXPECT_TRUE(dark(2, 50)) << "the dot's other half";
  EXPECT_TRUE(dark(50, 93)) << "the top of the clast comes back at the bottom";
  EXPECT_TRUE(dark(8, 13)) << "the line goes on from the opposite corner";
  EXPECT_TRUE(measureSeams(tile).seamless());
}

TEST(TilePainterTest, EveryLibraryTileIsSeamlessAndDrawnTheSameEachTime) {
  for (const PatternDef& def : patternSet()) {
    SCOPED_TRACE(def.fileName);
    QImage first = blank(def.width, def.height);
    QImage second = blank(def.width, def.height);
    {
      TilePainter p(first);
      def.draw(p);
    }
    {
      TilePainter p(second);
      def.draw(p);
    }
    EXPECT_EQ(first, second) << "a rebuild must not change the shipped pictures";
    EXPECT_TRUE(measureSeams(first).seamless());
  }
}

TEST(TileScatterTest, MarksKeepTheirGapAcrossTheEdges) {
  TileScatter s(100, 100, 7);
  const auto marks = s.placeSized(200, 3, 6, 4);
  ASSERT_GT(marks.size(), 20u);
  for (std::size_t i = 0; i < marks.size(); ++i)
    for (std::size_t j = i + 1; j < marks.size(); ++j) {
      double dx = std::fabs(marks[i].centre.x() - marks[j].centre.x());
      double dy = std::fabs(marks[i].centre.y() - marks[j].centre.y());
      dx = std::min(dx, 100 - dx);
      dy = std::min(dy, 100 - dy);
      EXPECT_GE(std::hypot(dx, dy), marks[i].radius + marks[j].radius + 4 - 1e-9);
    }
  // A full tile stops placing instead of looping.
  EXPECT_LT(s.place(1000, 20, 20).size(), 10u);
}

}  // namespace
}  // namespace sq::patterns
