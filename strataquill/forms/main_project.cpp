// The main window's project commands: opening and closing projects, the
// boring selector, and adding, copying and removing borings, all through
// the project session.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"
#include "strataquill/forms/child_window.h"
#include "strataquill/forms/frm_copy_boring.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/frm_open_server.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/project_file.h"
#include "strataquill/project/recent_projects.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {
namespace {

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

void tell(const std::string& text, const char* title, MessageIcon icon = MessageIcon::kNone) {
  prompts().message(text, title, MessageButtons::kOk, icon);
}

}  // namespace

std::string frmMain::GetCurrentBoring() const {
  return session_.currentBoring();
}

bool frmMain::BoringExists(const std::string& name) const {
  return session_.boringExists(name);
}

std::vector<std::string> frmMain::boringList() const {
  return session_.borings();
}

void frmMain::showBoringList() {
  QSignalBlocker block(cmbBoringSelect_);
  cmbBoringSelect_->clear();
  for (const std::string& n : session_.borings()) cmbBoringSelect_->addItem(qs(n));
  showCurrentBoring();
  UpdateMenuBar();
  updateMenus();
}

void frmMain::showCurrentBoring() {
  selectBoringText(session_.currentBoring());
}

void frmMain::selectBoringText(const std::string& name) {
  QSignalBlocker block(cmbBoringSelect_);
  const int at = cmbBoringSelect_->findText(qs(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at >= 0) cmbBoringSelect_->setCurrentIndex(at);
}

void frmMain::cmbBoringSelect_Click() {
  if (busy() || cmbBoringSelect_->count() == 0) return;
  BusyScope scope(*this);
  adapter_.select(cmbBoringSelect_->currentText().toStdString());
}

bool frmMain::openProject(const std::string& path, const std::string& title) {
  if (busy()) return false;
  if (!unloadDataEntry()) return false;
  BusyScope scope(*this);
  if (db::Status s = session_.open(path, title); !s.ok()) {
    tell(s.message(), "Strataquill", MessageIcon::kExclamation);
    state_.clearProject();
    return false;
  }
  auto* file = new frmFile(state_, adapter_);
  if (!file->Form_Load()) {
    delete file;
    session_.close();
    return false;
  }
  QMdiSubWindow* sub = mdi_->addSubWindow(file);
  sub->setAttribute(Qt::WA_DeleteOnClose);
  file_ = file;
  fileWindow_ = sub;
  connect(file, &frmFile::focusStateChanged, this, [this] { updateMenus(); });
  onChildActivated(sub, [file] { file->Form_GotFocus(); });
  connect(file, &frmFile::intervalProblemsChanged, this, &frmMain::showIntervalProblems);
  // Not from inside the activation that asked.
  connect(
      file, &frmFile::unloadRequested, this, [this] { unloadDataEntry(); }, Qt::QueuedConnection);
  connect(sub, &QObject::destroyed, this, [this] { showIntervalProblems(0); });
  // Queued, as for every child window: the menus must not look at a half-gone window.
  connect(
      sub, &QObject::destroyed, this, [this] { updateMenus(); }, Qt::QueuedConnection);
  sub->showMaximized();
  showIntervalProblems(file->intervalProblems());
  project::RememberRecentProject(session_.path());
  file->announceReadOnly();
  return true;
}

bool frmMain::openNamedProject(const std::string& named) {
  if (busy()) return false;
  auto target = project::ResolveProject(named);
  if (!target.ok()) {
    tell(target.status().message(), "Strataquill", MessageIcon::kExclamation);
    return false;
  }
  return openProject(target->path, target->title);
}

void frmMain::OpenServerProject() {
  if (busy()) return;
  frmOpenServerProject dialog(this);
  if (execModal(dialog) != QDialog::Accepted || dialog.address().empty()) return;
  openProject(dialog.address(), dialog.projectName());
}

void frmMain::createRecentMenu() {
  recent_ = new QMenu("Open &Recent", this);
  recent_->setObjectName("mnuRecentProjects");
  recent_->menuAction()->setObjectName("mnuRecentProjects");
  menus_["mnuRecentProjects"] = recent_;
  menu("mnuFile")->insertMenu(actions_.at("mnuNewProject"), recent_);
  connect(recent_, &QMenu::aboutToShow, this, &frmMain::fillRecentMenu);
  fillRecentMenu();
}

void frmMain::fillRecentMenu() {
  recent_->clear();
  const std::vector<std::string> paths = project::RecentProjects();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    const std::string& path = paths[i];
    QAction* a = recent_->addAction(
        QString("&%1 %2").arg(i + 1).arg(qs(project::RecentProjectCaption(path))));
    a->setObjectName(QString("mnuRecent%1").arg(i + 1));
    a->setToolTip(qs(path));
    a->setStatusTip(qs(path));
    connect(a, &QAction::triggered, this, [this, path] {
      // A file that is gone leaves the list; a server may only be away.
      if (!db::isServerAddress(path) && !db::isProjectLink(path) && !isExistingFile(path)) {
        tell("The file " + path + " no longer exists.", "Strataquill", MessageIcon::kExclamation);
        project::ForgetRecentProject(path);
        return;
      }
      openNamedProject(path);
    });
  }
  if (paths.empty()) recent_->addAction("(none)")->setEnabled(false);
  recent_->setToolTipsVisible(true);
}

