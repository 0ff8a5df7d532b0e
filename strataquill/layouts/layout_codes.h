#pragma once

#include <cstdint>
#include <string_view>

namespace sq::layouts {

// Colour values in the form red + 256 × green + 65536 × blue.
using RgbValue = std::uint32_t;

// Decodes a colour code such as "2 - Red" by its first character: "1" black
// to "8" white. Fewer than two characters, or another first character, is
// black.
RgbValue GetColor(std::string_view code);

// Decodes a pen-style code such as "3 - Dash-Dot" to 0 (solid) … 5
// (invisible); empty or any other first character is 0.
int GetPenStyle(std::string_view code);

enum class Alignment { kLeft = 1, kCenter = 2, kRight = 3 };

// "1 - Left", "2 - Center", "3 - Right" by the first character; anything
// else is left.
Alignment GetAlignment(std::string_view code);

// A yes/no value as stored: yes when its single-precision numeric value is
// not 0 ("True" and "Yes" count as yes, as a check box stores them).
bool GetYesNo(std::string_view stored);

}  // namespace sq::layouts
