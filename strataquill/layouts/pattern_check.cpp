#include "strataquill/layouts/pattern_check.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace sq::layouts {
namespace {

std::string percentText(float v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(v));
  return buffer;
}

std::string inQuotes(std::string_view s) {
  return "\u201C" + std::string(s) + "\u201D";
}

}  // namespace

bool PatternListFinding::printsWhole() const {
  return !namesNothing && missingPictures.empty() && totalPercent > 0;
}

std::string PatternListFinding::problem() const {
  if (namesNothing)
    return "This names no pattern: each picture needs its share of the column after a colon, "
           "for example sand.png:100. Nothing prints for this class.";
  if (!missingPictures.empty()) {
    std::string text = missingPictures.size() == 1 ? "The picture " : "The pictures ";
    for (std::size_t i = 0; i < missingPictures.size(); ++i)
      text += (i == 0 ? "" : i + 1 == missingPictures.size() ? " and " : ", ") +
              inQuotes(missingPictures[i]);
    text += missingPictures.size() == 1 ? " is" : " are";
    text += " not in the pattern folder, so ";
    text += missingPictures.size() == slices.size() ? "nothing prints for this class."
                                                    : "part of the column prints empty.";
    return text;
  }
  if (!(totalPercent > 0) && !slices.empty())
    return "Every share is 0%, so nothing prints for this class.";
  return {};
}

std::string PatternListFinding::remark() const {
  if (!(totalPercent > 0) || std::fabs(totalPercent - 100) < 0.001f) return {};
  if (totalPercent < 100)
    return "The shares add up to " + percentText(totalPercent) + "%: the right " +
           percentText(100 - totalPercent) + "% of the column stays empty.";
  return "The shares add up to " + percentText(totalPercent) +
         "%: the patterns run past the column's right edge.";
}

PatternListFinding checkPatternList(std::string_view list, const std::string& patternFolder,
                                    const std::function<bool(const std::string& path)>& exists) {
  PatternListFinding f;
  f.slices = parsePatternList(list);
  const bool blank = list.find_first_not_of(' ') == std::string_view::npos;
  f.namesNothing = f.slices.empty() && !blank;
  for (const PatternSlice& slice : f.slices) {
    if (slice.percent > 0) f.totalPercent += slice.percent;
    const std::string path = patternPath(patternFolder, slice.fileName);
    std::error_code ec;
    const bool there = exists ? exists(path) : std::filesystem::is_regular_file(path, ec);
    if (!there) f.missingPictures.push_back(slice.fileName);
  }
  return f;
}

}  // namespace sq::layouts
