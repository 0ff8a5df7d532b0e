#include "strataquill/render/n_graph_column.h"

#include <algorithm>
#include <cmath>

#include "strataquill/render/log_symbols.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;
constexpr Rgb kGridColour = 0xC0C0C0;     // light grey
constexpr double kPointDiameter = 0.045;  // inches
constexpr double kArrowLength = 0.16;     // inches
constexpr double kArrowHead = 0.05;       // inches
constexpr double kLabelGap = 0.02;        // inches between the labels and the column
constexpr double kLabelInset = 0.03;      // inches between the end labels and the sides

// The step of the scale labels: every 10 when they have room, else the
// next of 20, 25, 50, 100, ... that leaves room between them, the first and
// last moved inside the column included. Steps that end on the maximum come
// first, so the scale's end is labelled.
int labelStep(const PrintSurface& s, double columnTwips, int maximum) {
  const double room = 1.5 * s.textWidth(QString::number(maximum)) + 0.04 * kTw;
  for (bool endsOnMaximum : {true, false})
    for (int step : {10, 20, 25, 50, 100, 200, 250, 500, 1000})
      if ((maximum % step == 0) == endsOnMaximum && columnTwips * step / maximum >= room)
        return step;
  return maximum;
}

}  // namespace

NGraphScale nGraphScale(float sizeField) {
  if (sizeField >= 20 && sizeField <= 100000 && std::isfinite(sizeField))
    return {static_cast<int>(std::lround(sizeField)), true};
  return {};
}

void drawNGraph(PageContext& ctx, const ColumnBox& box, const DepthWindow& w, int maximum) {
  if (maximum <= 0) maximum = kDefaultNGraphMaximum;
  PrintSurface& s = ctx.surface;
  const double left = box.x * kTw, right = box.xx * kTw;
  const double top = box.y * kTw, bottom = box.yy * kTw;
  if (!(right > left)) return;
  auto xOf = [&](double n) {
    return left + (right - left) * std::min(n, double(maximum)) / maximum;
  };

  const Pen pen = s.pen;
  s.pen = Pen{kGridColour, kPenSolid, 0};
  for (int n = 10; n < maximum; n += 10) s.drawLine(xOf(n), top, xOf(n), bottom);
  s.pen = pen;

  // The scale's labels sit on the column like a ruler, the first and last
  // kept clear of its sides.
  const int step = labelStep(s, right - left, maximum);
  const double labelTop = top - kLabelGap * kTw - s.textHeight();
  const double inset = std::min(kLabelInset * kTw, (right - left) / 8);
  for (int n = 0; n <= maximum; n += step) {
    const QString label = QString::number(n);
    const double width = s.textWidth(label);
    s.currentX =
        std::clamp(xOf(n) - width / 2, left + inset, std::max(left + inset, right - inset - width));
    s.currentY = labelTop;
    s.printText(label);
  }

  const std::vector<NPoint>& points = ctx.data.nPoints;
  if (points.empty()) return;
  const double T = w.top, B = w.bottom();
  auto yOf = [&](double depth) { return mapDepth(box, w, depth) * kTw; };
  auto xPoint = [&](const NPoint& p) { return p.refusal ? xOf(maximum) : xOf(p.n); };
  // From the last point above the page to the first below it.
  auto first = std::lower_bound(points.begin(), points.end(), T,
                                [](const NPoint& p, double t) { return p.depth < t; });
  std::size_t i = static_cast<std::size_t>(first - points.begin());
  if (i > 0) --i;
  for (; i < points.size(); ++i) {
    const NPoint& a = points[i];
    if (a.depth > B) break;
    if (i + 1 < points.size()) {
      const NPoint& b = points[i + 1];
      if (b.depth >= T && b.depth > a.depth) {
        // The segment cut at the page's edges: the part on this page.
        auto at = [&](double depth) {
          const double t = (depth - a.depth) / (b.depth - a.depth);
          return QPointF(xPoint(a) + t * (xPoint(b) - xPoint(a)), yOf(depth));
        };
        const QPointF from = at(std::max<double>(a.depth, T));
        const QPointF to = at(std::min<double>(b.depth, B));
        s.drawLine(from.x(), from.y(), to.x(), to.y());
      }
    }
    if (a.depth < T) continue;
    const QPointF p(xPoint(a), yOf(a.depth));
    if (a.refusal || a.n > maximum) {
      drawArrow(s, QPointF(p.x() - kArrowLength * kTw, p.y()), p, kArrowHead * kTw);
    } else {
      drawPlotPoint(s, p, kPointDiameter * kTw);
    }
  }
}

}  // namespace sq::render
