#pragma once

#include <functional>

class QMdiSubWindow;
class QTabWidget;
class QWidget;

namespace sq::forms {

// Calls `gotFocus` each time `sub` becomes the active child window of its
// MDI area (shown for the first time, picked from the window list, clicked
// while another child was active). A click that activates the window still
// puts the focus where it landed, since the click is handled afterwards.
void onChildActivated(QMdiSubWindow* sub, std::function<void()> gotFocus);

// Gives the focus to the tab strip of `tabs` and then calls `then`; a
// `window` that is not on the screen yet gets it once it is shown.
void focusTabStrip(QWidget* window, QTabWidget* tabs, std::function<void()> then);

}  // namespace sq::forms
