#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <string>
#include <vector>

#include "strataquill/layouts/classification_file.h"
#include "strataquill/render/print_surface.h"

namespace sq::render {

// The groundwater levels a boring records.
enum class WaterLevelKind { kWhileDrilling, kStatic, kPotentiometric };

// The groundwater symbol whose level is `level` (twips): a triangle
// pointing down, `width` twips wide, its tip on the level, over a short
// horizontal line at the level. The level met while drilling is filled
// (▼); static and potentiometric levels are open (▽). Drawn in the
// surface's pen colour, never thinner than half a point.
void drawWaterLevelSymbol(PrintSurface& surface, QPointF level, double width, WaterLevelKind kind);

// How slices are outlined: every side, or only their left and right sides
// (well completion, whose intervals stack into one casing).
enum class SliceOutline { kAllSides, kSidesOnly };

// The pattern slices of a class side by side across `rect` (twips), each
// filled with its picture from `patternFolder` tiled at `patternScale`
// and outlined in the surface's pen: the one fill of the log's pattern
// columns and of the legend's swatches. The outline stays within
// [clipTop, clipBottom] (twips).
void drawClassSlices(PrintSurface& surface, const std::vector<layouts::PatternSlice>& slices,
                     const std::string& patternFolder, double patternScale, const QRectF& rect,
                     SliceOutline outline, double clipTop, double clipBottom);

// A legend swatch: the class's slices in a box at `topLeft`, `size` twips.
void drawLegendSwatch(PrintSurface& surface, const std::vector<layouts::PatternSlice>& slices,
                      const std::string& patternFolder, double patternScale, QPointF topLeft,
                      QSizeF size);

// A plot point: a small filled circle of `diameter` twips centred on
// `centre`, in the pen colour.
void drawPlotPoint(PrintSurface& surface, QPointF centre, double diameter);

// An arrow from `from` to `to` (twips) with its head at `to`, `head` twips
// long.
void drawArrow(PrintSurface& surface, QPointF from, QPointF to, double head);

}  // namespace sq::render
