// The main window's commands: every QAction made in one place, the enabling
// of each top-level menu, the toolbar and the Edit commands on the focused
// control.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolBar>

#include "strataquill/forms/edit_commands.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/frm_preferences.h"
#include "strataquill/forms/toolbar_icons.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/render/print_run.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {
namespace {

// The width of the toolbar's selector placeholder and the selector's inset
// on each side, in twips.
constexpr int kPlaceholderTwips = 2600;
constexpr int kSelectorInsetTwips = 72;

int twipsToPixels(int twips, const QWidget* w) {
  return qRound(twips * w->logicalDpiX() / 1440.0);
}

}  // namespace

QAction* frmMain::makeAction(const char* name, const QString& text, const QKeySequence& shortcut,
                             void (frmMain::*slot)()) {
  auto* a = new QAction(text, this);
  a->setObjectName(name);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  if (slot) connect(a, &QAction::triggered, this, slot);
  actions_[name] = a;
  return a;
}

void frmMain::createActions() {
  makeAction("mnuOpenProject", "&Open Project", QKeySequence(Qt::CTRL | Qt::Key_O),
             &frmMain::OpenExistingStrataquillFile);
  makeAction("mnuOpenServerProject", "Open &Server Project...", {}, &frmMain::OpenServerProject);
  makeAction("mnuNewProject", "&New Project", QKeySequence(Qt::CTRL | Qt::Key_N),
             &frmMain::CreateNewStrataquillFile);
  makeAction("mnuClose", "&Close", {}, &frmMain::mnuClose_Click);
  makeAction("mnuImportAgs", "&AGS4...", {}, &frmMain::mnuImportAgs_Click);
  makeAction("mnuExportAgs", "&AGS4...", {}, &frmMain::mnuExportAgs_Click);
  makeAction("mnuPrintSetup", "Print Set&up", {}, &frmMain::PageFormat);
  connect(makeAction("mnuPrintPreview", "Print Pre&view", {}, nullptr), &QAction::triggered, this,
          [this] { printDispatch(render::kToPreview); });
  connect(makeAction("mnuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), nullptr),
          &QAction::triggered, this, [this] { printDispatch(render::kToPrinter); });
  connect(makeAction("mnuExit", "E&xit", {}, nullptr), &QAction::triggered, this,
          [this] { mnuExit_Click(); });
  makeAction("mnuUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), &frmMain::mnuUndo_Click);
  makeAction("mnuRedo", "&Redo", QKeySequence(Qt::CTRL | Qt::Key_Y), &frmMain::mnuRedo_Click)
      ->setShortcuts(
          {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  makeAction("mnuCut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X), &frmMain::mnuCut_Click);
  makeAction("mnuCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C), &frmMain::mnuCopy_Click);
  makeAction("mnuPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V), &frmMain::mnuPaste_Click);
  makeAction("mnuInsertRow", "&Insert Row", QKeySequence(Qt::SHIFT | Qt::Key_Insert),
             &frmMain::mnuInsertRow_Click);
  makeAction("mnuDeleteRow", "&Delete Row", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
             &frmMain::mnuDeleteRow_Click);
  makeAction("mnuSampleHeadings", "&Sample Headings", {}, &frmMain::mnuSampleHeadings_Click);
  connect(makeAction("mnuPreferences", "P&references", {}, nullptr), &QAction::triggered, this,
          [this] {
            frmPreferences dialog(this);
            execModal(dialog);
          });
  makeAction("mnuAddBoring", "&Add Boring", {}, &frmMain::AddBoring);
  makeAction("mnuCopyBoring", "&Copy Boring", {}, &frmMain::mnuCopyBoring_Click);
  makeAction("mnuRemoveBoring", "&Remove Boring", {}, &frmMain::RemoveBoring);
  makeAction("mnuEditLayout", "&Edit Layout", {}, &frmMain::mnuEditLayout_Click);
  makeAction("mnuCreateNewLayout", "&Create New Layout", {}, &frmMain::CreateNewFormatFile);
  makeAction("mnuEditClassifications", "&Edit Classifications", {},
             &frmMain::mnuEditClassifications_Click);
  makeAction("mnuSiteMap", "&Site Map", {}, &frmMain::mnuSiteMap_Click);
  makeAction("mnuCrossSection", "&Cross-Section", {}, &frmMain::mnuCrossSection_Click);
  makeAction("mnuContents", "&Contents", QKeySequence(Qt::Key_F1), &frmMain::mnuContents_Click);
  makeAction("mnuShowToolTip", "Show &Tool Tip", {}, &frmMain::mnuShowToolTip_Click);
  makeAction("mnuAboutStrataquill", "&About Strataquill", {}, &frmMain::mnuAboutStrataquill_Click);
}

void frmMain::createMenus() {
  auto add = [this](const char* name, const QString& title,
                    std::initializer_list<const char*> items) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    for (const char* item : items) {
      if (std::string_view(item) == "-") {
        m->addSeparator();
      } else {
        m->addAction(actions_.at(item));
      }
    }
    connect(m, &QMenu::aboutToShow, this, [this] { updateMenus(); });
    menus_[name] = m;
  };
  add("mnuFile", "&File",
      {"mnuOpenProject", "mnuOpenServerProject", "mnuNewProject", "mnuClose", "-", "mnuPrintSetup",
       "mnuPrintPreview", "mnuPrint", "-", "mnuExit"});
  createRecentMenu();
  addExchangeMenus(menus_.at("mnuFile"), actions_.at("mnuPrintSetup"));
  add("mnuEdit", "&Edit",
      {"mnuUndo", "mnuRedo", "-", "mnuCut", "mnuCopy", "mnuPaste", "-", "mnuInsertRow",
       "mnuDeleteRow", "-", "mnuSampleHeadings", "-", "mnuPreferences"});
  add("mnuView", "&View", {"mnuSiteMap", "mnuCrossSection"});
  add("mnuBorings", "&Borings", {"mnuAddBoring", "mnuCopyBoring", "mnuRemoveBoring"});
  add("mnuLayout", "&Layout", {"mnuEditLayout", "mnuCreateNewLayout"});
  add("mnuClassifications", "&Classifications", {"mnuEditClassifications"});
  add("mnuHelp", "&Help", {"mnuContents", "-", "mnuShowToolTip", "-", "mnuAboutStrataquill"});
}

void frmMain::createToolBar() {
  toolBar_ = addToolBar("Toolbar");
  toolBar_->setObjectName("tbToolBar");
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(24, 24));
  auto button = [this](const char* key, const char* image, const char* caption) {
    QAction* b = toolBar_->addAction(toolbarIcon(image), caption);
    b->setObjectName(key);
    b->setToolTip(caption);
    b->setStatusTip(caption);
    connect(b, &QAction::triggered, this, [this, key] { tbToolBar_ButtonClick(key); });
    buttons_[key] = b;
  };
  button("NEWPROJECT", "NEWPROJECT", "New Project");
  button("OPENPROJECT", "OPENPROJECT", "Open Project");
  button("CLOSE", "CLOSEPROJECT", "Close");
  toolBar_->addSeparator();
  button("PRINT", "PRINT", "Print");
  button("PRINTPREVIEW", "PRINTPREVIEW", "Print Preview");
  toolBar_->addSeparator();
  button("INSERTROW", "INSERTROW", "Insert Row");
  button("DELETEROW", "DELETEROW", "Delete Row");
  toolBar_->addSeparator();
  selectorPlaceholder_ = new QWidget(toolBar_);
  selectorPlaceholder_->setObjectName("cmbBoringSelectPlaceholder");
  selectorPlaceholder_->setFixedWidth(twipsToPixels(kPlaceholderTwips, this));
  cmbBoringSelect_ = new QComboBox(selectorPlaceholder_);
  cmbBoringSelect_->setObjectName("cmbBoringSelect");
  cmbBoringSelect_->setToolTip("Current Boring");
  cmbBoringSelect_->setMaxVisibleItems(25);
  selectorPlaceholder_->setFixedHeight(cmbBoringSelect_->sizeHint().height());
  toolBar_->addWidget(selectorPlaceholder_);
  connect(cmbBoringSelect_, &QComboBox::activated, this, [this] { cmbBoringSelect_Click(); });
  toolBar_->addSeparator();
  button("ADDBORING", "ADDBORING", "Add Boring");
  button("COPYBORING", "COPYBORING", "Copy Boring");
  button("REMOVEBORING", "DELETEBORING", "Remove Boring");
  toolBar_->addSeparator();
  button("HELP", "HELP", "Help");
}

void frmMain::UpdateMenuBar() {
  if (!selectorPlaceholder_) return;
  const int inset = twipsToPixels(kSelectorInsetTwips, this);
  cmbBoringSelect_->raise();
  cmbBoringSelect_->setGeometry(inset, 0, selectorPlaceholder_->width() - 2 * inset,
                                selectorPlaceholder_->height());
}

void frmMain::tbToolBar_ButtonClick(const QString& key) {
  static const std::map<QString, QString> commands = {{"NEWPROJECT", "mnuNewProject"},
                                                      {"OPENPROJECT", "mnuOpenProject"},
                                                      {"CLOSE", "mnuClose"},
                                                      {"PRINTPREVIEW", "mnuPrintPreview"},
                                                      {"PRINT", "mnuPrint"},
                                                      {"CUT", "mnuCut"},
                                                      {"COPY", "mnuCopy"},
                                                      {"PASTE", "mnuPaste"},
                                                      {"INSERTROW", "mnuInsertRow"},
                                                      {"DELETEROW", "mnuDeleteRow"},
                                                      {"HELP", "mnuContents"},
                                                      {"ADDBORING", "mnuAddBoring"},
                                                      {"COPYBORING", "mnuCopyBoring"},
                                                      {"REMOVEBORING", "mnuRemoveBoring"}};
  auto it = commands.find(key.toUpper());
  if (it == commands.end()) return;
  updateMenus();
  QAction* a = actions_.at(it->second);
  if (a->isEnabled() && toolBar_->isEnabled()) a->trigger();
}

void frmMain::setMenusEnabled(bool enabled) {
  menusEnabled_ = enabled;
  for (auto& [name, m] : menus_) m->menuAction()->setEnabled(enabled);
  updateMenus();
}

frmMain::ChildKind frmMain::activeChildKind() const {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (!sub || !sub->widget()) return ChildKind::kNone;
  const QString name = sub->widget()->objectName().toUpper();
  if (name == "FRMFILE") return ChildKind::kFile;
  if (name == "FRMLAYOUTDESIGN") return ChildKind::kLayoutDesign;
  if (name == "FRMCLASSIFICATIONDESIGN") return ChildKind::kClassificationDesign;
  if (name == "FRMSITEMAP" || name == "FRMCROSSSECTION") return ChildKind::kFigure;
  return ChildKind::kOther;
}

void frmMain::updateMenus() {
  // While a save or a switch runs, nothing may start that would close or
  // replace the windows it works on.
  const bool was = menusEnabled_;
  menusEnabled_ = menusEnabled_ && busy_ == 0;
  updateFileMenu();
  updateEditMenu();
  updateBoringsMenu();
  updateLayoutMenu();
  updateClassificationsMenu();
  updateViewMenu();
  actions_.at("mnuContents")->setEnabled(menusEnabled_);
  actions_.at("mnuShowToolTip")->setEnabled(menusEnabled_);
  // Not while the start-up splash shows.
  actions_.at("mnuAboutStrataquill")
      ->setEnabled(menusEnabled_ && !(splash_ && splash_->isVisible()));
  menusEnabled_ = was;
  // Each button obeys the menu item it runs.
  static const std::pair<const char*, const char*> mirror[] = {{"NEWPROJECT", "mnuNewProject"},
                                                               {"OPENPROJECT", "mnuOpenProject"},
                                                               {"CLOSE", "mnuClose"},
                                                               {"PRINT", "mnuPrint"},
                                                               {"PRINTPREVIEW", "mnuPrintPreview"},
                                                               {"INSERTROW", "mnuInsertRow"},
                                                               {"DELETEROW", "mnuDeleteRow"},
                                                               {"ADDBORING", "mnuAddBoring"},
                                                               {"COPYBORING", "mnuCopyBoring"},
                                                               {"REMOVEBORING", "mnuRemoveBoring"},
                                                               {"HELP", "mnuContents"}};
  for (auto [key, item] : mirror) buttons_.at(key)->setEnabled(actions_.at(item)->isEnabled());
}

void frmMain::updateFileMenu() {
  const ChildKind kind = activeChildKind();
  const bool printable =
      kind == ChildKind::kFile || kind == ChildKind::kLayoutDesign || kind == ChildKind::kFigure;
  const bool closable = printable || kind == ChildKind::kClassificationDesign;
  actions_.at("mnuClose")->setEnabled(menusEnabled_ && closable);
  actions_.at("mnuPrintPreview")->setEnabled(menusEnabled_ && printable);
  actions_.at("mnuPrint")->setEnabled(menusEnabled_ && printable);
  actions_.at("mnuExportAgs")->setEnabled(menusEnabled_ && session_.isOpen());
  for (const char* always : {"mnuOpenProject", "mnuOpenServerProject", "mnuNewProject",
                             "mnuImportAgs", "mnuPrintSetup", "mnuExit"})
    actions_.at(always)->setEnabled(menusEnabled_);
}

void frmMain::updateEditMenu() {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  const EditEnabling e = sub && sub->widget()
                             ? editEnabling(editTarget(sub->widget()->focusWidget(), sub))
                             : EditEnabling();
  actions_.at("mnuUndo")->setEnabled(menusEnabled_ && e.undo);
  actions_.at("mnuRedo")->setEnabled(menusEnabled_ && e.redo);
  actions_.at("mnuCut")->setEnabled(menusEnabled_ && e.cut);
  actions_.at("mnuCopy")->setEnabled(menusEnabled_ && e.copy);
  actions_.at("mnuPaste")->setEnabled(menusEnabled_ && e.paste);
  actions_.at("mnuInsertRow")->setEnabled(menusEnabled_ && e.rows);
  actions_.at("mnuDeleteRow")->setEnabled(menusEnabled_ && e.rows);
  const bool dataEntry = activeChildKind() == ChildKind::kFile && state_.projectOpen();
  actions_.at("mnuSampleHeadings")->setEnabled(menusEnabled_ && dataEntry);
  actions_.at("mnuPreferences")->setEnabled(menusEnabled_);
}

void frmMain::updateBoringsMenu() {
  const bool dataEntry = activeChildKind() == ChildKind::kFile && state_.projectOpen();
  for (const char* item : {"mnuAddBoring", "mnuCopyBoring", "mnuRemoveBoring"})
    actions_.at(item)->setEnabled(menusEnabled_ && dataEntry);
}

void frmMain::updateLayoutMenu() {
  const bool designer = activeChildKind() == ChildKind::kLayoutDesign;
  for (const char* item : {"mnuEditLayout", "mnuCreateNewLayout"})
    actions_.at(item)->setEnabled(menusEnabled_ && !designer);
}

void frmMain::updateViewMenu() {
  for (const char* item : {"mnuSiteMap", "mnuCrossSection"})
    actions_.at(item)->setEnabled(menusEnabled_ && state_.projectOpen());
}

void frmMain::updateClassificationsMenu() {
  actions_.at("mnuEditClassifications")->setEnabled(menusEnabled_ && !state_.projectOpen());
}

void frmMain::editFocusedControl(int command) {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  const EditTarget target =
      sub && sub->widget() ? editTarget(sub->widget()->focusWidget(), sub) : EditTarget();
  const auto c = static_cast<EditCommand>(command);
  if (!runEditCommand(c, target) &&
      (c == EditCommand::kCut || c == EditCommand::kCopy || c == EditCommand::kPaste))
    prompts().beep();
  updateMenus();
}

void frmMain::mnuUndo_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kUndo));
}
void frmMain::mnuRedo_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kRedo));
}
void frmMain::mnuCut_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kCut));
}
void frmMain::mnuCopy_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kCopy));
}
void frmMain::mnuPaste_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kPaste));
}
void frmMain::mnuInsertRow_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kInsertRow));
}
void frmMain::mnuDeleteRow_Click() {
  editFocusedControl(static_cast<int>(EditCommand::kDeleteRow));
}

