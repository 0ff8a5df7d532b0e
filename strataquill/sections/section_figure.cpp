#include "strataquill/sections/section_figure.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <set>

#include "strataquill/db/value.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/render/data_columns.h"
#include "strataquill/render/log_symbols.h"
#include "strataquill/sections/correlation.h"
#include "strataquill/sections/site_locations.h"

namespace sq::sections {
namespace {

using render::Pen;
using render::PrintSurface;
using render::TextAlign;

constexpr double kTw = render::kTwipsPerInch;
constexpr render::Rgb kGridGrey = 0xBFBFBF;
constexpr render::Rgb kWaterBlue = 0xB04E1F;  // red + 256 green + 65536 blue
constexpr double kWaterGap = 0.08;             // symbol centre left of its column
constexpr double kWaterSymbolWidth = 0.11;

std::string number(double v) {
  return db::formatSingle(static_cast<float>(v));
}

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

QString upper(const std::string& s) {
  return qs(s).toUpper();
}

// The eight compass points, for the side of the line a boring lies on.
const char* compass(double east, double north) {
  static const char* names[] = {"E", "NE", "N", "NW", "W", "SW", "S", "SE"};
  const double angle = std::atan2(north, east) * 180 / M_PI;
  const int sector = static_cast<int>(std::lround((angle < 0 ? angle + 360 : angle) / 45)) % 8;
  return names[sector];
}

// The part of a segment between two verticals; false when none is.
bool clipToColumns(QPointF& a, QPointF& b, double left, double right) {
  if (a.x() > b.x()) std::swap(a, b);
  if (b.x() < left || a.x() > right) return false;
  auto at = [&](double x) {
    const double t = (x - a.x()) / (b.x() - a.x());
    return QPointF(x, a.y() + t * (b.y() - a.y()));
  };
  if (a.x() < left) a = at(left);
  if (b.x() > right) b = at(right);
  return true;
}

// Draws the pages.
class SectionDrawer {
 public:
  SectionDrawer(PrintSurface& s, const SectionModel& m, const SectionPlan& p, const FigureStyle& st)
      : s_(s), m_(m), p_(p), st_(st) {
    // The columns draw from the checked intervals, so overlapping rows of
    // the project never show on top of each other.
    for (const SectionBoring& b : m.borings) {
      render::BoringData clean;
      std::vector<render::LithologyRow> rows;
      for (const SectionInterval& iv : b.intervals) {
        render::LithologyRow r;
        r.from = static_cast<float>(iv.from);
        r.to = static_cast<float>(iv.to);
        r.classification = iv.classText;
        rows.push_back(std::move(r));
      }
      clean.lithology = render::DepthRows<render::LithologyRow>(std::move(rows));
      columns_.push_back(std::move(clean));
    }
  }

  void drawPage(std::size_t page) {
    page_ = page;
    const SectionPlan::Page& pg = p_.pages[page];
    clipLeft_ = pg.continuedLeft ? p_.x(page, pg.from) : p_.plot.left;
    clipRight_ = pg.continuedRight ? p_.x(page, pg.to) : p_.plot.right();
    // A long list of borings names its ends and how many lie between.
    std::string name = sectionName(m_);
    if (m_.borings.size() > 6)
      name = m_.borings.front().name + " - ... - " + m_.borings.back().name + " (" +
             std::to_string(m_.borings.size()) + " borings)";
    drawFigureFrame(s_, st_.source,
                    {"GEOLOGIC CROSS-SECTION", name, static_cast<int>(page) + 1,
                     static_cast<int>(p_.pages.size())});
    drawElevationGrid();
    for (std::size_t i = 0; i + 1 < m_.borings.size(); ++i)
      if (m_.borings[i].station <= pg.to && m_.borings[i + 1].station >= pg.from) drawPanel(i);
    drawGround();
    for (std::size_t i : pg.borings) drawColumn(i);
    drawWaterTable();
    for (std::size_t i : pg.borings) drawLabels(i);
    drawDistanceAxis();
    drawMatchLines();
    drawSectionEnds();
    drawLegend();
  }

