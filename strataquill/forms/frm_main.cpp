#include "strataquill/forms/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "strataquill/forms/child_window.h"
#include "strataquill/forms/figure_window.h"
#include "strataquill/forms/frm_copy_boring.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_splash.h"
#include "strataquill/forms/frm_tip.h"
#include "strataquill/forms/layout_sample_view.h"
#include "strataquill/forms/toolbar_icons.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/layouts/layout_file.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/project_file.h"
#include "strataquill/render/frm_print.h"
#include "strataquill/render/print_run.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/help_window.h"
#include "strataquill/shell/preferences.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/shell/window_placement.h"

namespace sq::forms {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

std::function<bool(QPrinter&)>& printerSetupHook() {
  static std::function<bool(QPrinter&)> hook;
  return hook;
}

// The size the main window opens at when it has no remembered place.
constexpr QSize kDefaultSize(1180, 780);

void tell(const std::string& text, const char* title, MessageIcon icon = MessageIcon::kNone) {
  prompts().message(text, title, MessageButtons::kOk, icon);
}

}  // namespace

frmMain::BusyScope::BusyScope(frmMain& main) : main_(main) {
  if (main_.busy_++ == 0) main_.updateMenus();
}

frmMain::BusyScope::~BusyScope() {
  if (--main_.busy_ > 0) return;
  main_.updateMenus();
  if (std::exchange(main_.closePending_, false))
    QTimer::singleShot(0, &main_, [main = &main_] { main->close(); });
}

void frmMain::setPrinterSetupHook(std::function<bool(QPrinter&)> hook) {
  printerSetupHook() = std::move(hook);
}

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), adapter_(session_), printer_(render::PrinterChoice::systemDefault()) {
  setObjectName("frmMain");
  setWindowTitle("Strataquill");
  // Child windows show the program's icon, not the toolkit's.
  if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(programIcon());
  setWindowIcon(QApplication::windowIcon());
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
  // The selector and the program-wide state follow the session.
  connect(&adapter_, &SessionAdapter::projectOpened, this, [this] {
    state_.setProject(session_.path(), session_.title());
    showBoringList();
  });
  connect(&adapter_, &SessionAdapter::projectClosed, this, [this] {
    state_.clearProject();
    showBoringList();
    showIntervalProblems(0);
  });
  connect(&adapter_, &SessionAdapter::boringListChanged, this, &frmMain::showBoringList);
  connect(&adapter_, &SessionAdapter::currentBoringChanged, this, &frmMain::showCurrentBoring);
  // Other users' changes wait while a command saves or switches.
  adapter_.setBusyTest([this] { return busy(); });
  watchProjectForFigures();
  setMenusEnabled(false);
  resize(kDefaultSize);
}

frmMain::~frmMain() {
  delete splash_.data();
  qApp->removeEventFilter(this);
  disconnect(qApp, nullptr, this, nullptr);
  // Child windows closing now must not reach the menus, which go first.
  disconnect(mdi_, nullptr, this, nullptr);
  disconnect(&adapter_, nullptr, this, nullptr);
  // The data entry window goes first: it works on the session; then every
  // other child window, while the menus they update still exist.
  delete fileWindow_.data();
  // Also the windows that closed but wait for the event loop to delete
  // them: they are no longer listed, and their going must not reach the
  // menus either.
  for (QMdiSubWindow* sub : mdi_->findChildren<QMdiSubWindow*>()) {
    disconnect(sub, nullptr, this, nullptr);
    delete sub;
  }
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

QRect frmMain::availableScreen() const {
  return availableScreenGeometry(this);
}

void frmMain::Form_Load(const std::string& commandLine) {
  BusyCursor busy;
  if (screenWidthPixels() < 800)
    tell(
        "It is recommended that your screen resolution be set to 800x600 or higher to run "
        "Strataquill.",
        "Strataquill");
  state_.SplashMode = 2;
  auto* splash = new frmSplash(state_.SplashMode, this);
  connect(splash, &frmSplash::helpRequested, this, &frmMain::mnuContents_Click);
  connect(splash, &frmSplash::startupSplashClosed, this, &frmMain::updateMenus);
  splash_ = splash;
  splash_->show();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  toolBar_->setEnabled(false);
  tmrSplash_->setInterval(uiEnvironment().splashIntervalMs);
  tmrSplash_->start();
  setMenusEnabled(false);
  UpdateMenuBar();
  state_.loadStartupValues();
  restoreWindowPlacement(*this, "Main", kDefaultSize, availableScreen());
  switch (project::classifyCommandLine(commandLine)) {
    case project::CommandLineFile::kNone:
      break;
    case project::CommandLineFile::kProject:
      openProject(commandLine, commandLine);
      break;
    case project::CommandLineFile::kServerProject:
      openNamedProject(commandLine);
      break;
    case project::CommandLineFile::kOpenInProgram:
      tell("You must manually open this file from within Strataquill.", "Strataquill");
      state_.clearProject();
      break;
    case project::CommandLineFile::kUnknown:
      tell("Unknown file type", "Error loading file");
      state_.clearProject();
      break;
  }
  show();
}

void frmMain::tmrSplash_Timer() {
  if (splash_) {
    splash_->hide();
    delete splash_.data();
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
  frmSplash about(state_.SplashMode, this);
  connect(&about, &frmSplash::helpRequested, this, &frmMain::mnuContents_Click);
  execModal(about);
}

void frmMain::mnuEditLayout_Click() {
  if (busy()) return;
  const FileDialogRequest request = fileDialogFor(FileKind::kLayout, "Open Existing Layout File",
                                                  true, state_.DesignerLayoutPath);
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome == FileDialogResult::Outcome::kInvalidName) {
    tell("The layout file you selected is invalid.  Please try again.", "Invalid File Name");
    return;
  }
  if (r.outcome != FileDialogResult::Outcome::kChosen) return;
  openLayoutDesigner(r.path, r.title);
}

void frmMain::CreateNewFormatFile() {
  if (busy()) return;
  const FileDialogRequest request =
      fileDialogFor(FileKind::kLayout, "Create New Layout File", false, state_.DesignerLayoutPath);
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome != FileDialogResult::Outcome::kChosen) return;
  // Emptying a file that a window has open would leave it showing rows
  // that are gone and saving into nothing.
  if (const std::string why = project::replacingOpenFile(
          r.path, state_.CurrentProjectPath, layout_ ? layout_->filePath() : std::string());
      !why.empty()) {
    tell(why, "Create New Layout File", MessageIcon::kExclamation);
    return;
  }
  if (!layouts::CreateLayoutFile(r.path)) return;
  if (!unloadDataEntry()) return;
  openLayoutDesigner(r.path, r.title);
}

