#pragma once

#include <QImage>

namespace sq::patterns {

// How abruptly a repeating tile changes across its own edges, compared with
// how abruptly it changes anywhere inside. Measured on a 2 x 2 repetition of
// the tile: for each pair of neighbouring pixel columns (and rows) the summed
// difference in ink, at the seams where copies meet and between every other
// pair. A tile whose marks are cut off at an edge, or whose line spacing
// does not divide its size, changes more at the seam than anywhere inside.
struct SeamMeasure {
  double verticalSeam = 0;    // where a copy meets the copy to its right
  double horizontalSeam = 0;  // where a copy meets the copy below it
  double maxInsideColumns = 0;
  double maxInsideRows = 0;

  // True when neither seam stands out from the inside of the tile by more
  // than `tolerance` (a fraction of the tile's length along the seam).
  bool seamless(double tolerance = 0.02) const;
};

SeamMeasure measureSeams(const QImage& tile);

// Share of the tile covered by ink, 0 (white) to 1 (black).
double inkCoverage(const QImage& tile);

}  // namespace sq::patterns
