#include "strataquill/render/depth_scale.h"

#include <cmath>

#include "strataquill/db/value.h"

namespace sq::render {
namespace {

// Depths at the box edges are computed in floating point; a label that lies
// on an edge to within this much (inches) counts as on it.
constexpr double kEdgeTolerance = 1e-6;

constexpr double kTw = kTwipsPerInch;

// More ticks than this on one page would be drawn on top of each other.
constexpr double kMaxTicksPerPage = 100000;

}  // namespace

std::string depthLabel(float depth) {
  std::string text = db::formatSingle(depth);
  return text.starts_with('-') ? text : " " + text;
}

int tickStep(int major, int minor) {
  if (minor == 0) return major;
  if (major % minor == 0) return minor;
  return 1;
}

void drawDepth(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window, int major,
               int minor, const layouts::LayoutOptions& options) {
  drawScale(surface, box, window, major, minor, options, depthLabel);
}

void drawElevation(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window,
                   int major, int minor, const layouts::LayoutOptions& options,
                   std::optional<double> groundElevation) {
  if (!groundElevation) return;
  // Worked out in double and then made single, so 742.3 - 5 reads 737.3.
  drawScale(surface, box, window, major, minor, options, [&](float depth) {
    return depthLabel(static_cast<float>(*groundElevation - static_cast<double>(depth)));
  });
}

void drawScale(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window, int major,
               int minor, const layouts::LayoutOptions& options,
               const std::function<std::string(float depth)>& labelFor) {
  if (!(window.units > 0) || major <= 0 || minor < 0) return;
  const double scale = (box.yy - box.y) / window.units;
  const int step = tickStep(major, minor);
  if (window.units / step > kMaxTicksPerPage) return;
  for (long t = 0; t <= window.units; t += step) {
    const float depth = window.top + static_cast<float>(t);
    const double y = box.y + t * scale;
    const double rounded = std::nearbyint(depth);  // halves to even
    const bool isMajor = std::fmod(rounded, major) == 0;
    const double tick = isMajor ? options.majorTickWidth : options.minorTickWidth;
    surface.drawLine(box.x * kTw, y * kTw, (box.x + tick) * kTw, y * kTw);
    surface.drawLine((box.xx - tick) * kTw, y * kTw, box.xx * kTw, y * kTw);
    if (!isMajor) continue;
    const bool atTop = std::fabs(y - box.y) <= kEdgeTolerance;
    const bool atBottom = std::fabs(y - box.yy) <= kEdgeTolerance;
    const bool inside = (y >= box.y || atTop) && (y <= box.yy || atBottom);
    if (!inside || (atTop && options.truncateUpperUnitText) ||
        (atBottom && options.truncateLowerUnitText))
      continue;
    // One line, never wrapped: centred between the inset sides even when it
    // is wider than they are, and on the tick.
    const QString label = QString::fromStdString(labelFor(depth));
    const double centre = (box.x + 0.03 + box.xx - 0.03) / 2 * kTw;
    surface.currentX = centre - surface.textWidth(label) / 2;
    surface.currentY = y * kTw - (atBottom ? surface.textHeight() : surface.textHeight() / 2);
    surface.printText(label);
  }
}

}  // namespace sq::render
