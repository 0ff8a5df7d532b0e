#include "strataquill/forms/frm_file.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "strataquill/db/value.h"
#include "strataquill/forms/child_window.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/frm_sample_label_update.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/borings.h"
#include "strataquill/project/interval_checks.h"
#include "strataquill/project/project_probe.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/project/sample_labels.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {
namespace {

using widgets::BoundGrid;
using widgets::CellKind;
using widgets::ColumnSpec;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

const char* const kSeparatorTypes =
    "0 - Solid\t1 - Dash\t2 - Dot\t3 - Dash-Dot\t4 - Dash-Dot-Dot\t5 - None";

// A multi-line text box that selects its whole text when it gets the focus.
class SelectAllTextBox : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;

 protected:
  void focusInEvent(QFocusEvent* event) override {
    QPlainTextEdit::focusInEvent(event);
    QTimer::singleShot(0, this, &QPlainTextEdit::selectAll);
  }
};

const char* gridName(const BoundGrid* grid, const frmFile& window) {
  if (grid == window.sprdLithology()) return "Lithology";
  if (grid == window.sprdSample()) return "Samples";
  return "Completion";
}

}  // namespace

frmFile::frmFile(AppState& state, frmMain& main, QWidget* parent)
    : QWidget(parent), state_(state), main_(main) {
  setObjectName("frmFile");
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName("SSTab1");
  root->addWidget(tabs_);
  buildLithologyTab();
  buildSampleTab();
  buildCompletionTab();
  buildBoringTab();
  buildProjectTab();

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    QWidget* target = nullptr;
    switch (tab) {
      case 0: target = lithology_; break;
      case 1: target = sample_; break;
      case 2: target = completion_; break;
      case 3: target = control("txtFacilityWellName"); break;
      case 4: target = control("txtProjectNumber"); break;
    }
    if (target && target->isEnabled()) target->setFocus();
    emit focusStateChanged();
  });
  for (BoundGrid* grid : {lithology_, sample_, completion_}) {
    connect(grid, &BoundGrid::activeCellChanged, this, &frmFile::focusStateChanged);
    connect(&grid->model(), &widgets::RecordsetModel::cellsEdited, this,
            &frmFile::recheckIntervals);
  }
  connect(sample_, &BoundGrid::headingRightClicked, this,
          [this](int column) { openSampleLabels(column >= 5 && column <= 14 ? column - 4 : 1); });
  resize(900, 560);
}

frmFile::~frmFile() = default;

QWidget* frmFile::control(const QString& name) const {
  return findChild<QWidget*>(name);
}

void frmFile::buildLithologyTab() {
  lithology_ = new BoundGrid;
  lithology_->setObjectName("sprdLithology");
  lithology_->setColumns({{"From", "From", CellKind::kNumber},
                          {"To", "To", CellKind::kNumber},
                          {"Description", "Description", CellKind::kWrapText},
                          {"Classification", "Classification", CellKind::kDropDownList},
                          {"Line Type", "SeparatorType", CellKind::kDropDownList, false,
                           kSeparatorTypes},
                          {"BoringName", "BoringName", CellKind::kText, true}});
  tabs_->addTab(lithology_, "L&ithology");
}

void frmFile::buildSampleTab() {
  sample_ = new BoundGrid;
  sample_->setObjectName("sprdSample");
  std::vector<ColumnSpec> columns = {{"From", "From", CellKind::kNumber},
                                     {"To", "To", CellKind::kNumber},
                                     {"Sample Type", "SampleType", CellKind::kDropDownList},
                                     {"Blow Counts", "BlowCounts", CellKind::kText}};
  for (int n = 1; n <= 10; ++n)
    columns.push_back({project::kUndefinedLabel, "UserText" + QString::number(n), CellKind::kText});
  columns.push_back({"BoringName", "BoringName", CellKind::kText, true});
  sample_->setColumns(std::move(columns));
  tabs_->addTab(sample_, "&Samples");
}

