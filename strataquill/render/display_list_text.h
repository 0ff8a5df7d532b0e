#pragma once

#include <QString>

#include <string>

#include "strataquill/render/surface_document.h"

namespace sq::render {

// A document's display list as text, one operation a line, positions in
// twips to a hundredth: what two runs drew can be compared line by line
// without looking at pixels. Pictures are named by their size and a
// checksum of their pixels.
std::string displayListText(const SurfaceDocument& doc);

// The first line where `expected` and `actual` differ ("" when they are the
// same), with its number, for a test's message.
std::string firstDifference(const std::string& expected, const std::string& actual);

}  // namespace sq::render
