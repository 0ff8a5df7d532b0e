#include "strataquill/render/data_columns.h"

#include <cmath>
#include <limits>

#include "strataquill/layouts/layout_codes.h"
#include "strataquill/project/n_value.h"
#include "strataquill/render/log_symbols.h"

namespace sq::render {
namespace {

using layouts::ClassKind;

constexpr double kTw = kTwipsPerInch;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

struct Interval {
  float from, to;
  const std::string* classText;
};

// Fills and outlines one interval's slices; true when the interval is on the
// page and its class was found.
bool drawPatternInterval(PageContext& ctx, const ColumnBox& box, const DepthWindow& w,
                         ClassKind kind, const Interval& iv, bool sidesOnly) {
  if (iv.from >= w.bottom() || iv.to <= w.top) return false;
  const double y1 = iv.from <= w.top ? box.y : mapDepth(box, w, iv.from);
  const double y2 = iv.to >= w.bottom() ? box.yy : mapDepth(box, w, iv.to);
  const std::vector<layouts::PatternSlice>* slices = ctx.catalogue.find(kind, *iv.classText);
  if (!slices) return false;
  drawClassSlices(ctx.surface, *slices, ctx.patternFolder, ctx.patternScale,
                  QRectF(QPointF(box.x * kTw, y1 * kTw), QPointF(box.xx * kTw, y2 * kTw)),
                  sidesOnly ? SliceOutline::kSidesOnly : SliceOutline::kAllSides, box.y * kTw,
                  box.yy * kTw);
  return true;
}

}  // namespace

void drawLithology(PageContext& ctx, const ColumnBox& box, const DepthWindow& w) {
  const auto& rows = ctx.data.lithology.rows();
  for (std::size_t i : ctx.data.lithology.touching(w.top, w.bottom()))
    drawPatternInterval(ctx, box, w, ClassKind::kLithology,
                        {rows[i].from, rows[i].to, &rows[i].classification}, false);
}

void drawSampleSymbol(PageContext& ctx, const ColumnBox& box, const DepthWindow& w) {
  // Samples that span the whole page are drawn as well: the page window
  // rule of the sample query would leave them out and the log would show a
  // gap where a sample was taken.
  const auto& rows = ctx.data.samples.rows();
  for (std::size_t i : ctx.data.samples.touching(w.top, w.bottom()))
    drawPatternInterval(ctx, box, w, ClassKind::kSamples,
                        {rows[i].from, rows[i].to, &rows[i].sampleType}, false);
}

void drawCompletion(PageContext& ctx, const ColumnBox& box, const DepthWindow& w) {
  const auto& rows = ctx.data.completion.rows();
  bool drawn = false;
  for (std::size_t i : ctx.data.completion.touching(w.top, w.bottom()))
    drawn |= drawPatternInterval(ctx, box, w, ClassKind::kCompletion,
                                 {rows[i].from, rows[i].to, &rows[i].classification}, true);
  // Close the well where its last interval ends when that is on this page,
  // also exactly on the page's bottom edge; a well that goes on below the
  // page stays open there.
  float wellBottom = -std::numeric_limits<float>::infinity();
  for (const CompletionRow& row : rows) wellBottom = std::max(wellBottom, row.to);
  if (drawn && wellBottom > w.top && wellBottom <= w.bottom()) {
    const double y = mapDepth(box, w, wellBottom);
    ctx.surface.drawLine(box.x * kTw, y * kTw, box.xx * kTw, y * kTw);
  }
}

void drawGenericColumnText(PageContext& ctx, int column, const ColumnBox& box, const DepthWindow& w,
                           bool separator) {
  struct TextRow {
    float from, to;
    std::string text;
  };
  std::vector<TextRow> rows;
  if (column == kClassificationColumn) {
    const auto& lith = ctx.data.lithology.rows();
    for (std::size_t i : ctx.data.lithology.touching(w.top, w.bottom()))
      rows.push_back({lith[i].from, lith[i].to, lith[i].classification});
  } else {
    const auto& samples = ctx.data.samples.rows();
    for (std::size_t i : ctx.data.samples.touching(w.top, w.bottom())) {
      const SampleRow& r = samples[i];
      if (column == kBlowCountColumn) {
        rows.push_back({r.from, r.to, r.blowCounts});
      } else if (column == kNValueColumn) {
        rows.push_back({r.from, r.to, project::ParseNValue(r.blowCounts).text});
      } else if (column > kUserTextColumn && column <= kUserTextColumn + 10) {
        rows.push_back({r.from, r.to, r.userText[column - kUserTextColumn - 1]});
      } else {
        return;
      }
    }
  }
  PrintSurface& s = ctx.surface;
  const double left = box.x + 0.03, right = box.xx - 0.03;
  for (const TextRow& row : rows) {
    const float mid = row.from + (row.to - row.from) * 0.5f;
    const double y = mapDepth(box, w, mid);
    if (y < box.y || y > box.yy) continue;
    const QString text = qs(row.text);
    double h = s.MeasureParagraphHeight(text, left, y, right, box.yy, TextAlign::kCenter);
    const double fontSize = s.font.size;
    bool shown = true;
    if (separator && !text.trimmed().isEmpty()) {
      // A layer thinner than its label: smaller type that fits between its
      // boundaries, centred on its middle, or no label at all.
      const double room =
          std::min(mapDepth(box, w, row.to), box.yy) - std::max(mapDepth(box, w, row.from), box.y);
      for (double size = fontSize; h > room && shown;) {
        size -= 0.5;
        shown = size >= kSmallestLabelPoints;
        if (!shown) break;
        s.font.size = size;
        h = s.MeasureParagraphHeight(text, left, y, right, box.yy, TextAlign::kCenter);
      }
    }
    if (shown) {
      // Pushed inside the column: up when it would end below it, then down
      // when it would start above it, so a text taller than the column
      // starts at its top (and the column's clip keeps the rest off the
      // page).
      double top = y - h / 2;
      if (top + h > box.yy) top = box.yy - h - 0.03;
      if (top < box.y) top = box.y;
      s.drawParagraph(text, left, top, right, box.yy, TextAlign::kCenter);
    }
    s.font.size = fontSize;
    if (separator) {
      const double yTo = mapDepth(box, w, row.to);
      if (yTo > box.y && yTo < box.yy) {
        const double saved = s.pen.width;
        s.pen.width = 0;
        s.drawLine(box.x * kTw, yTo * kTw, box.xx * kTw, yTo * kTw);
        s.pen.width = saved;
      }
    }
  }
}

std::vector<std::string> fillDescriptionLines(const PrintSurface& surface, const std::string& text,
                                              double widthTwips) {
  // The surface's own rule, so each line prints as one line of its
  // paragraph and the running position moves by what was printed.
  std::vector<std::string> lines;
  for (const QString& line : surface.wrapText(qs(text), widthTwips))
    lines.push_back(line.toStdString());
  return lines;
}

namespace {

// Draws the polyline through `pts` (inches), clipped to the column's depth
// range; returns the x (inches) where the first downward leg leaves the
// bottom edge, if it does.
std::optional<double> drawSeparatorPath(PrintSurface& s, const ColumnBox& box,
                                        const std::vector<QPointF>& pts) {
  std::optional<double> cut;
  for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
    QPointF a = pts[i], b = pts[i + 1];
    auto clipAt = [&](QPointF& p, const QPointF& q, double yEdge) {
      const double t = (yEdge - p.y()) / (q.y() - p.y());
      p = QPointF(p.x() + t * (q.x() - p.x()), yEdge);
    };
    if ((a.y() > box.yy && b.y() > box.yy) || (a.y() < box.y && b.y() < box.y)) continue;
    if (a.y() > box.yy) clipAt(a, b, box.yy);
    if (b.y() > box.yy) {
      clipAt(b, a, box.yy);
      if (!cut) cut = b.x();
    }
    if (a.y() < box.y) clipAt(a, b, box.y);
    if (b.y() < box.y) clipAt(b, a, box.y);
    s.drawLine(a.x() * kTw, a.y() * kTw, b.x() * kTw, b.y() * kTw);
  }
  return cut;
}

}  // namespace

