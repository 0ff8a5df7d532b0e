#pragma once

#include <functional>

class QMdiSubWindow;

namespace sq::forms {

// Calls `gotFocus` each time `sub` becomes the active child window of its
// MDI area (shown for the first time, picked from the window list, clicked
// while another child was active). A click that activates the window still
// puts the focus where it landed, since the click is handled afterwards.
void onChildActivated(QMdiSubWindow* sub, std::function<void()> gotFocus);

}  // namespace sq::forms
