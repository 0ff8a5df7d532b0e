#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "strataquill/forms/app_state.h"
#include "strataquill/forms/frm_classification_design.h"
#include "strataquill/forms/frm_layout_design.h"
#include "strataquill/forms/session_adapter.h"
#include "strataquill/project/project_session.h"
#include "strataquill/render/print_context.h"
#include "strataquill/render/printer_choice.h"

class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QTimer;
class QToolBar;

namespace sq {
class HelpWindow;
namespace render {
class frmPrint;
}
namespace widgets {
class BoundGrid;
}
}  // namespace sq

namespace sq::forms {

class frmClassificationDesign;
class frmCrossSection;
class frmFile;
class frmSiteMap;

// The main window: the MDI parent with the menus, the toolbar and its boring
// selector, the splash timer and the program-wide state. It owns the project
// session that every window works on; the selector shows the session's
// current boring. Every command of the menus and the toolbar runs through
// one QAction, whose enabling is computed from the active child window and
// its focused control, so shortcuts and toolbar buttons obey the same rules
// as the menus.
class frmMain : public QMainWindow, public render::PrintContext {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  AppState& state() { return state_; }
  project::ProjectSession& session() { return session_; }

  // The start-up sequence; `commandLine` is the program's arguments joined
  // with blanks, as the system hands them over.
  void Form_Load(const std::string& commandLine);
  // The splash timer: ends the splash and enables menus and toolbar.
  void tmrSplash_Timer();
  QTimer* tmrSplash() const { return tmrSplash_; }

  // Public operations.
  std::string GetCurrentBoring() const;
  void AddBoring();
  bool BoringExists(const std::string& name) const;
  void RemoveBoring();
  void UpdateMenuBar();
  void OpenExistingStrataquillFile();
  // File > Open Server Project: a project on a database server.
  void OpenServerProject();
  void CreateNewStrataquillFile();
  void CreateNewFormatFile();
  void PageFormat();

  // Menu commands.
  void mnuClose_Click();
  bool mnuExit_Click();
  void printDispatch(int destination);
  void mnuUndo_Click();
  void mnuRedo_Click();
  void mnuCut_Click();
  void mnuCopy_Click();
  void mnuPaste_Click();
  void mnuInsertRow_Click();
  void mnuDeleteRow_Click();
  void mnuSampleHeadings_Click();
  void mnuCopyBoring_Click();
  void mnuEditLayout_Click();
  void mnuEditClassifications_Click();
  void mnuContents_Click();
  void mnuShowToolTip_Click();
  void mnuAboutStrataquill_Click();
  // View > Site Map and View > Cross-Section: each window once, made on
  // demand; the section shows `borings` when given.
  void mnuSiteMap_Click();
  void mnuCrossSection_Click();
  void showCrossSection(const std::vector<std::string>& borings);
  frmSiteMap* siteMapWindow() const;
  frmCrossSection* crossSectionWindow() const;
  // File > Export > AGS4 and File > Import > AGS4 (into the open project,
  // or a new one when none is open).
  void mnuExportAgs_Click();
  void mnuImportAgs_Click();
  void tbToolBar_ButtonClick(const QString& key);
  // The selector's selection handling: save, reload, refit.
  void cmbBoringSelect_Click();

  // The boring selector, which shows the session's list and current boring.
  QComboBox* cmbBoringSelect() const { return cmbBoringSelect_; }
  std::vector<std::string> boringList() const;
  // Shows `name` in the selector as the user's pick does, before the
  // selection handling runs.
  void selectBoringText(const std::string& name);

  // Unloads the data entry window, then opens `path` in a new one. False
  // when the file was refused or the open window would not close.
  bool openProject(const std::string& path, const std::string& title);
  // Opens a project as the user named it: a project file, a server address
  // or a link file (.sqp) that holds one.
  bool openNamedProject(const std::string& named);
  // The File menu's list of the projects opened last.
  QMenu* recentMenu() const { return recent_; }
  void fillRecentMenu();
  // Unloads the data entry window (it saves first); false when the user
  // chose to go back to correct something.
  bool unloadDataEntry();
  frmFile* dataEntryWindow() const;
  frmClassificationDesign* classificationDesigner() const { return classification_; }
  frmLayoutDesign* layoutDesigner() const { return layout_; }
  HelpWindow* helpWindow() const;
  QMdiArea* mdiArea() const { return mdi_; }
  QAction* action(const QString& name) const;
  QMenu* menu(const QString& name) const;
  QToolBar* toolBar() const { return toolBar_; }
  QLabel* intervalStatus() const { return intervalStatus_; }
  QWidget* splash() const;
  // Whether a command that saves or switches is running; commands that
  // would close or replace windows wait for it.
  bool busy() const { return busy_ > 0; }

