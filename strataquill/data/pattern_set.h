#pragma once

#include <vector>

#include "strataquill/data/tile_painter.h"

namespace sq::patterns {

// Resolution stored in every tile, so a tile's natural print size is its
// pixel size at this many dots per inch.
inline constexpr int kTileDpi = 150;
// Soil and rock tiles are an inch square; well and sample tiles, which fill
// narrow columns, are 0.6 inch.
inline constexpr int kLithologyTile = 150;
inline constexpr int kNarrowTile = 90;

// One picture of the pattern library: its file name in the Patterns folder,
// its size in pixels and the code that draws it.
struct PatternDef {
  const char* fileName;
  int width;
  int height;
  void (*draw)(TilePainter&);
};

// The whole library in a fixed order: soils, other lithologies and rocks,
// well completion, sample symbols.
std::vector<PatternDef> patternSet();

void addSoilPatterns(std::vector<PatternDef>& set);
void addRockPatterns(std::vector<PatternDef>& set);
void addWellPatterns(std::vector<PatternDef>& set);

}  // namespace sq::patterns
