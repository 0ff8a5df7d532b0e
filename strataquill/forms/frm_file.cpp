#include "strataquill/forms/frm_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <map>

#include "strataquill/db/value.h"
#include "strataquill/forms/child_window.h"
#include "strataquill/forms/frm_conflicts.h"
#include "strataquill/forms/frm_sample_label_update.h"
#include "strataquill/forms/session_adapter.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/interval_checks.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/project/save_policy.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {
namespace {

using widgets::BoundGrid;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

const QColor kNoteColour(255, 226, 150);

}  // namespace

frmFile::frmFile(AppState& state, SessionAdapter& session, QWidget* parent)
    : QWidget(parent), state_(state), session_(session) {
  setObjectName("frmFile");
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  banner_ = new QLabel(this);
  banner_->setObjectName("lblReadOnly");
  banner_->setStyleSheet(
      "QLabel { background: #fff3c4; border: 1px solid #d9b64a; padding: 4px; }");
  banner_->hide();
  root->addWidget(banner_);
  changed_ = new QWidget(this);
  changed_->setObjectName("fraChangedByOthers");
  changed_->setStyleSheet(
      "#fraChangedByOthers { background: #dcebff; border: 1px solid #7aa7e0; }");
  changed_->setAttribute(Qt::WA_StyledBackground);
  auto* changedRow = new QHBoxLayout(changed_);
  changedRow->setContentsMargins(6, 2, 6, 2);
  changedText_ = new QLabel(changed_);
  changedText_->setObjectName("lblChangedByOthers");
  reload_ = new QPushButton("Reload", changed_);
  reload_->setObjectName("cmdReload");
  changedRow->addWidget(changedText_, 1);
  changedRow->addWidget(reload_);
  changed_->hide();
  root->addWidget(changed_);
  connect(reload_, &QPushButton::clicked, this, [this] { reloadBoring(); });
  connect(&session_, &SessionAdapter::changedByOthers, this, &frmFile::showChangedByOthers);
  auto* tabWidget = new QTabWidget(this);
  tabWidget->setObjectName("SSTab1");
  root->addWidget(tabWidget);
  buildDataEntryTabs(tabWidget, tabs_);

  connect(tabs_.tabs, &QTabWidget::currentChanged, this, [this](int tab) {
    QWidget* target = nullptr;
    switch (tab) {
      case 0:
        target = tabs_.lithology;
        break;
      case 1:
        target = tabs_.sample;
        break;
      case 2:
        target = tabs_.completion;
        break;
      case 3:
        target = control("txtFacilityWellName");
        break;
      case 4:
        target = control("txtProjectNumber");
        break;
    }
    if (target && target->isEnabled()) target->setFocus();
    emit focusStateChanged();
  });
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion}) {
    connect(grid, &BoundGrid::activeCellChanged, this, &frmFile::focusStateChanged);
    connect(&grid->model(), &widgets::RecordsetModel::cellsEdited, this, &frmFile::recheckCells);
  }
  connect(tabs_.sample, &BoundGrid::headingRightClicked, this,
          [this](int column) { openSampleLabels(column >= 5 && column <= 14 ? column - 4 : 1); });
  // The grids and fields follow the session's current boring; what they
  // held was saved (or dropped, for a removed boring) before it changed.
  connect(&session_, &SessionAdapter::currentBoringChanged, this, [this] {
    if (unloaded_ || session_.session().currentBoring() == boundBoring_) return;
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    OpenRecordsets();
    InitializeRowHeights();
  });
  resize(900, 560);
}

frmFile::~frmFile() {
  session_.setLeaveGuard(nullptr);
}

QWidget* frmFile::control(const QString& name) const {
  return findChild<QWidget*>(name);
}

