// Soils by the Unified Soil Classification System. Gravel is open clasts,
// sand is stippled grains, silt is short dashes, clay is diagonal hatching,
// organic soils carry "~" marks and peat grass tufts. Well graded soils vary
// the size of their grains, poorly graded ones keep one size; a soil "with"
// a secondary part shows that part sparsely. Dual symbols combine the marks
// of both parts.

#include "strataquill/data/pattern_marks.h"
#include "strataquill/data/pattern_set.h"

namespace sq::patterns {
namespace {

constexpr int kT = kLithologyTile;
constexpr double kHalo = 2.2;

// Layers shared by several soils; `many` is the full amount of a part,
// the sparse forms are for a secondary part.
void wellGradedGravel(TilePainter& p, TileScatter& s, int clasts = 40) {
  gravelClasts(p, s, clasts, 6, 18, 6);
}
void uniformGravel(TilePainter& p, TileScatter& s, int clasts = 40) {
  gravelClasts(p, s, clasts, 12, 12, 8);
}
void gravelSand(TilePainter& p, TileScatter& s) {
  sandGrains(p, s, 14, 1.6, 2.6, 4);
}
void wellGradedSand(TilePainter& p, TileScatter& s, int grains = 60) {
  sandGrains(p, s, grains, 1.6, 3.6, 5);
}
void uniformSand(TilePainter& p, TileScatter& s, int grains = 52) {
  sandGrains(p, s, grains, kFineDot, kFineDot, 7);
}
void silt(TilePainter& p, TileScatter& s, int dashes) {
  siltDashes(p, s, dashes, 12, 6);
}
void clayHatch(TilePainter& p, bool sparse) {
  diagonalHatch(p, sparse ? 3 : 6, false);
}
// Clay hatching that the grains scattered afterwards keep clear of.
void clayHatch(TilePainter& p, TileScatter& s, bool sparse) {
  clayHatch(p, sparse);
  keepOffHatch(s, kT, sparse ? 3 : 6, false, 2.5);
}

void drawGW(TilePainter& p) {
  TileScatter s(kT, kT, 101);
  wellGradedGravel(p, s);
  gravelSand(p, s);
}
void drawGP(TilePainter& p) {
  TileScatter s(kT, kT, 102);
  uniformGravel(p, s);
}
void drawGM(TilePainter& p) {
  TileScatter s(kT, kT, 103);
  wellGradedGravel(p, s, 16);
  silt(p, s, 12);
}
void drawGC(TilePainter& p) {
  TileScatter s(kT, kT, 104);
  clayHatch(p, false);
  wellGradedGravel(p, s, 18);
}
void drawSW(TilePainter& p) {
  TileScatter s(kT, kT, 105);
  wellGradedSand(p, s);
}
void drawSP(TilePainter& p) {
  TileScatter s(kT, kT, 106);
  uniformSand(p, s);
}
void drawSM(TilePainter& p) {
  TileScatter s(kT, kT, 107);
  silt(p, s, 11);
  uniformSand(p, s, 30);
}
void drawSC(TilePainter& p) {
  TileScatter s(kT, kT, 108);
  clayHatch(p, s, false);
  uniformSand(p, s, 60);
}
void drawML(TilePainter& p) {
  dashRows(p, 5, 8, 13);
}
void drawMH(TilePainter& p) {
  // Rows of long dashes with a short upright tick between each two.
  for (int j = 0; j < 6; ++j) {
    const double y = (j + 0.5) * 25;
    for (int i = 0; i < 3; ++i) {
      const double x = i * 50.0 + (j % 2) * 25;
      p.line(QPointF(x, y), QPointF(x + 26, y));
      p.line(QPointF(x + 38, y - 6), QPointF(x + 38, y + 6));
    }
  }
}
void drawCL(TilePainter& p) {
  clayHatch(p, false);
}
void drawCH(TilePainter& p) {
  diagonalHatch(p, 6, false);
  diagonalHatch(p, 6, true);
}
void drawOL(TilePainter& p) {
  TileScatter s(kT, kT, 109);
  dashRows(p, 5, 8, 13);
  p.setHalo(kHalo + 1);
  organicMarks(p, s, 5, 22, 16);
}
void drawOH(TilePainter& p) {
  TileScatter s(kT, kT, 110);
  clayHatch(p, false);
  p.setHalo(kHalo + 1);
  organicMarks(p, s, 5, 22, 16);
}
void drawPT(TilePainter& p) {
  TileScatter s(kT, kT, 111);
  grassTufts(p, s, 6, 24, 10);
  silt(p, s, 8);
}
void drawSWSM(TilePainter& p) {
  TileScatter s(kT, kT, 112);
  silt(p, s, 5);
  wellGradedSand(p, s, 50);
}
void drawSPSM(TilePainter& p) {
  TileScatter s(kT, kT, 113);
  silt(p, s, 5);
  uniformSand(p, s, 44);
}
void drawSPSC(TilePainter& p) {
  TileScatter s(kT, kT, 114);
  clayHatch(p, s, true);
  uniformSand(p, s, 46);
}
void drawSWSC(TilePainter& p) {
  TileScatter s(kT, kT, 115);
  clayHatch(p, s, true);
  wellGradedSand(p, s, 50);
}
void drawGWGM(TilePainter& p) {
  TileScatter s(kT, kT, 116);
  wellGradedGravel(p, s, 24);
  silt(p, s, 5);
  gravelSand(p, s);
}
void drawGPGM(TilePainter& p) {
  TileScatter s(kT, kT, 117);
  uniformGravel(p, s, 16);
  silt(p, s, 6);
}
void drawGPGC(TilePainter& p) {
  TileScatter s(kT, kT, 118);
  clayHatch(p, true);
  uniformGravel(p, s);
}
void drawCLML(TilePainter& p) {
  TileScatter s(kT, kT, 119);
  clayHatch(p, false);
  p.setHalo(kHalo);
  silt(p, s, 9);
}
void drawSMSC(TilePainter& p) {
  TileScatter s(kT, kT, 120);
  clayHatch(p, s, true);
  silt(p, s, 8);
  uniformSand(p, s, 30);
}

}  // namespace

void addSoilPatterns(std::vector<PatternDef>& set) {
  const PatternDef soils[] = {
      {"gw.png", kT, kT, drawGW},      {"gp.png", kT, kT, drawGP},
      {"gm.png", kT, kT, drawGM},      {"gc.png", kT, kT, drawGC},
      {"sw.png", kT, kT, drawSW},      {"sp.png", kT, kT, drawSP},
      {"sm.png", kT, kT, drawSM},      {"sc.png", kT, kT, drawSC},
      {"ml.png", kT, kT, drawML},      {"cl.png", kT, kT, drawCL},
      {"ol.png", kT, kT, drawOL},      {"mh.png", kT, kT, drawMH},
      {"ch.png", kT, kT, drawCH},      {"oh.png", kT, kT, drawOH},
      {"pt.png", kT, kT, drawPT},      {"sw-sm.png", kT, kT, drawSWSM},
      {"sp-sm.png", kT, kT, drawSPSM}, {"sp-sc.png", kT, kT, drawSPSC},
      {"sw-sc.png", kT, kT, drawSWSC}, {"gw-gm.png", kT, kT, drawGWGM},
      {"gp-gm.png", kT, kT, drawGPGM}, {"gp-gc.png", kT, kT, drawGPGC},
      {"cl-ml.png", kT, kT, drawCLML}, {"sm-sc.png", kT, kT, drawSMSC},
  };
  set.insert(set.end(), std::begin(soils), std::end(soils));
}

}  // namespace sq::patterns