QMdiSubWindow* frmMain::addChild(QWidget* child) {
  QMdiSubWindow* sub = mdi_->addSubWindow(child);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  // Queued: while `destroyed` is sent the window is half gone yet still the
  // area's current one, and the menus would ask it what it holds.
  connect(
      sub, &QObject::destroyed, this, [this] { updateMenus(); }, Qt::QueuedConnection);
  return sub;
}

bool frmMain::openLayoutDesigner(const std::string& path, const std::string& title) {
  if (layout_) {
    // The designer follows the file just chosen: the one it holds is saved
    // and closed first (or stays, when the user keeps its changes).
    if (layout_->filePath() == path) {
      mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(layout_->parentWidget()));
      return true;
    }
    if (!layout_->parentWidget()->close()) return false;
    delete layout_->parentWidget();
  }
  // The program state names the new file only once the old designer is
  // gone, so the two never disagree.
  state_.DesignerLayoutPath = path;
  state_.DesignerLayoutTitle = title;
  auto* designer = new frmLayoutDesign(state_, *this);
  if (!designer->Form_Load()) {
    delete designer;
    return false;
  }
  layout_ = designer;
  showDesigner(designer, [designer] { designer->Form_GotFocus(); });
  return true;
}

void frmMain::showDesigner(DesignerWindow* designer, std::function<void()> gotFocus) {
  QMdiSubWindow* sub = addChild(designer);
  connect(designer, &DesignerWindow::focusStateChanged, this, [this] { updateMenus(); });
  onChildActivated(sub, std::move(gotFocus));
  sub->showMaximized();
  updateMenus();
}

void frmMain::mnuEditClassifications_Click() {
  if (busy()) return;
  if (classification_) {
    mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(classification_->parentWidget()));
    return;
  }
  auto* designer = new frmClassificationDesign(state_);
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
  // A printer of its own for the dialog: the choice keeps only settings.
  const std::unique_ptr<QPrinter> printer = printer_.makePrinter();
  bool chosen;
  if (printerSetupHook()) {
    chosen = printerSetupHook()(*printer);
  } else {
    QPrintDialog dialog(printer.get(), this);
    dialog.setWindowTitle("Printer Setup");
    chosen = dialog.exec() == QDialog::Accepted;
  }
  if (chosen) printer_ = render::PrinterChoice::from(*printer);
  if (print_) print_->cmdPrintSetup()->setText(printer_.destination());
  // The designer's sample page takes the new paper.
  if (layout_ && layout_->samplePage()) layout_->samplePage()->redraw();
}

void frmMain::saveOpenEditors() {
  if (file_) file_->UpdateRecordsets();
  if (classification_) classification_->UpdateRecordsets();
  if (layout_) layout_->UpdateRecordsets();
}

void frmMain::printDispatch(int destination) {
  if (busy()) return;
  std::string title;
  int reportType;
  switch (activeChildKind()) {
    case ChildKind::kFile:
      if (!project::IsPrintableBoringName(GetCurrentBoring())) {
        tell("No borings exist to print.", "Can't Print");
        return;
      }
      title = state_.CurrentProjectTitle;
      reportType = render::kBoringLog;
      break;
    case ChildKind::kLayoutDesign:
      title = state_.DesignerLayoutTitle;
      reportType = render::kLayoutSample;
      break;
    case ChildKind::kFigure:
      static_cast<FigureWindow*>(mdi_->currentSubWindow()->widget())->print(destination);
      return;
    default:
      return;
  }
  render::frmPrint dialog(*this, this);
  print_ = &dialog;
  dialog.prepare(destination, title, reportType);
  execModal(dialog);
}

void frmMain::mnuClose_Click() {
  if (busy()) return;
  QMdiSubWindow* sub = mdi_->currentSubWindow();
  if (!sub) return;
  if (sub == fileWindow_) {
    unloadDataEntry();
    return;
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  sub->close();
}

bool frmMain::mnuExit_Click() {
  return close();
}

void frmMain::closeEvent(QCloseEvent* event) {
  if (busy()) {
    // Not under a running save: the close is done when it ends.
    closePending_ = true;
    event->ignore();
    return;
  }
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
  saveWindowPlacement(*this, "Main");
  event->accept();
}

void frmMain::mnuContents_Click() {
  if (!isExistingFile(state_.HelpFile)) {
    tell("The help file " + state_.HelpFile + " could not be found.", "Strataquill",
         MessageIcon::kExclamation);
    return;
  }
  if (!help_) {
    help_ = new HelpWindow(qs(state_.HelpFile), this);
    restoreWindowPlacement(*help_, "Help", help_->size(), availableScreen());
  }
  help_->showContents();
  help_->show();
  help_->raise();
}

}  // namespace sq::forms