bool frmFile::Form_Load() {
  BusyCursor busy;
  const project::ProjectSession& session = session_.session();
  if (!session.isOpen()) return false;
  readOnly_ = session.readOnly();
  notice_ = project::SaveFailureNotice(readOnly_);
  setWindowTitle(qs(state_.CurrentProjectTitle) + (readOnly_ ? " (read-only)" : ""));
  InitializeComboBoxes();
  OpenRecordsets();
  UpdateUserHeaders();
  SetFormats();
  SortSpreadControls();
  InitializeRowHeights();
  showReadOnly();
  // Leaving the boring (another boring, a new one, a copy) saves first.
  session_.setLeaveGuard([this] { return saveBeforeLeaving(true); });
  return true;
}

void frmFile::showReadOnly() {
  banner_->setText(qs(project::readOnlyText(state_.CurrentProjectTitle,
                                            "You can read and print it, but changes cannot be "
                                            "saved.")));
  banner_->setVisible(readOnly_);
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion})
    grid->model().setReadOnly(readOnly_);
  for (const FieldBinding* binding : {&tabs_.projectFields, &tabs_.boringFields})
    for (const auto& [widget, field] : binding->bindings()) {
      if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setReadOnly(readOnly_);
      if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) box->setReadOnly(readOnly_);
      if (auto* list = qobject_cast<QComboBox*>(widget)) list->setEnabled(!readOnly_);
    }
}

void frmFile::announceReadOnly() {
  if (!readOnly_) return;
  const std::string what = session_.session().isServer()
                               ? "The server lets you read the project " +
                                     state_.CurrentProjectTitle + " but not change it."
                               : "The file " + state_.CurrentProjectPath + " is read-only.";
  prompts().message(what + "  You can read and print the project, but changes cannot be saved.",
                    "Strataquill", MessageButtons::kOk, MessageIcon::kInformation);
}

void frmFile::CloseRecordsets() {
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion}) grid->model().clear();
  tabs_.projectFields.clear();
  tabs_.boringFields.clear();
}

std::string frmFile::GetCurrentBoring() const {
  return session_.session().currentBoring();
}

void frmFile::InitializeComboBoxes() {
  auto fill = [this](const char* name, const std::vector<std::string>& items) {
    auto* list = qobject_cast<QComboBox*>(control(name));
    if (!list) return;
    list->clear();
    list->addItem(QString());
    for (const std::string& item : items) list->addItem(qs(item));
  };
  fill("cmbDepthUnits", state_.DepthUnits);
  fill("cmbNorthingUnits", state_.DepthUnits);
  fill("cmbEastingUnits", state_.DepthUnits);
  fill("cmbBoringDiameterUnits", state_.DiameterUnits);
  fill("cmbQuarter0", {"SW", "SE", "NW", "NE"});
  fill("cmbQuarter1", {"SW", "SE", "NW", "NE"});
  fill("cmbTownship", {"N.", "S."});
  fill("cmbRange", {"E.", "W."});
  const layouts::ClassKind kinds[] = {layouts::ClassKind::kLithology, layouts::ClassKind::kSamples,
                                      layouts::ClassKind::kCompletion};
  for (int i = 0; i < 3; ++i) {
    QStringList items;
    for (const std::string& item : layouts::readClassList(state_.ClassificationFile, kinds[i]))
      items << qs(item);
    classLists_[i] = items.join('\t');
  }
}

void frmFile::loadGrid(BoundGrid& grid, int whichTable) {
  widgets::RecordsetModel& model = grid.model();
  const int hidden = model.columnCount() - 1;
  auto rs = boundBoring_.empty() ? db::Result<db::Recordset>(db::Status::error(
                                       db::ErrorCode::kGeneric, "No boring is selected."))
                                 : session_.session().boringRows(boundBoring_, whichTable);
  if (!rs.ok()) {
    model.clear();
    return;
  }
  // Rows typed into the spare rows carry the boring's name.
  model.setFixedValue(hidden, qs(boundBoring_));
  const int listColumn = whichTable == project::kLithologyTable ? 3 : 2;
  const int list = whichTable == project::kLithologyTable ? 0
                   : whichTable == project::kSampleTable  ? 1
                                                          : 2;
  model.setListItems(listColumn, classLists_[list]);
  grid.setUpdatesEnabled(false);
  model.load(std::move(rs.value()));
  grid.setColumnHidden(hidden, true);
  grid.setUpdatesEnabled(true);
}

