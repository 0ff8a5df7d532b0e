#pragma once

#include <functional>
#include <map>
#include <string>

#include "strataquill/render/print_surface.h"
#include "strataquill/sections/site_geometry.h"

namespace sq::sections {

// What the title block of a figure says.
struct FigureTitle {
  std::string title;     // "SITE MAP", "CROSS-SECTION"
  std::string subtitle;  // "Boring locations", "B-1 - MW-1 - B-2"
  int page = 1, pages = 1;
};

// The project and company values of every figure, read once per run.
struct FigureSource {
  std::map<std::string, std::string> projectFields;  // first row of "Project Information"
  // Today's date as the print run writes it; replaceable for tests.
  std::function<std::string()> printDate;
};

// Draws the border of a landscape figure page and its title block along
// the bottom: company, figure title and project, project number, date and
// "Page n of m". Returns the area left for the drawing, inches.
PageRect drawFigureFrame(render::PrintSurface& surface, const FigureSource& source,
                         const FigureTitle& title);

// The area drawFigureFrame leaves for the drawing on a page of this size
// (inches).
PageRect figureDrawingArea(double pageWidth, double pageHeight);

// A scale bar under its `title` with its top-left corner at (x, y), at
// most `maxWidth` inches long: four segments, black and white in turn,
// labelled 0, half and the whole length (a nice number) with the unit, and
// the scale under it ("1 in = 80 ft"). Returns the height it took, inches.
double drawScaleBar(render::PrintSurface& s, const QString& title, double x, double y,
                    double unitsPerInch, double maxWidth, const std::string& unit);

// A number for a label: no more decimals than `step` needs.
QString labelNumber(double value, double step, bool grouped = false);

// Small drawing helpers of the figures, inches in, twips on the surface.
void line(render::PrintSurface& s, double x1, double y1, double x2, double y2);
// A text whose reference point is (x, y): left, centre or right end by
// `align`, its top at y unless `middle`, then its middle.
void text(render::PrintSurface& s, const QString& t, double x, double y,
          render::TextAlign align = render::TextAlign::kLeft, bool middle = false);
// Sets the surface's font.
void font(render::PrintSurface& s, double points, bool bold = false);
// `t`, or as much of it as fits `width` inches with "..." after it.
QString fitted(const render::PrintSurface& s, const QString& t, double width);
// The width and height of a text in the current font, inches.
double textWidth(const render::PrintSurface& s, const QString& t);
double textHeight(const render::PrintSurface& s);

}  // namespace sq::sections
