#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

#include <string>

class QWidget;

namespace sq {

// The rectangle a window of `wanted` size and place takes on a screen whose
// free area is `available`, with `frame` around it for the title bar and
// borders: never larger than the free area, and moved in so that the whole
// frame, title bar first, is on it.
QRect fitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame);

// Places `window` as it was when it last closed (settings section
// "Strataquill", keys <prefix>Left, Top, Width, Height and Maximized), or
// at `defaultSize` centred, fitted to `available`; maximised again when it
// was. Call before the window is shown.
void restoreWindowPlacement(QWidget& window, const std::string& prefix, QSize defaultSize,
                            const QRect& available);
// Remembers the window's normal place and size and whether it is maximised.
void saveWindowPlacement(const QWidget& window, const std::string& prefix);

// The frame that a window manager is expected to put around a window that
// is not on the screen yet.
QMargins expectedWindowFrame();

}  // namespace sq
