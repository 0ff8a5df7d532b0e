#include "strataquill/render/groundwater_column.h"

#include <algorithm>

#include "strataquill/render/log_symbols.h"

namespace sq::render {
namespace {

constexpr double kTw = kTwipsPerInch;
constexpr double kInset = 0.03;       // inches between the column's sides and what it holds
constexpr double kSymbolWidth = 0.1;  // inches

WaterLevelKind symbolKind(WaterLevel::Kind kind) {
  switch (kind) {
    case WaterLevel::Kind::kWhileDrilling:
      return WaterLevelKind::kWhileDrilling;
    case WaterLevel::Kind::kStatic:
      return WaterLevelKind::kStatic;
    case WaterLevel::Kind::kPotentiometric:
      break;
  }
  return WaterLevelKind::kPotentiometric;
}

bool onPage(float depth, const DepthWindow& w) {
  if (depth < 0) return false;
  return (depth > w.top && depth <= w.bottom()) || (w.top <= 0 && depth == w.top);
}

}  // namespace

void drawWaterLevels(PageContext& ctx, const ColumnBox& box, const DepthWindow& w) {
  PrintSurface& s = ctx.surface;
  const double width = std::min(kSymbolWidth, (box.xx - box.x) * 0.3);
  const double symbolX = box.x + kInset + width * 0.75;
  const double labelLeft = symbolX + width * 0.75 + kInset / 2;
  const double labelRight = std::max(labelLeft, box.xx - kInset);
  const double lineHeight = s.textHeight() / kTw;

  // Labels never overlap: each starts below the one above it.
  double running = box.y;
  if (w.top <= 0) {
    for (const std::string& note : ctx.data.waterNotes) {
      const QString text = QString::fromStdString(note);
      s.drawParagraph(text, box.x + kInset, running + kInset, box.xx - kInset, box.yy,
                      TextAlign::kCenter);
      running += kInset + s.MeasureParagraphHeight(text, box.x + kInset, running, box.xx - kInset,
                                                   box.yy, TextAlign::kCenter);
    }
  }

  std::vector<const WaterLevel*> levels;
  for (const WaterLevel& level : ctx.data.waterLevels)
    if (onPage(level.depth, w)) levels.push_back(&level);
  std::stable_sort(levels.begin(), levels.end(),
                   [](const WaterLevel* a, const WaterLevel* b) { return a->depth < b->depth; });
  for (const WaterLevel* level : levels) {
    const double y = mapDepth(box, w, level->depth);
    drawWaterLevelSymbol(s, QPointF(symbolX * kTw, y * kTw), width * kTw, symbolKind(level->kind));
    // The depth beside the triangle, ending at the level (a potentiometric
    // level marked "(P)"); the date below it. Each is one line, moved left
    // under the symbol's line when the column is narrow for it.
    auto line = [&](const std::string& text, double top) {
      const QString q = QString::fromStdString(text);
      const double width = s.textWidth(q) / kTw;
      s.currentX = std::max(box.x + kInset, std::min(labelLeft, labelRight - width)) * kTw;
      s.currentY = top * kTw;
      s.printText(q);
    };
    std::string depth = level->typed;
    if (level->kind == WaterLevel::Kind::kPotentiometric) depth += " (P)";
    double top = std::max(y - lineHeight, running);
    line(depth, top);
    top += lineHeight;
    if (!level->date.empty()) {
      line(level->date, top);
      top += lineHeight;
    }
    running = top;
  }
}

}  // namespace sq::render
