#pragma once

#include <functional>

#include <QRect>

class QDialog;
class QWidget;

namespace sq::forms {

// The timers, screen metrics and modal loops of the windows, in one place:
// tests fire the splash timer at once, fake a small screen and drive modal
// dialogs instead of waiting for a person.
struct UiEnvironment {
  int splashIntervalMs = 4000;
  // The screen's width in pixels; empty: the primary screen's.
  std::function<int()> screenWidth;
  // The free area of the screen (without panels and docks) that windows
  // are placed on; empty: that of the window's screen.
  std::function<QRect()> availableScreen;
  // Whether the tip of the day may open at start-up (when the user's
  // setting asks for it); tests that are not about it turn it off.
  bool startupTips = true;
  // Runs a modal dialog and returns its result; empty: QDialog::exec().
  std::function<int(QDialog&)> runModal;
};

UiEnvironment& uiEnvironment();

int screenWidthPixels();
// The free area of the screen that `window` is on (the primary screen's when
// it is on none yet).
QRect availableScreenGeometry(const QWidget* window);
int execModal(QDialog& dialog);

}  // namespace sq::forms
