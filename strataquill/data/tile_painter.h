#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>

namespace sq::patterns {

// Stroke and mark sizes shared by every tile, in tile pixels (150 dpi), so
// the whole set prints with one line weight.
inline constexpr double kStroke = 2.8;     // lines, outlines, dashes
inline constexpr double kFineDot = 2.4;    // radius of a fine sand grain
inline constexpr double kCoarseDot = 3.4;  // radius of a coarse sand grain

// Draws on a tile that repeats in both directions: every mark is drawn once
// for each of the eight neighbouring copies of the tile as well, so a mark
// that leaves the tile over one edge comes back in over the opposite edge
// and the tiles join without a seam.
//
// The tile starts white. Marks are black strokes of kStroke width with round
// caps, anti-aliased; filled marks are black too, unless a fill colour is
// given (white fills hide what lies under a mark).
class TilePainter {
 public:
  TilePainter(QImage& tile);
  TilePainter(const TilePainter&) = delete;
  TilePainter& operator=(const TilePainter&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }

  // Stroke width of the following marks (kStroke until changed).
  void setStroke(double width);
  // A white margin of `width` drawn under each following line and dot, so
  // marks laid over hatching stand clear of it (0, none, until changed).
  void setHalo(double width) { halo_ = width; }

  void line(QPointF a, QPointF b);
  // The straight line through `through` along `direction`, endless, with
  // every parallel copy that the repetition brings into the tile; each
  // distinct line is stroked once, so crossings at the edges leave no join.
  // Its direction must repeat with the tile (horizontal, vertical, or a
  // slope that meets the same point of the next tile).
  void endlessLine(QPointF through, QPointF direction);
  // A path that already runs across the tile and beyond on both sides,
  // repeating along x with the tile width: stroked once, and once more a
  // tile height above and below.
  void band(const QPainterPath& path);
  // An open or closed outline.
  void path(const QPainterPath& path);
  // A closed shape filled with `fill` and outlined in black.
  void outlined(const QPainterPath& shape, const QColor& fill = Qt::white);
  // A shape filled black without an outline.
  void filled(const QPainterPath& shape, const QColor& fill = Qt::black);
  // A round grain of radius r.
  void dot(QPointF centre, double r);
  // An open ellipse (a gravel clast), white inside.
  void ellipse(QPointF centre, double rx, double ry, double angleDegrees = 0);
  // Fills the whole tile.
  void fillAll(const QColor& colour);

 private:
  template <typename Draw>
  void wrapped(const QRectF& bounds, Draw draw);

  QPainter painter_;
  double stroke_ = kStroke;
  double halo_ = 0;
  int width_;
  int height_;
};

}  // namespace sq::patterns
