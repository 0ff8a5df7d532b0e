#pragma once

#include <string>
#include <vector>

#include "strataquill/render/boring_data.h"
#include "strataquill/render/print_surface.h"

namespace sq::render {

// A data column's box on the page, inches.
struct ColumnBox {
  double x = 0, y = 0, xx = 0, yy = 0;
};

// The depth window of a page: top depth T and U depth units.
struct DepthWindow {
  float top = 0;
  float units = 40;
  double bottom() const { return static_cast<double>(top) + units; }
};

// y = Y + (d − T) × (YY − Y) / U.
inline double mapDepth(const ColumnBox& box, const DepthWindow& w, double depth) {
  return box.y + (depth - w.top) * (box.yy - box.y) / w.units;
}

// A description line or a separator that did not fit on its page and is
// drawn at the top of the description column of the next page.
struct CarriedItem {
  bool isTextLine = false;
  float from = 0, to = 0;
  float cutPosition = 0;  // twips from the column's left edge where the separator left the page
  std::string text;
  short penStyle = 0;
  bool done = false;
};

// What the column routines of one page draw with.
struct PageContext {
  PrintSurface& surface;
  const BoringData& data;
  const Catalogue& catalogue;
  std::string patternFolder;
  double patternScale = 0.333;
  std::vector<CarriedItem>& carried;
  // Printed in the description column below the last interval ("Boring
  // terminated at 65 feet."); empty for none.
  std::string endNote;
};

// The depth label form: the number's shortest text with a blank before
// non-negative values (" 12", " 12.5", "-3").
std::string depthLabel(float depth);

}  // namespace sq::render
