#pragma once

#include <QTableView>

#include "strataquill/widgets/recordset_model.h"

namespace sq::widgets {

class CellDelegate;

// The one data-bound grid of the program: a table view over a
// RecordsetModel. Rows and columns are counted from 1 as the windows speak
// of them, with the headings in row 0: the active row is 0 when no cell is
// current. Row commands act at the active row; cut, copy and paste move
// whole rows (the selected ones, or the active one) through the clipboard
// as tab-separated text, so rows travel to and from spreadsheets.
class BoundGrid : public QTableView {
  Q_OBJECT

 public:
  explicit BoundGrid(QWidget* parent = nullptr);

  RecordsetModel& model() { return model_; }
  const RecordsetModel& model() const { return model_; }

  // Applies the model's columns: hidden ones, editors by kind.
  void setColumns(std::vector<ColumnSpec> columns);

  int activeRow() const;
  int activeColumn() const;
  // REQUIRES: row >= 1, column >= 1
  void setActiveCell(int row, int column);

  // Ends the edit of the cell being typed in, keeping what was typed.
  void commitEdit();
  bool isEditing() const { return state() == QAbstractItemView::EditingState; }

  void copyRows();
  void cutRows();
  void pasteRows();
  void insertRow();
  void deleteRow();
  // Takes back (does again) the last edit: a cell, a paste, a row
  // inserted or deleted.
  void undo();
  void redo();
  // The active cell moves one row down, as Enter does.
  void moveDown();

  // Fits a row's height to its tallest text; InitializeRowHeights does
  // every data row (and gives the spare rows below them their plain height).
  void fitRowHeight(int row);
  void fitAllRowHeights();

 signals:
  // A single right-button click on the heading of `column` (from 1).
  void headingRightClicked(int column);
  // The active cell moved.
  void activeCellChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  // Data rows (from 0) that the row commands act on: the selected rows, or
  // the active one.
  std::vector<int> targetRows() const;
  // Runs an undo or redo and puts the active cell back where it was.
  void restoring(void (RecordsetModel::*step)());

  RecordsetModel model_;
  CellDelegate* delegate_;
};

}  // namespace sq::widgets
