#pragma once

#include <QPointF>

#include <string>
#include <vector>

#include "strataquill/render/print_surface.h"
#include "strataquill/sections/section_figure.h"
#include "strataquill/sections/site_locations.h"

namespace sq::sections {

// A boring as the map shows it.
struct MapBoring {
  std::string name;
  bool well = false;  // it has completion intervals
};

// What else the map shows.
struct MapOptions {
  // Borings of a section line, in its order, drawn as a line through them
  // from "A" to "A'"; fewer than two: no line.
  std::vector<std::string> sectionLine;
  // Borings marked as picked (the desktop map's selection); screen only.
  std::vector<std::string> picked;
};

// Where the map put things, for picking borings on it.
struct SiteMapLayout {
  MapFit fit;
  PageRect frame;  // the map's frame, inches
  struct Symbol {
    std::string name;
    QPointF at;  // inches on the page
  };
  std::vector<Symbol> symbols;
  int namesLeftOut = 0;  // labels that would have overlapped
};

// Draws the site map on the surface's current page: frame, title block,
// every located boring as a symbol (a circle with a cross for a boring, a
// circle with a dot for a well) with its name where it does not overlap
// another, grid ticks with coordinates, a north arrow, a scale bar in the
// coordinate unit, a legend, the coordinate system, and the borings that
// are not shown with the reason. `borings[i]` belongs to the i-th boring
// `located` was computed from.
SiteMapLayout drawSiteMap(render::PrintSurface& surface, const std::vector<MapBoring>& borings,
                          const SiteLocations& located, const MapOptions& options,
                          const FigureStyle& style);

}  // namespace sq::sections
