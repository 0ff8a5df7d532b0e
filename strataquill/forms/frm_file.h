#pragma once

#include <QWidget>

#include <string>

#include "strataquill/forms/app_state.h"
#include "strataquill/forms/data_entry_tabs.h"
#include "strataquill/forms/save_run.h"
#include "strataquill/project/save_policy.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

class SessionAdapter;

// The data entry window: the project's description, the current boring's
// description and its lithology, sample and completion intervals, bound to
// the open project through its session. Edits are held in the grids and
// fields until UpdateRecordsets writes them: before the current boring
// changes, around Copy Boring, before every print run and when the window
// unloads. A project that cannot be written is shown read-only.
class frmFile : public QWidget {
  Q_OBJECT

 public:
  frmFile(AppState& state, SessionAdapter& session, QWidget* parent = nullptr);
  ~frmFile() override;

  // The load steps, on the session's open project and current boring.
  // False when no project is open; the window is then not to be shown.
  bool Form_Load();
  // The unload steps: save, close, no project. False when the user chose
  // to go back and correct what could not be saved.
  bool Form_Unload();
  // Tells a user who opened a read-only project that changes cannot be
  // saved.
  void announceReadOnly();

  // Operations, in the order the other windows know them.
  void CloseRecordsets();
  std::string GetCurrentBoring() const;
  void InitializeComboBoxes();
  void InitializeRowHeights();
  void OpenRecordsets();
  // Deletes `Boring` (asking twice with `Confirm`). The grids' unsaved
  // edits of that boring are dropped only once the delete succeeded.
  void RemoveBoring(const std::string& Boring, bool Confirm);
  void SetFormats();
  void SortSpreadControls() {}
  void UpdateUserHeaders();
  // Writes every pending edit; true when everything reached the file.
  bool UpdateRecordsets();
  // The window got the focus: the tab control takes it. With no project
  // open the window unloads itself.
  void Form_GotFocus();

  // The boring the grids and fields show.
  const std::string& boundBoring() const { return boundBoring_; }
  bool hasPendingEdits() const;
  bool readOnly() const { return readOnly_; }
  // Opens the sample label dialog with the focus on label `n`.
  void openSampleLabels(int n);
  // Problems found in the current boring's cells: interval problems,
  // values not in their lists, depths that are not numbers.
  int intervalProblems() const { return intervalProblems_; }

  QTabWidget* SSTab1() const { return tabs_.tabs; }
  widgets::BoundGrid* sprdLithology() const { return tabs_.lithology; }
  widgets::BoundGrid* sprdSample() const { return tabs_.sample; }
  widgets::BoundGrid* sprdCompletion() const { return tabs_.completion; }
  QPlainTextEdit* txtCompletionNotes() const { return tabs_.completionNotes; }
  // The sign over the tabs that the project is read-only; hidden otherwise.
  QLabel* readOnlyBanner() const { return banner_; }
  // The sign that another user changed the boring shown, with its Reload
  // button; hidden otherwise.
  QWidget* changedBanner() const { return changed_; }
  QPushButton* cmdReload() const { return reload_; }
  // Saves what is pending and reads the boring again, with what other
  // users changed; false when the user kept the window as it is.
  bool reloadBoring();
  // A bound text box or list by its control name ("txtSupervisor").
  QWidget* control(const QString& name) const;

 signals:
  // The focused control or its state (active cell, selection) changed.
  void focusStateChanged();
  void intervalProblemsChanged(int count);
  // The window has no project to show and asks to be unloaded.
  void unloadRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void loadGrid(widgets::BoundGrid& grid, int whichTable);
  void recheckCells();
  bool confirmRefusals();
  bool saveBeforeLeaving(bool ask);
  void reportSaveFailure(const std::string& error, bool keptNothing = false);
  // Asks which version of each row in conflict to keep and saves again;
  // false when the user put it off.
  bool settleConflicts(std::vector<ConflictRow> rows);
  void showChangedByOthers();
  void setBoringControlsEnabled(bool enabled);
  void showReadOnly();

  AppState& state_;
  SessionAdapter& session_;
  std::string boundBoring_;
  bool readOnly_ = false;
  bool unloaded_ = false;
  int intervalProblems_ = 0;
  project::SaveFailureNotice notice_;
  QString classLists_[3];  // lithology, samples, completion: tab-separated
  DataEntryTabs tabs_;
  QLabel* banner_;
  QWidget* changed_;
  QLabel* changedText_;
  QPushButton* reload_;
};

}  // namespace sq::forms