 private:
  double x(double station) const { return p_.x(page_, station); }
  double y(double elevation) const { return p_.y(elevation); }
  double top(const SectionBoring& b) const { return y(b.ground); }
  double bottom(const SectionBoring& b) const { return y(b.ground - b.bottomDepth); }
  double half() const { return p_.columnWidth / 2; }
  std::string unitText() const { return shortUnit(m_.unit); }

  void pen(double width, int style = render::kPenSolid, render::Rgb color = 0) {
    s_.pen = Pen{color, style, width};
  }

  void drawElevationGrid() {
    const PageRect& plot = p_.plot;
    const double step = p_.elevationStep;
    const double highest = p_.elevation.elevation(plot.top);
    const double lowest = p_.elevation.elevation(plot.bottom());
    font(s_, 7);
    for (double e = std::ceil(lowest / step) * step; e <= highest + step * 1e-9; e += step) {
      const double ey = y(e);
      pen(0, render::kPenDot, kGridGrey);
      line(s_, plot.left, ey, plot.right(), ey);
      pen(0);
      line(s_, plot.left - 0.06, ey, plot.left, ey);
      line(s_, plot.right(), ey, plot.right() + 0.06, ey);
      const QString label = labelNumber(e, step);
      text(s_, label, plot.left - 0.09, ey, TextAlign::kRight, true);
      text(s_, label, plot.right() + 0.09, ey, TextAlign::kLeft, true);
    }
    pen(10);
    line(s_, plot.left, plot.top, plot.left, plot.bottom());
    line(s_, plot.right(), plot.top, plot.right(), plot.bottom());
    line(s_, plot.left, plot.bottom(), plot.right(), plot.bottom());
    // Axis titles read upwards along both axes.
    font(s_, 7.5, true);
    const QString title = "ELEVATION (" + upper(unitText()) + ")";
    const double w = textWidth(s_, title), mid = plot.top + plot.height / 2;
    s_.textAngle = 900;
    text(s_, title, plot.left - 0.68, mid + w / 2);
    text(s_, title, plot.right() + 0.42, mid + w / 2);
    s_.textAngle = 0;
  }

  // The units of a boring as the panel beside it sees them.
  std::vector<ColumnUnit> units(const SectionBoring& b) const {
    std::vector<ColumnUnit> out;
    for (const SectionInterval& iv : b.intervals)
      out.push_back({y(b.ground - iv.from), y(b.ground - iv.to), iv.classText});
    return out;
  }

