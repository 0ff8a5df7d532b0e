#pragma once

#include "strataquill/render/page_context.h"

namespace sq::render {

// The Water Level column: each groundwater level that is a number and lies
// on the page drawn as its symbol at the column's left, with a small label:
// the depth as typed beside the symbol (a potentiometric level marked
// "(P)") and,
// below it, the date (the level while drilling: the start date; static:
// the end date). A
// level exactly on a page break belongs to the page it ends (the symbol
// sits above its level), and the first page also takes the top depth.
// Levels that are not numbers ("Dry") print their text once, at the
// column's top on the first page.
void drawWaterLevels(PageContext& ctx, const ColumnBox& box, const DepthWindow& window);

}  // namespace sq::render
