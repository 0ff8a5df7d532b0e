#include "strataquill/sections/site_map_figure.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace sq::sections {
namespace {

using render::PrintSurface;
using render::TextAlign;

constexpr double kTw = render::kTwipsPerInch;
constexpr double kPanelWidth = 2.35;
constexpr double kSymbolRadius = 0.05;
constexpr render::Rgb kGridGrey = 0x9F9F9F;
constexpr render::Rgb kPickRed = 0x2020D0;
constexpr render::Rgb kSectionRed = 0x1A1AA8;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

render::ShapeFill solid(render::Rgb color) {
  render::ShapeFill f;
  f.kind = render::ShapeFill::Kind::kSolid;
  f.color = color;
  return f;
}

QPainterPath circle(double x, double y, double r) {
  QPainterPath p;
  p.addEllipse(QPointF(x * kTw, y * kTw), r * kTw, r * kTw);
  return p;
}

// Rectangles already taken on the page, found by the cells of a grid they
// cover, so a map of a thousand borings places its names in linear time.
class TakenSpace {
 public:
  bool free(const QRectF& r) const {
    for (long key : cells(r)) {
      auto it = cells_.find(key);
      if (it == cells_.end()) continue;
      for (std::size_t i : it->second)
        if (rects_[i].intersects(r)) return false;
    }
    return true;
  }
  void take(const QRectF& r) {
    const std::size_t index = rects_.size();
    rects_.push_back(r);
    for (long key : cells(r)) cells_[key].push_back(index);
  }

 private:
  static constexpr double kCell = 0.5;
  static std::vector<long> cells(const QRectF& r) {
    std::vector<long> keys;
    const long x0 = static_cast<long>(std::floor(r.left() / kCell));
    const long x1 = static_cast<long>(std::floor(r.right() / kCell));
    const long y0 = static_cast<long>(std::floor(r.top() / kCell));
    const long y1 = static_cast<long>(std::floor(r.bottom() / kCell));
    for (long cx = x0; cx <= x1; ++cx)
      for (long cy = y0; cy <= y1; ++cy) keys.push_back(cx * 100003 + cy);
    return keys;
  }
  std::vector<QRectF> rects_;
  std::unordered_map<long, std::vector<std::size_t>> cells_;
};

void drawBoringSymbol(PrintSurface& s, double x, double y, bool well) {
  s.pen = render::Pen{0, render::kPenSolid, 12};
  s.drawShape(circle(x, y, kSymbolRadius), solid(0xFFFFFF));
  if (well) {
    s.pen.style = render::kPenNone;
    s.drawShape(circle(x, y, kSymbolRadius * 0.45), solid(0x000000));
  } else {
    const double r = kSymbolRadius * 1.6;
    line(s, x - r, y, x + r, y);
    line(s, x, y - r, x, y + r);
  }
}

void drawNorthArrow(PrintSurface& s, double cx, double top) {
  const double length = 0.6, half = 0.09;
  font(s, 10, true);
  text(s, "N", cx, top, TextAlign::kCenter);
  const double tip = top + textHeight(s) + 0.02;
  s.pen = render::Pen{0, render::kPenSolid, 10};
  QPainterPath left, right;
  left.moveTo(cx * kTw, tip * kTw);
  left.lineTo((cx - half) * kTw, (tip + length) * kTw);
  left.lineTo(cx * kTw, (tip + length * 0.8) * kTw);
  left.closeSubpath();
  right.moveTo(cx * kTw, tip * kTw);
  right.lineTo((cx + half) * kTw, (tip + length) * kTw);
  right.lineTo(cx * kTw, (tip + length * 0.8) * kTw);
  right.closeSubpath();
  s.drawShape(left, solid(0x000000));
  s.drawShape(right, solid(0xFFFFFF));
}

std::string axisUnit(const SiteLocations& located) {
  return located.unit.empty() ? std::string() : " (" + shortUnit(located.unit) + ")";
}

}  // namespace

