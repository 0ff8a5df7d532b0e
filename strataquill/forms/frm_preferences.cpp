#include "strataquill/forms/frm_preferences.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "strataquill/forms/folder_chooser.h"
#include "strataquill/shell/preferences.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/select_all_line_edit.h"

namespace sq::forms {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

const char* const kCompanyLabels[] = {"Name", "Address", "City", "State/Province",
                                      "Zip/Postal Code", "Country"};
const char* const kCompanyNames[] = {"txtCompanyName", "txtCompanyAddress", "txtCompanyCity",
                                     "txtCompanyState", "txtCompanyZip", "txtCompanyCountry"};

}  // namespace

frmPreferences::frmPreferences(QWidget* parent) : QDialog(parent) {
  setObjectName("frmPreferences");
  setWindowTitle("Preferences");
  auto* root = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  tabs_->addTab(buildCompanyTab(), "Company");
  tabs_->addTab(buildTitlesTab(), "Sample Titles");
  tabs_->addTab(buildFilesTab(), "Files");
  tabs_->addTab(buildAdditionalTab(), "Additional");
  root->addWidget(tabs_, 1);
  auto* buttons = new QHBoxLayout;
  ok_ = new QPushButton("OK", this);
  ok_->setObjectName("cmdOK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  root->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, &frmPreferences::cmdOK_Click);
  connect(cancel_, &QPushButton::clicked, this, &frmPreferences::cmdCancel_Click);
  Form_Load();
}

QWidget* frmPreferences::buildCompanyTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  auto* frame = new QGroupBox("Company Information", page);
  auto* form = new QFormLayout(frame);
  for (int i = 0; i < 6; ++i) {
    company_[i] = new SelectAllLineEdit(frame);
    company_[i]->setObjectName(kCompanyNames[i]);
    form->addRow(kCompanyLabels[i], company_[i]);
  }
  layout->addWidget(frame);
  layout->addStretch();
  return page;
}

QWidget* frmPreferences::buildTitlesTab() {
  auto* page = new QWidget;
  auto* form = new QFormLayout(page);
  for (int i = 0; i < 10; ++i) {
    titles_[i] = new SelectAllLineEdit(page);
    titles_[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
    form->addRow(QStringLiteral("User Item #%1").arg(i + 1), titles_[i]);
  }
  return page;
}

QWidget* frmPreferences::buildFilesTab() {
  auto* page = new QWidget;
  auto* layout = new QHBoxLayout(page);
  auto framed = [&](const char* caption, FolderChooser* chooser) {
    auto* frame = new QGroupBox(caption, page);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(chooser);
    layout->addWidget(frame);
  };
  sqFiles_ = new FolderChooser("drvDefaultSQFile", "dirDefaultSQFile");
  layoutFiles_ = new FolderChooser("drvDefaultLayoutFile", "dirDefaultLayoutFile");
  framed("Default Data File Directory", sqFiles_);
  framed("Default Layout File Directory", layoutFiles_);
  return page;
}

QWidget* frmPreferences::buildAdditionalTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  showTips_ = new QCheckBox("Show Tips at Startup", page);
  showTips_->setObjectName("chkLoadTipsAtStartup");
  layout->addWidget(showTips_);
  layout->addStretch();
  return page;
}

void frmPreferences::Form_Load() {
  const Preferences p = Preferences::load();
  for (int i = 0; i < 6; ++i) company_[i]->setText(qs(p.company[i]));
  for (int i = 0; i < 10; ++i) titles_[i]->setText(qs(p.sampleTitles[i]));
  // A remembered folder that has gone leaves the list at the program's.
  const std::string fallback = programFolder();
  sqFiles_->setFolder(qs(folderToShow(p.defaultSQFileDir, fallback)));
  layoutFiles_->setFolder(qs(folderToShow(p.defaultLayoutDir, fallback)));
  showTips_->setChecked(p.showTipsAtStartup != 0);
}

void frmPreferences::cmdOK_Click() {
  Preferences p;
  for (int i = 0; i < 6; ++i) p.company[i] = company_[i]->text().toStdString();
  for (int i = 0; i < 10; ++i) p.sampleTitles[i] = titles_[i]->text().toStdString();
  p.defaultSQFileDir = sqFiles_->folder().toStdString();
  p.defaultLayoutDir = layoutFiles_->folder().toStdString();
  p.showTipsAtStartup = showTips_->isChecked() ? 1 : 0;
  p.save();
  hide();
  accept();
}

void frmPreferences::cmdCancel_Click() {
  reject();
}

}  // namespace sq::forms
