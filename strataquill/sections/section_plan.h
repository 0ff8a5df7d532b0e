#pragma once

#include <string>
#include <vector>

#include "strataquill/sections/section_model.h"
#include "strataquill/sections/site_geometry.h"

namespace sq::sections {

// Where things go on the pages of a section, inches.
struct SectionPlan {
  PageRect area;   // inside the frame, above the title block
  PageRect plot;   // the section itself, between the elevation axes
  PageRect panel;  // legend, notes and scales, right of the plot
  double columnWidth = 0.22;
  double horizontalUnitsPerInch = 1;
  ElevationScale elevation;
  double elevationStep = 10;  // between labelled elevations
  double exaggeration = 1;    // horizontal units per inch / vertical units per inch
  // The stretch of the section each page shows; a page that continues on
  // the next one ends at a match line, where the next one begins.
  struct Page {
    double from = 0, to = 0;  // stations
    bool continuedLeft = false, continuedRight = false;
    std::vector<std::size_t> borings;  // indexes of the borings drawn on it
  };
  std::vector<Page> pages;
  std::string refusal;  // why the borings cannot be shown; pages are then empty
  bool ok() const { return refusal.empty(); }

  // Page position of a station on page `page`, and of an elevation.
  double x(std::size_t page, double station) const;
  double y(double e) const { return elevation.y(e); }
};

// No section runs over more pages than this; borings too close together
// for that are refused.
inline constexpr int kMaxSectionPages = 60;

// Lays the section out on landscape pages of `pageWidth` × `pageHeight`
// inches. The vertical scale fits the deepest boring under the highest
// ground; the horizontal scale fits the whole section on one page when
// neighbouring columns then stay at least `kMinColumnSpacing` apart, else
// the section continues on further pages at a scale that keeps them apart.
// A vertical exaggeration above 0 is kept exactly, shrinking both scales
// as far as the page's height needs.
inline constexpr double kMinColumnSpacing = 0.6;
SectionPlan planSection(const SectionModel& model, double pageWidth, double pageHeight,
                        double verticalExaggeration);

}  // namespace sq::sections
