// Made ground, surface materials and rock. Bedded sedimentary rocks keep
// their bedding as horizontal lines with the grain mark of their parent
// soil between them; carbonates are block courses (rhombs for dolomite);
// crystalline rocks use crosses and foliation.

#include <QTransform>

#include "strataquill/data/pattern_marks.h"
#include "strataquill/data/pattern_set.h"

namespace sq::patterns {
namespace {

constexpr int kT = kLithologyTile;

void drawFill(TilePainter& p) {
  TileScatter s(kT, kT, 201);
  angularFragments(p, s, 5, 14, 22, 6);
  gravelClasts(p, s, 4, 6, 9, 6);
  siltDashes(p, s, 5, 11, 6);
  sandGrains(p, s, 12, 1.8, 3.0, 6);
}
void drawTopsoil(TilePainter& p) {
  TileScatter s(kT, kT, 202);
  grassTufts(p, s, 4, 20, 10);
  organicMarks(p, s, 4, 16, 8);
  sandGrains(p, s, 22, 1.8, 2.8, 6);
}
void drawAsphalt(TilePainter& p) {
  TileScatter s(kT, kT, 203);
  p.fillAll(Qt::black);
  for (const auto& m : s.placeSized(40, 1.8, 4.2, 4)) {
    QPainterPath speck;
    speck.addEllipse(m.centre, m.radius, m.radius * 0.7);
    p.filled(speck, Qt::white);
  }
}
void drawConcrete(TilePainter& p) {
  TileScatter s(kT, kT, 204);
  angularFragments(p, s, 8, 14, 24, 6);
  sandGrains(p, s, 26, 1.6, 2.6, 5);
}
void drawSandstone(TilePainter& p) {
  TileScatter s(kT, kT, 205);
  horizontalLines(p, 3, 0);
  keepOffHorizontal(s, kT, 3, 0, 3);
  sandGrains(p, s, 90, kFineDot, kFineDot, 7);
}
void drawSiltstone(TilePainter& p) {
  horizontalLines(p, 3, 0);
  dashRows(p, 5, 6, 13, 0.5);
}
void drawShale(TilePainter& p) {
  dashedLines(p, 6, 3, 0.6, 12.5);
}
void drawClaystone(TilePainter& p) {
  horizontalLines(p, 3, 0);
  // Short clay ticks between the beds.
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 6; ++i) {
      const double x = i * 25.0 + (j % 2) * 12.5 + 6;
      const double y = j * 50.0 + 17;
      p.line(QPointF(x, y), QPointF(x + 14, y + 14));
    }
}
void drawLimestone(TilePainter& p) {
  blockCourses(p, 4, 3, 0);
}
void drawDolomite(TilePainter& p) {
  blockCourses(p, 4, 3, 16);
}
void drawConglomerate(TilePainter& p) {
  TileScatter s(kT, kT, 206);
  gravelClasts(p, s, 7, 10, 19, 6);
  sandGrains(p, s, 30, 1.6, 2.6, 4);
}
void drawIgneous(TilePainter& p) {
  TileScatter s(kT, kT, 207);
  crosses(p, s, 16, 13, 11);
}
void drawMetamorphic(TilePainter& p) {
  wavyLines(p, 5, 2, 6, 15);
}
void drawWeatheredBedrock(TilePainter& p) {
  TileScatter s(kT, kT, 208);
  angularFragments(p, s, 9, 18, 30, 7);
  sandGrains(p, s, 14, 1.6, 2.6, 6);
  siltDashes(p, s, 4, 10, 6);
}

}  // namespace

void addRockPatterns(std::vector<PatternDef>& set) {
  const PatternDef rocks[] = {
      {"fill.png", kT, kT, drawFill},
      {"topsoil.png", kT, kT, drawTopsoil},
      {"asphalt.png", kT, kT, drawAsphalt},
      {"concrete.png", kT, kT, drawConcrete},
      {"sandstone.png", kT, kT, drawSandstone},
      {"siltstone.png", kT, kT, drawSiltstone},
      {"shale.png", kT, kT, drawShale},
      {"claystone.png", kT, kT, drawClaystone},
      {"limestone.png", kT, kT, drawLimestone},
      {"dolomite.png", kT, kT, drawDolomite},
      {"conglomerate.png", kT, kT, drawConglomerate},
      {"igneous.png", kT, kT, drawIgneous},
      {"metamorphic.png", kT, kT, drawMetamorphic},
      {"weathered_bedrock.png", kT, kT, drawWeatheredBedrock},
  };
  set.insert(set.end(), std::begin(rocks), std::end(rocks));
}

}  // namespace sq::patterns
