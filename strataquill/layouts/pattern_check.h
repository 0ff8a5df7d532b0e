#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/layouts/classification_file.h"

namespace sq::layouts {

// What a class's pattern list will print, as the log draws it: its slices,
// the pictures among them that cannot be found, and whether the text names
// no pattern at all.
struct PatternListFinding {
  std::vector<PatternSlice> slices;
  std::vector<std::string> missingPictures;  // in list order
  bool namesNothing = false;  // text that makes no slice (no colon in it)
  float totalPercent = 0;     // of the slices that draw (negative shares count 0)

  // True when the list prints as written: it makes slices that draw and
  // every picture is there.
  bool printsWhole() const;
  // Why nothing, or only part, prints; "" when the whole list prints.
  std::string problem() const;
  // A remark on shares that do not add up to the column's width, "" when
  // they do (or nothing draws).
  std::string remark() const;
};

// Checks `list` against the pictures of `patternFolder`; `exists` tells
// whether a picture file is there (the file system when empty).
PatternListFinding checkPatternList(
    std::string_view list, const std::string& patternFolder,
    const std::function<bool(const std::string& path)>& exists = {});

}  // namespace sq::layouts
