#pragma once

#include <string>

namespace sq::render {

// Report types of a print run.
inline constexpr int kBoringLog = 1;
inline constexpr int kLayoutSample = 2;

// The choices a print run works from, remembered between runs in the
// settings section "PrintOptions". "???" as a path or title means that no
// file is chosen.
struct PrintOptions {
  std::string firstPageLayoutFileTitle = "???";
  std::string firstPageLayoutFile = "???";
  std::string additionalPageLayoutFileTitle = "???";
  std::string additionalPageLayoutFile = "???";
  float unitsPerFirstPage = 40;
  float unitsPerAdditionalPage = 40;
  float patternScaleFactor = 0.333f;
  short majorTickInterval = 5;
  short minorTickInterval = 1;
  bool useAdditionalPageLayout = false;
  // A legend page after each boring's last page.
  bool legendPage = false;
  bool printCancelled = false;  // not stored

  // Reads every stored field with the defaults above.
  static PrintOptions load();
  // Writes the layout path and title the moment the user chooses a file.
  static bool saveFirstPageLayout(const std::string& path, const std::string& title);
  static bool saveAdditionalPageLayout(const std::string& path, const std::string& title);
  // Writes the numbers, the use-additional-page flag and the legend flag.
  bool saveNumbers() const;
};

// A user who has chosen no first-page layout (or whose layout is gone)
// prints with the layouts shipped in `programFolder`: its first-page
// layout, and its additional-page layout with it unless another one is
// chosen and still there. Files the user chose that still exist are kept.
void fallBackToShippedLayouts(PrintOptions& options, const std::string& programFolder);

// The layout file and depth units of one page of a run.
struct PageLayoutChoice {
  std::string layoutFile;
  float units = 0;
};

// Layout sample: the designer's layout and the first-page units on every
// page. Boring log: the additional-page layout and units from page 2 on
// when the flag is set, else the first-page ones.
PageLayoutChoice chooseLayoutForPage(const PrintOptions& options, int reportType, int pageNumber,
                                     const std::string& designerLayoutPath);

// Why a run cannot start with these options, or "" when it can: units per
// page and tick intervals must be above 0, or the page loop would make no
// progress and the depth scale would have no step.
std::string validateForRun(const PrintOptions& options, int reportType);

}  // namespace sq::render
