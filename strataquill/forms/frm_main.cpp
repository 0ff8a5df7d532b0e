#include "strataquill/forms/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "strataquill/forms/child_window.h"
#include "strataquill/forms/frm_classification_design.h"
#include "strataquill/forms/frm_copy_boring.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_preferences.h"
#include "strataquill/forms/frm_splash.h"
#include "strataquill/forms/frm_tip.h"
#include "strataquill/forms/layout_sample_view.h"
#include "strataquill/forms/toolbar_icons.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/layouts/layout_file.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/project_file.h"
#include "strataquill/render/frm_print.h"
#include "strataquill/render/print_run.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/help_window.h"
#include "strataquill/shell/preferences.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

std::function<bool(QPrinter&)>& printerSetupHook() {
  static std::function<bool(QPrinter&)> hook;
  return hook;
}

// The width of the toolbar's selector placeholder and the selector's inset
// on each side, in twips.
constexpr int kPlaceholderTwips = 2600;
constexpr int kSelectorInsetTwips = 72;

int twipsToPixels(int twips, const QWidget* w) {
  return qRound(twips * w->logicalDpiX() / 1440.0);
}

}  // namespace

void frmMain::setPrinterSetupHook(std::function<bool(QPrinter&)> hook) {
  printerSetupHook() = std::move(hook);
}

frmMain::frmMain(QWidget* parent) : QMainWindow(parent), printer_(QPrinter::HighResolution) {
  setObjectName("frmMain");
  setWindowTitle("Strataquill");
  mdi_ = new QMdiArea(this);
  mdi_->setObjectName("mdiArea");
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(mdi_);
  tmrSplash_ = new QTimer(this);
  tmrSplash_->setObjectName("tmrSplash");
  tmrSplash_->setSingleShot(true);
  connect(tmrSplash_, &QTimer::timeout, this, &frmMain::tmrSplash_Timer);
  createActions();
  createMenus();
  createToolBar();
  intervalStatus_ = new QLabel(this);
  intervalStatus_->setObjectName("lblIntervalChecks");
  statusBar()->addWidget(intervalStatus_, 1);
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { updateMenus(); });
  connect(qApp, &QApplication::focusChanged, this,
          [this](QWidget*, QWidget* now) { watchFocus(now); });
  qApp->installEventFilter(this);
  // Back from another program: a designer whose file was deleted meanwhile
  // closes.
  connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s != Qt::ApplicationActive) return;
    if (classification_ && !classification_->fileExists()) classification_->Form_GotFocus();
    if (layout_ && !layout_->fileExists()) layout_->Form_GotFocus();
  });
  setMenusEnabled(false);
  resize(1180, 780);
}

frmMain::~frmMain() {
  delete splash_.data();
  qApp->removeEventFilter(this);
  disconnect(qApp, nullptr, this, nullptr);
  // Child windows closing now must not reach the menus, which go first.
  disconnect(mdi_, nullptr, this, nullptr);
  // The data entry window goes first: it refers to this window; then every
  // other child window, while the menus they update still exist.
  delete fileWindow_.data();
  for (QMdiSubWindow* sub : mdi_->subWindowList()) delete sub;
}

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
  makeAction("mnuNewProject", "&New Project", QKeySequence(Qt::CTRL | Qt::Key_N),
             &frmMain::CreateNewStrataquillFile);
  makeAction("mnuClose", "&Close", {}, &frmMain::mnuClose_Click);
  makeAction("mnuPrintSetup", "Print Set&up", {}, &frmMain::PageFormat);
  connect(makeAction("mnuPrintPreview", "Print Pre&view", {}, nullptr), &QAction::triggered, this,
          [this] { printDispatch(render::kToPreview); });
  connect(makeAction("mnuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), nullptr),
          &QAction::triggered, this, [this] { printDispatch(render::kToPrinter); });
  connect(makeAction("mnuExit", "E&xit", {}, nullptr), &QAction::triggered, this,
          [this] { mnuExit_Click(); });
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
      {"mnuOpenProject", "mnuNewProject", "mnuClose", "-", "mnuPrintSetup", "mnuPrintPreview",
       "mnuPrint", "-", "mnuExit"});
  add("mnuEdit", "&Edit",
      {"mnuCut", "mnuCopy", "mnuPaste", "-", "mnuInsertRow", "mnuDeleteRow", "-",
       "mnuSampleHeadings", "-", "mnuPreferences"});
  add("mnuBorings", "&Borings", {"mnuAddBoring", "mnuCopyBoring", "mnuRemoveBoring"});
  add("mnuLayout", "&Layout", {"mnuEditLayout", "mnuCreateNewLayout"});
  add("mnuClassifications", "&Classifications", {"mnuEditClassifications"});
  add("mnuHelp", "&Help",
      {"mnuContents", "-", "mnuShowToolTip", "-", "mnuAboutStrataquill"});
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

