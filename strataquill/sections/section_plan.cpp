#include "strataquill/sections/section_plan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "strataquill/db/value.h"
#include "strataquill/sections/figure_frame.h"
#include "strataquill/sections/site_locations.h"

namespace sq::sections {
namespace {

constexpr double kPanelWidth = 2.35;
constexpr double kLeftAxis = 0.75;
constexpr double kRightAxis = 0.6;
constexpr double kNameBand = 0.5;
constexpr double kBottomBand = 0.6;
// Paper kept free inside the plot left of the first and right of the last
// column: half a column, the class codes beside it and half a name.
constexpr double kInset = 0.5;

// A distance for a message: at most two decimals.
std::string number(double v) {
  return db::formatSingle(static_cast<float>(std::round(v * 100) / 100));
}

}  // namespace

double SectionPlan::x(std::size_t page, double station) const {
  return plot.left + kInset + (station - pages.at(page).from) / horizontalUnitsPerInch;
}

SectionPlan planSection(const SectionModel& model, double pageWidth, double pageHeight,
                        double verticalExaggeration) {
  SectionPlan plan;
  plan.area = figureDrawingArea(pageWidth, pageHeight);
  const PageRect& a = plan.area;
  plan.panel = {a.right() - kPanelWidth, a.top, kPanelWidth, a.height};
  plan.plot = {a.left + kLeftAxis, a.top + kNameBand,
               plan.panel.left - kRightAxis - a.left - kLeftAxis, a.height - kNameBand - kBottomBand};
  const PageRect& plot = plan.plot;
  if (!model.ok() || model.borings.size() < 2) {
    plan.refusal = model.ok() ? "A section needs at least two borings." : model.refusal;
    return plan;
  }
  const double usableW = plot.width - 2 * kInset;

  // Vertical: from the highest ground to the deepest bottom.
  double highest = -std::numeric_limits<double>::infinity(), lowest = -highest;
  for (const SectionBoring& b : model.borings) {
    highest = std::max(highest, b.ground);
    lowest = std::min(lowest, b.ground - b.bottomDepth);
  }
  const double relief = std::max(highest - lowest, 1e-3);
  double vertical = roundScaleUp(relief * 1.08 / plot.height);

  // Horizontal: all on one page unless columns would crowd.
  const double length = model.length();
  double minGap = std::numeric_limits<double>::infinity();
  std::size_t closeA = 0;
  for (std::size_t i = 1; i < model.borings.size(); ++i) {
    const double gap = model.borings[i].station - model.borings[i - 1].station;
    if (gap < minGap) {
      minGap = gap;
      closeA = i - 1;
    }
  }
  double horizontal = roundScaleUp(length / usableW);
  if (verticalExaggeration > 0) {
    // Both scales follow from the exaggeration; whichever way needs the
    // smaller drawing decides.
    horizontal = std::max(horizontal, roundScaleUp(verticalExaggeration * relief * 1.08 /
                                                   plot.height));
    vertical = horizontal / verticalExaggeration;
  }
  // Columns closer than this would touch.
  const double touching = plan.columnWidth + 0.05;
  if (minGap / horizontal < kMinColumnSpacing) {
    double spaced = roundScaleDown(minGap / kMinColumnSpacing);
    if (verticalExaggeration > 0 && spaced / verticalExaggeration < relief * 1.08 / plot.height) {
      // The exaggeration asked for needs the smaller drawing: the columns
      // stand closer than they would by choice, as long as they stay apart.
      if (minGap / horizontal < touching) {
        plan.refusal = "At a vertical exaggeration of " + number(verticalExaggeration) +
                       " the columns of " + model.borings[closeA].name + " and " +
                       model.borings[closeA + 1].name +
                       " would overlap; choose a smaller exaggeration.";
        return plan;
      }
      spaced = horizontal;
    }
    if (verticalExaggeration > 0) vertical = spaced / verticalExaggeration;
    if (length / spaced / usableW > kMaxSectionPages) {
      plan.refusal = model.borings[closeA].name + " and " + model.borings[closeA + 1].name +
                     " are only " + number(minGap) + " " + shortUnit(model.unit) +
                     " apart on a section " + number(length) + " " + shortUnit(model.unit) +
                     " long: their columns would overlap unless the section ran over more "
                     "than " +
                     std::to_string(kMaxSectionPages) + " pages. Leave one of them out.";
      return plan;
    }
    horizontal = spaced;
  }
  plan.horizontalUnitsPerInch = horizontal;
  plan.exaggeration = horizontal / vertical;

  // The slack of the rounded vertical scale goes mostly below the section,
  // keeping room above the ground for the boring names.
  const double slack = plot.height * vertical - relief;
  plan.elevation = {highest + slack * 0.3, plot.top, vertical};
  plan.elevationStep = niceStep(plot.height * vertical, 12);

  // Pages: each break half-way between the last boring that fits and the
  // next one, so no column is cut.
  const double window = usableW * horizontal;
  const auto& bs = model.borings;
  std::size_t next = 0;
  double from = bs.front().station;
  while (next < bs.size() && plan.pages.size() <= static_cast<std::size_t>(kMaxSectionPages)) {
    SectionPlan::Page page;
    page.from = from;
    page.continuedLeft = !plan.pages.empty();
    const double limit = from + window;
    // A boring goes on the page when its column and the codes beside it
    // end before the page does (the last boring of the section always
    // fits: the window was made for it).
    const double room = (plan.columnWidth / 2 + 0.15) * horizontal;
    while (next < bs.size() &&
           (bs[next].station + room <= limit + 1e-9 ||
            (next + 1 == bs.size() && bs[next].station <= limit + 1e-9)))
      page.borings.push_back(next++);
    if (next < bs.size()) {
      // A page may hold no boring at all when two neighbours are further
      // apart than a page is wide: it shows the ground between them.
      page.to = page.borings.empty()
                    ? limit
                    : std::min(limit, (bs[next - 1].station + bs[next].station) / 2);
      page.continuedRight = true;
    } else {
      page.to = bs.back().station;
    }
    from = page.to;
    plan.pages.push_back(std::move(page));
  }
  return plan;
}

}  // namespace sq::sections