bool frmMain::unloadDataEntry() {
  if (!file_) {
    session_.close();
    return true;
  }
  BusyScope scope(*this);
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
  intervalStatus_->setText(count == 0 ? QString("Checks: no problems in %1").arg(boring)
                           : count == 1
                               ? QString("Checks: 1 problem in %1").arg(boring)
                               : QString("Checks: %1 problems in %2").arg(count).arg(boring));
}

void frmMain::OpenExistingStrataquillFile() {
  if (busy()) return;
  const FileDialogRequest request =
      fileDialogFor(FileKind::kProject, "Open Existing File", true, state_.CurrentProjectPath);
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome == FileDialogResult::Outcome::kInvalidName) {
    tell("The file you selected is invalid.  Please try again.", "Invalid File Name");
    return;
  }
  if (r.outcome != FileDialogResult::Outcome::kChosen || r.path.empty()) return;
  openProject(r.path, r.title);
}

void frmMain::CreateNewStrataquillFile() {
  if (busy()) return;
  const FileDialogRequest request =
      fileDialogFor(FileKind::kProject, "Create New File", false, state_.CurrentProjectPath);
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome != FileDialogResult::Outcome::kChosen || r.path.empty()) return;
  // The open project stays open unless the new one is ready; and it must
  // not be the file about to be replaced.
  if (const std::string why = project::replacingOpenFile(
          r.path, state_.CurrentProjectPath, layout_ ? layout_->filePath() : std::string());
      !why.empty()) {
    tell(why, "Create New File", MessageIcon::kExclamation);
    return;
  }
  if (!project::CreateNewProjectFile(r.path)) return;
  openProject(r.path, r.title);
}

void frmMain::AddBoring() {
  if (busy()) return;
  if (!session_.isOpen() || !file_) {
    tell("No project file is open - Can't add a boring.", "Can't Add Boring");
    return;
  }
  const std::string answer =
      prompts().inputBox("Enter the name for a new boring.", "New Boring", "");
  BusyScope scope(*this);
  const project::BoringChange r = adapter_.addBoring(answer);
  using Outcome = project::BoringChange::Outcome;
  if (r.outcome == Outcome::kExists)
    tell(answer +
             " already exists.  You cannot add a boring with the name of an existing "
             "boring.  Either choose another name or manually delete " +
             answer + " before adding it.",
         "Boring already exists");
  else if (r.outcome == Outcome::kReadOnly)
    tell(project::readOnlyText(state_.CurrentProjectTitle, "Borings cannot be added to it."),
         "Can't Add Boring", MessageIcon::kExclamation);
  else if (r.outcome == Outcome::kFailed)
    tell("The boring " + answer + " could not be added to " + state_.CurrentProjectPath + ": " +
             r.status.message(),
         "Can't Add Boring", MessageIcon::kExclamation);
}

void frmMain::RemoveBoring() {
  if (busy()) return;
  if (session_.borings().empty()) {
    tell("No borings exist to remove.", "Can't Remove Boring");
    return;
  }
  // Said before the questions, not after them.
  if (session_.readOnly()) {
    tell(project::readOnlyText(state_.CurrentProjectTitle, "Borings cannot be removed from it."),
         "Can't Remove Boring", MessageIcon::kExclamation);
    return;
  }
  BusyScope scope(*this);
  if (file_) file_->RemoveBoring(GetCurrentBoring(), true);
}

void frmMain::mnuCopyBoring_Click() {
  if (busy() || !file_) return;
  BusyScope scope(*this);
  file_->UpdateRecordsets();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  if (session_.borings().empty()) {
    tell("No borings exist to copy from.", "Can't Copy Boring");
  } else if (session_.readOnly()) {
    tell(project::readOnlyText(state_.CurrentProjectTitle, "Borings cannot be copied in it."),
         "Can't Copy Boring", MessageIcon::kExclamation);
  } else {
    frmCopyBoring dialog(adapter_, this);
    execModal(dialog);
  }
  if (!file_) return;
  file_->UpdateRecordsets();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMain::mnuSampleHeadings_Click() {
  if (busy()) return;
  if (file_) file_->openSampleLabels(1);
}

}  // namespace sq::forms
