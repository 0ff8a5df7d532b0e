#pragma once

class QWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

enum class EditCommand { kUndo, kRedo, kCut, kCopy, kPaste, kInsertRow, kDeleteRow };

// The control the Edit commands act on: the grid that holds the focus (a
// cell being edited belongs to its grid), or a text box; neither for any
// other control.
struct EditTarget {
  widgets::BoundGrid* grid = nullptr;
  QWidget* text = nullptr;  // a QLineEdit, QPlainTextEdit or QTextEdit
};
// `focused` is the focused control of a child window whose frame is
// `window` (the search for a grid stops there).
EditTarget editTarget(QWidget* focused, const QWidget* window);

// Which Edit commands the target takes now. A grid takes the clipboard
// commands and, with an active row, the row commands; a text box cuts and
// copies a selection and pastes; a file that cannot be written takes
// nothing that would change it. Undo and Redo follow what each control has
// to undo.
struct EditEnabling {
  bool undo = false, redo = false, cut = false, copy = false, paste = false, rows = false;
};
EditEnabling editEnabling(const EditTarget& target);

// Runs `command` on the target. False when there is no control for it (the
// clipboard commands then beep).
bool runEditCommand(EditCommand command, const EditTarget& target);

}  // namespace sq::forms
