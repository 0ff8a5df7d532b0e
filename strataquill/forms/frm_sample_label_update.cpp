#include "strataquill/forms/frm_sample_label_update.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "strataquill/forms/ui_environment.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/project_session.h"
#include "strataquill/project/sample_labels.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {

frmSampleLabelUpdate::frmSampleLabelUpdate(project::ProjectSession& session, std::string title,
                                           QWidget* parent)
    : QDialog(parent), session_(session), title_(std::move(title)) {
  setObjectName("frmSampleLabelUpdate");
  setWindowTitle("Sample User Labels");
  auto* root = new QVBoxLayout(this);
  auto* heading = new QLabel("User-Defined Sample Labels", this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  root->addWidget(heading);
  auto* grid = new QGridLayout;
  for (int i = 0; i < 10; ++i) {
    boxes_[i] = new SelectAllLineEdit(this);
    boxes_[i]->setObjectName(QString("Text1_%1").arg(i));
    auto* label = new QLabel(QString("User Item #%1").arg(i + 1), this);
    label->setBuddy(boxes_[i]);
    grid->addWidget(label, i % 5, (i / 5) * 2);
    grid->addWidget(boxes_[i], i % 5, (i / 5) * 2 + 1);
  }
  root->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  setAsDefault_ = new QPushButton("Set as Default", this);
  useDefault_ = new QPushButton("Use Default", this);
  ok_ = new QPushButton("OK", this);
  cancel_ = new QPushButton("Cancel", this);
  setAsDefault_->setObjectName("cmdSetAsDefault");
  useDefault_->setObjectName("cmdUseDefault");
  ok_->setObjectName("cmbOK");
  cancel_->setObjectName("cmbCancel");
  ok_->setDefault(true);
  buttons->addWidget(setAsDefault_);
  buttons->addWidget(useDefault_);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  root->addLayout(buttons);
  connect(setAsDefault_, &QPushButton::clicked, this, [this] { cmdSetAsDefault_Click(); });
  connect(useDefault_, &QPushButton::clicked, this, [this] { cmdUseDefault_Click(); });
  connect(ok_, &QPushButton::clicked, this, [this] { cmbOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmbCancel_Click(); });

  // A project without a label row shows empty boxes; OK adds the row.
  if (auto labels = session_.projectLabels())
    for (int i = 0; i < 10; ++i) boxes_[i]->setText(QString::fromStdString((*labels)[i]));
}

int frmSampleLabelUpdate::SetButtonNumber(int n) {
  if (n >= 1 && n <= 10) boxes_[n - 1]->setFocus();
  return execModal(*this);
}

void frmSampleLabelUpdate::cmdSetAsDefault_Click() {
  project::SampleLabels labels;
  for (int i = 0; i < 10; ++i) labels[i] = boxes_[i]->text().toStdString();
  project::SaveDefaultLabels(labels);
}

void frmSampleLabelUpdate::cmdUseDefault_Click() {
  const project::SampleLabels labels = project::DefaultLabels();
  for (int i = 0; i < 10; ++i) boxes_[i]->setText(QString::fromStdString(labels[i]));
}

void frmSampleLabelUpdate::cmbOK_Click() {
  project::SampleLabels labels;
  for (int i = 0; i < 10; ++i) {
    if (boxes_[i]->text().isEmpty()) boxes_[i]->setText(project::kUndefinedLabel);
    labels[i] = boxes_[i]->text().toStdString();
  }
  if (const db::Status s = session_.writeProjectLabels(labels); !s.ok()) {
    prompts().message(s.code() == db::ErrorCode::kReadOnly
                          ? project::readOnlyText(title_, "Its sample labels cannot be changed.")
                          : "The labels could not be saved to " + session_.path() + ".",
                      "Sample User Labels", MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  accept();
}

void frmSampleLabelUpdate::cmbCancel_Click() {
  reject();
}

}  // namespace sq::forms
