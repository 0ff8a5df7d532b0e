#pragma once

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

}  // namespace sq::render