  // Recomputes the enabling of every menu item and toolbar button.
  void updateMenus();

  // The printer-setup dialog; tests replace it. It returns whether a
  // printer was chosen.
  static void setPrinterSetupHook(std::function<bool(QPrinter&)> hook);

  // PrintContext.
  std::vector<std::string> boringNames() const override { return boringList(); }
  std::string currentBoring() const override { return GetCurrentBoring(); }
  std::string projectPath() const override { return state_.CurrentProjectPath; }
  const db::Database* projectDatabase() const override { return session_.database(); }
  std::string designerLayoutPath() const override { return state_.DesignerLayoutPath; }
  std::string classificationFile() const override { return state_.ClassificationFile; }
  std::string patternFolder() const override { return state_.PatternsFolder; }
  void saveOpenEditors() override;
  render::PrinterChoice& printerChoice() override { return printer_; }
  void printSetup() override { PageFormat(); }
  QWidget* mainWindow() const override { return const_cast<frmMain*>(this); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  enum class ChildKind { kNone, kFile, kLayoutDesign, kClassificationDesign, kFigure, kOther };
  class BusyScope;

  void createActions();
  void createMenus();
  void createToolBar();
  void createRecentMenu();
  QAction* makeAction(const char* name, const QString& text, const QKeySequence& shortcut,
                      void (frmMain::*slot)());
  // The Import and Export submenus of `file`, before `before`.
  void addExchangeMenus(QMenu* file, QAction* before);
  void updateFileMenu();
  void updateEditMenu();
  void updateBoringsMenu();
  void updateLayoutMenu();
  void updateClassificationsMenu();
  void updateViewMenu();
  // The figure windows follow the project: they close with it and compose
  // again when its borings change.
  void watchProjectForFigures();
  void setMenusEnabled(bool enabled);
  ChildKind activeChildKind() const;
  bool isShortcutTarget(QObject* object) const;
  void watchFocus(QWidget* now);
  void showIntervalProblems(int count);
  // Runs an Edit command on the focused control of the active child.
  void editFocusedControl(int command);
  // The selector follows the session.
  void showBoringList();
  void showCurrentBoring();
  // Shows `child` as a child window that deletes itself when it closes.
  QMdiSubWindow* addChild(QWidget* child);
  // Opens the layout designer on `path`; false when it did not open.
  bool openLayoutDesigner(const std::string& path, const std::string& title);
  // Shows a designer that has loaded; `gotFocus` runs whenever it becomes
  // the active child window.
  void showDesigner(DesignerWindow* designer, std::function<void()> gotFocus);
  // The free area of the screen the window is on.
  QRect availableScreen() const;

  AppState state_;
  project::ProjectSession session_;
  SessionAdapter adapter_;
  QMdiArea* mdi_;
  QToolBar* toolBar_ = nullptr;
  QWidget* selectorPlaceholder_ = nullptr;
  QComboBox* cmbBoringSelect_ = nullptr;
  QMenu* recent_ = nullptr;
  QTimer* tmrSplash_;
  QLabel* intervalStatus_;
  QPointer<QWidget> splash_;
  QPointer<frmFile> file_;
  QPointer<QMdiSubWindow> fileWindow_;
  QPointer<frmClassificationDesign> classification_;
  QPointer<frmLayoutDesign> layout_;
  QPointer<HelpWindow> help_;
  QPointer<frmSiteMap> siteMap_;
  QPointer<frmCrossSection> crossSection_;
  QPointer<render::frmPrint> print_;
  render::PrinterChoice printer_;
  std::map<QString, QAction*> actions_;
  std::map<QString, QMenu*> menus_;
  std::map<QString, QAction*> buttons_;  // toolbar key -> button
  bool menusEnabled_ = false;
  int busy_ = 0;
  bool closePending_ = false;
  QMetaObject::Connection selectionWatch_;
};

// Marks a command that saves or switches borings: while it runs (and lets
// events through) nothing may close the windows it works on. A close that
// arrives meanwhile is done when it ends.
class frmMain::BusyScope {
 public:
  explicit BusyScope(frmMain& main);
  ~BusyScope();
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  frmMain& main_;
};

}  // namespace sq::forms
