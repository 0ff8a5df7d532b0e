#pragma once

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "strataquill/db/database.h"

class QTabWidget;

namespace sq::widgets {
class BoundGrid;
}

namespace sq::forms {

// What the two designers share: tabs of grids bound to the tables of one
// file, which are written when the window closes and before every print
// run. A file that cannot be written opens for reading only and says so; a
// save that fails is reported and the window stays open unless the user
// chooses to lose the changes.
class DesignerWindow : public QWidget {
  Q_OBJECT

 public:
  DesignerWindow(const char* name, QWidget* parent = nullptr);
  ~DesignerWindow() override;

  // Writes every pending edit; true when all of it reached the file.
  virtual bool UpdateRecordsets();
  void CloseRecordsets();
  // The unload steps: save (asking when that fails), close the record
  // sets. False when the user chose to stay and keep the changes.
  bool Form_Unload();
  // The window got the focus: it closes when its file is gone, else the
  // tab strip takes the focus.
  void Form_GotFocus();

  QTabWidget* SSTab1() const { return tabs_; }
  const std::vector<widgets::BoundGrid*>& grids() const { return grids_; }
  const std::string& filePath() const { return path_; }
  bool readOnly() const { return readOnly_; }
  virtual bool hasPendingEdits() const;
  // Whether the file still exists.
  bool fileExists() const;

 signals:
  // The focused control or its state changed (for the Edit menu).
  void focusStateChanged();

 protected:
  // Whether the window may stay open: its file is still there.
  virtual bool stillValid() const { return fileExists(); }
  // Opens `path` after checking that it can be written: read-only files
  // are said to be so and their grids take no edits. False when it cannot
  // be opened.
  bool openFile(const std::string& path, const std::string& shownName);
  // Adds a tab holding `grid`, or `page` with the grid on it.
  void addGridTab(const QString& title, widgets::BoundGrid* grid, QWidget* page = nullptr);
  // Loads `source` (a table or a query) into `grid`; a failing step leaves
  // the grid empty with its spare rows.
  void loadGrid(widgets::BoundGrid& grid, const std::string& source);
  // Sets a column width given in twips.
  static void setTwipsWidth(widgets::BoundGrid& grid, int column, int twips);
  // Saves the grids; the first failure's reason goes to `error`.
  bool saveGrids(std::string& error);
  // The name the messages use for the file ("the layout Site.sqf").
  std::string shownName_;

  void closeEvent(QCloseEvent* event) override;
  // Cells of number columns holding something else are named, and the user
  // may go back to correct them (false) instead of losing them.
  bool confirmRefusals();

  std::optional<db::Database> database_;
  QTabWidget* tabs_;
  std::vector<widgets::BoundGrid*> grids_;
  std::string path_;
  bool readOnly_ = false;
  bool unloaded_ = false;
  std::string lastFailure_;
};

}  // namespace sq::forms
