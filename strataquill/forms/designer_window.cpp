#include "strataquill/forms/designer_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "strataquill/forms/child_window.h"
#include "strataquill/project/save_policy.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

DesignerWindow::DesignerWindow(const char* name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    // The tab's grid takes the focus; a tab without one leaves it.
    if (isVisible() && tab >= 0 && tab < static_cast<int>(grids_.size()) && grids_[tab])
      grids_[tab]->setFocus();
    emit focusStateChanged();
  });
}

DesignerWindow::~DesignerWindow() = default;

bool DesignerWindow::fileExists() const {
  return isExistingFile(path_);
}

bool DesignerWindow::openFile(const std::string& path, const std::string& shownName) {
  path_ = path;
  shownName_ = shownName;
  readOnly_ = !isWritableFile(path);
  auto opened = db::Database::open(path);
  if (!opened.ok()) return false;
  database_.emplace(std::move(opened.value()));
  if (readOnly_)
    prompts().message("The file " + path +
                          " is read-only.  You can look at it, but changes cannot be saved.",
                      "Strataquill", MessageButtons::kOk, MessageIcon::kInformation);
  return true;
}

void DesignerWindow::addGridTab(const QString& title, widgets::BoundGrid* grid, QWidget* page) {
  grids_.push_back(grid);
  tabs_->addTab(page ? page : grid, title);
  if (grid)
    connect(grid, &widgets::BoundGrid::activeCellChanged, this,
            &DesignerWindow::focusStateChanged);
}

void DesignerWindow::loadGrid(widgets::BoundGrid& grid, const std::string& source) {
  grid.model().setReadOnly(readOnly_);
  if (!database_) {
    grid.model().clear();
    return;
  }
  auto rs = database_->openRecordset(source);
  if (!rs.ok()) {
    grid.model().clear();
    return;
  }
  grid.setUpdatesEnabled(false);
  grid.model().load(std::move(rs.value()));
  grid.setUpdatesEnabled(true);
}

void DesignerWindow::setTwipsWidth(widgets::BoundGrid& grid, int column, int twips) {
  // At least as wide as the heading and, for numbers, a value like
  // "10.125", in the grid's own font.
  const QFontMetrics metrics(grid.font());
  const widgets::ColumnSpec& colSpec = grid.model().columns()[column];
  int needed = metrics.horizontalAdvance(colSpec.heading) + 14;
  if (colSpec.kind == widgets::CellKind::kNumber)
    needed = std::max(needed, metrics.horizontalAdvance("10.125") + 12);
  grid.setColumnWidth(column, std::max(qRound(twips * grid.logicalDpiX() / 1440.0), needed));
}

bool DesignerWindow::hasPendingEdits() const {
  for (widgets::BoundGrid* grid : grids_)
    if (grid && (grid->isEditing() || grid->model().hasPendingEdits())) return true;
  return false;
}

bool DesignerWindow::saveGrids(std::string& error) {
  bool ok = true;
  for (widgets::BoundGrid* grid : grids_) {
    if (!grid) continue;
    grid->commitEdit();
    grid->setUpdatesEnabled(false);
    const widgets::RecordsetModel::SaveReport report = grid->model().submitAll();
    grid->setUpdatesEnabled(true);
    grid->viewport()->update();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (!report.ok()) {
      ok = false;
      if (error.empty()) error = report.error;
    }
  }
  return ok;
}

bool DesignerWindow::UpdateRecordsets() {
  std::string error;
  const bool ok = saveGrids(error);
  if (!ok) lastFailure_ = error;
  return ok;
}

void DesignerWindow::CloseRecordsets() {
  for (widgets::BoundGrid* grid : grids_)
    if (grid) grid->model().clear();
  database_.reset();
}

bool DesignerWindow::confirmRefusals() {
  std::vector<std::pair<std::string, widgets::BoundGrid*>> named;
  for (int g = 0; g < static_cast<int>(grids_.size()); ++g)
    named.emplace_back(tabs_->tabText(g).remove('&').toStdString(), grids_[g]);
  return !wantsToCorrectRefusals(named, true,
                                 "These cells hold no number and cannot be saved:", "Not a Number");
}

bool DesignerWindow::Form_Unload() {
  if (unloaded_) return true;
  for (widgets::BoundGrid* grid : grids_)
    if (grid) grid->commitEdit();
  if (fileExists() && !confirmRefusals()) return false;
  if (hasPendingEdits()) {
    // Writing into a file that was deleted would look like saving.
    if (!fileExists()) {
      prompts().message("The file " + path_ +
                            " no longer exists, so the changes made in this window could not "
                            "be saved.",
                        "Changes Not Saved", MessageButtons::kOk, MessageIcon::kExclamation);
    } else if (!UpdateRecordsets()) {
      project::SaveFailureNotice notice(readOnly_);
      notice.shouldTell(lastFailure_);
      const MessageAnswer answer = prompts().message(
          project::unsavedChangesQuestion(shownName_, notice,
                                          "Do you want to close the window and lose them?"),
          "Changes Not Saved", MessageButtons::kYesNo, MessageIcon::kExclamation);
      if (answer != MessageAnswer::kYes) return false;
    }
  } else if (fileExists() && !readOnly_) {
    UpdateRecordsets();
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  CloseRecordsets();
  unloaded_ = true;
  return true;
}

void DesignerWindow::Form_GotFocus() {
  if (!stillValid()) {
    // Not from inside the activation that called this.
    QTimer::singleShot(0, this, [this] {
      if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close();
    });
    return;
  }
  focusTabStrip(this, tabs_, [this] { emit focusStateChanged(); });
}

void DesignerWindow::closeEvent(QCloseEvent* event) {
  if (Form_Unload()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace sq::forms
