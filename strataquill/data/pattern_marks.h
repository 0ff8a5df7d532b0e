#pragma once

#include "strataquill/data/tile_painter.h"
#include "strataquill/data/tile_scatter.h"

// The marks that geotechnical patterns are made of, each drawn over a whole
// repeating tile: gravel clasts, sand grains, silt dashes, clay hatching,
// organic marks and rock fabrics. A pattern is a few of these layered, with
// one TileScatter shared by the scattered layers so marks never collide.
namespace sq::patterns {

// Open clasts of varied size, shape and tilt (well graded gravel when the
// radii vary widely, poorly graded when they do not).
void gravelClasts(TilePainter& p, TileScatter& s, int count, double minRadius, double maxRadius,
                  double gap);
// Open clasts of one size on a staggered grid with a little jitter.
void gravelRows(TilePainter& p, TileScatter& s, int perRow, int rows, double radius);

// Sand grains of varied size scattered at random.
void sandGrains(TilePainter& p, TileScatter& s, int count, double minRadius, double maxRadius,
                double gap);
// Even sand grains on a staggered grid.
void sandRows(TilePainter& p, TileScatter& s, int perRow, int rows, double radius);

// Short horizontal dashes scattered at random (silt in a coarse soil).
void siltDashes(TilePainter& p, TileScatter& s, int count, double length, double gap);
// Short horizontal dashes in staggered rows; `phase` shifts the rows down by
// that fraction of a row.
void dashRows(TilePainter& p, int perRow, int rows, double length, double phase = 0.25);
// Short vertical ticks in staggered rows.
void tickRows(TilePainter& p, int perRow, int rows, double length, double phase = 0.75);

// Keeps scattered marks `clearance` pixels clear of the lines that
// diagonalHatch() and horizontalLines() draw with the same arguments.
void keepOffHatch(TileScatter& s, int size, int count, bool rising, double clearance);
void keepOffHorizontal(TileScatter& s, int size, int count, double offset, double clearance);

// Straight lines at 45 degrees, `count` of them across a square tile;
// `rising` runs them from lower left to upper right.
void diagonalHatch(TilePainter& p, int count, bool rising);
// Horizontal lines, `count` of them, the first `offset` pixels down.
void horizontalLines(TilePainter& p, int count, double offset);
// Horizontal lines broken into dashes, staggered from line to line.
void dashedLines(TilePainter& p, int lines, int dashesPerLine, double fill, double offset);

// Small "~" marks of decayed plant matter, scattered.
void organicMarks(TilePainter& p, TileScatter& s, int count, double size, double gap);
// Tufts of grass standing on a short base line, scattered (peat, topsoil).
void grassTufts(TilePainter& p, TileScatter& s, int count, double size, double gap);

// Courses of blocks: a horizontal mortar line per course and vertical joints
// offset by half a block on alternate courses; `slant` leans the joints
// (rhombs) by that many pixels over a course.
void blockCourses(TilePainter& p, int courses, int blocksPerCourse, double slant);

// Angular fragments (open triangles and quadrilaterals), scattered.
void angularFragments(TilePainter& p, TileScatter& s, int count, double minSize, double maxSize,
                      double gap, bool filledBlack = false);
// Small "+" and "x" crosses, scattered.
void crosses(TilePainter& p, TileScatter& s, int count, double size, double gap);
// Gently waving horizontal lines (`waves` whole waves across the tile).
void wavyLines(TilePainter& p, int lines, int waves, double amplitude, double offset);
// Zig-zag horizontal lines.
void zigzagLines(TilePainter& p, int lines, int teeth, double depth, double offset);

}  // namespace sq::patterns