  // The correlation between boring i and the next, clipped to the page.
  void drawPanel(std::size_t i) {
    const SectionBoring& a = m_.borings[i];
    const SectionBoring& b = m_.borings[i + 1];
    const double xa = x(a.station) + half(), xb = x(b.station) - half();
    QPainterPath page;
    page.addRect(QRectF(QPointF(clipLeft_ * kTw, (p_.plot.top - 2) * kTw),
                        QPointF(clipRight_ * kTw, (p_.plot.bottom() + 2) * kTw)));
    const bool clipped = xa < clipLeft_ || xb > clipRight_;
    const double xm = (xa + xb) / 2;
    double truncatedTop[2] = {1e9, 1e9}, truncatedBottom[2] = {-1e9, -1e9};
    for (const PanelShape& shape : correlationPanel(units(a), units(b), xa, xb)) {
      QPolygonF polygon;
      for (const QPointF& pt : shape.points) polygon << QPointF(pt.x() * kTw, pt.y() * kTw);
      QPainterPath path;
      path.addPolygon(polygon);
      path.closeSubpath();
      if (clipped) path = path.intersected(page);
      if (path.isEmpty()) continue;
      if (!shape.truncated || clipped) {
        pen(0, render::kPenSolid, 0x404040);
        fillWithClass(path, shape.classText);
        continue;
      }
      // Where a unit ends for want of data the edge is dashed, not a contact.
      pen(0, render::kPenNone);
      fillWithClass(path, shape.classText);
      const auto& pts = shape.points;
      for (std::size_t k = 0; k < pts.size(); ++k) {
        const QPointF& p1 = pts[k];
        const QPointF& p2 = pts[(k + 1) % pts.size()];
        const bool middle = std::abs(p1.x() - xm) < 1e-9 && std::abs(p2.x() - xm) < 1e-9;
        pen(0, middle ? render::kPenDash : render::kPenSolid, 0x404040);
        line(s_, p1.x(), p1.y(), p2.x(), p2.y());
        if (middle) {
          const int side = pts[0].x() < xm ? 0 : 1;
          truncatedTop[side] = std::min({truncatedTop[side], p1.y(), p2.y()});
          truncatedBottom[side] = std::max({truncatedBottom[side], p1.y(), p2.y()});
        }
      }
    }
    // A query mark beside each side's units that end half-way.
    font(s_, 7, true);
    for (int side = 0; side < 2; ++side)
      if (truncatedBottom[side] > truncatedTop[side])
        labelOnWhite("?", side == 0 ? xm - 0.03 - textWidth(s_, "?") : xm + 0.03,
                     (truncatedTop[side] + truncatedBottom[side]) / 2);
  }

  // A short text left-aligned at x and centred on y, on a white ground so
  // the pattern behind it does not swallow it.
  void labelOnWhite(const QString& t, double left, double y) {
    const double w = textWidth(s_, t), h = textHeight(s_);
    QPainterPath ground;
    ground.addRect(QRectF((left - 0.01) * kTw, (y - h / 2) * kTw, (w + 0.02) * kTw, h * kTw));
    render::ShapeFill white;
    white.kind = render::ShapeFill::Kind::kSolid;
    white.color = 0xFFFFFF;
    pen(0, render::kPenNone);
    s_.drawShape(ground, white);
    text(s_, t, left, y, TextAlign::kLeft, true);
  }

  // A shape in the pattern of its class (the widest slice of the class's
  // pattern list); white when the class is unknown.
  void fillWithClass(const QPainterPath& path, const std::string& classText) {
    const auto* slices =
        st_.catalogue ? st_.catalogue->find(layouts::ClassKind::kLithology, classText) : nullptr;
    const layouts::PatternSlice* widest = nullptr;
    if (slices)
      for (const auto& slice : *slices)
        if (!widest || slice.percent > widest->percent) widest = &slice;
    if (widest) {
      const QString file = qs(layouts::patternPath(st_.patternFolder, widest->fileName));
      const QImage image = s_.loadPicture(file);
      if (!image.isNull()) {
        s_.drawPatternShape(path, image, file, st_.patternScale, QPointF(0, 0));
        return;
      }
    }
    render::ShapeFill white;
    white.kind = render::ShapeFill::Kind::kSolid;
    white.color = 0xFFFFFF;
    s_.drawShape(path, white);
  }

  void drawColumn(std::size_t i) {
    const SectionBoring& b = m_.borings[i];
    const double cx = x(b.station);
    if (b.bottomDepth > 0) {
      std::vector<render::CarriedItem> carried;
      render::PageContext ctx{s_,          columns_[i],     *st_.catalogue, st_.patternFolder,
                              st_.patternScale, carried};
      pen(0);
      render::drawLithology(ctx, {cx - half(), top(b), cx + half(), bottom(b)},
                            {0, static_cast<float>(b.bottomDepth)});
      pen(12);
      line(s_, cx - half(), top(b), cx + half(), top(b));
      line(s_, cx + half(), top(b), cx + half(), bottom(b));
      line(s_, cx + half(), bottom(b), cx - half(), bottom(b));
      line(s_, cx - half(), bottom(b), cx - half(), top(b));
    }
    // Class codes beside the intervals tall enough to hold one, on a white
    // ground so the pattern behind does not swallow them.
    font(s_, 6);
    const double h = textHeight(s_);
    for (const SectionInterval& iv : b.intervals) {
      const double y1 = y(b.ground - iv.from), y2 = y(b.ground - iv.to);
      const QString code = qs(classCode(iv.classText));
      if (code.isEmpty() || y2 - y1 < h * 0.95) continue;
      const double left = cx + half() + 0.03;
      if (left + textWidth(s_, code) > clipRight_) continue;
      labelOnWhite(code, left, (y1 + y2) / 2);
    }
  }