void frmFile::buildCompletionTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  completionNotes_ = new SelectAllTextBox(page);
  completionNotes_->setObjectName("txtCompletionNotes");
  completionNotes_->setMaximumHeight(90);
  auto* label = new QLabel("Completion Notes", page);
  label->setBuddy(completionNotes_);
  completion_ = new BoundGrid(page);
  completion_->setObjectName("sprdCompletion");
  completion_->setColumns({{"From", "From", CellKind::kNumber},
                           {"To", "To", CellKind::kNumber},
                           {"Classification", "Classification", CellKind::kDropDownList},
                           {"BoringName", "BoringName", CellKind::kText, true}});
  layout->addWidget(label);
  layout->addWidget(completionNotes_);
  layout->addWidget(completion_, 1);
  boringFields_.bind(completionNotes_, "Completion");
  tabs_->addTab(page, "Co&mpletion");
}

QLineEdit* frmFile::boundLine(FieldBinding& binding, const char* name, const char* field) {
  auto* line = new SelectAllLineEdit;
  line->setObjectName(name);
  binding.bind(line, field);
  return line;
}

QComboBox* frmFile::boundList(FieldBinding& binding, const char* name, const char* field) {
  auto* list = new QComboBox;
  list->setObjectName(name);
  binding.bind(list, field);
  return list;
}

namespace {

// A framed group of labelled rows; a row holds one or more controls.
class Group {
 public:
  Group(const char* caption, QWidget* parent) : box_(new QGroupBox(caption, parent)) {
    grid_ = new QGridLayout(box_);
    grid_->setColumnStretch(1, 1);
  }
  Group& row(const char* label, std::initializer_list<QWidget*> controls) {
    auto* caption = new QLabel(label, box_);
    caption->setBuddy(*controls.begin());
    grid_->addWidget(caption, rows_, 0);
    auto* line = new QHBoxLayout;
    for (QWidget* c : controls) line->addWidget(c, qobject_cast<QComboBox*>(c) ? 0 : 1);
    grid_->addLayout(line, rows_, 1);
    // The rows stay together at the top of a frame taller than they need.
    grid_->setRowStretch(rows_, 0);
    grid_->setRowStretch(++rows_, 1);
    return *this;
  }
  QGroupBox* box() const { return box_; }

 private:
  QGroupBox* box_;
  QGridLayout* grid_;
  int rows_ = 0;
};

QWidget* scrolled(QWidget* content) {
  auto* area = new QScrollArea;
  area->setWidgetResizable(true);
  area->setFrameShape(QFrame::NoFrame);
  area->setWidget(content);
  return area;
}

}  // namespace

void frmFile::buildBoringTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  FieldBinding& b = boringFields_;
  Group general("General", page);
  general.row("Supervisor", {boundLine(b, "txtSupervisor", "Supervisor")})
      .row("Start Date", {boundLine(b, "txtDateStart", "DateStart")})
      .row("End Date", {boundLine(b, "txtDateEnd", "DateEnd")});
  Group specs("Specifications", page);
  specs.row("Drill Method", {boundLine(b, "txtDrillMethod", "DrillMethod")})
      .row("Drill Rig", {boundLine(b, "txtDrillRig", "DrillRig")})
      .row("Boring Dia.", {boundLine(b, "txtBoringDiameter", "BoringDiameter"),
                           boundList(b, "cmbBoringDiameterUnits", "BoringDiameterUnits")})
      .row("Trend", {boundLine(b, "txtTrend", "Trend")})
      .row("Plunge", {boundLine(b, "txtPlunge", "Plunge")});
  Group contractor("Drilling Contractor", page);
  contractor.row("Company", {boundLine(b, "txtDrillingContractor", "DrillingContractor")})
      .row("Driller Name", {boundLine(b, "txtDriller", "Driller")})
      .row("License Number", {boundLine(b, "txtLicenseNumber", "LicenseNumber")});
  Group depths("Depth Measurements", page);
  depths.row("Depths Units", {boundList(b, "cmbDepthUnits", "DepthUnits")})
      .row("Ground Elevation", {boundLine(b, "txtGroundElevation", "GroundElevation")})
      .row("Water Encountered When Drilling", {boundLine(b, "txtDrilledWater", "DrilledWater")})
      .row("Static Water Level", {boundLine(b, "txtStaticWater", "StaticWater")})
      .row("Potentiometric Water Level",
           {boundLine(b, "txtPotentiometricWater", "PotentiometricWater")})
      .row("Total Depth", {boundLine(b, "txtTotalDepth", "TotalDepth")});
  Group location("Location", page);
  location
      .row("Site Northing", {boundLine(b, "txtNorthing", "Northing"),
                             boundList(b, "cmbNorthingUnits", "NorthingUnits")})
      .row("Site Easting", {boundLine(b, "txtEasting", "Easting"),
                            boundList(b, "cmbEastingUnits", "EastingUnits")})
      .row("State Plane Northing", {boundLine(b, "txtStatePlaneNorthing", "StatePlaneNorthing")})
      .row("State Plane Easting", {boundLine(b, "txtStatePlaneEasting", "StatePlaneEasting")})
      .row("Latitude", {boundLine(b, "txtLatitude", "Latitude")})
      .row("Longitude", {boundLine(b, "txtLongitude", "Longitude")});
  Group names("Alternate Boring/Well Names", page);
  names.row("Facility Well Name", {boundLine(b, "txtFacilityWellName", "FacilityWellName")})
      .row("State Well Name", {boundLine(b, "txtStateWellName", "StateWellName")})
      .row("Common Well Name", {boundLine(b, "txtCommonWellName", "CommonWellName")});
  grid->addWidget(general.box(), 0, 0);
  grid->addWidget(specs.box(), 1, 0);
  grid->addWidget(contractor.box(), 0, 1);
  grid->addWidget(depths.box(), 1, 1);
  grid->addWidget(location.box(), 0, 2);
  grid->addWidget(names.box(), 1, 2);
  grid->setRowStretch(2, 1);
  boringTab_ = page;
  tabs_->addTab(scrolled(page), "B&oring Info.");
}