void drawDescription(PageContext& ctx, const ColumnBox& box, const DepthWindow& w) {
  PrintSurface& s = ctx.surface;
  const double left = box.x + 0.3, right = box.xx - 0.3;
  const double d = 0.3 * 0.15;
  const Pen savedPen = s.pen;
  auto lineHeight = [&](const std::string& line) {
    return s.MeasureParagraphHeight(qs(line), left, 0, right, box.yy, TextAlign::kLeft);
  };
  auto separator = [&](double yTo, double r, short style) -> std::optional<double> {
    s.pen.style = style;
    s.pen.width = 0;
    auto cut = drawSeparatorPath(s, box,
                                 {{box.x, yTo},
                                  {box.x + d, yTo},
                                  {left - d, r},
                                  {right + d, r},
                                  {box.xx - d, yTo},
                                  {box.xx, yTo}});
    s.pen = savedPen;
    return cut;
  };

  // Items carried from the previous page, in order. Once one does not fit,
  // it and everything after it wait for the next page.
  double r = box.y;
  bool overflow = false;
  bool printedAny = false;
  std::vector<CarriedItem> stillCarried;
  for (CarriedItem& item : ctx.carried) {
    if (item.done) continue;
    if (overflow) {
      stillCarried.push_back(item);
      continue;
    }
    if (item.isTextLine) {
      const double h = lineHeight(item.text);
      // A line taller than the whole column is printed anyway, so the log
      // always moves on.
      if (r + h <= box.yy || !printedAny) {
        s.drawParagraph(qs(item.text), left, r, right, box.yy, TextAlign::kLeft);
        r += h;
        printedAny = true;
      } else {
        overflow = true;
        stillCarried.push_back(item);
      }
      continue;
    }
    const double yTo = mapDepth(box, w, item.to);
    if (yTo >= box.y) {
      // The interval ends on this page: an ordinary separator.
      r = std::max(r, yTo);
      auto cut = separator(yTo, r, item.penStyle);
      if (r > box.yy) {
        CarriedItem again = item;
        if (cut) again.cutPosition = static_cast<float>((*cut - box.x) * kTw);
        stillCarried.push_back(again);
        overflow = true;
      }
      continue;
    }
    // The interval ended on an earlier page: finish the legs that left its
    // bottom edge, from the column top down to the end of the text.
    const double cutX = box.x + item.cutPosition / kTw;
    s.pen.style = item.penStyle;
    s.pen.width = 0;
    drawSeparatorPath(
        s, box, {{cutX, box.y}, {left - d, r}, {right + d, r}, {box.xx - (cutX - box.x), box.y}});
    s.pen = savedPen;
  }
  ctx.carried = std::move(stillCarried);

  // Lines of an interval's text at the running position while the page has
  // room, then into the carried list.
  auto placeLines = [&](const LithologyRow& row, const std::string& text) {
    for (const std::string& line : fillDescriptionLines(s, text, (right - left) * kTw)) {
      const double h = lineHeight(line);
      if (!overflow && r + h <= box.yy) {
        s.drawParagraph(qs(line), left, r, right, box.yy, TextAlign::kLeft);
      } else {
        overflow = true;
        ctx.carried.push_back({true, row.from, row.to, 0, line, 0, false});
      }
      r += h;
    }
  };

  const auto& rows = ctx.data.lithology.rows();
  for (std::size_t i : ctx.data.lithology.startingIn(w.top, w.bottom())) {
    const LithologyRow& row = rows[i];
    const double yFrom = mapDepth(box, w, row.from);
    const double yTo = mapDepth(box, w, row.to);
    r = std::max(r, yFrom);
    // Behind text that waits for the next page, this interval's text waits
    // too, so descriptions keep their order.
    if (overflow) r = std::max(r, box.yy);
    placeLines(row, row.description);
    r = std::max(r, yTo);
    const short style = static_cast<short>(layouts::GetPenStyle(row.separatorType));
    auto cut = separator(yTo, r, style);
    if (r > box.yy) {
      CarriedItem item{false, row.from, row.to, 0, {}, style, false};
      if (cut) item.cutPosition = static_cast<float>((*cut - box.x) * kTw);
      ctx.carried.push_back(item);
      overflow = true;
    }
    if (i + 1 == rows.size() && !ctx.endNote.empty()) {
      // Half a line below the last separator.
      r += s.textHeight() / kTw / 2;
      placeLines(row, ctx.endNote);
    }
  }
}

}  // namespace sq::render