void frmFile::OpenRecordsets() {
  BusyCursor busy;
  project::ProjectSession& session = session_.session();
  // A server that went away may be back; if not, the user hears why the
  // grids are empty.
  if (db::Status s = session.reconnectIfLost(); !s.ok() && notice_.shouldTell(s.message()))
    prompts().message(
        "The project " + state_.CurrentProjectTitle + " cannot be read: " + s.message(),
        "Strataquill", MessageButtons::kOk, MessageIcon::kExclamation);
  boundBoring_ = session.currentBoring();
  loadGrid(*tabs_.lithology, project::kLithologyTable);
  loadGrid(*tabs_.sample, project::kSampleTable);
  loadGrid(*tabs_.completion, project::kCompletionTable);
  // Reading writes nothing: a project without its description row gains it
  // with the first edit of a field.
  tabs_.projectFields.clear();
  if (auto rs = session.projectRows(); rs.ok()) tabs_.projectFields.load(std::move(rs.value()));
  tabs_.boringFields.clear();
  if (!boundBoring_.empty())
    if (auto rs = session.boringRows(boundBoring_, project::kBoringTable); rs.ok()) {
      tabs_.boringFields.setNewRowValue("BoringName", boundBoring_);
      tabs_.boringFields.load(std::move(rs.value()));
    }
  setBoringControlsEnabled(!boundBoring_.empty());
  // What others changed before is in what was just read.
  session_.session().forgetOthersChange(boundBoring_);
  changed_->hide();
  recheckCells();
}

void frmFile::showChangedByOthers() {
  if (unloaded_ || boundBoring_.empty() || !session_.session().changedByOthers(boundBoring_))
    return;
  changedText_->setText(qs("Another user changed " + boundBoring_ +
                           " after you opened it.  Reload it to see "
                           "their changes; yours are saved first."));
  changed_->show();
}

bool frmFile::reloadBoring() {
  if (unloaded_) return false;
  if (!saveBeforeLeaving(true)) return false;
  OpenRecordsets();
  InitializeRowHeights();
  return true;
}

void frmFile::setBoringControlsEnabled(bool enabled) {
  // Without a boring there is nothing that typed rows could belong to.
  for (QWidget* w : {static_cast<QWidget*>(tabs_.lithology), static_cast<QWidget*>(tabs_.sample),
                     static_cast<QWidget*>(tabs_.completion),
                     static_cast<QWidget*>(tabs_.completionNotes), tabs_.boringTab})
    w->setEnabled(enabled);
}

void frmFile::UpdateUserHeaders() {
  const project::SampleLabels labels = session_.session().sampleHeadings();
  for (int n = 1; n <= 10; ++n) tabs_.sample->model().setHeading(3 + n, qs(labels[n - 1]));
}

void frmFile::SetFormats() {
  const int lithology[] = {64, 64, 430, 150, 120};
  for (int c = 0; c < 5; ++c) tabs_.lithology->setColumnWidth(c, lithology[c]);
  const int sample[] = {64, 64, 130, 90};
  for (int c = 0; c < 14; ++c) tabs_.sample->setColumnWidth(c, c < 4 ? sample[c] : 96);
  const int completion[] = {64, 64, 260};
  for (int c = 0; c < 3; ++c) tabs_.completion->setColumnWidth(c, completion[c]);
}

void frmFile::InitializeRowHeights() {
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion})
    grid->fitAllRowHeights();
}

bool frmFile::hasPendingEdits() const {
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion})
    if (grid->isEditing() || grid->model().hasPendingEdits()) return true;
  return tabs_.projectFields.hasPendingEdits() || tabs_.boringFields.hasPendingEdits();
}