SiteMapLayout drawSiteMap(PrintSurface& s, const std::vector<MapBoring>& borings,
                          const SiteLocations& located, const MapOptions& options,
                          const FigureStyle& style) {
  SiteMapLayout layout;
  const render::Pen savedPen = s.pen;
  const bool withLine = options.sectionLine.size() >= 2;
  std::string subtitle = "Boring locations";
  if (withLine) {
    subtitle += " and section line";
    for (std::size_t i = 0; i < options.sectionLine.size(); ++i)
      subtitle += (i == 0 ? " " : " - ") + options.sectionLine[i];
  }
  const PageRect area = drawFigureFrame(s, style.source, {"SITE MAP", subtitle, 1, 1});
  const PageRect panel{area.right() - kPanelWidth, area.top, kPanelWidth, area.height};
  const PageRect frame{area.left + 0.55, area.top + 0.05,
                       panel.left - 0.3 - (area.left + 0.55), area.height - 0.55};
  layout.frame = frame;

  std::vector<SitePoint> points;
  for (const auto& p : located.placed) points.push_back(p.point);
  layout.fit = fitMap(points, frame, 0.45, 10);
  const MapFit& fit = layout.fit;

  // Frame, grid ticks, coordinates and the crosses where grid lines meet.
  s.pen = render::Pen{0, render::kPenSolid, 20};
  line(s, frame.left, frame.top, frame.right(), frame.top);
  line(s, frame.right(), frame.top, frame.right(), frame.bottom());
  line(s, frame.right(), frame.bottom(), frame.left, frame.bottom());
  line(s, frame.left, frame.bottom(), frame.left, frame.top);
  const SitePoint low = fit.site(frame.left, frame.bottom());
  const SitePoint high = fit.site(frame.right(), frame.top);
  const double step = niceStep(std::max(frame.width, frame.height) * fit.unitsPerInch, 9);
  const bool local = located.system == CoordinateSystem::kLatitudeLongitude;
  font(s, 6.5);
  s.pen = render::Pen{0, render::kPenSolid, 0};
  std::vector<double> eastings, northings;
  for (double e = std::ceil(low.east / step) * step; e <= high.east; e += step) eastings.push_back(e);
  for (double n = std::ceil(low.north / step) * step; n <= high.north; n += step)
    northings.push_back(n);
  if (!points.empty()) {
    for (double e : eastings) {
      const double x = fit.x({e, 0});
      line(s, x, frame.bottom(), x, frame.bottom() - 0.08);
      line(s, x, frame.top, x, frame.top + 0.08);
      text(s, labelNumber(e, step, true), x, frame.bottom() + 0.05, TextAlign::kCenter);
    }
    s.textAngle = 900;
    for (double n : northings) {
      const double y = fit.y({0, n});
      line(s, frame.left, y, frame.left + 0.08, y);
      line(s, frame.right(), y, frame.right() - 0.08, y);
      const QString label = labelNumber(n, step, true);
      text(s, label, frame.left - 0.05 - textHeight(s), y + textWidth(s, label) / 2);
    }
    s.textAngle = 0;
    s.pen = render::Pen{kGridGrey, render::kPenSolid, 0};
    for (double e : eastings)
      for (double n : northings) {
        const double x = fit.x({e, n}), y = fit.y({e, n});
        line(s, x - 0.04, y, x + 0.04, y);
        line(s, x, y - 0.04, x, y + 0.04);
      }
    font(s, 7, true);
    const std::string eastCaption =
        local ? "EAST" : located.system == CoordinateSystem::kStatePlane ? "STATE PLANE EASTING"
                                                                         : "EASTING";
    const std::string northCaption =
        local ? "NORTH" : located.system == CoordinateSystem::kStatePlane ? "STATE PLANE NORTHING"
                                                                          : "NORTHING";
    text(s, qs(eastCaption + axisUnit(located)).toUpper(), frame.left + frame.width / 2,
         frame.bottom() + 0.22, TextAlign::kCenter);
    const QString nc = qs(northCaption + axisUnit(located)).toUpper();
    s.textAngle = 900;
    text(s, nc, frame.left - 0.5, frame.top + frame.height / 2 + textWidth(s, nc) / 2);
    s.textAngle = 0;
  }

  // The section line under the symbols.
  std::map<std::string, QPointF> where;
  for (const auto& p : located.placed)
    if (p.index < borings.size())
      where.emplace(borings[p.index].name, QPointF(fit.x(p.point), fit.y(p.point)));
  if (withLine) {
    s.pen = render::Pen{kSectionRed, render::kPenDash, 22};
    std::vector<QPointF> pts;
    for (const std::string& name : options.sectionLine)
      if (auto it = where.find(name); it != where.end()) pts.push_back(it->second);
    for (std::size_t i = 1; i < pts.size(); ++i)
      line(s, pts[i - 1].x(), pts[i - 1].y(), pts[i].x(), pts[i].y());
    if (pts.size() >= 2) {
      font(s, 10, true);
      auto endLabel = [&](const QPointF& at, const QPointF& from, const QString& t) {
        const double dx = at.x() - from.x(), dy = at.y() - from.y();
        const double len = std::max(std::hypot(dx, dy), 1e-9);
        text(s, t, at.x() + dx / len * 0.22, at.y() + dy / len * 0.22, TextAlign::kCenter, true);
      };
      endLabel(pts.front(), pts[1], "A");
      endLabel(pts.back(), pts[pts.size() - 2], "A'");
    }
  }

  // Symbols, then the names where they do not overlap what is there.
  TakenSpace taken;
  for (const auto& p : located.placed) {
    if (p.index >= borings.size()) continue;
    const double x = fit.x(p.point), y = fit.y(p.point);
    const double r = kSymbolRadius * 1.6;
    taken.take(QRectF(x - r, y - r, 2 * r, 2 * r));
    layout.symbols.push_back({borings[p.index].name, QPointF(x, y)});
  }
  for (const auto& p : located.placed) {
    if (p.index >= borings.size()) continue;
    const double x = fit.x(p.point), y = fit.y(p.point);
    if (std::find(options.picked.begin(), options.picked.end(), borings[p.index].name) !=
        options.picked.end()) {
      s.pen = render::Pen{kPickRed, render::kPenSolid, 25};
      s.drawShape(circle(x, y, kSymbolRadius * 2));
    }
    drawBoringSymbol(s, x, y, borings[p.index].well);
  }
  font(s, 8);
  const double h = textHeight(s), gap = kSymbolRadius * 1.6 + 0.03;
  s.pen = render::Pen{0, render::kPenSolid, 0};
  for (const auto& p : located.placed) {
    if (p.index >= borings.size()) continue;
    const QString name = qs(borings[p.index].name);
    const double x = fit.x(p.point), y = fit.y(p.point), w = textWidth(s, name);
    // Right of the symbol first, as maps put names; then left, above,
    // below and the corners.
    const QRectF tries[] = {QRectF(x + gap, y - h / 2, w, h),
                            QRectF(x - gap - w, y - h / 2, w, h),
                            QRectF(x - w / 2, y - gap - h, w, h),
                            QRectF(x - w / 2, y + gap, w, h),
                            QRectF(x + gap * 0.7, y - gap * 0.7 - h, w, h),
                            QRectF(x + gap * 0.7, y + gap * 0.7, w, h),
                            QRectF(x - gap * 0.7 - w, y - gap * 0.7 - h, w, h),
                            QRectF(x - gap * 0.7 - w, y + gap * 0.7, w, h)};
    bool placed = false;
    for (const QRectF& r : tries) {
      if (r.left() < frame.left || r.right() > frame.right() || r.top() < frame.top ||
          r.bottom() > frame.bottom() || !taken.free(r))
        continue;
      taken.take(r);
      text(s, name, r.left(), r.top());
      placed = true;
      break;
    }
    if (!placed) ++layout.namesLeftOut;
  }
  if (points.empty()) {
    font(s, 10, true);
    text(s, "No boring has coordinates to place it on the map.", frame.left + frame.width / 2,
         frame.top + frame.height / 2, TextAlign::kCenter, true);
  }

  // The panel: north arrow, scale, legend, coordinates, what is missing.
  const double left = panel.left + 0.15, right = panel.right();
  double y = panel.top;
  drawNorthArrow(s, left + 0.4, y);
  y += 1.0;
  if (!points.empty())
    y += drawScaleBar(s, "SCALE", left, y, fit.unitsPerInch, right - left - 0.35, located.unit) +
         0.15;
  font(s, 9, true);
  text(s, "LEGEND", left, y);
  y += textHeight(s) + 0.06;
  font(s, 7);
  drawBoringSymbol(s, left + 0.12, y + 0.07, false);
  font(s, 7);
  text(s, "Soil boring", left + 0.35, y + 0.07, TextAlign::kLeft, true);
  y += 0.25;
  drawBoringSymbol(s, left + 0.12, y + 0.07, true);
  font(s, 7);
  text(s, "Monitoring well", left + 0.35, y + 0.07, TextAlign::kLeft, true);
  y += 0.25;
  if (withLine) {
    s.pen = render::Pen{kSectionRed, render::kPenDash, 22};
    line(s, left, y + 0.07, left + 0.25, y + 0.07);
    text(s, "Cross-section line A - A'", left + 0.35, y + 0.07, TextAlign::kLeft, true);
    y += 0.25;
  }
  y += 0.1;

  auto paragraph = [&](const QString& t, double size, bool bold = false) {
    font(s, size, bold);
    for (const QString& l : s.wrapText(t, (right - left) * kTw)) {
      if (y + textHeight(s) > panel.bottom()) return false;
      text(s, l, left, y);
      y += textHeight(s);
    }
    return true;
  };
  paragraph(qs(located.note()), 6.5);
  y += 0.08;
  if (layout.namesLeftOut > 0) {
    paragraph(QStringLiteral("Names of %1 borings are left out where they would overlap.")
                  .arg(layout.namesLeftOut),
              6.5);
    y += 0.08;
  }
  if (!located.notShown.empty()) {
    paragraph("NOT SHOWN", 7, true);
    font(s, 6.5);
    const double lh = textHeight(s);
    for (std::size_t i = 0; i < located.notShown.size(); ++i) {
      const auto& left_ = located.notShown[i];
      // Keep a line for the count of the rest.
      if (y + 2 * lh > panel.bottom() && i + 1 < located.notShown.size()) {
        paragraph(QStringLiteral("and %1 more").arg(located.notShown.size() - i), 6.5);
        break;
      }
      if (!paragraph(qs(left_.name + " (" + left_.reason + ")"), 6.5)) break;
    }
  }
  s.pen = savedPen;
  return layout;
}

}  // namespace sq::sections
