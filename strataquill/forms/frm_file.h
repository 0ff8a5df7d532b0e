#pragma once

#include <QWidget>

#include <optional>
#include <string>

#include "strataquill/db/database.h"
#include "strataquill/forms/app_state.h"
#include "strataquill/forms/field_binding.h"

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

class frmMain;

// The data entry window: the project's description, the current boring's
// description and its lithology, sample and completion intervals, bound to
// the open project file. Edits are held in the grids and fields until
// UpdateRecordsets writes them: at a boring switch, around Copy Boring,
// before every print run and when the window unloads.
class frmFile : public QWidget {
  Q_OBJECT

 public:
  frmFile(AppState& state, frmMain& main, QWidget* parent = nullptr);
  ~frmFile() override;

  // The load steps. False when no project is open or the file was refused;
  // the window is then not to be shown.
  bool Form_Load();
  // The unload steps: save, close, clear the selector, no project. False
  // when the user chose to go back and correct what could not be saved.
  bool Form_Unload();

  // Operations, in the order the other windows know them.
  void CheckFileFormat(const std::string& CurrentFile);
  void CloseRecordsets();
  void CreateNewBoring(const std::string& newBoringName);
  std::string GetCurrentBoring() const;
  std::string GetSQL(const std::string& Boring, int whichTable) const;
  void InitializeComboBoxes();
  void InitializeRowHeights();
  void OpenRecordsets();
  void RemoveBoring(const std::string& Boring, bool Confirm);
  void SetBoringList(const std::optional<std::string>& CurrentBoringName = std::nullopt);
  void SetFormats();
  void SortSpreadControls() {}
  void UpdateUserHeaders();
  // Writes every pending edit; true when everything reached the file.
  bool UpdateRecordsets();
  // The window got the focus: the tab control takes it. With no project
  // open the window unloads itself.
  void Form_GotFocus();

  // The selector now names another boring: save (the boring the grids were
  // showing), reload for the selected one, refit. With `ask`, refused depth
  // cells are reported first and the user may stay to correct them (the
  // selector then goes back). False when the switch did not happen.
  bool switchToSelectedBoring(bool ask);
  // The boring the grids and fields show.
  const std::string& boundBoring() const { return boundBoring_; }
  bool hasPendingEdits() const;
  // Opens the sample label dialog with the focus on label `n`.
  void openSampleLabels(int n);
  // Problems found by the interval checks of the current boring.
  int intervalProblems() const { return intervalProblems_; }

  QTabWidget* SSTab1() const { return tabs_; }
  widgets::BoundGrid* sprdLithology() const { return lithology_; }
  widgets::BoundGrid* sprdSample() const { return sample_; }
  widgets::BoundGrid* sprdCompletion() const { return completion_; }
  QPlainTextEdit* txtCompletionNotes() const { return completionNotes_; }
  // A bound text box or list by its control name ("txtSupervisor").
  QWidget* control(const QString& name) const;

 signals:
  // The focused control or its state (active cell, selection) changed.
  void focusStateChanged();
  void intervalProblemsChanged(int count);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildLithologyTab();
  void buildSampleTab();
  void buildCompletionTab();
  void buildBoringTab();
  void buildProjectTab();
  QLineEdit* boundLine(FieldBinding& binding, const char* name, const char* field);
  QComboBox* boundList(FieldBinding& binding, const char* name, const char* field);
  void loadGrid(widgets::BoundGrid& grid, int whichTable);
  void recheckIntervals();
  bool confirmRefusals();
  bool saveBeforeLeaving(bool ask);
  void reportSaveFailure(const std::string& error);
  void setBoringControlsEnabled(bool enabled);

  AppState& state_;
  frmMain& main_;
  std::optional<db::Database> database_;
  std::string boundBoring_;
  bool readOnly_ = false;
  bool unloaded_ = false;
  int intervalProblems_ = 0;
  std::string lastFailure_;
  QString classLists_[3];  // lithology, samples, completion: tab-separated

  QTabWidget* tabs_;
  widgets::BoundGrid* lithology_;
  widgets::BoundGrid* sample_;
  widgets::BoundGrid* completion_;
  QPlainTextEdit* completionNotes_;
  FieldBinding projectFields_;
  FieldBinding boringFields_;
  QWidget* boringTab_ = nullptr;
};

}  // namespace sq::forms
