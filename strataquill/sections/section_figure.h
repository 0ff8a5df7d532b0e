#pragma once

#include <functional>
#include <string>

#include "strataquill/render/boring_data.h"
#include "strataquill/render/print_surface.h"
#include "strataquill/sections/figure_frame.h"
#include "strataquill/sections/section_model.h"
#include "strataquill/sections/section_plan.h"

namespace sq::sections {

// What the figures draw with besides their data.
struct FigureStyle {
  const render::Catalogue* catalogue = nullptr;
  std::string patternFolder;
  double patternScale = 0.333;
  FigureSource source;
};

// Draws the pages of a planned section into the surface's open document,
// the first on its current page, each further one on a new page: frame
// and title block, elevation grid and axes, the correlation between
// neighbouring borings, the boring columns with their class codes, names,
// total depths and water levels, the water table, match lines, the legend
// of the classes shown, notes and scales. `pageDone` is called after each
// page; when it returns false the drawing stops there. Returns the number
// of pages drawn.
int drawSection(render::PrintSurface& surface, const SectionModel& model, const SectionPlan& plan,
                const FigureStyle& style, const std::function<bool(int page)>& pageDone = {});

}  // namespace sq::sections
