#pragma once

#include <string>

#include "strataquill/render/page_context.h"

namespace sq::render {

// Column numbers of the text columns.
inline constexpr int kBlowCountColumn = 1;
inline constexpr int kClassificationColumn = 2;
// The Standard Penetration Test N read from each sample's blow counts.
inline constexpr int kNValueColumn = 3;
inline constexpr int kUserTextColumn = 100;  // + 1 … 10

// Pattern columns: each interval on the page filled with its class's
// pattern slices and outlined (completion: side lines only, and a line
// under the last interval).
void drawLithology(PageContext& ctx, const ColumnBox& box, const DepthWindow& window);
void drawCompletion(PageContext& ctx, const ColumnBox& box, const DepthWindow& window);
void drawSampleSymbol(PageContext& ctx, const ColumnBox& box, const DepthWindow& window);

// Short texts centred on their interval's middle, pushed inside the column;
// the classification column also rules a line under each interval, and
// prints a label taller than its interval (a thin layer) at the largest
// size down to kSmallestLabelPoints that fits the interval, or not at all
// (the description still names the layer).
void drawGenericColumnText(PageContext& ctx, int column, const ColumnBox& box,
                           const DepthWindow& window, bool separator);

inline constexpr double kSmallestLabelPoints = 4.5;

// Descriptions word-wrapped from the depth where each interval starts, with
// a separator under each; what does not fit is carried to the next page.
void drawDescription(PageContext& ctx, const ColumnBox& box, const DepthWindow& window);

// The lines a description is filled into for a text width (twips) in the
// surface's current font, by the surface's one rule of wrapping
// (PrintSurface::wrapText): a word wider than the width is broken.
std::vector<std::string> fillDescriptionLines(const PrintSurface& surface, const std::string& text,
                                              double widthTwips);

}  // namespace sq::render
