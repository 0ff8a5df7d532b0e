#pragma once

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace sq::project {
class ProjectSession;
}

namespace sq::forms {

// The "Export AGS4" dialog: the whole project or chosen borings, the file
// to write and the choices of the file's contents. It writes nothing but
// the user's settings (the date order, the completion targets); the caller
// exports what it was told.
class frmAgsExport : public QDialog {
  Q_OBJECT

 public:
  frmAgsExport(const project::ProjectSession& session, std::string classificationFile,
               QWidget* parent);

  // The borings to export: empty for the whole project.
  std::vector<std::string> chosenBorings() const;
  std::string filePath() const;
  // The dialog's choices over `options`.
  void applyTo(exchange::AgsExportOptions& options) const;

  void cmdBrowse_Click();
  void cmdCompletion_Click();
  void cmdOK_Click();
  void cmdCancel_Click();

  QRadioButton* optWholeProject() const { return whole_; }
  QRadioButton* optChosenBorings() const { return chosen_; }
  QListWidget* lstBorings() const { return borings_; }
  QLineEdit* txtFile() const { return file_; }
  QLineEdit* txtStatus() const { return status_; }
  QComboBox* cmbDates() const { return dates_; }
  QCheckBox* chkUserHeadings() const { return userHeadings_; }
  QPushButton* cmdCompletion() const { return completion_; }
  QPushButton* cmdOK() const { return ok_; }

 private:
  std::string classificationFile_;
  std::string folder_;  // where a file name typed without a folder goes
  QRadioButton *whole_, *chosen_;
  QListWidget* borings_;
  QLineEdit *file_, *status_;
  QComboBox* dates_;
  QCheckBox* userHeadings_;
  QPushButton *browse_, *completion_, *ok_, *cancel_;
};

// The "AGS4 Completion Targets" dialog: for each completion class of the
// classification file, the PIPE and BKFL rows it is exported as (and read
// back from). OK stores the targets the user changed.
class frmAgsCompletion : public QDialog {
  Q_OBJECT

 public:
  frmAgsCompletion(const std::string& classificationFile, QWidget* parent);

  // Sets the target text of `className` as typed ("default" restores it).
  // False when the class is not listed.
  bool setTargetText(const std::string& className, const std::string& text);

  void cmdOK_Click();
  void cmdCancel_Click();

  QTableWidget* grdTargets() const { return table_; }

 private:
  QComboBox* targetBox(int row) const;

  exchange::CompletionMapping mapping_;
  QTableWidget* table_;
  QPushButton *ok_, *cancel_;
};

// The "Import AGS4" dialog: the summary of what the import would write,
// the "replace" choice and OK/Cancel. It writes nothing; the caller applies
// the plan once the user confirmed it.
class frmAgsImport : public QDialog {
  Q_OBJECT

 public:
  // Reads the file with the project's dates in the given order.
  using Planner = std::function<exchange::AgsImportPlan(exchange::DateOrder)>;

  // `target` says where the borings go ("the project Site.sq2").
  frmAgsImport(const std::string& fileName, const std::string& target, Planner planner,
               exchange::AgsImportPlan plan, exchange::DateOrder order, QWidget* parent);

  const exchange::AgsImportPlan& plan() const { return plan_; }
  bool replaceExisting() const;
  exchange::DateOrder dateOrder() const;

  void cmdOK_Click();
  void cmdCancel_Click();

  QPlainTextEdit* txtSummary() const { return summary_; }
  QCheckBox* chkReplace() const { return replace_; }
  QComboBox* cmbDates() const { return dates_; }
  QPushButton* cmdOK() const { return ok_; }

 private:
  void showPlan();

  Planner planner_;
  exchange::AgsImportPlan plan_;
  QLabel* heading_;
  QPlainTextEdit* summary_;
  QCheckBox* replace_;
  QComboBox* dates_;
  QPushButton *ok_, *cancel_;
};

}  // namespace sq::forms