bool frmFile::UpdateRecordsets() {
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion}) grid->commitEdit();
  if (!hasPendingEdits()) return true;
  project::ProjectSession& session = session_.session();
  // A server that went away may be back: the save connects again first.
  if (db::Status s = session.reconnectIfLost(); !s.ok()) {
    reportSaveFailure(s.message(), true);
    return false;
  }
  SaveRun save(session.database());
  save.add(tabs_.lithology->model(), "Lithology");
  save.add(tabs_.sample->model(), "Samples");
  save.add(tabs_.completion->model(), "Completion");
  save.add(tabs_.projectFields, "Project Info.");
  save.add(tabs_.boringFields, "Boring Info.");
  SaveRun::Outcome outcome = save.run();
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion})
    grid->viewport()->update();
  // Rows that others changed meanwhile: the user chooses, then they are
  // saved again (and may meet yet another user's change).
  for (int round = 0; round < 5 && !outcome.keptNothing; ++round) {
    std::vector<ConflictRow> conflicts = save.conflicts();
    if (conflicts.empty()) break;
    if (!settleConflicts(std::move(conflicts))) {
      notice_.note(outcome.error);  // what a question about leaving them says
      return false;
    }
    outcome = save.run();
  }
  if (!outcome.written) {
    reportSaveFailure(outcome.error, outcome.keptNothing);
    return false;
  }
  notice_.succeeded();
  return true;
}

bool frmFile::settleConflicts(std::vector<ConflictRow> rows) {
  frmConflicts dialog(std::move(rows), this);
  if (execModal(dialog) != QDialog::Accepted) return false;
  if (const std::string error = dialog.apply(); !error.empty()) {
    reportSaveFailure(error);
    return false;
  }
  return true;
}

void frmFile::reportSaveFailure(const std::string& error, bool keptNothing) {
  // A read-only file was announced when it opened; other failures are told
  // once each, so a save that keeps failing does not nag at every step.
  if (!notice_.shouldTell(error)) return;
  prompts().message((keptNothing ? "None of the changes could be saved to "
                                 : "Some changes could not be saved to ") +
                        state_.CurrentProjectPath + ": " + error +
                        "  They are still in the window.",
                    "Strataquill", MessageButtons::kOk, MessageIcon::kExclamation);
}

bool frmFile::confirmRefusals() {
  return !wantsToCorrectRefusals(
      {{"Lithology", tabs_.lithology}, {"Samples", tabs_.sample}, {"Completion", tabs_.completion}},
      false, "These depths are not numbers and cannot be saved:", "Depth Is Not a Number");
}

bool frmFile::saveBeforeLeaving(bool ask) {
  if (ask && !confirmRefusals()) return false;
  if (UpdateRecordsets() || !ask) return true;
  const MessageAnswer answer =
      prompts().message(project::unsavedChangesQuestion(state_.CurrentProjectTitle, notice_,
                                                        "Do you want to go on and lose them?"),
                        "Changes Not Saved", MessageButtons::kYesNo, MessageIcon::kExclamation);
  return answer == MessageAnswer::kYes;
}

void frmFile::RemoveBoring(const std::string& Boring, bool Confirm) {
  // Said before the questions: a boring that other users have open stays.
  if (const std::vector<std::string> users = session_.session().othersUsing(Boring);
      !users.empty()) {
    prompts().message(project::OpenByOthersText(Boring, users), "Can't Remove Boring",
                      MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  // Enter twice must not delete a boring: No is the default of both.
  if (Confirm) {
    if (prompts().message("Are you sure you want to delete " + Boring + "? " +
                              "You will NOT be able to undelete it later.",
                          "Confirm Delete", MessageButtons::kYesNoDefaultNo,
                          MessageIcon::kCritical) != MessageAnswer::kYes)
      return;
    if (prompts().message("Are you really sure you want to permanently delete " + Boring + "?",
                          "Reconfirm Delete", MessageButtons::kYesNoDefaultNo,
                          MessageIcon::kCritical) != MessageAnswer::kYes)
      return;
  }
  // The project's description is kept; the boring's own edits stay in the
  // grids until the delete succeeded, and go with the boring then.
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion}) grid->commitEdit();
  std::string error;
  tabs_.projectFields.save(error);
  const project::BoringChange r = session_.removeBoring(Boring);
  if (r.outcome == project::BoringChange::Outcome::kInUse) {
    prompts().message(project::OpenByOthersText(Boring, r.users), "Can't Remove Boring",
                      MessageButtons::kOk, MessageIcon::kExclamation);
  } else if (r.outcome == project::BoringChange::Outcome::kReadOnly) {
    prompts().message(
        project::readOnlyText(state_.CurrentProjectTitle, "Borings cannot be removed from it."),
        "Can't Remove Boring", MessageButtons::kOk, MessageIcon::kExclamation);
  } else if (!r.done()) {
    prompts().message("The boring " + Boring + " could not be removed from " +
                          state_.CurrentProjectPath + ": " + r.status.message(),
                      "Can't Remove Boring", MessageButtons::kOk, MessageIcon::kExclamation);
  }
}

