#include "strataquill/widgets/bound_grid.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <set>

#include "strataquill/widgets/cell_delegate.h"
#include "strataquill/widgets/tsv.h"

namespace sq::widgets {

BoundGrid::BoundGrid(QWidget* parent) : QTableView(parent), delegate_(nullptr) {
  setModel(&model_);
  delegate_ = new CellDelegate(model_, this);
  setItemDelegate(delegate_);
  setWordWrap(true);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  horizontalHeader()->viewport()->installEventFilter(this);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { emit activeCellChanged(); });
  // Enter ends the edit and goes on to the cell below, as in a spreadsheet.
  connect(delegate_, &CellDelegate::enterPressed, this, &BoundGrid::moveDown);
  // A row whose text changed takes the height its text needs.
  connect(&model_, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                 const QList<int>& roles) {
            if (!roles.isEmpty() && !roles.contains(Qt::EditRole) &&
                !roles.contains(Qt::DisplayRole))
              return;
            for (int r = topLeft.row(); r <= bottomRight.row(); ++r) fitRowHeight(r);
          });
}

void BoundGrid::setColumns(std::vector<ColumnSpec> columns) {
  model_.setColumns(std::move(columns));
  for (int c = 0; c < model_.columnCount(); ++c) setColumnHidden(c, model_.columns()[c].hidden);
}

int BoundGrid::activeRow() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.row() + 1 : 0;
}

int BoundGrid::activeColumn() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? i.column() + 1 : 0;
}

void BoundGrid::setActiveCell(int row, int column) {
  setCurrentIndex(model_.index(row - 1, column - 1));
}

void BoundGrid::commitEdit() {
  if (QWidget* editor = delegate_->openEditor()) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

std::vector<int> BoundGrid::targetRows() const {
  std::set<int> rows;
  if (selectionModel())
    for (const QModelIndex& i : selectionModel()->selectedIndexes()) rows.insert(i.row());
  if (rows.empty() && currentIndex().isValid()) rows.insert(currentIndex().row());
  return {rows.begin(), rows.end()};
}

void BoundGrid::copyRows() {
  commitEdit();
  QList<QStringList> rows;
  for (int r : targetRows()) {
    QStringList cells;
    for (int c = 0; c < model_.columnCount(); ++c)
      if (!model_.columns()[c].hidden) cells << model_.cellText(r, c);
    rows << cells;
  }
  if (!rows.isEmpty()) QApplication::clipboard()->setText(encodeTsv(rows));
}

void BoundGrid::cutRows() {
  commitEdit();
  RecordsetModel::EditGroup group(model_);
  copyRows();
  std::vector<int> rows = targetRows();
  // From the bottom, so the rows above keep their numbers.
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) model_.removeDataRow(*it);
}

void BoundGrid::pasteRows() {
  commitEdit();
  const QModelIndex at = currentIndex();
  if (!at.isValid()) return;
  const QList<QStringList> rows = decodeTsv(QApplication::clipboard()->text());
  std::vector<int> visible;
  for (int c = 0; c < model_.columnCount(); ++c)
    if (!model_.columns()[c].hidden) visible.push_back(c);
  const auto first = std::find(visible.begin(), visible.end(), at.column());
  if (first == visible.end()) return;
  RecordsetModel::EditGroup group(model_);
  for (int r = 0; r < rows.size(); ++r) {
    auto column = first;
    for (const QString& cell : rows[r]) {
      if (column == visible.end()) break;
      model_.setCellText(at.row() + r, *column++, cell);
    }
  }
}

void BoundGrid::insertRow() {
  commitEdit();
  const int row = activeRow();
  if (row < 1) return;
  model_.insertBlankRow(std::min(row - 1, model_.dataRowCount()));
  setActiveCell(row, std::max(1, activeColumn()));
}

void BoundGrid::deleteRow() {
  commitEdit();
  const int row = activeRow();
  if (row < 1) return;
  model_.removeDataRow(row - 1);
}

void BoundGrid::restoring(void (RecordsetModel::*step)()) {
  commitEdit();
  const QModelIndex at = currentIndex();
  (model_.*step)();
  fitAllRowHeights();
  if (at.isValid())
    setCurrentIndex(model_.index(std::min(at.row(), model_.rowCount() - 1), at.column()));
  emit activeCellChanged();
}

void BoundGrid::undo() {
  restoring(&RecordsetModel::undo);
}

void BoundGrid::redo() {
  restoring(&RecordsetModel::redo);
}

void BoundGrid::moveDown() {
  const QModelIndex at = currentIndex();
  if (!at.isValid() || at.row() + 1 >= model_.rowCount()) return;
  const QModelIndex below = model_.index(at.row() + 1, at.column());
  setCurrentIndex(below);
  scrollTo(below);
}

void BoundGrid::fitRowHeight(int row) {
  if (row < 0 || row >= model_.rowCount()) return;
  const int wanted = std::max(sizeHintForRow(row), verticalHeader()->defaultSectionSize());
  if (rowHeight(row) != wanted) setRowHeight(row, wanted);
}

void BoundGrid::fitAllRowHeights() {
  for (int r = 0; r < model_.dataRowCount(); ++r) fitRowHeight(r);
  // Spare rows keep no height of the rows that stood there before.
  const int plain = verticalHeader()->defaultSectionSize();
  for (int r = model_.dataRowCount(); r < model_.rowCount(); ++r)
    if (rowHeight(r) != plain) setRowHeight(r, plain);
}

void BoundGrid::keyPressEvent(QKeyEvent* event) {
  const bool editing = state() == QAbstractItemView::EditingState;
  // Delete clears the selected cells when no cell is being edited.
  if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier && !editing) {
    RecordsetModel::EditGroup group(model_);
    for (const QModelIndex& i : selectionModel()->selectedIndexes())
      if (!model_.columns()[i.column()].hidden) model_.setCellText(i.row(), i.column(), {});
    return;
  }
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !editing &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    moveDown();
    return;
  }
  QTableView::keyPressEvent(event);
}

bool BoundGrid::eventFilter(QObject* object, QEvent* event) {
  if (object == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::RightButton) {
      const int column = horizontalHeader()->logicalIndexAt(mouse->position().toPoint());
      if (column >= 0) emit headingRightClicked(column + 1);
      return true;
    }
  }
  return QTableView::eventFilter(object, event);
}

}  // namespace sq::widgets
