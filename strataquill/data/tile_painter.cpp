#include "strataquill/data/tile_painter.h"

#include <QTransform>
#include <algorithm>
#include <cmath>
#include <vector>

namespace sq::patterns {

TilePainter::TilePainter(QImage& tile)
    : painter_(&tile), width_(tile.width()), height_(tile.height()) {
  painter_.fillRect(tile.rect(), Qt::white);
  painter_.setRenderHint(QPainter::Antialiasing, true);
  setStroke(kStroke);
}

void TilePainter::setStroke(double width) {
  stroke_ = width;
  QPen pen(Qt::black, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter_.setPen(pen);
}

// Draws a mark at each of the nine positions whose copy can touch the tile.
// Offsets are whole tile sizes, so every copy is rasterised identically.
template <typename Draw>
void TilePainter::wrapped(const QRectF& bounds, Draw draw) {
  const QRectF tile(0, 0, width_, height_);
  const double margin = 8;  // strokes and anti-aliasing reach past the bounds
  for (int ky = -1; ky <= 1; ++ky) {
    for (int kx = -1; kx <= 1; ++kx) {
      const QPointF offset(kx * width_, ky * height_);
      if (!bounds.translated(offset).adjusted(-margin, -margin, margin, margin).intersects(tile))
        continue;
      painter_.save();
      painter_.translate(offset);
      draw();
      painter_.restore();
    }
  }
}

void TilePainter::line(QPointF a, QPointF b) {
  wrapped(QRectF(a, b).normalized(), [&] {
    if (halo_ > 0) {
      painter_.save();
      painter_.setPen(QPen(Qt::white, stroke_ + 2 * halo_, Qt::SolidLine, Qt::RoundCap));
      painter_.drawLine(a, b);
      painter_.restore();
    }
    painter_.drawLine(a, b);
  });
}

void TilePainter::endlessLine(QPointF through, QPointF direction) {
  const double length = std::hypot(direction.x(), direction.y());
  if (length == 0) return;
  const QPointF d = direction / length;
  const QPointF normal(-d.y(), d.x());
  const QPointF centre(width_ / 2.0, height_ / 2.0);
  const double reach = std::hypot(width_, height_);
  std::vector<double> drawn;
  for (int ky = -3; ky <= 3; ++ky) {
    for (int kx = -3; kx <= 3; ++kx) {
      const QPointF q = through + QPointF(kx * width_, ky * height_);
      const double offset = QPointF::dotProduct(q - centre, normal);
      if (std::fabs(offset) > reach) continue;
      if (std::any_of(drawn.begin(), drawn.end(),
                      [&](double o) { return std::fabs(o - offset) < 1e-6; }))
        continue;
      drawn.push_back(offset);
      const QPointF foot = centre + normal * offset;
      painter_.save();
      QPen pen = painter_.pen();
      pen.setCapStyle(Qt::FlatCap);
      painter_.setPen(pen);
      painter_.drawLine(foot - d * 2 * reach, foot + d * 2 * reach);
      painter_.restore();
    }
  }
}

void TilePainter::band(const QPainterPath& p) {
  for (int ky = -1; ky <= 1; ++ky) {
    painter_.save();
    painter_.translate(0, ky * height_);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPath(p);
    painter_.restore();
  }
}

void TilePainter::path(const QPainterPath& p) {
  wrapped(p.boundingRect(), [&] {
    painter_.setBrush(Qt::NoBrush);
    if (halo_ > 0) {
      painter_.save();
      painter_.setPen(QPen(Qt::white, stroke_ + 2 * halo_, Qt::SolidLine, Qt::RoundCap));
      painter_.drawPath(p);
      painter_.restore();
    }
    painter_.drawPath(p);
  });
}

void TilePainter::outlined(const QPainterPath& shape, const QColor& fill) {
  wrapped(shape.boundingRect(), [&] {
    painter_.setBrush(fill);
    painter_.drawPath(shape);
  });
}

void TilePainter::filled(const QPainterPath& shape, const QColor& fill) {
  wrapped(shape.boundingRect(), [&] { painter_.fillPath(shape, fill); });
}

void TilePainter::dot(QPointF centre, double r) {
  if (halo_ > 0) {
    QPainterPath clear;
    clear.addEllipse(centre, r + halo_, r + halo_);
    filled(clear, Qt::white);
  }
  QPainterPath p;
  p.addEllipse(centre, r, r);
  filled(p);
}

void TilePainter::ellipse(QPointF centre, double rx, double ry, double angleDegrees) {
  QPainterPath p;
  p.addEllipse(QPointF(0, 0), rx, ry);
  QTransform t;
  t.translate(centre.x(), centre.y());
  t.rotate(angleDegrees);
  outlined(t.map(p));
}

void TilePainter::fillAll(const QColor& colour) {
  painter_.fillRect(QRectF(0, 0, width_, height_), colour);
}

}  // namespace sq::patterns
