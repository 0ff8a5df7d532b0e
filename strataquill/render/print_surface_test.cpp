#include "strataquill/render/print_surface.h"

#include <fstream>

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "strataquill/render/log_composer.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/test_home.h"

namespace sq::render {
namespace {

TEST(PrintSurfaceTest, WrapsBetweenMarginsAndAlwaysProgresses) {
  PrintSurface s;
  s.startDoc();
  s.marginLeft = 1440;
  s.marginRight = s.pageWidth() - 1440 * 2;  // one inch wide
  const QStringList lines = s.wrapParagraph("alpha beta gamma delta epsilon zeta eta theta");
  ASSERT_GT(lines.size(), 1);
  for (const QString& line : lines) EXPECT_LE(s.textWidth(line), 1440.0) << line.toStdString();
  EXPECT_EQ(lines.join(' '), "alpha beta gamma delta epsilon zeta eta theta");

  // A word wider than the line is cut between characters, never lost.
  const QString longWord(80, 'W');
  const QStringList cut = s.wrapParagraph(longWord);
  EXPECT_GT(cut.size(), 1);
  EXPECT_EQ(cut.join(""), longWord);

  // Line breaks end lines; an empty paragraph still takes one line.
  EXPECT_EQ(s.wrapParagraph("a\r\nb\nc").size(), 3);
  EXPECT_EQ(s.wrapParagraph("").size(), 1);
  EXPECT_DOUBLE_EQ(s.paragraphHeight("a\nb"), 2 * s.textHeight());

  // A zero-width line still takes one character per line.
  s.marginRight = s.pageWidth() - 1440;
  EXPECT_EQ(s.wrapParagraph("abc").size(), 3);
}

TEST(PrintSurfaceTest, MetricsScaleWithTheFontAndIgnoreTheOutput) {
  PrintSurface s;
  s.font.size = 10;
  const double w10 = s.textWidth("Sandy CLAY");
  s.font.size = 20;
  EXPECT_NEAR(s.textWidth("Sandy CLAY"), 2 * w10, w10 * 0.02);
  EXPECT_NEAR(s.textHeight(), 20 * kTwipsPerPoint * 1.15, 20 * kTwipsPerPoint * 0.2)
      << "line height is about 1.15 em";
  s.font.size = 0;  // a damaged size falls back to the smallest font
  EXPECT_GT(s.textHeight(), 0);
}

TEST(PrintSurfaceTest, RectTextFitsOnlyAboveTheBottom) {
  PrintSurface s;
  s.startDoc();
  const double h = s.textHeight();
  EXPECT_TRUE(s.drawRectText("one line", 0, 0, 5000, h));
  EXPECT_FALSE(s.drawRectText("one line", 0, 0, 5000, h - 1));
  EXPECT_EQ(s.document().pages[0].ops.size(), 1u);
  EXPECT_FALSE(s.drawRectText("x", 100, 0, 100, 10000)) << "a box without width";
  EXPECT_FALSE(s.drawRectText("W", 100, 0, 101, 10000)) << "a character wider than the box";
}

TEST(PrintSurfaceTest, LongestFittingPrefixMatchesDroppingOneCharacterAtATime) {
  PrintSurface s;
  s.startDoc();
  s.font.size = 9;
  QRandomGenerator random(20261207);  // the same texts and boxes on every run
  QRandomGenerator* rng = &random;
  const QString words[] = {"clay", "sand,", "silty", "SP-SM", "medium", "dense", "  ", "x"};
  for (int round = 0; round < 60; ++round) {
    QString text;
    const int n = rng->bounded(1, 30);
    for (int i = 0; i < n; ++i) text += words[rng->bounded(8)] + (rng->bounded(5) ? " " : "");
    const double right = rng->bounded(200, 4000);
    const double bottom = s.textHeight() * rng->bounded(1, 4) + rng->bounded(100);
    QString slow = text;
    auto fits = [&](const QString& t) { return s.rectTextFits(t, 0, 0, right, bottom); };
    while (!fits(slow) && slow.size() > 1) slow.chop(1);
    if (!fits(slow)) slow.clear();
    EXPECT_EQ(longestFittingPrefix(s, text, 0, 0, right, bottom).toStdString(), slow.toStdString())
        << text.toStdString() << " right=" << right << " bottom=" << bottom;
  }
}

TEST(PrintSurfaceTest, PatternsNeedATileThatCanBeSeen) {
  PrintSurface s;
  s.startDoc();
  QImage tile(96, 48, QImage::Format_RGB32);
  tile.fill(Qt::white);
  EXPECT_DOUBLE_EQ(PrintSurface::naturalSize(tile).width(), 1440);  // 96 px at 96 dpi
  s.drawPattern(tile, "t", QRectF(0, 0, 2000, 2000), 0.5);
  s.drawPattern(tile, "t", QRectF(0, 0, 2000, 2000), 1e-9);  // too small to see
  s.drawPattern(tile, "t", QRectF(0, 0, 0, 2000), 1);        // no area
  s.drawPattern(QImage(), "none", QRectF(0, 0, 10, 10), 1);  // no picture
  ASSERT_EQ(s.document().pages[0].ops.size(), 1u);
  const auto& op = std::get<PatternOp>(s.document().pages[0].ops[0]);
  EXPECT_DOUBLE_EQ(op.tileSize.width(), 720);
  s.drawPattern(tile, "t", QRectF(0, 0, 500, 500), 1);
  EXPECT_EQ(s.document().images.size(), 1u) << "each picture is kept once";
}

TEST(PrintSurfaceTest, ShapesFillAndOutline) {
  PrintSurface s;
  s.startDoc();
  QPainterPath triangle;
  triangle.addPolygon(QPolygonF({{0, 0}, {1000, 0}, {500, 800}}));
  ShapeFill black;
  black.kind = ShapeFill::Kind::kSolid;
  s.drawShape(triangle, black);
  s.pen.style = kPenNone;
  s.drawShape(triangle);  // neither filled nor outlined: nothing to draw
  s.drawShape(QPainterPath(), black);
  QImage tile(96, 96, QImage::Format_RGB32);
  tile.fill(Qt::white);
  s.drawPatternShape(triangle, tile, "t", 0.5, {100, 200});
  s.drawPatternShape(triangle, tile, "t", 1, {});
  s.pen.style = kPenSolid;
  s.drawPatternShape(triangle, QImage(), "none", 1, {});  // no picture: the outline only
  const auto& ops = s.document().pages[0].ops;
  ASSERT_EQ(ops.size(), 4u);
  EXPECT_EQ(std::get<ShapeOp>(ops[0]).fill.kind, ShapeFill::Kind::kSolid);
  const auto& pattern = std::get<ShapeOp>(ops[1]);
  EXPECT_EQ(pattern.fill.kind, ShapeFill::Kind::kPattern);
  EXPECT_EQ(pattern.fill.anchor, QPointF(100, 200));
  EXPECT_DOUBLE_EQ(pattern.fill.tileSize.width(), 720);
  EXPECT_EQ(pattern.pen.style, kPenNone);
  EXPECT_EQ(s.document().images.size(), 1u) << "each picture is kept once";
  EXPECT_EQ(std::get<ShapeOp>(ops[3]).fill.kind, ShapeFill::Kind::kNone);

  // A pattern-filled shape paints its tiles inside itself only.
  QImage dark(8, 8, QImage::Format_RGB32);
  dark.fill(Qt::black);
  PrintSurface t;
  t.setPageSize(1440, 1440);
  t.startDoc();
  t.pen.style = kPenNone;
  QPainterPath box;
  box.addRect(QRectF(360, 360, 720, 720));
  t.drawPatternShape(box, dark, "dark", 1, {});
  const QImage page = renderPageImage(t.document(), 0, 100);
  EXPECT_EQ(page.pixelColor(50, 50), QColor(Qt::black));
  EXPECT_EQ(page.pixelColor(10, 10), QColor(Qt::white));
}

TEST(PrintSurfaceTest, PdfFilesDrawSmallPatternFillsTileByTile) {
  TestHome home;
  PrintSurface s;
  s.startDoc();
  QImage tile(96, 96, QImage::Format_RGB32);
  tile.fill(Qt::white);
  for (int i = 0; i < 40; ++i) s.drawPattern(tile, "t", QRectF(0, i * 300, 1440, 200), 0.333);
  s.endDoc();
  auto patternObjects = [&](const PrintSurface& surface) {
    const std::string path = home.path("fills.pdf");
    EXPECT_EQ(writePdf(surface.document(), QString::fromStdString(path)), PrintOutcome::kPrinted);
    std::ifstream in(path, std::ios::binary);
    const std::string pdf((std::istreambuf_iterator<char>(in)), {});
    int n = 0;
    for (std::size_t at = pdf.find("/PatternType"); at != std::string::npos;
         at = pdf.find("/PatternType", at + 1))
      ++n;
    return std::pair{n, pdf.size()};
  };
  const auto [objects, bytes] = patternObjects(s);
  EXPECT_EQ(objects, 0) << "a pattern object of its own for each fill would be written";
  EXPECT_LT(bytes, 10000u) << "the picture once, and a few bytes a tile";
  // A fill of very many tiles is one brush fill, not thousands of pictures.
  PrintSurface many;
  many.startDoc();
  many.drawPattern(tile, "t", QRectF(0, 0, 14400, 14400), 0.1);
  many.endDoc();
  EXPECT_EQ(patternObjects(many).first, 1);
  // Pattern-filled shapes (the sections' correlated units) too.
  PrintSurface shapes;
  shapes.startDoc();
  for (int i = 0; i < 40; ++i) {
    QPainterPath wedge;
    wedge.addPolygon(QPolygonF({{0.0, i * 300.0}, {1440.0, i * 300.0}, {720.0, i * 300.0 + 250}}));
    wedge.closeSubpath();
    shapes.drawPatternShape(wedge, tile, "t", 0.333, {});
  }
  shapes.endDoc();
  const auto [shapeObjects, shapeBytes] = patternObjects(shapes);
  EXPECT_EQ(shapeObjects, 0);
  EXPECT_LT(shapeBytes, 20000u);
}

}  // namespace
}  // namespace sq::render
