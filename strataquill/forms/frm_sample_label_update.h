#pragma once

#include <QDialog>

#include <string>

class QLineEdit;
class QPushButton;

namespace sq::forms {}  // namespace sq::forms

namespace sq::project {
class ProjectSession;
}

namespace sq::forms {

// The "Sample User Labels" dialog: the ten labels that head the user
// columns of the samples grid and of the printed log, with the program-wide
// defaults a click away.
class frmSampleLabelUpdate : public QDialog {
  Q_OBJECT

 public:
  // Edits the labels of `session`'s project, named `title` in messages.
  frmSampleLabelUpdate(project::ProjectSession& session, std::string title,
                       QWidget* parent = nullptr);

  // Shows the dialog modally with the focus in the box of label `n` (1 to
  // 10; another number leaves the focus where the dialog puts it); the
  // dialog's result, Accepted when the labels were saved.
  int SetButtonNumber(int n);

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
  project::ProjectSession& session_;
  std::string title_;
  QLineEdit* boxes_[10];
  QPushButton *setAsDefault_, *useDefault_, *ok_, *cancel_;
};

}  // namespace sq::forms