void frmFile::buildProjectTab() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  FieldBinding& p = projectFields_;
  Group general("General", page);
  general.row("Project Number", {boundLine(p, "txtProjectNumber", "ProjectNumber")})
      .row("Project Name", {boundLine(p, "txtProjectName", "ProjectName")})
      .row("Case Number", {boundLine(p, "txtCaseNumber", "CaseNumber")})
      .row("Lead Agency", {boundLine(p, "txtLeadAgency", "LeadAgency")})
      .row("Facility Number", {boundLine(p, "txtFacilityNumber", "FacilityNumber")});
  Group client("Client Address Information", page);
  client.row("Client", {boundLine(p, "txtClient", "Client")})
      .row("Client Contact", {boundLine(p, "txtClientContact", "ClientContact")})
      .row("Client Phone", {boundLine(p, "txtClientPhone", "ClientPhone")})
      .row("Client Address #1", {boundLine(p, "txtClientAddress1", "ClientAddress1")})
      .row("Client Address #2", {boundLine(p, "txtClientAddress2", "ClientAddress2")})
      .row("Client City", {boundLine(p, "txtClientCity", "ClientCity")})
      .row("Client State / Zip", {boundLine(p, "txtClientState", "ClientState"),
                                  boundLine(p, "txtClientZip", "ClientZip")})
      .row("Client County", {boundLine(p, "txtClientCounty", "ClientCounty")});
  Group site("Site Address Information", page);
  site.row("Site Address #1", {boundLine(p, "txtSiteAddress1", "SiteAddress1")})
      .row("Site Address #2", {boundLine(p, "txtSiteAddress2", "SiteAddress2")})
      .row("Site City", {boundLine(p, "txtSiteCity", "SiteCity")})
      .row("Site State / Zip", {boundLine(p, "txtSiteState", "SiteState"),
                                boundLine(p, "txtSiteZip", "SiteZip")})
      .row("Site County", {boundLine(p, "txtSiteCounty", "SiteCounty")})
      .row("Location Code", {boundLine(p, "txtLocationCode", "LocationCode")});
  auto* usgs = new QGroupBox("USGS Location", page);
  auto* u = new QGridLayout(usgs);
  QComboBox* quarter0 = boundList(p, "cmbQuarter0", "QtrSectionSecond");
  QComboBox* quarter1 = boundList(p, "cmbQuarter1", "QtrSectionPrimary");
  QLineEdit* section = boundLine(p, "txtSection", "Section");
  u->addWidget(quarter0, 0, 0);
  u->addWidget(new QLabel("1/4 of", usgs), 0, 1);
  u->addWidget(quarter1, 0, 2);
  u->addWidget(new QLabel("1/4 of", usgs), 0, 3);
  auto* sectionLabel = new QLabel("Section", usgs);
  sectionLabel->setBuddy(section);
  u->addWidget(sectionLabel, 0, 4);
  u->addWidget(section, 0, 5);
  auto* townshipLabel = new QLabel("Township", usgs);
  QLineEdit* township = boundLine(p, "txtTownship", "Township");
  townshipLabel->setBuddy(township);
  u->addWidget(townshipLabel, 1, 0);
  u->addWidget(township, 1, 1, 1, 2);
  u->addWidget(boundList(p, "cmbTownship", "TownshipDirection"), 1, 3);
  auto* rangeLabel = new QLabel("Range", usgs);
  QLineEdit* range = boundLine(p, "txtRange", "Range");
  rangeLabel->setBuddy(range);
  u->addWidget(rangeLabel, 2, 0);
  u->addWidget(range, 2, 1, 1, 2);
  u->addWidget(boundList(p, "cmbRange", "RangeDirection"), 2, 3);
  u->setColumnStretch(5, 1);
  grid->addWidget(general.box(), 0, 0);
  grid->addWidget(usgs, 1, 0);
  grid->addWidget(client.box(), 0, 1, 2, 1);
  grid->addWidget(site.box(), 0, 2, 2, 1);
  grid->setRowStretch(2, 1);
  tabs_->addTab(scrolled(page), "&Project Info.");
}

