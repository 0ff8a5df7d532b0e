#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QBoxLayout;
class QMdiSubWindow;
class QPushButton;
class QString;
class QTabWidget;
class QWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

// The OK and Cancel buttons of a dialog (in that order), at the bottom
// right of `layout`, named cmdOK and cmdCancel; OK is the default button.
std::pair<QPushButton*, QPushButton*> addDialogButtons(QWidget* dialog, QBoxLayout* layout,
                                                       const QString& ok, const QString& cancel);

// Calls `gotFocus` each time `sub` becomes the active child window of its
// MDI area (shown for the first time, picked from the window list, clicked
// while another child was active). A click that activates the window still
// puts the focus where it landed, since the click is handled afterwards.
void onChildActivated(QMdiSubWindow* sub, std::function<void()> gotFocus);

// Gives the focus to the tab strip of `tabs` and then calls `then`; a
// `window` that is not on the screen yet gets it once it is shown.
void focusTabStrip(QWidget* window, QTabWidget* tabs, std::function<void()> then);

// Before edits are saved and left: names the cells of `grids` (each with the
// name messages use for it) whose text their column cannot store, and asks
// whether the user wants to go back and correct them (`lead` says what the
// cells are, `title` is the question's). With `typedOnly`, only cells
// changed since they were read. True when the user goes back.
bool wantsToCorrectRefusals(const std::vector<std::pair<std::string, widgets::BoundGrid*>>& grids,
                            bool typedOnly, const std::string& lead, const char* title);

}  // namespace sq::forms
