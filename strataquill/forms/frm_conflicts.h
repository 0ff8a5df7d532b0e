#pragma once

#include <QDialog>

#include <string>
#include <vector>

#include "strataquill/forms/save_run.h"

class QPushButton;
class QRadioButton;
class QTableWidget;

namespace sq::forms {

// Shows the rows that another user changed (or removed) after this window
// read them, their version and the user's side by side, and asks for each
// row which one to keep. Nothing was written of these rows; "Decide Later"
// leaves the user's edits pending for the next save.
class frmConflicts : public QDialog {
  Q_OBJECT

 public:
  frmConflicts(std::vector<ConflictRow> rows, QWidget* parent = nullptr);

  int rowCount() const { return static_cast<int>(rows_.size()); }
  QRadioButton* optKeepMine(int row) const { return keepMine_[row]; }
  QRadioButton* optTakeTheirs(int row) const { return takeTheirs_[row]; }
  QTableWidget* versions(int row) const { return tables_[row]; }
  QPushButton* cmdOK() const { return ok_; }
  QPushButton* cmdCancel() const { return cancel_; }

  // Settles every row as chosen; the first failure's reason, or "".
  std::string apply();

 private:
  void updateOK();

  std::vector<ConflictRow> rows_;
  std::vector<QRadioButton*> keepMine_, takeTheirs_;
  std::vector<QTableWidget*> tables_;
  QPushButton *ok_, *cancel_;
};

}  // namespace sq::forms
