#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace sq::forms {

class FolderChooser;

// The "Preferences" dialog: the company printed in log headers, the
// default sample titles, the folders the file dialogs open first and the
// tip of the day at start-up. It reads every value when it opens; OK saves
// them all, Cancel and the close box save nothing.
class frmPreferences : public QDialog {
  Q_OBJECT

 public:
  explicit frmPreferences(QWidget* parent = nullptr);

  void Form_Load();
  void cmdOK_Click();
  void cmdCancel_Click();

  QTabWidget* SSTab1() const { return tabs_; }
  QLineEdit* txtCompanyName() const { return company_[0]; }
  QLineEdit* txtCompanyAddress() const { return company_[1]; }
  QLineEdit* txtCompanyCity() const { return company_[2]; }
  QLineEdit* txtCompanyState() const { return company_[3]; }
  QLineEdit* txtCompanyZip() const { return company_[4]; }
  QLineEdit* txtCompanyCountry() const { return company_[5]; }
  // The company boxes in the order name, address, city, state, zip, country.
  QLineEdit* company(int i) const { return company_[i]; }
  QLineEdit* Text1(int i) const { return titles_[i]; }
  FolderChooser* defaultSQFile() const { return sqFiles_; }
  FolderChooser* defaultLayoutFile() const { return layoutFiles_; }
  QCheckBox* chkLoadTipsAtStartup() const { return showTips_; }
  QPushButton* cmdOK() const { return ok_; }
  QPushButton* cmdCancel() const { return cancel_; }

 private:
  QWidget* buildCompanyTab();
  QWidget* buildTitlesTab();
  QWidget* buildFilesTab();
  QWidget* buildAdditionalTab();

  QTabWidget* tabs_;
  std::array<QLineEdit*, 6> company_{};
  std::array<QLineEdit*, 10> titles_{};
  FolderChooser* sqFiles_ = nullptr;
  FolderChooser* layoutFiles_ = nullptr;
  QCheckBox* showTips_ = nullptr;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace sq::forms
