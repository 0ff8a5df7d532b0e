#include "strataquill/forms/frm_copy_boring.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/project/borings.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {

frmCopyBoring::frmCopyBoring(AppState& state, frmMain& main)
    : QDialog(&main), state_(state), main_(main) {
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
  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  ok_->setObjectName("cmdOK");
  cancel_->setObjectName("cmdCancel");
  ok_->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  root->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

  for (const std::string& name : main_.boringList()) copyFrom_->addItem(QString::fromStdString(name));
  copyFrom_->setCurrentText(QString::fromStdString(main_.GetCurrentBoring()));
}

void frmCopyBoring::cmdOK_Click() {
  const std::string source = copyFrom_->currentText().toStdString();
  const std::string target = copyTo_->text().toStdString();
  BusyCursor busy;
  if (main_.BoringExists(target)) {
    prompts().message(target +
                          " already exists.  You cannot copy to an existing boring.  Either "
                          "change the name of the destination ('Copy to') boring or manually "
                          "delete " +
                          target + " before copying.",
                      "Boring already exists", MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  QApplication::processEvents();
  project::CopyWhat what;
  what.boringInfo = boringInfo_->isChecked();
  what.lithology = lithology_->isChecked();
  what.samples = samples_->isChecked();
  what.completion = completion_->isChecked();
  auto database = db::Database::open(state_.CurrentProjectPath);
  if (!database.ok() || !project::CopyBoringTables(database.value(), source, target, what).ok())
    prompts().message("The boring " + source + " could not be copied to " + target + ".",
                      "Copy Boring", MessageButtons::kOk, MessageIcon::kExclamation);
  if (frmFile* file = main_.dataEntryWindow()) file->SetBoringList(target);
  accept();
}

void frmCopyBoring::cmdCancel_Click() {
  reject();
}

}  // namespace sq::forms
