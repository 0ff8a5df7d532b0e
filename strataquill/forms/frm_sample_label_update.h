#pragma once

#include <QDialog>

#include "strataquill/forms/app_state.h"

class QLineEdit;
class QPushButton;

namespace sq::forms {

class frmFile;

// The "Sample User Labels" dialog: the ten labels that head the user
// columns of the samples grid and of the printed log, with the program-wide
// defaults a click away.
class frmSampleLabelUpdate : public QDialog {
  Q_OBJECT

 public:
  // `dataEntry` gets its headings refreshed on OK; it may be null.
  frmSampleLabelUpdate(AppState& state, frmFile* dataEntry, QWidget* parent = nullptr);

  // Shows the dialog modally with the focus in the box of label `n` (1 to
  // 10; another number leaves the focus where the dialog puts it).
  void SetButtonNumber(int n);

  void cmdSetAsDefault_Click();
  void cmdUseDefault_Click();
  void cmbOK_Click();
  void cmbCancel_Click();

  QLineEdit* Text1(int index) const { return boxes_[index]; }
  QPushButton* cmdSetAsDefault() const { return setAsDefault_; }
  QPushButton* cmdUseDefault() const { return useDefault_; }
  QPushButton* cmbOK() const { return ok_; }
  QPushButton* cmbCancel() const { return cancel_; }

 private:
  AppState& state_;
  frmFile* dataEntry_;
  QLineEdit* boxes_[10];
  QPushButton *setAsDefault_, *useDefault_, *ok_, *cancel_;
};

}  // namespace sq::forms
