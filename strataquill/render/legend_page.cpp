#include "strataquill/render/legend_page.h"

#include <algorithm>
#include <cmath>

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;
constexpr double kEdge = 0.005;        // inches: a point this close to the area's edge is on it
constexpr double kInset = 0.15;        // inches between the area's sides and the legend
constexpr double kColumnWidth = 2.45;  // inches
constexpr double kRow = 0.36;          // inches a line of the legend takes
constexpr double kHeadingRow = 0.3;
constexpr double kTitleRow = 0.4;
constexpr QSizeF kSwatch(0.55, 0.26);  // inches
constexpr double kTextGap = 0.12;      // inches between a swatch and its text

using layouts::ClassKind;

// The classes of one kind that `used` names, in catalogue order, then the
// unknown ones in the order they are first used.
std::vector<LegendEntry> classEntries(const Catalogue::Classes& catalogue,
                                      const std::vector<const std::string*>& used) {
  std::vector<LegendEntry> entries;
  auto isUsed = [&](const std::string& name) {
    return std::any_of(used.begin(), used.end(), [&](const std::string* u) { return *u == name; });
  };
  auto listed = [&](const std::string& name) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const LegendEntry& e) { return e.text == name; });
  };
  for (const auto& [name, slices] : catalogue)
    if (isUsed(name) && !listed(name))
      entries.push_back({LegendEntry::Kind::kClass, name, &slices, {}, {}});
  for (const std::string* name : used)
    if (name->find_first_not_of(" \t") != std::string::npos && !listed(*name))
      entries.push_back({LegendEntry::Kind::kClass, *name, nullptr, {}, {}});
  return entries;
}

bool strictlyInside(const QRectF& area, QPointF p) {
  return p.x() > area.left() + kEdge && p.x() < area.right() - kEdge &&
         p.y() > area.top() + kEdge && p.y() < area.bottom() - kEdge;
}

QPointF centreOf(const layouts::LayoutBox& b) {
  // A text without a box (its second corner above and left of the first)
  // is placed at its first corner.
  if (b.x > b.xx && b.y > b.yy) return QPointF(b.x, b.y);
  return QPointF((b.x + b.xx) / 2.0, (b.y + b.yy) / 2.0);
}

}  // namespace

std::vector<LegendSection> legendSections(const BoringData& data, const Catalogue& catalogue) {
  std::vector<LegendSection> sections;
  auto add = [&](std::string heading, std::vector<LegendEntry> entries) {
    if (!entries.empty()) sections.push_back({std::move(heading), std::move(entries)});
  };
  std::vector<const std::string*> lithology, samples, completion;
  for (const LithologyRow& r : data.lithology.rows()) lithology.push_back(&r.classification);
  for (const SampleRow& r : data.samples.rows()) samples.push_back(&r.sampleType);
  for (const CompletionRow& r : data.completion.rows()) completion.push_back(&r.classification);
  add("Lithology", classEntries(catalogue.lithology, lithology));
  add("Samples", classEntries(catalogue.samples, samples));
  add("Well completion", classEntries(catalogue.completion, completion));

  std::vector<LegendEntry> water;
  const struct {
    WaterLevel::Kind kind;
    WaterLevelKind symbol;
    const char* text;
  } meanings[] = {{WaterLevel::Kind::kWhileDrilling, WaterLevelKind::kWhileDrilling,
                   "Groundwater met while drilling, with the date drilling began"},
                  {WaterLevel::Kind::kStatic, WaterLevelKind::kStatic,
                   "Static groundwater level, with the date the boring was completed"},
                  {WaterLevel::Kind::kPotentiometric, WaterLevelKind::kPotentiometric,
                   "Potentiometric level, its depth marked (P)"}};
  for (const auto& m : meanings)
    if (std::any_of(data.waterLevels.begin(), data.waterLevels.end(),
                    [&](const WaterLevel& w) { return w.kind == m.kind; }))
      water.push_back({LegendEntry::Kind::kWater, m.text, nullptr, m.symbol, {}});
  add("Groundwater", std::move(water));

  std::vector<LegendEntry> marks;
  if (data.partialN)
    marks.push_back({LegendEntry::Kind::kMark, "N from two increments only", nullptr,
                     WaterLevelKind::kStatic, "16*"});
  if (data.refusalN)
    marks.push_back({LegendEntry::Kind::kMark,
                     "Refusal: 50 blows drove the sampler the distance shown; no N", nullptr,
                     WaterLevelKind::kStatic, "50/5\""});
  add("Standard Penetration Test", std::move(marks));
  return sections;
}

std::size_t legendEntryCount(const std::vector<LegendSection>& sections) {
  std::size_t n = 0;
  for (const LegendSection& s : sections) n += s.entries.size();
  return n;
}

