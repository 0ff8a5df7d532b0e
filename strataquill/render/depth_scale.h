#pragma once

#include <functional>
#include <optional>
#include <string>

#include "strataquill/layouts/layout_file.h"
#include "strataquill/render/page_context.h"

namespace sq::render {

// The tick step: the major interval when the minor is 0, the minor when it
// divides the major, else 1.
int tickStep(int major, int minor);

// Draws the depth scale of a page in the column box: ticks from the page's
// top depth down the window, labels at the major ticks, with the tick
// lengths and label truncation of the layout's options. REQUIRES: the
// window's units > 0 and major > 0.
void drawDepth(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window, int major,
               int minor, const layouts::LayoutOptions& options);

// The elevation scale beside the depth scale: the same ticks and label
// rules, each label the elevation at that depth (`groundElevation` − depth)
// in the depth label form. Without a ground elevation nothing is drawn.
void drawElevation(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window,
                   int major, int minor, const layouts::LayoutOptions& options,
                   std::optional<double> groundElevation);

// The scale both draw: ticks at the tick step from the page's top depth,
// and at the major ticks the label `labelFor` gives for the tick's depth.
// A label on the page's bottom edge sits above its tick, inside the column,
// clear of whatever rules the page there.
void drawScale(PrintSurface& surface, const ColumnBox& box, const DepthWindow& window, int major,
               int minor, const layouts::LayoutOptions& options,
               const std::function<std::string(float depth)>& labelFor);

}  // namespace sq::render