  // The ground surface between neighbouring columns.
  void drawGround() {
    const SectionPlan::Page& pg = p_.pages[page_];
    pen(20);
    for (std::size_t i = 0; i + 1 < m_.borings.size(); ++i) {
      const SectionBoring& a = m_.borings[i];
      const SectionBoring& b = m_.borings[i + 1];
      if (a.station > pg.to || b.station < pg.from) continue;
      QPointF p1(x(a.station) + half(), top(a)), p2(x(b.station) - half(), top(b));
      if (clipToColumns(p1, p2, clipLeft_, clipRight_)) line(s_, p1.x(), p1.y(), p2.x(), p2.y());
    }
  }

  void drawWaterTable() {
    auto staticDepth = [](const SectionBoring& b) -> std::optional<double> {
      for (const WaterLevel& w : b.water)
        if (w.kind == WaterLevel::Kind::kStatic) return w.depth;
      return std::nullopt;
    };
    const SectionPlan::Page& pg = p_.pages[page_];
    // The water table joins the static levels of neighbours, dashed: it is
    // known at the borings only.
    pen(22, render::kPenDash, kWaterBlue);
    for (std::size_t i = 0; i + 1 < m_.borings.size(); ++i) {
      const SectionBoring& a = m_.borings[i];
      const SectionBoring& b = m_.borings[i + 1];
      if (a.station > pg.to || b.station < pg.from) continue;
      auto da = staticDepth(a), db = staticDepth(b);
      if (!da || !db) continue;
      QPointF p1(x(a.station) + half(), y(a.ground - *da));
      QPointF p2(x(b.station) - half(), y(b.ground - *db));
      if (clipToColumns(p1, p2, clipLeft_, clipRight_)) line(s_, p1.x(), p1.y(), p2.x(), p2.y());
    }
    // Symbols left of their column; one that would sit on another moves
    // further left.
    for (std::size_t i : pg.borings) {
      const SectionBoring& b = m_.borings[i];
      std::vector<std::pair<int, double>> placed;  // slot, y
      std::vector<WaterLevel> levels = b.water;
      // The static level next to its column, where the water table meets it.
      std::stable_sort(levels.begin(), levels.end(), [](const WaterLevel& p, const WaterLevel& q) {
        return (p.kind == WaterLevel::Kind::kStatic) > (q.kind == WaterLevel::Kind::kStatic);
      });
      for (const WaterLevel& w : levels) {
        const double wy = y(b.ground - w.depth);
        int slot = 0;
        while (std::any_of(placed.begin(), placed.end(), [&](const auto& p) {
          return p.first == slot && std::abs(p.second - wy) < 0.13;
        }))
          ++slot;
        placed.emplace_back(slot, wy);
        waterSymbol(x(b.station) - half() - kWaterGap - slot * 0.13, wy, w.kind);
      }
    }
  }

