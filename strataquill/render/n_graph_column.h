#pragma once

#include "strataquill/render/page_context.h"

namespace sq::render {

// The largest N of the plot when the layout gives none.
inline constexpr int kDefaultNGraphMaximum = 50;

// What a layout row's Size field means for the N Graph column: from 20 up
// it is the plot's maximum N (a plot from 0 to 100 is written as 100);
// below that it is the size of the scale's labels as in every column, and
// the maximum is the default.
struct NGraphScale {
  int maximum = kDefaultNGraphMaximum;
  bool sizeIsMaximum = false;
};
NGraphScale nGraphScale(float sizeField);

// The N Graph column: N against depth from 0 at the column's left edge to
// `maximum` at its right, with light vertical grid lines every 10 and a
// row of scale labels just above the column on every page. Each sample
// with an N (or a refusal) is a point at the middle of its interval; points
// are joined by straight lines in depth order, and a segment that crosses
// a page break is drawn on both pages up to the edge. Refusals, and N
// beyond the maximum, are drawn at the maximum with an arrow.
void drawNGraph(PageContext& ctx, const ColumnBox& box, const DepthWindow& window, int maximum);

}  // namespace sq::render
