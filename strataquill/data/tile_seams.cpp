#include "strataquill/data/tile_seams.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace sq::patterns {
namespace {

// Ink of every pixel of `image`, row by row: 0 white, 1 black.
std::vector<double> inkOf(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  std::vector<double> ink(std::size_t(grey.width()) * grey.height());
  for (int y = 0; y < grey.height(); ++y) {
    const uchar* line = grey.constScanLine(y);
    for (int x = 0; x < grey.width(); ++x)
      ink[std::size_t(y) * grey.width() + x] = 1 - line[x] / 255.0;
  }
  return ink;
}

}  // namespace

bool SeamMeasure::seamless(double tolerance) const {
  return verticalSeam <= maxInsideColumns * (1 + tolerance) + tolerance &&
         horizontalSeam <= maxInsideRows * (1 + tolerance) + tolerance;
}

SeamMeasure measureSeams(const QImage& tile) {
  SeamMeasure m;
  const int w = tile.width();
  const int h = tile.height();
  if (w < 2 || h < 2) return m;
  QImage twice(2 * w, 2 * h, QImage::Format_RGB32);
  {
    QPainter p(&twice);
    for (int j = 0; j < 2; ++j)
      for (int i = 0; i < 2; ++i) p.drawImage(i * w, j * h, tile);
  }
  const std::vector<double> ink = inkOf(twice);
  const int W = 2 * w;
  auto at = [&](int x, int y) { return ink[std::size_t(y) * W + x]; };

  // Column pairs (x, x + 1) over the top copy pair; rows are normalised by
  // the tile height so the measures read as "ink changed per pixel of seam".
  for (int x = 0; x + 1 < W; ++x) {
    double change = 0;
    for (int y = 0; y < h; ++y) change += std::fabs(at(x + 1, y) - at(x, y));
    change /= h;
    if (x == w - 1)
      m.verticalSeam = change;
    else if (x < w - 1)
      m.maxInsideColumns = std::max(m.maxInsideColumns, change);
  }
  for (int y = 0; y + 1 < 2 * h; ++y) {
    double change = 0;
    for (int x = 0; x < w; ++x) change += std::fabs(at(x, y + 1) - at(x, y));
    change /= w;
    if (y == h - 1)
      m.horizontalSeam = change;
    else if (y < h - 1)
      m.maxInsideRows = std::max(m.maxInsideRows, change);
  }
  return m;
}

double inkCoverage(const QImage& tile) {
  const std::vector<double> ink = inkOf(tile);
  if (ink.empty()) return 0;
  double sum = 0;
  for (double v : ink) sum += v;
  return sum / ink.size();
}

}  // namespace sq::patterns