bool frmFile::Form_Load() {
  BusyCursor busy;
  if (!state_.projectOpen()) return false;
  const std::string path = state_.CurrentProjectPath;
  const project::ProjectFileState probe = project::ProbeProjectFile(path);
  if (const std::string refusal = project::ProjectFileRefusal(probe, path); !refusal.empty()) {
    prompts().message(refusal, "Strataquill", MessageButtons::kOk, MessageIcon::kExclamation);
    return false;
  }
  readOnly_ = probe == project::ProjectFileState::kReadOnly;
  setWindowTitle(qs(state_.CurrentProjectTitle));
  // A file that cannot be written is shown as it is, not repaired.
  if (!readOnly_) CheckFileFormat(path);
  if (auto opened = db::Database::open(path); opened.ok()) database_.emplace(std::move(opened.value()));
  SetBoringList();
  InitializeComboBoxes();
  OpenRecordsets();
  UpdateUserHeaders();
  SetFormats();
  SortSpreadControls();
  InitializeRowHeights();
  main_.UpdateMenuBar();
  if (readOnly_)
    prompts().message("The file " + path +
                          " is read-only.  You can read and print the project, but changes "
                          "cannot be saved.",
                      "Strataquill", MessageButtons::kOk, MessageIcon::kInformation);
  return true;
}

void frmFile::CheckFileFormat(const std::string& CurrentFile) {
  project::CheckFileFormat(CurrentFile);
}

void frmFile::CloseRecordsets() {
  for (BoundGrid* grid : {lithology_, sample_, completion_}) grid->model().clear();
  projectFields_.clear();
  boringFields_.clear();
  database_.reset();
}

std::string frmFile::GetCurrentBoring() const {
  return main_.GetCurrentBoring();
}

std::string frmFile::GetSQL(const std::string& Boring, int whichTable) const {
  return project::GetSQL(Boring, whichTable);
}

void frmFile::SetBoringList(const std::optional<std::string>& CurrentBoringName) {
  std::vector<std::string> names;
  if (database_)
    if (auto read = project::ReadBoringList(*database_); read.ok()) names = std::move(read.value());
  main_.setBoringList(names, CurrentBoringName ? *CurrentBoringName
                                               : (names.empty() ? std::string() : names.front()));
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
  if (!database_ || boundBoring_.empty()) {
    model.clear();
    return;
  }
  auto rs = database_->openRecordset(GetSQL(boundBoring_, whichTable));
  if (!rs.ok()) {
    model.clear();
    return;
  }
  // Every boring shows at least one row of its own in every grid.
  if (rs->recordCount() == 0 && !readOnly_) {
    if (rs->addNew().ok() && rs->setField("BoringName", db::Value::text(boundBoring_)).ok())
      rs->update();
    else
      rs->cancelUpdate();
  }
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
  boundBoring_ = GetCurrentBoring();
  loadGrid(*lithology_, project::kLithologyTable);
  loadGrid(*sample_, project::kSampleTable);
  loadGrid(*completion_, project::kCompletionTable);
  projectFields_.clear();
  if (database_) {
    if (auto rs = database_->openRecordset("Project Information"); rs.ok()) {
      if (rs->recordCount() == 0 && !readOnly_) {
        if (rs->addNew().ok()) rs->update();
      }
      projectFields_.load(std::move(rs.value()));
    }
  }
  boringFields_.clear();
  if (database_ && !boundBoring_.empty()) {
    if (auto rs = database_->openRecordset(GetSQL(boundBoring_, project::kBoringTable)); rs.ok()) {
      // A boring row carries its name, so it is found again next time.
      if (rs->recordCount() == 0 && !readOnly_) {
        if (rs->addNew().ok() && rs->setField("BoringName", db::Value::text(boundBoring_)).ok())
          rs->update();
        else
          rs->cancelUpdate();
      }
      boringFields_.load(std::move(rs.value()));
    }
  }
  setBoringControlsEnabled(!boundBoring_.empty());
  recheckIntervals();
}