void frmFile::openSampleLabels(int n) {
  frmSampleLabelUpdate dialog(session_.session(), state_.CurrentProjectTitle, this);
  if (dialog.SetButtonNumber(n) == QDialog::Accepted) UpdateUserHeaders();
}

void frmFile::recheckCells() {
  int problems = 0;
  for (BoundGrid* grid : {tabs_.lithology, tabs_.sample, tabs_.completion}) {
    widgets::RecordsetModel& model = grid->model();
    std::vector<project::IntervalRow> rows;
    for (int r = 0; r < model.dataRowCount(); ++r) {
      auto depth = [&](int column) -> std::optional<float> {
        const std::string text = model.cellText(r, column).trimmed().toStdString();
        auto n = db::parseWholeNumber(text);
        if (text.empty() || !n) return std::nullopt;
        return static_cast<float>(*n);
      };
      rows.push_back({r, depth(0), depth(1)});
    }
    const auto findings = project::CheckIntervals(rows, grid == tabs_.lithology);
    problems += project::CountProblems(findings);
    std::map<std::pair<int, int>, QString> notes;
    for (const auto& f : findings)
      for (int column : {0, 1}) {
        QString& note = notes[{f.row, column}];
        note += (note.isEmpty() ? "" : "\n") + qs(f.text);
      }
    // A pasted value that is not in its column's list would print as an
    // empty pattern.
    for (int column = 0; column < model.columnCount(); ++column) {
      const widgets::ColumnSpec& columnSpec = model.columns()[column];
      if (columnSpec.kind != widgets::CellKind::kDropDownList || columnSpec.listItems.isEmpty())
        continue;
      std::vector<std::string> items;
      for (const QString& item : columnSpec.listItems.split('\t'))
        items.push_back(item.toStdString());
      const std::string note = project::NotInListNote(columnSpec.heading.toStdString());
      for (int r = 0; r < model.dataRowCount(); ++r)
        if (!project::IsListValue(model.cellText(r, column).trimmed().toStdString(), items)) {
          ++problems;
          notes[{r, column}] = qs(note);
        }
    }
    // Depths that are not numbers are marked by the grid; they count too.
    problems += static_cast<int>(model.refusals().size());
    model.clearNotes();
    for (const auto& [cell, note] : notes)
      model.setCellNote(cell.first, cell.second, note, kNoteColour);
  }
  intervalProblems_ = problems;
  emit intervalProblemsChanged(problems);
}

bool frmFile::Form_Unload() {
  if (unloaded_) return true;
  if (!saveBeforeLeaving(true)) return false;
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  CloseRecordsets();
  session_.setLeaveGuard(nullptr);
  unloaded_ = true;
  session_.session().close();
  return true;
}

void frmFile::Form_GotFocus() {
  if (!session_.session().isOpen()) {
    emit unloadRequested();
    return;
  }
  focusTabStrip(this, tabs_.tabs, [this] { emit focusStateChanged(); });
}

void frmFile::closeEvent(QCloseEvent* event) {
  if (Form_Unload()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace sq::forms
