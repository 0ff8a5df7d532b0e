#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace sq::forms {

class SessionAdapter;

// The "Copy Boring" dialog: copies the chosen parts of one boring to a new
// boring name.
class frmCopyBoring : public QDialog {
  Q_OBJECT

 public:
  // Copies within `session`'s project; `parent` owns the dialog.
  frmCopyBoring(SessionAdapter& session, QWidget* parent);

  void cmdOK_Click();
  void cmdCancel_Click();

  QComboBox* cmbCopyFrom() const { return copyFrom_; }
  QLineEdit* txtCopyTo() const { return copyTo_; }
  QCheckBox* chkBoringInfo() const { return boringInfo_; }
  QCheckBox* chkLithology() const { return lithology_; }
  QCheckBox* chkSamples() const { return samples_; }
  QCheckBox* chkCompletion() const { return completion_; }
  QPushButton* cmdOK() const { return ok_; }
  QPushButton* cmdCancel() const { return cancel_; }

 private:
  SessionAdapter& session_;
  QComboBox* copyFrom_;
  QLineEdit* copyTo_;
  QCheckBox *boringInfo_, *lithology_, *samples_, *completion_;
  QPushButton *ok_, *cancel_;
};

}  // namespace sq::forms
