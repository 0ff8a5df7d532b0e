#pragma once

// The groundwater symbol and the legend swatch of the figures.
// TO BE REPLACED by the shared water-level symbol and legend swatch of the
// log's render code once they are public there; until then the figures
// draw their own minimal versions here, and nowhere else.

#include <string>

#include "strataquill/render/boring_data.h"
#include "strataquill/render/print_surface.h"

namespace sq::sections {

// The groundwater symbol with its point on the level at (x, y), inches: an
// open triangle pointing down (filled while drilling) above a short line
// and a shorter one under it.
void drawWaterSymbol(render::PrintSurface& s, double x, double y, bool filled);

// A class's pattern in a swatch box (inches), drawn by the log's own
// lithology column code, outlined.
void drawLegendSwatch(render::PrintSurface& s, const render::Catalogue& catalogue,
                      const std::string& patternFolder, double patternScale,
                      const std::string& classText, double x, double y, double xx, double yy);

}  // namespace sq::sections