  // The log's groundwater symbol with its tip on the level at (x, y), and
  // its legend swatch of a class at (x, y), w × h; inches, in black.
  void waterSymbol(double x, double y, WaterLevel::Kind kind) {
    render::WaterLevelKind shown = render::WaterLevelKind::kStatic;
    if (kind == WaterLevel::Kind::kWhileDrilling) shown = render::WaterLevelKind::kWhileDrilling;
    if (kind == WaterLevel::Kind::kPotentiometric) shown = render::WaterLevelKind::kPotentiometric;
    pen(0);
    render::drawWaterLevelSymbol(s_, QPointF(x * kTw, y * kTw), kWaterSymbolWidth * kTw, shown);
  }
  void legendSwatch(const std::string& classText, double x, double y, double w, double h) {
    static const std::vector<layouts::PatternSlice> kNoSlices;
    const auto* slices = st_.catalogue->find(layouts::ClassKind::kLithology, classText);
    pen(0);
    render::drawLegendSwatch(s_, slices ? *slices : kNoSlices, st_.patternFolder, st_.patternScale,
                             QPointF(x * kTw, y * kTw), QSizeF(w * kTw, h * kTw));
  }

  void drawLabels(std::size_t i) {
    const SectionBoring& b = m_.borings[i];
    const double cx = x(b.station);
    font(s_, 8, true);
    const double nameHeight = textHeight(s_);
    double ty = top(b) - 0.05 - nameHeight;
    text(s_, qs(b.name), cx, ty, TextAlign::kCenter);
    if (std::abs(b.offset) > 0) {
      // How far off the line a projected boring lies, and on which side.
      const SectionBoring& first = m_.borings.front();
      const SectionBoring& last = m_.borings.back();
      const double length = distance(first.point, last.point);
      double east = 0, north = 0;
      if (length > 0) {
        // The left normal of the line's direction.
        east = -(last.point.north - first.point.north) / length * b.offset;
        north = (last.point.east - first.point.east) / length * b.offset;
      }
      font(s_, 6);
      ty -= textHeight(s_);
      text(s_,
           qs(number(std::abs(b.offset)) + " " + unitText() + " " + compass(east, north) +
              " of line"),
           cx, ty, TextAlign::kCenter);
    }
    font(s_, 6.5);
    if (b.bottomDepth > 0) {
      const QString td = qs("TD " + number(b.bottomDepth) + " " + unitText());
      labelOnWhite(td, cx - textWidth(s_, td) / 2, bottom(b) + 0.03 + textHeight(s_) / 2);
    }
  }

  void drawDistanceAxis() {
    const SectionPlan::Page& pg = p_.pages[page_];
    const PageRect& plot = p_.plot;
    const double from = pg.from, to = pg.to;
    const double step = niceStep((plot.width) * p_.horizontalUnitsPerInch, 10);
    font(s_, 7);
    pen(0);
    const double origin = m_.borings.front().station;
    // Ticks run on to the plot's end after the last boring, as a ruler does.
    const double end = pg.continuedRight ? to : from + (clipRight_ - x(from)) * p_.horizontalUnitsPerInch;
    for (double d = std::ceil((from - origin) / step - 1e-9) * step; d + origin <= end + step * 1e-9;
         d += step) {
      const double tx = x(origin + d);
      if (tx < clipLeft_ - 1e-9 || tx > clipRight_ + 1e-9) continue;
      line(s_, tx, plot.bottom(), tx, plot.bottom() + 0.06);
      text(s_, labelNumber(d, step, true), tx, plot.bottom() + 0.08, TextAlign::kCenter);
    }
    font(s_, 7.5, true);
    const std::string along =
        m_.mode == StationMode::kProjected
            ? "DISTANCE ALONG THE LINE " + m_.borings.front().name + " - " + m_.borings.back().name
            : std::string("DISTANCE ALONG SECTION");
    text(s_, upper(along + " (" + unitText() + ")"), plot.left + plot.width / 2,
         plot.bottom() + 0.3, TextAlign::kCenter);
  }

  // The ends named as on the site map's section line: A over the first
  // page's left, A' over the last page's right.
  void drawSectionEnds() {
    const SectionPlan::Page& pg = p_.pages[page_];
    const PageRect& plot = p_.plot;
    font(s_, 12, true);
    const double ty = plot.top - 0.08 - textHeight(s_);
    if (!pg.continuedLeft) text(s_, "A", plot.left + 0.08, ty);
    if (!pg.continuedRight) text(s_, "A'", plot.right() - 0.08, ty, TextAlign::kRight);
  }

