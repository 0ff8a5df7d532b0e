#include "strataquill/render/print_options.h"

#include <cmath>

#include "strataquill/db/value.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/settings_store.h"

namespace sq::render {
namespace {

constexpr const char* kSection = "PrintOptions";

float readFloat(const char* key, float fallback) {
  const std::string text = GetSetting(kSection, key, db::formatSingle(fallback));
  return static_cast<float>(db::parseLeadingNumber(text));
}

short readShort(const char* key, short fallback) {
  const double v = db::parseLeadingNumber(GetSetting(kSection, key, std::to_string(fallback)));
  if (!(v >= -32768 && v <= 32767)) return fallback;
  return static_cast<short>(std::nearbyint(v));
}

bool readBool(const char* key, bool fallback) {
  const std::string text = GetSetting(kSection, key, fallback ? "True" : "False");
  if (text == "True" || text == "true" || text == "-1" || text == "1") return true;
  return false;
}

}  // namespace

PrintOptions PrintOptions::load() {
  PrintOptions o;
  o.firstPageLayoutFileTitle = GetSetting(kSection, "FirstPageLayoutFileTitle", "???");
  o.firstPageLayoutFile = GetSetting(kSection, "FirstPageLayoutFile", "???");
  o.additionalPageLayoutFileTitle = GetSetting(kSection, "AdditionalPageLayoutFileTitle", "???");
  o.additionalPageLayoutFile = GetSetting(kSection, "AdditionalPageLayoutFile", "???");
  o.unitsPerFirstPage = readFloat("UnitsPerFirstPage", 40);
  o.unitsPerAdditionalPage = readFloat("UnitsPerAdditionalPage", 40);
  o.patternScaleFactor = readFloat("PatternScaleFactor", 0.333f);
  o.majorTickInterval = readShort("MajorTickInterval", 5);
  o.minorTickInterval = readShort("MinorTickInterval", 1);
  o.useAdditionalPageLayout = readBool("UseAdditionalPageLayout", false);
  o.legendPage = readBool("LegendPage", false);
  return o;
}

bool PrintOptions::saveFirstPageLayout(const std::string& path, const std::string& title) {
  bool ok = SaveSetting(kSection, "FirstPageLayoutFile", path);
  return SaveSetting(kSection, "FirstPageLayoutFileTitle", title) && ok;
}

bool PrintOptions::saveAdditionalPageLayout(const std::string& path, const std::string& title) {
  bool ok = SaveSetting(kSection, "AdditionalPageLayoutFile", path);
  return SaveSetting(kSection, "AdditionalPageLayoutFileTitle", title) && ok;
}

bool PrintOptions::saveNumbers() const {
  bool ok = SaveSetting(kSection, "UnitsPerFirstPage", db::formatSingle(unitsPerFirstPage));
  ok = SaveSetting(kSection, "UnitsPerAdditionalPage", db::formatSingle(unitsPerAdditionalPage)) &&
       ok;
  ok = SaveSetting(kSection, "PatternScaleFactor", db::formatSingle(patternScaleFactor)) && ok;
  ok = SaveSetting(kSection, "MajorTickInterval", std::to_string(majorTickInterval)) && ok;
  ok = SaveSetting(kSection, "MinorTickInterval", std::to_string(minorTickInterval)) && ok;
  ok = SaveSetting(kSection, "UseAdditionalPageLayout",
                   useAdditionalPageLayout ? "True" : "False") &&
       ok;
  ok = SaveSetting(kSection, "LegendPage", legendPage ? "True" : "False") && ok;
  return ok;
}

void fallBackToShippedLayouts(PrintOptions& options, const std::string& programFolder) {
  if (isExistingFile(options.firstPageLayoutFile)) return;
  const std::string first = programFolder + "LogFirstPage.sqf";
  const std::string additional = programFolder + "LogAdditionalPages.sqf";
  if (!isExistingFile(first)) return;
  options.firstPageLayoutFile = first;
  options.firstPageLayoutFileTitle = "LogFirstPage.sqf";
  if (!isExistingFile(options.additionalPageLayoutFile) && isExistingFile(additional)) {
    options.additionalPageLayoutFile = additional;
    options.additionalPageLayoutFileTitle = "LogAdditionalPages.sqf";
    options.useAdditionalPageLayout = true;
  }
}

PageLayoutChoice chooseLayoutForPage(const PrintOptions& options, int reportType, int pageNumber,
                                     const std::string& designerLayoutPath) {
  if (reportType == kLayoutSample) return {designerLayoutPath, options.unitsPerFirstPage};
  if (pageNumber >= 2 && options.useAdditionalPageLayout)
    return {options.additionalPageLayoutFile, options.unitsPerAdditionalPage};
  return {options.firstPageLayoutFile, options.unitsPerFirstPage};
}

std::string validateForRun(const PrintOptions& options, int reportType) {
  if (!(options.unitsPerFirstPage > 0))
    return "The depth units per first page must be greater than 0.";
  if (reportType != kLayoutSample && options.useAdditionalPageLayout &&
      !(options.unitsPerAdditionalPage > 0))
    return "The depth units per additional page must be greater than 0.";
  if (options.majorTickInterval <= 0) return "The major tick interval must be greater than 0.";
  if (options.minorTickInterval < 0) return "The minor tick interval must not be less than 0.";
  return {};
}

}  // namespace sq::render
