#include "strataquill/forms/data_entry_tabs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "strataquill/project/sample_labels.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

using widgets::BoundGrid;
using widgets::CellKind;
using widgets::ColumnSpec;

const char* const kSeparatorTypes =
    "0 - Solid\t1 - Dash\t2 - Dot\t3 - Dash-Dot\t4 - Dash-Dot-Dot\t5 - None";

namespace {

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

// Builds the tabs of one window into DataEntryTabs.
class DataEntryTabBuilder {
 public:
  DataEntryTabBuilder(QTabWidget* tabs, DataEntryTabs& out)
      : tabs_(tabs),
        out_(out),
        projectFields_(out.projectFields),
        boringFields_(out.boringFields) {}
  void buildLithologyTab();
  void buildSampleTab();
  void buildCompletionTab();
  void buildBoringTab();
  void buildProjectTab();

 private:
  QLineEdit* boundLine(FieldBinding& binding, const char* name, const char* field);
  QComboBox* boundList(FieldBinding& binding, const char* name, const char* field);

  QTabWidget* tabs_;
  DataEntryTabs& out_;
  FieldBinding& projectFields_;
  FieldBinding& boringFields_;
};

}  // namespace

void DataEntryTabBuilder::buildLithologyTab() {
  out_.lithology = new BoundGrid;
  out_.lithology->setObjectName("sprdLithology");
  out_.lithology->setColumns(
      {{"From", "From", CellKind::kNumber},
       {"To", "To", CellKind::kNumber},
       {"Description", "Description", CellKind::kWrapText},
       {"Classification", "Classification", CellKind::kDropDownList},
       {"Line Type", "SeparatorType", CellKind::kDropDownList, false, kSeparatorTypes},
       {"BoringName", "BoringName", CellKind::kText, true}});
  tabs_->addTab(out_.lithology, "L&ithology");
}

void DataEntryTabBuilder::buildSampleTab() {
  out_.sample = new BoundGrid;
  out_.sample->setObjectName("sprdSample");
  std::vector<ColumnSpec> columns = {{"From", "From", CellKind::kNumber},
                                     {"To", "To", CellKind::kNumber},
                                     {"Sample Type", "SampleType", CellKind::kDropDownList},
                                     {"Blow Counts", "BlowCounts", CellKind::kText}};
  for (int n = 1; n <= 10; ++n)
    columns.push_back({project::kUndefinedLabel, "UserText" + QString::number(n), CellKind::kText});
  columns.push_back({"BoringName", "BoringName", CellKind::kText, true});
  out_.sample->setColumns(std::move(columns));
  tabs_->addTab(out_.sample, "&Samples");
}

void DataEntryTabBuilder::buildCompletionTab() {
  auto* page = new QWidget;
  auto* layout = new QVBoxLayout(page);
  out_.completionNotes = new SelectAllTextBox(page);
  out_.completionNotes->setObjectName("txtCompletionNotes");
  out_.completionNotes->setMaximumHeight(90);
  auto* label = new QLabel("Completion Notes", page);
  label->setBuddy(out_.completionNotes);
  out_.completion = new BoundGrid(page);
  out_.completion->setObjectName("sprdCompletion");
  out_.completion->setColumns({{"From", "From", CellKind::kNumber},
                               {"To", "To", CellKind::kNumber},
                               {"Classification", "Classification", CellKind::kDropDownList},
                               {"BoringName", "BoringName", CellKind::kText, true}});
  layout->addWidget(label);
  layout->addWidget(out_.completionNotes);
  layout->addWidget(out_.completion, 1);
  boringFields_.bind(out_.completionNotes, "Completion");
  tabs_->addTab(page, "Co&mpletion");
}

QLineEdit* DataEntryTabBuilder::boundLine(FieldBinding& binding, const char* name,
                                          const char* field) {
  auto* line = new SelectAllLineEdit;
  line->setObjectName(name);
  binding.bind(line, field);
  return line;
}

QComboBox* DataEntryTabBuilder::boundList(FieldBinding& binding, const char* name,
                                          const char* field) {
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

void DataEntryTabBuilder::buildBoringTab() {
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
      .row("Site Easting",
           {boundLine(b, "txtEasting", "Easting"), boundList(b, "cmbEastingUnits", "EastingUnits")})
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
  out_.boringTab = page;
  tabs_->addTab(scrolled(page), "B&oring Info.");
}

void DataEntryTabBuilder::buildProjectTab() {
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
      .row("Site State / Zip",
           {boundLine(p, "txtSiteState", "SiteState"), boundLine(p, "txtSiteZip", "SiteZip")})
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
  out_.projectTab = page;
  tabs_->addTab(scrolled(page), "&Project Info.");
}

void buildDataEntryTabs(QTabWidget* tabs, DataEntryTabs& out) {
  out.tabs = tabs;
  DataEntryTabBuilder builder(tabs, out);
  builder.buildLithologyTab();
  builder.buildSampleTab();
  builder.buildCompletionTab();
  builder.buildBoringTab();
  builder.buildProjectTab();
}

}  // namespace sq::forms