frmFile* frmMain::dataEntryWindow() const {
  return file_;
}

HelpWindow* frmMain::helpWindow() const {
  return help_;
}

QWidget* frmMain::splash() const {
  return splash_;
}

QAction* frmMain::action(const QString& name) const {
  if (auto it = actions_.find(name); it != actions_.end()) return it->second;
  if (auto it = buttons_.find(name); it != buttons_.end()) return it->second;
  return nullptr;
}

QMenu* frmMain::menu(const QString& name) const {
  auto it = menus_.find(name);
  return it == menus_.end() ? nullptr : it->second;
}

void frmMain::Form_Load(const std::string& commandLine) {
  BusyCursor busy;
  if (screenWidthPixels() < 800)
    prompts().message(
        "It is recommended that your screen resolution be set to 800x600 or higher to run "
        "Strataquill.",
        "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
  state_.SplashMode = 2;
  splash_ = new frmSplash(*this, this);
  splash_->show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  toolBar_->setEnabled(false);
  tmrSplash_->setInterval(uiEnvironment().splashIntervalMs);
  tmrSplash_->start();
  setMenusEnabled(false);
  UpdateMenuBar();
  state_.loadStartupValues();
  if (!commandLine.empty()) {
    std::string ext = commandLine.size() >= 4 ? commandLine.substr(commandLine.size() - 4)
                                              : commandLine;
    for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (ext == ".SQ2") {
      openProject(commandLine, commandLine);
    } else if (ext == ".SQF" || ext == ".SQC") {
      prompts().message("You must manually open this file from within Strataquill.",
                        "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
      state_.clearProject();
    } else {
      prompts().message("Unknown file type", "Error loading file", MessageButtons::kOk,
                        MessageIcon::kNone);
      state_.clearProject();
    }
  }
  show();
}

void frmMain::tmrSplash_Timer() {
  if (splash_) {
    splash_->hide();
    delete splash_.data();
  }
  QApplication::processEvents();
  tmrSplash_->stop();
  toolBar_->setEnabled(true);
  setMenusEnabled(true);
  if (uiEnvironment().startupTips && ShowTipsAtStartup() == 1) mnuShowToolTip_Click();
}

void frmMain::mnuShowToolTip_Click() {
  frmTip tip(this);
  execModal(tip);
}

void frmMain::mnuAboutStrataquill_Click() {
  state_.SplashMode = 3;
  frmSplash about(*this, this);
  execModal(about);
}

void frmMain::setMenusEnabled(bool enabled) {
  menusEnabled_ = enabled;
  for (auto& [name, m] : menus_) m->menuAction()->setEnabled(enabled);
  updateMenus();
}

std::string frmMain::GetCurrentBoring() const {
  return cmbBoringSelect_->count() == 0 ? std::string()
                                        : cmbBoringSelect_->currentText().toStdString();
}

bool frmMain::BoringExists(const std::string& name) const {
  return project::BoringExists(boringList(), name);
}

std::vector<std::string> frmMain::boringList() const {
  std::vector<std::string> names;
  for (int i = 0; i < cmbBoringSelect_->count(); ++i)
    names.push_back(cmbBoringSelect_->itemText(i).toStdString());
  return names;
}

void frmMain::setBoringList(const std::vector<std::string>& names, const std::string& current) {
  const QString previous = cmbBoringSelect_->currentText();
  QSignalBlocker block(cmbBoringSelect_);
  cmbBoringSelect_->clear();
  for (const std::string& n : names) cmbBoringSelect_->addItem(qs(n));
  int at = cmbBoringSelect_->findText(qs(current), Qt::MatchExactly | Qt::MatchCaseSensitive);
  // A name that is not listed (a copy without its boring row) leaves the
  // boring that was selected.
  if (at < 0) at = cmbBoringSelect_->findText(previous, Qt::MatchExactly | Qt::MatchCaseSensitive);
  cmbBoringSelect_->setCurrentIndex(at < 0 && !names.empty() ? 0 : at);
  UpdateMenuBar();
  updateMenus();
}

void frmMain::selectBoringText(const std::string& name) {
  QSignalBlocker block(cmbBoringSelect_);
  const int at = cmbBoringSelect_->findText(qs(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at >= 0) cmbBoringSelect_->setCurrentIndex(at);
}

void frmMain::UpdateMenuBar() {
  if (!selectorPlaceholder_) return;
  const int inset = twipsToPixels(kSelectorInsetTwips, this);
  cmbBoringSelect_->raise();
  cmbBoringSelect_->setGeometry(inset, 0, selectorPlaceholder_->width() - 2 * inset,
                                selectorPlaceholder_->height());
}

void frmMain::cmbBoringSelect_Click() {
  if (file_) file_->switchToSelectedBoring(true);
  updateMenus();
}

bool frmMain::openProject(const std::string& path, const std::string& title) {
  if (!unloadDataEntry()) return false;
  state_.setProject(path, title);
  auto* file = new frmFile(state_, *this);
  if (!file->Form_Load()) {
    delete file;
    state_.clearProject();
    setBoringList({}, {});
    updateMenus();
    return false;
  }
  QMdiSubWindow* sub = mdi_->addSubWindow(file);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  file_ = file;
  fileWindow_ = sub;
  connect(file, &frmFile::focusStateChanged, this, [this] { updateMenus(); });
  onChildActivated(sub, [file] { file->Form_GotFocus(); });
  connect(file, &frmFile::intervalProblemsChanged, this, &frmMain::showIntervalProblems);
  connect(sub, &QObject::destroyed, this, [this] {
    showIntervalProblems(0);
    updateMenus();
  });
  sub->showMaximized();
  showIntervalProblems(file->intervalProblems());
  updateMenus();
  return true;
}

bool frmMain::unloadDataEntry() {
  if (!file_) return true;
  if (!file_->Form_Unload()) return false;
  delete fileWindow_.data();
  updateMenus();
  return true;
}

void frmMain::showIntervalProblems(int count) {
  if (!file_ || GetCurrentBoring().empty()) {
    intervalStatus_->clear();
    return;
  }
  const QString boring = qs(GetCurrentBoring());
  intervalStatus_->setText(count == 0 ? QString("Interval checks: no problems in %1").arg(boring)
                           : count == 1
                               ? QString("Interval checks: 1 problem in %1").arg(boring)
                               : QString("Interval checks: %1 problems in %2").arg(count).arg(boring));
}

void frmMain::OpenExistingStrataquillFile() {
  FileDialogRequest request;
  request.title = "Open Existing File";
  request.initialFolder = GetSetting("Files", "DefaultSQFileDir", executableFolder());
  request.filter = "Strataquill Data (*.sq2)|*.sq2";
  request.defaultExtension = ".sq2";
  request.mustExist = true;
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome == FileDialogResult::Outcome::kInvalidName) {
    prompts().message("The file you selected is invalid.  Please try again.", "Invalid File Name",
                      MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  if (r.outcome != FileDialogResult::Outcome::kChosen || r.path.empty()) return;
  openProject(r.path, r.title);
}

void frmMain::CreateNewStrataquillFile() {
  FileDialogRequest request;
  request.title = "Create New File";
  request.initialFolder = GetSetting("Files", "DefaultSQFileDir", executableFolder());
  request.filter = "Strataquill Data (*.sq2)|*.sq2";
  request.defaultExtension = ".sq2";
  request.mustExist = false;
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome != FileDialogResult::Outcome::kChosen || r.path.empty()) return;
  // The open project stays open unless the new one is ready; and it must
  // not be the file about to be replaced.
  if (state_.projectOpen() &&
      QFileInfo(qs(r.path)).absoluteFilePath() ==
          QFileInfo(qs(state_.CurrentProjectPath)).absoluteFilePath()) {
    prompts().message("The file " + r.path +
                          " is the project that is open.  Close it before you create a new "
                          "project in its place.",
                      "Create New File", MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  if (!project::CreateNewProjectFile(r.path)) return;
  openProject(r.path, r.title);
}

void frmMain::mnuEditLayout_Click() {
  FileDialogRequest request;
  request.title = "Open Existing Layout File";
  request.initialFolder = GetSetting("Files", "DefaultLayoutDir", programFolder());
  request.filter = "Strataquill Layout (*.sqf)|*.sqf";
  request.defaultExtension = ".sqf";
  request.mustExist = true;
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome == FileDialogResult::Outcome::kInvalidName) {
    prompts().message("The layout file you selected is invalid.  Please try again.",
                      "Invalid File Name", MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  if (r.outcome != FileDialogResult::Outcome::kChosen) return;
  state_.DesignerLayoutPath = r.path;
  state_.DesignerLayoutTitle = r.title;
  openLayoutDesigner();
}

void frmMain::CreateNewFormatFile() {
  FileDialogRequest request;
  request.title = "Create New Layout File";
  request.initialFolder = GetSetting("Files", "DefaultLayoutDir", programFolder());
  request.filter = "Strataquill Layout (*.sqf)|*.sqf";
  request.defaultExtension = ".sqf";
  request.mustExist = false;
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome != FileDialogResult::Outcome::kChosen) return;
  if (!layouts::CreateLayoutFile(r.path)) return;
  if (!unloadDataEntry()) return;
  state_.DesignerLayoutPath = r.path;
  state_.DesignerLayoutTitle = r.title;
  openLayoutDesigner();
}

QMdiSubWindow* frmMain::addChild(QWidget* child) {
  QMdiSubWindow* sub = mdi_->addSubWindow(child);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  connect(sub, &QObject::destroyed, this, [this] { updateMenus(); });
  return sub;
}

void frmMain::openLayoutDesigner() {
  if (layout_) {
    // The designer follows the file just chosen: the one it holds is saved
    // and closed first (or stays, when the user keeps its changes).
    if (layout_->filePath() == state_.DesignerLayoutPath) {
      mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(layout_->parentWidget()));
      return;
    }
    if (!layout_->parentWidget()->close()) return;
    delete layout_->parentWidget();
  }
  auto* designer = new frmLayoutDesign(state_, *this);
  if (!designer->Form_Load()) {
    delete designer;
    return;
  }
  layout_ = designer;
  showDesigner(designer, [designer] { designer->Form_GotFocus(); });
}

void frmMain::showDesigner(DesignerWindow* designer, std::function<void()> gotFocus) {
  QMdiSubWindow* sub = addChild(designer);
  connect(designer, &DesignerWindow::focusStateChanged, this, [this] { updateMenus(); });
  onChildActivated(sub, std::move(gotFocus));
  sub->showMaximized();
  updateMenus();
}

void frmMain::mnuEditClassifications_Click() {
  if (classification_) {
    mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(classification_->parentWidget()));
    return;
  }
  auto* designer = new frmClassificationDesign(state_, *this);
  if (!designer->Form_Load()) {
    delete designer;
    return;
  }
  classification_ = designer;
  // Pictures may have been added to the pattern folder meanwhile.
  showDesigner(designer, [designer] {
    designer->refreshSwatches();
    designer->Form_GotFocus();
  });
}

void frmMain::PageFormat() {
  if (printerSetupHook()) {
    printerSetupHook()(printer_);
  } else {
    QPrintDialog dialog(&printer_, this);
    dialog.setWindowTitle("Printer Setup");
    dialog.exec();
  }
  if (print_) print_->cmdPrintSetup()->setText(printer_.printerName());
  // The designer's sample page takes the new paper.
  if (layout_ && layout_->samplePage()) layout_->samplePage()->redraw();
}

void frmMain::saveOpenEditors() {
  if (file_) file_->UpdateRecordsets();
  if (classification_) classification_->UpdateRecordsets();
  if (layout_) layout_->UpdateRecordsets();
}

void frmMain::printDispatch(int destination) {
  std::string title;
  int reportType;
  switch (activeChildKind()) {
    case ChildKind::kFile:
      if (QString::fromStdString(GetCurrentBoring()).size() < 2) {
        prompts().message("No borings exist to print.", "Can't Print", MessageButtons::kOk,
                          MessageIcon::kNone);
        return;
      }
      title = state_.CurrentProjectTitle;
      reportType = render::kBoringLog;
      break;
    case ChildKind::kLayoutDesign:
      title = state_.DesignerLayoutTitle;
      reportType = render::kLayoutSample;
      break;
    default:
      return;
  }
  render::frmPrint dialog(*this, this);
  print_ = &dialog;
  dialog.prepare(destination, title, reportType);
  execModal(dialog);
}

void frmMain::mnuClose_Click() {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (!sub) return;
  if (sub == fileWindow_) {
    unloadDataEntry();
    return;
  }
  QApplication::processEvents();
  sub->close();
}

bool frmMain::mnuExit_Click() {
  return close();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // The designers save as they close; one that the user keeps open keeps
  // the program running.
  for (QWidget* designer :
       {static_cast<QWidget*>(classification_.data()), static_cast<QWidget*>(layout_.data())})
    if (designer && !designer->parentWidget()->close()) {
      event->ignore();
      return;
    }
  if (!unloadDataEntry()) {
    event->ignore();
    return;
  }
  if (help_) help_->close();
  event->accept();
}

void frmMain::AddBoring() {
  if (!state_.projectOpen() || !file_) {
    prompts().message("No project file is open - Can't add a boring.", "Can't Add Boring",
                      MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  const std::string answer = prompts().inputBox("Enter the name for a new boring.", "New Boring", "");
  // A name of blanks only would never be listed, so it is not made either.
  if (qs(answer).size() < 2 || answer.find_first_not_of(' ') == std::string::npos) return;
  file_->CreateNewBoring(answer);
  updateMenus();
}

void frmMain::RemoveBoring() {
  if (cmbBoringSelect_->count() == 0) {
    prompts().message("No borings exist to remove.", "Can't Remove Boring", MessageButtons::kOk,
                      MessageIcon::kNone);
    return;
  }
  if (file_) file_->RemoveBoring(GetCurrentBoring(), true);
  updateMenus();
}

void frmMain::mnuCopyBoring_Click() {
  if (!file_) return;
  file_->UpdateRecordsets();
  QApplication::processEvents();
  if (cmbBoringSelect_->count() == 0) {
    prompts().message("No borings exist to copy from.", "Can't Copy Boring", MessageButtons::kOk,
                      MessageIcon::kNone);
  } else {
    frmCopyBoring dialog(state_, *this);
    execModal(dialog);
  }
  if (!file_) return;
  file_->switchToSelectedBoring(true);
  file_->UpdateRecordsets();
  QApplication::processEvents();
  updateMenus();
}

void frmMain::mnuSampleHeadings_Click() {
  if (file_) file_->openSampleLabels(1);
}

void frmMain::mnuContents_Click() {
  if (!isExistingFile(state_.HelpFile)) {
    prompts().message("The help file " + state_.HelpFile + " could not be found.", "Strataquill",
                      MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  if (!help_) help_ = new HelpWindow(qs(state_.HelpFile), this);
  help_->showContents();
  help_->show();
  help_->raise();
}

void frmMain::tbToolBar_ButtonClick(const QString& key) {
  static const std::map<QString, QString> commands = {
      {"NEWPROJECT", "mnuNewProject"}, {"OPENPROJECT", "mnuOpenProject"},
      {"CLOSE", "mnuClose"},           {"PRINTPREVIEW", "mnuPrintPreview"},
      {"PRINT", "mnuPrint"},           {"CUT", "mnuCut"},
      {"COPY", "mnuCopy"},             {"PASTE", "mnuPaste"},
      {"INSERTROW", "mnuInsertRow"},   {"DELETEROW", "mnuDeleteRow"},
      {"HELP", "mnuContents"},         {"ADDBORING", "mnuAddBoring"},
      {"COPYBORING", "mnuCopyBoring"}, {"REMOVEBORING", "mnuRemoveBoring"}};
  auto it = commands.find(key.toUpper());
  if (it == commands.end()) return;
  updateMenus();
  QAction* a = actions_.at(it->second);
  if (a->isEnabled() && toolBar_->isEnabled()) a->trigger();
}

frmMain::ChildKind frmMain::activeChildKind() const {
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (!sub || !sub->widget()) return ChildKind::kNone;
  const QString name = sub->widget()->objectName().toUpper();
  if (name == "FRMFILE") return ChildKind::kFile;
  if (name == "FRMLAYOUTDESIGN") return ChildKind::kLayoutDesign;
  if (name == "FRMCLASSIFICATIONDESIGN") return ChildKind::kClassificationDesign;
  return ChildKind::kOther;
}

frmMain::FocusKind frmMain::focusedControl(widgets::BoundGrid** grid, QWidget** text) const {
  *grid = nullptr;
  *text = nullptr;
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (!sub || !sub->widget()) return FocusKind::kOther;
  QWidget* w = sub->widget()->focusWidget();
  if (!w) return FocusKind::kOther;
  for (QWidget* p = w; p && p != sub; p = p->parentWidget())
    if (auto* g = qobject_cast<widgets::BoundGrid*>(p)) {
      *grid = g;
      return FocusKind::kGrid;
    }
  if ((qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parentWidget())) ||
      qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w)) {
    *text = w;
    return FocusKind::kTextBox;
  }
  return FocusKind::kOther;
}

void frmMain::updateMenus() {
  updateFileMenu();
  updateEditMenu();
  updateBoringsMenu();
  updateLayoutMenu();
  updateClassificationsMenu();
  actions_.at("mnuContents")->setEnabled(menusEnabled_);
  actions_.at("mnuShowToolTip")->setEnabled(menusEnabled_);
  // Not while the start-up splash shows.
  actions_.at("mnuAboutStrataquill")->setEnabled(menusEnabled_ && !(splash_ && splash_->isVisible()));
  // Each button obeys the menu item it runs.
  static const std::pair<const char*, const char*> mirror[] = {
      {"NEWPROJECT", "mnuNewProject"}, {"OPENPROJECT", "mnuOpenProject"},
      {"CLOSE", "mnuClose"},           {"PRINT", "mnuPrint"},
      {"PRINTPREVIEW", "mnuPrintPreview"}, {"INSERTROW", "mnuInsertRow"},
      {"DELETEROW", "mnuDeleteRow"},   {"ADDBORING", "mnuAddBoring"},
      {"COPYBORING", "mnuCopyBoring"}, {"REMOVEBORING", "mnuRemoveBoring"},
      {"HELP", "mnuContents"}};
  for (auto [key, item] : mirror) buttons_.at(key)->setEnabled(actions_.at(item)->isEnabled());
}

void frmMain::updateFileMenu() {
  const ChildKind kind = activeChildKind();
  const bool printable = kind == ChildKind::kFile || kind == ChildKind::kLayoutDesign;
  const bool closable = printable || kind == ChildKind::kClassificationDesign;
  actions_.at("mnuClose")->setEnabled(menusEnabled_ && closable);
  actions_.at("mnuPrintPreview")->setEnabled(menusEnabled_ && printable);
  actions_.at("mnuPrint")->setEnabled(menusEnabled_ && printable);
  for (const char* always : {"mnuOpenProject", "mnuNewProject", "mnuPrintSetup", "mnuExit"})
    actions_.at(always)->setEnabled(menusEnabled_);
}

void frmMain::updateEditMenu() {
  widgets::BoundGrid* grid;
  QWidget* text;
  bool cut = false, copy = false, paste = false, rows = false;
  switch (focusedControl(&grid, &text)) {
    case FocusKind::kGrid:
      cut = copy = paste = true;
      rows = grid->activeRow() > 0;
      break;
    case FocusKind::kTextBox: {
      bool selected = false;
      if (auto* line = qobject_cast<QLineEdit*>(text)) selected = line->hasSelectedText();
      if (auto* box = qobject_cast<QPlainTextEdit*>(text)) selected = box->textCursor().hasSelection();
      if (auto* box = qobject_cast<QTextEdit*>(text)) selected = box->textCursor().hasSelection();
      cut = copy = selected;
      paste = true;
      break;
    }
    case FocusKind::kOther:
      break;
  }
  actions_.at("mnuCut")->setEnabled(menusEnabled_ && cut);
  actions_.at("mnuCopy")->setEnabled(menusEnabled_ && copy);
  actions_.at("mnuPaste")->setEnabled(menusEnabled_ && paste);
  actions_.at("mnuInsertRow")->setEnabled(menusEnabled_ && rows);
  actions_.at("mnuDeleteRow")->setEnabled(menusEnabled_ && rows);
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

void frmMain::updateClassificationsMenu() {
  actions_.at("mnuEditClassifications")->setEnabled(menusEnabled_ && !state_.projectOpen());
}

namespace {

enum class EditCommand { kCut, kCopy, kPaste, kInsertRow, kDeleteRow };

}  // namespace

static void runEditCommand(EditCommand command, widgets::BoundGrid* grid, QWidget* text) {
  if (grid) {
    switch (command) {
      case EditCommand::kCut: grid->cutRows(); break;
      case EditCommand::kCopy: grid->copyRows(); break;
      case EditCommand::kPaste: grid->pasteRows(); break;
      case EditCommand::kInsertRow: grid->insertRow(); break;
      case EditCommand::kDeleteRow: grid->deleteRow(); break;
    }
    return;
  }
  if (text) {
    auto* line = qobject_cast<QLineEdit*>(text);
    auto* box = qobject_cast<QPlainTextEdit*>(text);
    auto* rich = qobject_cast<QTextEdit*>(text);
    const QString whole = line ? line->text() : box ? box->toPlainText() : rich->toPlainText();
    auto replace = [&](const QString& t) {
      if (line) line->setText(t);
      if (box) box->setPlainText(t);
      if (rich) rich->setPlainText(t);
    };
    switch (command) {
      case EditCommand::kCopy: QApplication::clipboard()->setText(whole); break;
      case EditCommand::kCut:
        QApplication::clipboard()->setText(whole);
        replace({});
        break;
      case EditCommand::kPaste: replace(QApplication::clipboard()->text()); break;
      default: break;
    }
    return;
  }
  if (command == EditCommand::kCut || command == EditCommand::kCopy ||
      command == EditCommand::kPaste)
    prompts().beep();
}

void frmMain::editFocusedControl(int command) {
  widgets::BoundGrid* grid;
  QWidget* text;
  focusedControl(&grid, &text);
  runEditCommand(static_cast<EditCommand>(command), grid, text);
  updateMenus();
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
    selectionWatch_ = connect(line, &QLineEdit::selectionChanged, this, [this] { updateEditMenu(); });
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
    for (const char* name : {"mnuCut", "mnuCopy", "mnuPaste", "mnuInsertRow", "mnuDeleteRow"})
      if (actions_.at(name)->shortcut() == pressed) {
        updateEditMenu();
        event->ignore();
        return true;
      }
  }
  return QMainWindow::eventFilter(object, event);
}

}  // namespace sq::forms
