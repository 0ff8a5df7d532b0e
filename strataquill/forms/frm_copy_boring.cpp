#include "strataquill/forms/frm_copy_boring.h"

#include <tuple>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "strataquill/forms/child_window.h"
#include "strataquill/forms/session_adapter.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {

frmCopyBoring::frmCopyBoring(SessionAdapter& session, QWidget* parent)
    : QDialog(parent), session_(session) {
  setObjectName("frmCopyBoring");
  setWindowTitle("Copy Boring");
  auto* root = new QVBoxLayout(this);
  auto* names = new QGridLayout;
  copyFrom_ = new QComboBox(this);
  copyFrom_->setObjectName("cmbCopyFrom");
  copyTo_ = new SelectAllLineEdit(this);
  copyTo_->setObjectName("txtCopyTo");
  auto* fromLabel = new QLabel("Copy From (Existing Boring)", this);
  fromLabel->setBuddy(copyFrom_);
  auto* toLabel = new QLabel("Copy To (New Boring)", this);
  toLabel->setBuddy(copyTo_);
  names->addWidget(fromLabel, 0, 0);
  names->addWidget(copyFrom_, 1, 0);
  names->addWidget(toLabel, 0, 1);
  names->addWidget(copyTo_, 1, 1);
  root->addLayout(names);
  auto* frame = new QGroupBox("What do you wish to copy?", this);
  auto* boxes = new QGridLayout(frame);
  boringInfo_ = new QCheckBox("Boring Info.", frame);
  lithology_ = new QCheckBox("Lithology", frame);
  samples_ = new QCheckBox("Samples", frame);
  completion_ = new QCheckBox("Completion", frame);
  boringInfo_->setObjectName("chkBoringInfo");
  lithology_->setObjectName("chkLithology");
  samples_->setObjectName("chkSamples");
  completion_->setObjectName("chkCompletion");
  boxes->addWidget(boringInfo_, 0, 0);
  boxes->addWidget(lithology_, 0, 1);
  boxes->addWidget(samples_, 1, 0);
  boxes->addWidget(completion_, 1, 1);
  root->addWidget(frame);
  std::tie(ok_, cancel_) = addDialogButtons(this, root, "OK", "Cancel");
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

  const project::ProjectSession& project = session_.session();
  for (const std::string& name : project.borings())
    copyFrom_->addItem(QString::fromStdString(name));
  copyFrom_->setCurrentText(QString::fromStdString(project.currentBoring()));
}

void frmCopyBoring::cmdOK_Click() {
  const std::string source = copyFrom_->currentText().toStdString();
  const std::string target = copyTo_->text().toStdString();
  BusyCursor busy;
  project::CopyWhat what;
  what.boringInfo = boringInfo_->isChecked();
  what.lithology = lithology_->isChecked();
  what.samples = samples_->isChecked();
  what.completion = completion_->isChecked();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  const project::BoringChange r = session_.copyBoring(source, target, what);
  using Outcome = project::BoringChange::Outcome;
  switch (r.outcome) {
    case Outcome::kExists:
      prompts().message(target +
                            " already exists.  You cannot copy to an existing boring.  Either "
                            "change the name of the destination ('Copy to') boring or manually "
                            "delete " +
                            target + " before copying.",
                        "Boring already exists", MessageButtons::kOk, MessageIcon::kNone);
      return;
    case Outcome::kReadOnly:
      prompts().message(
          project::readOnlyText(session_.session().title(), "Borings cannot be copied in it."),
          "Can't Copy Boring", MessageButtons::kOk, MessageIcon::kExclamation);
      reject();
      return;
    case Outcome::kFailed:
      prompts().message("The boring " + source + " could not be copied to " + target + ".",
                        "Copy Boring", MessageButtons::kOk, MessageIcon::kExclamation);
      break;
    default:
      break;
  }
  accept();
}

void frmCopyBoring::cmdCancel_Click() {
  reject();
}

}  // namespace sq::forms