void frmFile::setBoringControlsEnabled(bool enabled) {
  // Without a boring there is nothing that typed rows could belong to.
  for (QWidget* w : {static_cast<QWidget*>(lithology_), static_cast<QWidget*>(sample_),
                     static_cast<QWidget*>(completion_), static_cast<QWidget*>(completionNotes_),
                     boringTab_})
    w->setEnabled(enabled);
}

void frmFile::UpdateUserHeaders() {
  project::SampleLabels labels;
  labels.fill(project::kUndefinedLabel);
  if (database_) labels = project::SampleHeadings(*database_);
  for (int n = 1; n <= 10; ++n) sample_->model().setHeading(3 + n, qs(labels[n - 1]));
}

void frmFile::SetFormats() {
  const int lithology[] = {64, 64, 430, 150, 120};
  for (int c = 0; c < 5; ++c) lithology_->setColumnWidth(c, lithology[c]);
  const int sample[] = {64, 64, 130, 90};
  for (int c = 0; c < 14; ++c) sample_->setColumnWidth(c, c < 4 ? sample[c] : 96);
  const int completion[] = {64, 64, 260};
  for (int c = 0; c < 3; ++c) completion_->setColumnWidth(c, completion[c]);
}

void frmFile::InitializeRowHeights() {
  for (BoundGrid* grid : {lithology_, sample_, completion_}) grid->fitAllRowHeights();
}

bool frmFile::hasPendingEdits() const {
  for (BoundGrid* grid : {lithology_, sample_, completion_})
    if (grid->isEditing() || grid->model().hasPendingEdits()) return true;
  return projectFields_.hasPendingEdits() || boringFields_.hasPendingEdits();
}

bool frmFile::UpdateRecordsets() {
  bool ok = true;
  std::string error;
  for (BoundGrid* grid : {lithology_, sample_, completion_}) {
    grid->commitEdit();
    const widgets::RecordsetModel::SaveReport report = grid->model().submitAll();
    if (!report.ok()) {
      ok = false;
      if (error.empty()) error = report.error;
    }
    grid->viewport()->update();
  }
  ok = projectFields_.save(error) && ok;
  ok = boringFields_.save(error) && ok;
  if (!ok) reportSaveFailure(error);
  return ok;
}

void frmFile::reportSaveFailure(const std::string& error) {
  // A read-only file was announced when it opened; other failures are told
  // once each, so a save that keeps failing does not nag at every step.
  if (readOnly_ || error == lastFailure_) {
    lastFailure_ = error;
    return;
  }
  lastFailure_ = error;
  prompts().message("Some changes could not be saved to " + state_.CurrentProjectPath + ": " +
                        error + "  They are still in the window.",
                    "Strataquill", MessageButtons::kOk, MessageIcon::kExclamation);
}

bool frmFile::confirmRefusals() {
  std::string list;
  int count = 0;
  for (BoundGrid* grid : {lithology_, sample_, completion_}) {
    grid->commitEdit();
    for (const auto& r : grid->model().refusals()) {
      if (++count > 8) continue;
      list += std::string("\n") + gridName(grid, *this) + " row " + std::to_string(r.row + 1) +
              ", " + grid->model().columns()[r.column].heading.toStdString() + ": \u201C" +
              r.text.toStdString() + "\u201D";
    }
  }
  if (count == 0) return true;
  const MessageAnswer answer = prompts().message(
      "These depths are not numbers and cannot be saved:\n" + list +
          "\n\nDo you want to go back and correct them?",
      "Depth Is Not a Number", MessageButtons::kYesNo, MessageIcon::kExclamation);
  return answer != MessageAnswer::kYes;
}