void frmMain::watchFocus(QWidget* now) {
  disconnect(selectionWatch_);
  if (auto* line = qobject_cast<QLineEdit*>(now))
    selectionWatch_ =
        connect(line, &QLineEdit::selectionChanged, this, [this] { updateEditMenu(); });
  else if (auto* box = qobject_cast<QPlainTextEdit*>(now))
    selectionWatch_ =
        connect(box, &QPlainTextEdit::selectionChanged, this, [this] { updateEditMenu(); });
  updateMenus();
}

bool frmMain::isShortcutTarget(QObject* object) const {
  auto* w = qobject_cast<QWidget*>(object);
  if (!w || w->window() != this || !mdi_->isAncestorOf(w)) return false;
  if (qobject_cast<widgets::BoundGrid*>(w)) return true;
  // A cell being edited keeps the keys of its own text editing.
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (qobject_cast<widgets::BoundGrid*>(p) || qobject_cast<QComboBox*>(p)) return false;
  return qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
         qobject_cast<QTextEdit*>(w);
}

bool frmMain::eventFilter(QObject* object, QEvent* event) {
  // A double click on the selector selects as a click does.
  if (object == cmbBoringSelect_ && event->type() == QEvent::MouseButtonDblClick &&
      cmbBoringSelect_->isEnabled() && cmbBoringSelect_->count() > 0) {
    cmbBoringSelect_Click();
    return true;
  }
  // The Edit menu's keys run its commands in text boxes and grids as well,
  // with the menu's rules, instead of the control's own editing keys.
  if (event->type() == QEvent::ShortcutOverride && isShortcutTarget(object)) {
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const char* name :
         {"mnuUndo", "mnuRedo", "mnuCut", "mnuCopy", "mnuPaste", "mnuInsertRow", "mnuDeleteRow"})
      if (actions_.at(name)->shortcuts().contains(pressed)) {
        updateEditMenu();
        event->ignore();
        return true;
      }
  }
  return QMainWindow::eventFilter(object, event);
}

}  // namespace sq::forms
