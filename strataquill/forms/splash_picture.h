#pragma once

#include <QImage>

namespace sq::forms {

// The program's splash picture, 628 x 434 pixels in 256 colours: a drill
// rig on a cross-section of soil layers filled with the program's own
// lithology patterns, and a strip of a boring log beside it. Drawn by code
// the first time it is asked for, so no picture file ships.
QImage splashPicture();

inline constexpr int kSplashWidth = 628;
inline constexpr int kSplashHeight = 434;

}  // namespace sq::forms