QRectF legendArea(const layouts::LayoutForPrint& layout, QSizeF page) {
  QRectF columns;
  for (const layouts::LayoutColumn& c : layout.columns) {
    const QRectF box = QRectF(QPointF(c.box.x, c.box.y), QPointF(c.box.xx, c.box.yy)).normalized();
    if (c.box.yy > c.box.y && box.width() > 0)
      columns = columns.isNull() ? box : columns.united(box);
  }
  if (columns.isNull())
    return QRectF(QPointF(1, page.height() / 4), QPointF(page.width() - 1, page.height() - 1));
  // The rules between the columns start where the column headings do.
  double top = columns.top();
  for (const layouts::LayoutLine& l : layout.lines) {
    const bool vertical = std::fabs(l.box.x - l.box.xx) < kEdge;
    const double y1 = std::min(l.box.y, l.box.yy), y2 = std::max(l.box.y, l.box.yy);
    if (vertical && l.box.x > columns.left() + kEdge && l.box.x < columns.right() - kEdge &&
        y1 < columns.bottom() && y2 > columns.top())
      top = std::min(top, y1);
  }
  return QRectF(QPointF(columns.left(), top), columns.bottomRight());
}

layouts::LayoutForPrint legendPageLayout(const layouts::LayoutForPrint& layout,
                                         const QRectF& area) {
  layouts::LayoutForPrint page;
  page.options = layout.options;
  for (const layouts::LayoutGraphic& g : layout.graphics)
    if (!strictlyInside(area, centreOf(g.box))) page.graphics.push_back(g);
  for (const layouts::LayoutText& t : layout.texts)
    if (!strictlyInside(area, centreOf(t.box))) page.texts.push_back(t);
  for (const layouts::LayoutLine& l : layout.lines) {
    const QPointF middle((l.box.x + l.box.xx) / 2.0, (l.box.y + l.box.yy) / 2.0);
    if (!strictlyInside(area, middle)) page.lines.push_back(l);
  }
  return page;
}

std::size_t drawLegend(PrintSurface& s, const std::vector<LegendSection>& sections,
                       std::size_t first, const QRectF& area, const std::string& patternFolder,
                       double patternScale) {
  // The surface's state comes back however the drawing ends.
  struct Restore {
    PrintSurface& s;
    Pen pen;
    SurfaceFont font;
    Rgb colour;
    ~Restore() {
      s.pen = pen;
      s.font = font;
      s.textColor = colour;
    }
  } restore{s, s.pen, s.font, s.textColor};
  s.pen = Pen{};
  s.textColor = 0;
  s.textAngle = 0;
  s.font = SurfaceFont{QStringLiteral("Arial"), 10, true};

  const double left = area.left() + kInset, right = area.right() - kInset;
  const double top = area.top() + kInset, bottom = area.bottom() - kInset;
  s.drawParagraph(first == 0 ? QStringLiteral("LEGEND") : QStringLiteral("LEGEND (continued)"),
                  left, top, right, bottom, TextAlign::kLeft);
  const int columns = std::max(1, static_cast<int>((right - left) / kColumnWidth));
  const double columnWidth = (right - left) / columns;
  const double rowsTop = top + kTitleRow;

  int column = 0;
  double y = rowsTop;
  // Room for `height` more in the current column, else the next column;
  // false when the page is full.
  auto room = [&](double height) {
    if (y + height <= bottom) return true;
    if (++column >= columns) return false;
    y = rowsTop;
    return y + height <= bottom;
  };

  std::size_t index = 0, drawn = 0;
  for (const LegendSection& section : sections) {
    bool headed = false;
    for (const LegendEntry& e : section.entries) {
      if (index++ < first) continue;
      // A heading is never left alone at the foot of a column.
      if (!room(headed ? kRow : kHeadingRow + kRow)) return drawn;
      const double x = left + column * columnWidth;
      if (!headed) {
        s.font = SurfaceFont{QStringLiteral("Arial"), 8, true};
        s.drawParagraph(QString::fromStdString(section.heading), x, y + 0.08, x + columnWidth,
                        bottom, TextAlign::kLeft);
        y += kHeadingRow;
        headed = true;
      }
      const QRectF swatch(QPointF(x, y), kSwatch);
      s.font = SurfaceFont{QStringLiteral("Arial"), 8, false};
      switch (e.kind) {
        case LegendEntry::Kind::kClass:
          if (e.slices) {
            drawLegendSwatch(s, *e.slices, patternFolder, patternScale, swatch.topLeft() * kTw,
                             swatch.size() * kTw);
          } else {
            s.drawPolygon(QPolygonF(QRectF(swatch.topLeft() * kTw, swatch.size() * kTw)), false);
          }
          break;
        case LegendEntry::Kind::kWater:
          drawWaterLevelSymbol(s, QPointF(swatch.center().x(), swatch.bottom() - 0.06) * kTw,
                               0.14 * kTw, e.water);
          break;
        case LegendEntry::Kind::kMark: {
          const QString mark = QString::fromStdString(e.mark);
          const double h = s.textHeight() / kTw;
          s.drawParagraph(mark, swatch.left(), swatch.center().y() - h / 2, swatch.right(), bottom,
                          TextAlign::kCenter);
          break;
        }
      }
      const QString text = QString::fromStdString(e.text);
      const double textLeft = swatch.right() + kTextGap;
      const double textRight = x + columnWidth - kTextGap;
      const double h =
          s.MeasureParagraphHeight(text, textLeft, y, textRight, bottom, TextAlign::kLeft);
      s.drawParagraph(text, textLeft, swatch.center().y() - h / 2, textRight, bottom,
                      TextAlign::kLeft);
      y += kRow;
      ++drawn;
    }
  }
  return drawn;
}

}  // namespace sq::render