  void drawMatchLines() {
    const SectionPlan::Page& pg = p_.pages[page_];
    const PageRect& plot = p_.plot;
    auto matchLine = [&](double mx, int otherPage, bool textLeft) {
      pen(20, render::kPenDashDot);
      line(s_, mx, plot.top, mx, plot.bottom());
      font(s_, 7, true);
      const QString t = QStringLiteral("MATCH LINE - SEE PAGE %1").arg(otherPage);
      const double w = textWidth(s_, t), h = textHeight(s_);
      s_.textAngle = 900;
      text(s_, t, textLeft ? mx - h - 0.03 : mx + 0.03, plot.top + plot.height / 2 + w / 2);
      s_.textAngle = 0;
    };
    if (pg.continuedLeft) matchLine(clipLeft_, static_cast<int>(page_), true);
    if (pg.continuedRight) matchLine(clipRight_, static_cast<int>(page_) + 2, false);
  }

  // Legend, notes and scales in the panel right of the plot.
  void drawLegend() {
    const PageRect& panel = p_.panel;
    const double left = panel.left + 0.15, right = panel.right();
    double ty = panel.top;
    font(s_, 9, true);
    text(s_, "LEGEND", left, ty);
    ty += textHeight(s_) + 0.04;

    // Scales take the bottom of the panel; notes go above them.
    const double scalesHeight = 1.15;
    const double scalesTop = panel.bottom() - scalesHeight;

    std::vector<std::string> classes = classesShown();
    std::set<WaterLevel::Kind> kinds;
    for (const SectionBoring& b : m_.borings)
      for (const WaterLevel& w : b.water) kinds.insert(w.kind);
    const bool waterTable = kinds.count(WaterLevel::Kind::kStatic) > 0;
    const int waterRows = static_cast<int>(kinds.size()) + (waterTable ? 1 : 0);
    const double available = scalesTop - ty - 0.1 - waterRows * 0.2 - 0.35;
    double row = 0.22;
    std::size_t shown = classes.size();
    if (shown * row > available) row = std::max(0.15, available / std::max<std::size_t>(shown, 1));
    if (shown * row > available) shown = static_cast<std::size_t>(std::max(0.0, available / row - 1));

    const double swatchW = 0.34, swatchH = row * 0.72;
    font(s_, 6.5);
    for (std::size_t k = 0; k < shown; ++k) {
      legendSwatch(classes[k], left, ty, swatchW, swatchH);
      font(s_, row < 0.2 ? 6 : 6.5);
      text(s_, fitted(s_, qs(classes[k]), right - left - swatchW - 0.1), left + swatchW + 0.08,
           ty + swatchH / 2, TextAlign::kLeft, true);
      ty += row;
    }
    if (shown < classes.size()) {
      font(s_, 6.5);
      text(s_, QStringLiteral("and %1 more classes").arg(classes.size() - shown), left, ty);
      ty += row;
    }
    ty += 0.06;
    const struct {
      WaterLevel::Kind kind;
      const char* label;
    } waterNames[] = {{WaterLevel::Kind::kStatic, "Static water level"},
                      {WaterLevel::Kind::kWhileDrilling, "Water while drilling"},
                      {WaterLevel::Kind::kPotentiometric, "Potentiometric level"}};
    font(s_, 6.5);
    for (const auto& w : waterNames) {
      if (!kinds.count(w.kind)) continue;
      waterSymbol(left + swatchW / 2, ty + 0.11, w.kind);
      text(s_, w.label, left + swatchW + 0.08, ty + 0.09, TextAlign::kLeft, true);
      ty += 0.2;
    }
    if (waterTable) {
      pen(15, render::kPenDash, kWaterBlue);
      line(s_, left, ty + 0.08, left + swatchW, ty + 0.08);
      pen(0);
      text(s_, "Water table, inferred", left + swatchW + 0.08, ty + 0.08, TextAlign::kLeft, true);
      ty += 0.2;
    }
    font(s_, 6);
    s_.font.italic = true;
    text(s_, "Contacts between borings are inferred.", left, ty + 0.02);
    s_.font.italic = false;
    ty += textHeight(s_) + 0.1;

    // Notes: what the data made the drawing leave out or cut.
    if (!m_.notes.empty() && ty < scalesTop - 0.3) {
      font(s_, 7, true);
      text(s_, "NOTES", left, ty);
      ty += textHeight(s_);
      font(s_, 6);
      const double h = textHeight(s_);
      std::size_t n = 0;
      for (const std::string& note : m_.notes) {
        const QStringList lines = s_.wrapText(qs(note), (right - left) * kTw);
        if (ty + (lines.size() + 1) * h > scalesTop - 0.05 && n + 1 < m_.notes.size()) {
          text(s_, QStringLiteral("and %1 more notes").arg(m_.notes.size() - n), left, ty);
          ty += h;
          break;
        }
        for (const QString& l : lines) {
          text(s_, l, left, ty);
          ty += h;
        }
        ++n;
      }
    }

    // Scales.
    double sy = scalesTop;
    sy += drawScaleBar(s_, "HORIZONTAL SCALE", left, sy, p_.horizontalUnitsPerInch,
                       right - left - 0.35, m_.unit) +
          0.05;
    sy += drawScaleBar(s_, "VERTICAL SCALE", left, sy, p_.elevation.unitsPerInch,
                       right - left - 0.35, m_.unit) +
          0.05;
    font(s_, 7, true);
    text(s_,
         QStringLiteral("VERTICAL EXAGGERATION %1").arg(labelNumber(p_.exaggeration,
                                                                     p_.exaggeration < 10 ? 0.1 : 1)) +
             QChar(0x00D7),
         left, sy);
  }

