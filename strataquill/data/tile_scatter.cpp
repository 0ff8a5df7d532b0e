#include "strataquill/data/tile_scatter.h"

#include <algorithm>
#include <cmath>

namespace sq::patterns {

TileScatter::TileScatter(int width, int height, std::uint32_t seed)
    : width_(width), height_(height), random_(seed) {}

void TileScatter::reserve(QPointF centre, double radius, double clearance) {
  marks_.push_back({centre, radius, clearance});
}

bool TileScatter::fits(QPointF c, double radius, double gap) const {
  for (const Mark& m : marks_) {
    double dx = std::fabs(c.x() - m.centre.x());
    double dy = std::fabs(c.y() - m.centre.y());
    dx = std::min(dx, width_ - dx);
    dy = std::min(dy, height_ - dy);
    const double keep = m.clearance < 0 ? gap : std::min(gap, m.clearance);
    const double room = radius + m.radius + keep;
    if (dx * dx + dy * dy < room * room) return false;
  }
  return true;
}

std::vector<TileScatter::Mark> TileScatter::placeSized(int count, double minRadius,
                                                       double maxRadius, double gap) {
  std::vector<Mark> placed;
  // Dart throwing: enough attempts to fill the tile densely, bounded so a
  // full tile ends the loop.
  const int attempts = 400 * std::max(count, 1);
  for (int i = 0; i < attempts && static_cast<int>(placed.size()) < count; ++i) {
    const QPointF c(random_.uniform(0, width_), random_.uniform(0, height_));
    const double r = random_.uniform(minRadius, maxRadius);
    if (!fits(c, r, gap)) continue;
    marks_.push_back({c, r, -1});
    placed.push_back({c, r, -1});
  }
  return placed;
}

std::vector<QPointF> TileScatter::place(int count, double radius, double gap) {
  std::vector<QPointF> centres;
  for (const Mark& m : placeSized(count, radius, radius, gap)) centres.push_back(m.centre);
  return centres;
}

}  // namespace sq::patterns
