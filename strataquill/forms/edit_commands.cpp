#include "strataquill/forms/edit_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

EditTarget editTarget(QWidget* focused, const QWidget* window) {
  EditTarget target;
  if (!focused) return target;
  for (QWidget* p = focused; p && p != window; p = p->parentWidget())
    if (auto* g = qobject_cast<widgets::BoundGrid*>(p)) {
      target.grid = g;
      return target;
    }
  if ((qobject_cast<QLineEdit*>(focused) && !qobject_cast<QComboBox*>(focused->parentWidget())) ||
      qobject_cast<QPlainTextEdit*>(focused) || qobject_cast<QTextEdit*>(focused))
    target.text = focused;
  return target;
}

namespace {

// A QPlainTextEdit or a QTextEdit.
template <class Box>
EditEnabling multiLineEnabling(const Box& box) {
  EditEnabling e;
  const bool writable = !box.isReadOnly();
  e.copy = box.textCursor().hasSelection();
  e.cut = e.copy && writable;
  e.paste = writable;
  e.undo = writable && box.document()->isUndoAvailable();
  e.redo = writable && box.document()->isRedoAvailable();
  return e;
}

}  // namespace

EditEnabling editEnabling(const EditTarget& target) {
  EditEnabling e;
  if (auto* grid = target.grid) {
    const bool writable = !grid->model().readOnly();
    e.copy = true;
    e.cut = e.paste = writable;
    e.rows = writable && grid->activeRow() > 0;
    e.undo = writable && grid->model().canUndo();
    e.redo = writable && grid->model().canRedo();
  } else if (auto* line = qobject_cast<QLineEdit*>(target.text)) {
    e.copy = line->hasSelectedText();
    e.cut = e.copy && !line->isReadOnly();
    e.paste = !line->isReadOnly();
    e.undo = line->isUndoAvailable();
    e.redo = line->isRedoAvailable();
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(target.text)) {
    e = multiLineEnabling(*box);
  } else if (auto* rich = qobject_cast<QTextEdit*>(target.text)) {
    e = multiLineEnabling(*rich);
  }
  return e;
}

namespace {

void runOnGrid(EditCommand command, widgets::BoundGrid& grid) {
  switch (command) {
    case EditCommand::kUndo:
      grid.undo();
      break;
    case EditCommand::kRedo:
      grid.redo();
      break;
    case EditCommand::kCut:
      grid.cutRows();
      break;
    case EditCommand::kCopy:
      grid.copyRows();
      break;
    case EditCommand::kPaste:
      grid.pasteRows();
      break;
    case EditCommand::kInsertRow:
      grid.insertRow();
      break;
    case EditCommand::kDeleteRow:
      grid.deleteRow();
      break;
  }
}

// The clipboard commands take a text box's whole text, as the program has
// always done; Undo and Redo are the box's own.
void runOnText(EditCommand command, QWidget* text) {
  auto* line = qobject_cast<QLineEdit*>(text);
  auto* box = qobject_cast<QPlainTextEdit*>(text);
  auto* rich = qobject_cast<QTextEdit*>(text);
  const QString whole = line ? line->text() : box ? box->toPlainText() : rich->toPlainText();
  auto replace = [&](const QString& t) {
    // Selected and replaced, so the box's own undo can take it back.
    if (line) {
      line->selectAll();
      line->insert(t);
    }
    if (box) {
      box->selectAll();
      box->insertPlainText(t);
    }
    if (rich) {
      rich->selectAll();
      rich->insertPlainText(t);
    }
  };
  switch (command) {
    case EditCommand::kUndo:
      if (line) line->undo();
      if (box) box->undo();
      if (rich) rich->undo();
      break;
    case EditCommand::kRedo:
      if (line) line->redo();
      if (box) box->redo();
      if (rich) rich->redo();
      break;
    case EditCommand::kCopy:
      QApplication::clipboard()->setText(whole);
      break;
    case EditCommand::kCut:
      QApplication::clipboard()->setText(whole);
      replace({});
      break;
    case EditCommand::kPaste:
      replace(QApplication::clipboard()->text());
      break;
    default:
      break;
  }
}

}  // namespace

bool runEditCommand(EditCommand command, const EditTarget& target) {
  if (target.grid) {
    runOnGrid(command, *target.grid);
    return true;
  }
  if (target.text) {
    runOnText(command, target.text);
    return true;
  }
  return false;
}

}  // namespace sq::forms
