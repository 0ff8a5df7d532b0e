#pragma once

#include <QRectF>
#include <QSizeF>

#include <string>
#include <vector>

#include "strataquill/layouts/layout_file.h"
#include "strataquill/render/boring_data.h"
#include "strataquill/render/log_symbols.h"

namespace sq::render {

// One line of a boring's legend: a class with its swatch, a groundwater
// symbol, or a mark of the N-value column, each with what it means.
struct LegendEntry {
  enum class Kind { kClass, kWater, kMark } kind = Kind::kClass;
  std::string text;
  // kClass: the class's slices; null for a class that the classification
  // file does not know (the log leaves its intervals blank).
  const std::vector<layouts::PatternSlice>* slices = nullptr;
  WaterLevelKind water = WaterLevelKind::kStatic;  // kWater
  std::string mark;                                // kMark: "16*", "50/5\""
};

struct LegendSection {
  std::string heading;
  std::vector<LegendEntry> entries;
};

// The legend of a boring: every lithology class, sample type and
// completion class that it uses, each kind in classification-file order
// (classes the file does not know after them, in the order they are first
// used); the groundwater symbols of the levels it records as numbers; and
// the N-value marks its blow counts give. Sections without entries are
// left out.
std::vector<LegendSection> legendSections(const BoringData& data, const Catalogue& catalogue);

// Where a legend page of `layout` puts the legend, inches: the band of the
// data columns and their headings, from the top of the column rules down
// to the columns' bottom. The header above it and the frame stay on the
// legend page; the page's own text items and lines inside the band do not.
// A layout without data columns gives the page inside an inch's margin
// below its top quarter.
QRectF legendArea(const layouts::LayoutForPrint& layout, QSizeF pageInches);

// The layout of a legend page: `layout` without its data columns and
// without the text items and lines that lie inside `area`.
layouts::LayoutForPrint legendPageLayout(const layouts::LayoutForPrint& layout, const QRectF& area);

// Draws the legend's entries from entry `first` (counted over all
// sections) into `area` (inches), in columns from the left; returns the
// number of entries drawn, so a legend too long for one page goes on from
// there on the next.
std::size_t drawLegend(PrintSurface& surface, const std::vector<LegendSection>& sections,
                       std::size_t first, const QRectF& area, const std::string& patternFolder,
                       double patternScale);

// All entries of the legend, for the page loop.
std::size_t legendEntryCount(const std::vector<LegendSection>& sections);

}  // namespace sq::render
