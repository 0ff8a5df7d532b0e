#pragma once

#include <QDialog>

#include "strataquill/shell/tips.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace sq::forms {

// "Tip of the Day": one line of the tips file at a time, the next on each
// press of Next Tip, wrapping around; the check box that says whether the
// tips show at start-up is saved the moment it is clicked.
class frmTip : public QDialog {
  Q_OBJECT

 public:
  explicit frmTip(QWidget* parent = nullptr);

  void Form_Load();
  void cmdNextTip_Click();
  void cmdOK_Click();
  void chkLoadTipsAtStartup_Click();

  QLabel* lblTipText() const { return tipText_; }
  QCheckBox* chkLoadTipsAtStartup() const { return showTips_; }
  QPushButton* cmdNextTip() const { return next_; }
  QPushButton* cmdOK() const { return ok_; }
  const TipList& tips() const { return tips_; }

 private:
  void showCurrentTip();

  TipList tips_;
  QLabel* tipText_;
  QCheckBox* showTips_;
  QPushButton *next_, *ok_;
};

}  // namespace sq::forms