  // Classes of the section in the classification file's order, then those
  // the file does not know in the order they appear.
  std::vector<std::string> classesShown() const {
    std::vector<std::string> seen;
    for (const SectionBoring& b : m_.borings)
      for (const SectionInterval& iv : b.intervals)
        if (!iv.classText.empty() &&
            std::find(seen.begin(), seen.end(), iv.classText) == seen.end())
          seen.push_back(iv.classText);
    std::vector<std::string> ordered;
    if (st_.catalogue)
      for (const auto& [name, slices] : st_.catalogue->lithology)
        if (std::find(seen.begin(), seen.end(), name) != seen.end() &&
            std::find(ordered.begin(), ordered.end(), name) == ordered.end())
          ordered.push_back(name);
    for (const std::string& c : seen)
      if (std::find(ordered.begin(), ordered.end(), c) == ordered.end()) ordered.push_back(c);
    return ordered;
  }

  PrintSurface& s_;
  const SectionModel& m_;
  const SectionPlan& p_;
  const FigureStyle& st_;
  std::vector<render::BoringData> columns_;
  std::size_t page_ = 0;
  double clipLeft_ = 0, clipRight_ = 0;
};

}  // namespace

int drawSection(PrintSurface& surface, const SectionModel& model, const SectionPlan& plan,
                const FigureStyle& style, const std::function<bool(int page)>& pageDone) {
  if (!model.ok() || !plan.ok() || plan.pages.empty() || !style.catalogue) return 0;
  SectionDrawer drawer(surface, model, plan, style);
  const render::Pen savedPen = surface.pen;
  int drawn = 0;
  for (std::size_t page = 0; page < plan.pages.size(); ++page) {
    if (page > 0) surface.newPage();
    drawer.drawPage(page);
    ++drawn;
    if (pageDone && !pageDone(drawn)) break;
  }
  surface.pen = savedPen;
  return drawn;
}

}  // namespace sq::sections
