#include "strataquill/render/log_symbols.h"

#include <algorithm>
#include <cmath>

namespace sq::render {
namespace {

// Symbols stay legible whatever pen the layout gives the column.
constexpr double kSymbolPen = 10;  // twips, half a point

// The surface's pen, made at least kSymbolPen wide and solid, for the
// lifetime of the object.
class SymbolPen {
 public:
  explicit SymbolPen(PrintSurface& s) : s_(s), saved_(s.pen) {
    s.pen.width = std::max(s.pen.width, kSymbolPen);
    s.pen.style = kPenSolid;
  }
  ~SymbolPen() { s_.pen = saved_; }
  SymbolPen(const SymbolPen&) = delete;
  SymbolPen& operator=(const SymbolPen&) = delete;

 private:
  PrintSurface& s_;
  Pen saved_;
};

}  // namespace

void drawWaterLevelSymbol(PrintSurface& s, QPointF level, double width, WaterLevelKind kind) {
  if (!(width > 0)) return;
  SymbolPen pen(s);
  const double half = width / 2;
  const double height = width * 0.8;
  const QPolygonF triangle({QPointF(level.x() - half, level.y() - height),
                            QPointF(level.x() + half, level.y() - height), level});
  s.drawPolygon(triangle, kind == WaterLevelKind::kWhileDrilling, s.pen.color);
  s.drawLine(level.x() - width * 0.75, level.y(), level.x() + width * 0.75, level.y());
}

void drawClassSlices(PrintSurface& s, const std::vector<layouts::PatternSlice>& slices,
                     const std::string& patternFolder, double patternScale, const QRectF& rect,
                     SliceOutline outline, double clipTop, double clipBottom) {
  double x = rect.left();
  for (const layouts::PatternSlice& slice : slices) {
    // A negative share would run the slice backwards over its neighbour.
    const double width = std::max(0.0f, slice.percent) * rect.width() / 100.0;
    if (!(width > 0)) continue;
    s.DrawFilledRectangle(
        x, rect.top(), x + width, rect.bottom(),
        QString::fromStdString(layouts::patternPath(patternFolder, slice.fileName)), patternScale);
    const double top = std::max(rect.top(), clipTop);
    const double bottom = std::min(rect.bottom(), clipBottom);
    s.drawLine(x, top, x, bottom);
    s.drawLine(x + width, top, x + width, bottom);
    if (outline == SliceOutline::kAllSides) {
      s.drawLine(x, top, x + width, top);
      s.drawLine(x, bottom, x + width, bottom);
    }
    x += width;
  }
}

void drawLegendSwatch(PrintSurface& s, const std::vector<layouts::PatternSlice>& slices,
                      const std::string& patternFolder, double patternScale, QPointF topLeft,
                      QSizeF size) {
  const QRectF box(topLeft, size);
  drawClassSlices(s, slices, patternFolder, patternScale, box, SliceOutline::kAllSides, box.top(),
                  box.bottom());
  // The box is outlined whole even where the shares leave part of it empty.
  s.drawPolygon(QPolygonF(box), false);
}

void drawPlotPoint(PrintSurface& s, QPointF centre, double diameter) {
  SymbolPen pen(s);
  const double r = diameter / 2;
  QPolygonF circle;
  constexpr int kSides = 12;
  for (int i = 0; i < kSides; ++i) {
    const double a = 2 * M_PI * i / kSides;
    circle << QPointF(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a));
  }
  s.drawPolygon(circle, true, s.pen.color);
}

void drawArrow(PrintSurface& s, QPointF from, QPointF to, double head) {
  SymbolPen pen(s);
  s.drawLine(from.x(), from.y(), to.x(), to.y());
  const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
  if (!(length > 0)) return;
  const QPointF back((from.x() - to.x()) / length * head, (from.y() - to.y()) / length * head);
  const QPointF side(-back.y() * 0.5, back.x() * 0.5);
  s.drawPolygon(QPolygonF({to, to + back + side, to + back - side}), true, s.pen.color);
}

}  // namespace sq::render
