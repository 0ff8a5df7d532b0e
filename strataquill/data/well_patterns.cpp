// Well completion materials and sample symbols. Both are drawn in narrow
// columns (a completion annulus is about a tenth of an inch wide when
// printed), so their marks are small and dense and read in a thin strip.
// The casing walls are the outlines the log draws between slices, so the
// blank casing tile is plain white.

#include "strataquill/data/pattern_marks.h"
#include "strataquill/data/pattern_set.h"

namespace sq::patterns {
namespace {

constexpr int kN = kNarrowTile;

void drawCasing(TilePainter&) {}
void drawScreen(TilePainter& p) {
  // Rows of slots, one above the other.
  for (int j = 0; j < 9; ++j)
    for (int i = 0; i < 3; ++i) {
      const double y = 5 + j * 10.0;
      p.line(QPointF(i * 30.0 + 6, y), QPointF(i * 30.0 + 24, y));
    }
}
void drawFilterPack(TilePainter& p) {
  TileScatter s(kN, kN, 301);
  sandGrains(p, s, 40, 2.2, 3.0, 4);
}
void drawBentoniteSeal(TilePainter& p) {
  diagonalHatch(p, 6, true);
}
void drawBentoniteChips(TilePainter& p) {
  TileScatter s(kN, kN, 302);
  angularFragments(p, s, 14, 13, 19, 4, true);
}
void drawCementGrout(TilePainter& p) {
  diagonalHatch(p, 4, true);
  diagonalHatch(p, 4, false);
}
void drawNativeBackfill(TilePainter& p) {
  TileScatter s(kN, kN, 303);
  angularFragments(p, s, 3, 10, 14, 5);
  siltDashes(p, s, 6, 9, 5);
  sandGrains(p, s, 12, 1.8, 2.8, 5);
}

void drawSplitSpoon(TilePainter& p) {
  diagonalHatch(p, 5, true);
}
void drawShelby(TilePainter& p) {
  p.fillAll(Qt::black);
}
void drawGrab(TilePainter& p) {
  // Small solid triangles on a staggered grid.
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 3; ++i) {
      const QPointF c((i + 0.5 * (j % 2) + 0.25) * 30.0, (j + 0.5) * 22.5);
      QPainterPath t;
      t.moveTo(c + QPointF(0, -7));
      t.lineTo(c + QPointF(8, 6));
      t.lineTo(c + QPointF(-8, 6));
      t.closeSubpath();
      p.filled(t);
    }
}
void drawRockCore(TilePainter& p) {
  // Core pieces seen end-on: open circles on a staggered grid.
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 3; ++i)
      p.ellipse(QPointF((i + 0.5 * (j % 2) + 0.25) * 30.0, (j + 0.5) * 22.5), 7.5, 7.5);
}
void drawAugerCuttings(TilePainter& p) {
  zigzagLines(p, 4, 3, 10, 16);
}
void drawNoRecovery(TilePainter& p) {
  p.setStroke(kStroke * 0.8);
  diagonalHatch(p, 1, true);
  diagonalHatch(p, 1, false);
}

}  // namespace

void addWellPatterns(std::vector<PatternDef>& set) {
  const PatternDef well[] = {
      {"well_casing.png", kN, kN, drawCasing},
      {"well_screen.png", kN, kN, drawScreen},
      {"well_filterpack.png", kN, kN, drawFilterPack},
      {"well_bentonite.png", kN, kN, drawBentoniteSeal},
      {"well_bentonite_chips.png", kN, kN, drawBentoniteChips},
      {"well_grout.png", kN, kN, drawCementGrout},
      {"well_backfill.png", kN, kN, drawNativeBackfill},
      {"sample_spt.png", kN, kN, drawSplitSpoon},
      {"sample_shelby.png", kN, kN, drawShelby},
      {"sample_grab.png", kN, kN, drawGrab},
      {"sample_core.png", kN, kN, drawRockCore},
      {"sample_cuttings.png", kN, kN, drawAugerCuttings},
      {"sample_norecovery.png", kN, kN, drawNoRecovery},
  };
  set.insert(set.end(), std::begin(well), std::end(well));
}

}  // namespace sq::patterns