bool frmFile::saveBeforeLeaving(bool ask) {
  if (ask && !confirmRefusals()) return false;
  if (UpdateRecordsets() || !ask) return true;
  const MessageAnswer answer = prompts().message(
      "The changes to " + state_.CurrentProjectTitle + " could not be saved" +
          (readOnly_ ? std::string(" because the file is read-only.") : ": " + lastFailure_) +
          "\n\nDo you want to go on and lose them?",
      "Changes Not Saved", MessageButtons::kYesNo, MessageIcon::kExclamation);
  return answer == MessageAnswer::kYes;
}

bool frmFile::switchToSelectedBoring(bool ask) {
  if (!saveBeforeLeaving(ask)) {
    main_.selectBoringText(boundBoring_);
    return false;
  }
  BusyCursor busy;
  QApplication::processEvents();
  OpenRecordsets();
  InitializeRowHeights();
  return true;
}

void frmFile::CreateNewBoring(const std::string& newBoringName) {
  if (!database_ || !project::CreateBoringRow(*database_, newBoringName).ok()) {
    prompts().message("The boring " + newBoringName + " could not be added to " +
                          state_.CurrentProjectPath + ".",
                      "Can't Add Boring", MessageButtons::kOk, MessageIcon::kExclamation);
    return;
  }
  SetBoringList(newBoringName);
  switchToSelectedBoring(true);
  main_.UpdateMenuBar();
}

void frmFile::RemoveBoring(const std::string& Boring, bool Confirm) {
  if (Confirm) {
    if (prompts().message("Are you sure you want to delete " + Boring + "? " +
                              "You will NOT be able to undelete it later.",
                          "Confirm Delete", MessageButtons::kYesNo,
                          MessageIcon::kCritical) != MessageAnswer::kYes)
      return;
    if (prompts().message("Are you really sure you want to permanently delete " + Boring + "?",
                          "Reconfirm Delete", MessageButtons::kYesNo,
                          MessageIcon::kCritical) != MessageAnswer::kYes)
      return;
  }
  // The project's description is kept; the boring's own edits go with it.
  std::string error;
  projectFields_.save(error);
  for (BoundGrid* grid : {lithology_, sample_, completion_}) {
    grid->commitEdit();
    grid->model().clear();
  }
  boringFields_.clear();
  if (!database_ || !project::DeleteBoringRows(*database_, Boring).ok())
    prompts().message("The boring " + Boring + " could not be removed from " +
                          state_.CurrentProjectPath + ".",
                      "Can't Remove Boring", MessageButtons::kOk, MessageIcon::kExclamation);
  SetBoringList();
  OpenRecordsets();
  InitializeRowHeights();
  main_.UpdateMenuBar();
}

void frmFile::openSampleLabels(int n) {
  frmSampleLabelUpdate dialog(state_, this, this);
  dialog.SetButtonNumber(n);
}

void frmFile::recheckIntervals() {
  int problems = 0;
  for (BoundGrid* grid : {lithology_, sample_, completion_}) {
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
    const auto findings = project::CheckIntervals(rows, grid == lithology_);
    problems += project::CountProblems(findings);
    std::map<int, QString> notes;
    for (const auto& f : findings) {
      QString& note = notes[f.row];
      note += (note.isEmpty() ? "" : "\n") + qs(f.text);
    }
    model.clearNotes();
    for (const auto& [row, note] : notes)
      for (int column : {0, 1}) model.setCellNote(row, column, note, QColor(255, 226, 150));
  }
  intervalProblems_ = problems;
  emit intervalProblemsChanged(problems);
}

bool frmFile::Form_Unload() {
  if (unloaded_) return true;
  if (!saveBeforeLeaving(true)) return false;
  QApplication::processEvents();
  CloseRecordsets();
  main_.setBoringList({}, {});
  state_.clearProject();
  unloaded_ = true;
  main_.updateMenus();
  return true;
}

void frmFile::Form_GotFocus() {
  if (!state_.projectOpen()) {
    // Not from inside the activation that called this.
    QTimer::singleShot(0, &main_, [main = &main_] { main->unloadDataEntry(); });
    return;
  }
  focusTabStrip(this, tabs_, [this] { emit focusStateChanged(); });
}

void frmFile::closeEvent(QCloseEvent* event) {
  if (Form_Unload()) {
    event->accept();
  } else {
    event->ignore();
  }
}

}  // namespace sq::forms
