#include "strataquill/forms/frm_layout_design.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "strataquill/db/value.h"
#include "strataquill/forms/layout_sample_view.h"
#include "strataquill/layouts/layout_codes.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/user_prompts.h"
#include "strataquill/widgets/bound_grid.h"

namespace sq::forms {

// The expressions a text item can hold, as the "Text" column offers them.
const char* const kPlaceholderList =
    "<<Boring Diameter>>\t<<Boring Diameter Units>>\t"
    "<<Boring Diameter>> + <<Boring Diameter Units>>\t<<Boring Name>>\t<<Bottom Depth>>\t"
    "<<Bottom Depth>> + <<Depth Units>>\t<<Case Number>>\t"
    "<<Client>>\t<<Client Address 1>>\t<<Client Address 2>>\t<<Client City>>\t"
    "<<Client City>> + <<Client State>>\t<<Client City>> + <<Client State>> + <<Client Zip>>\t"
    "<<Client Contact>>\t<<Client County>>\t<<Client Phone>>\t<<Client State>>\t<<Client Zip>>\t"
    "<<Common Well Name>>\t<<Company Address>>\t<<Company City>>\t"
    "<<Company City>> + <<Company State>>\t"
    "<<Company City>> + <<Company State>> + <<Company Zip>>\t<<Company Country>>\t"
    "<<Company Name>>\t<<Company State>>\t<<Company Zip>>\t<<Completion>>\t<<Date End>>\t"
    "<<Date Start>>\t<<Depth Units>>\t<<Drill Method>>\t<<Drill Rig>>\t<<Driller>>\t"
    "<<Drilled Water>>\t<<Drilled Water>> + <<Depth Units>>\t<<Drilling Contractor>>\t"
    "<<Easting>>\t<<Easting>> + <<Easting Units>>\t<<Easting Units>>\t<<Facility Number>>\t"
    "<<Facility Well Name>>\t<<File Name>>\t<<File Path>>\t<<Ground Elevation>>\t"
    "<<Ground Elevation>> + <<Depth Units>>\t<<Latitude>>\t<<Lead Agency>>\t<<License Number>>\t"
    "<<Location Code>>\t<<Longitude>>\t<<Northing>>\t<<Northing>> + <<Northing Units>>\t"
    "<<Northing Units>>\t<<Page Count>>\t<<Page Number>>\t"
    "Page <<Page Number>> of <<Page Count>>\t<<Plunge>>\t<<Potentiometric Water>>\t"
    "<<Potentiometric Water>> + <<Depth Units>>\t<<Print Date>>\t"
    "<<Print Date>> + <<Print Time>>\t<<Print Time>>\t<<Project Name>>\t<<Project Number>>\t"
    "<<Qtr Section Primary>>\t<<Qtr Section Secondary>>\t<<Range>>\t<<Range Direction>>\t"
    "<<Section>>\t<<Site Address 1>>\t<<Site Address 2>>\t<<Site City>>\t<<Site County>>\t"
    "<<Site State>>\t<<Site Zip>>\t<<Site City>> + <<Site State>>\t"
    "<<Site City>> + <<Site State>> + <<Site Zip>>\t<<State Plane Easting>>\t"
    "<<State Plane Northing>>\t<<State Well Name>>\t<<Static Water>>\t"
    "<<Static Water>> + <<Depth Units>>\t<<Supervisor>>\t<<Total Depth>>\t"
    "<<Total Depth>> + <<Depth Units>>\t<<Township>>\t<<Township Direction>>\t<<Trend>>\t"
    "<<User 1>>\t<<User 2>>\t<<User 3>>\t<<User 4>>\t<<User 5>>\t<<User 6>>\t<<User 7>>\t"
    "<<User 8>>\t<<User 9>>\t<<User 10>>\t<<USGS Location>>";
const char* const kColumnTypeList =
    "Classification\tCompletion\tDepth\tDescription\tBlow Count\tSample Symbol\tLithology\t"
    "Elevation\tWater Level\tN Value\tN Graph\t"
    "UserText1\tUserText2\tUserText3\tUserText4\tUserText5\tUserText6\tUserText7\tUserText8\t"
    "UserText9\tUserText10";
const char* const kColorList =
    "1 - Black\t2 - Red\t3 - Green\t4 - Yellow\t5 - Blue\t6 - Magenta\t7 - Cyan\t8 - White";
const char* const kPenStyleList =
    "0 - Solid\t1 - Dash\t2 - Dot\t3 - Dash-Dot\t4 - Dash-Dot-Dot\t5 - None";
const char* const kAlignmentList = "1 - Left\t2 - Center\t3 - Right";
const char* const kTextDoesNotFit = "Text does not fit its box";

namespace {

using widgets::BoundGrid;
using widgets::CellKind;
using widgets::ColumnSpec;
using widgets::RecordsetModel;

constexpr int kTextGrid = 0, kLinesGrid = 1, kGraphicsGrid = 2, kColumnsGrid = 3;
constexpr int kLongText = 20000;
const QColor kAmber(255, 226, 150);

// The font names offered in the "Font" columns: what the printer can use,
// as the font database lists them.
QString fontList() {
  return QFontDatabase::families().join('\t');
}

// A coordinate or size of the Text, Lines and Graphics grids: an edit cell
// that takes the characters of a number.
ColumnSpec numberCell(const char* heading, const char* field) {
  return ColumnSpec(heading, field, CellKind::kNumber).centred().numericKeys().maxLength(kLongText);
}

// A number cell of the Columns grid: two decimals.
ColumnSpec decimalCell(const char* heading, const char* field) {
  return ColumnSpec(heading, field, CellKind::kNumber).centred().withDecimals(2).numericKeys();
}

ColumnSpec checkCell(const char* heading, const char* field) {
  return ColumnSpec(heading, field, CellKind::kCheckBox).centred();
}

ColumnSpec listCell(const char* heading, const char* field, const QString& items) {
  return ColumnSpec(heading, field, CellKind::kDropDownList, false, items);
}

// Reads one grid row by field name.
class RowCells {
 public:
  RowCells(const RecordsetModel& model, int row) : model_(model), row_(row) {}
  std::string text(const char* field) const {
    for (int c = 0; c < model_.columnCount(); ++c)
      if (model_.columns()[c].field == QLatin1String(field))
        return model_.cellText(row_, c).toStdString();
    return {};
  }
  float number(const char* field) const {
    return static_cast<float>(db::parseLeadingNumber(text(field)));
  }
  bool yesNo(const char* field) const { return layouts::GetYesNo(text(field)); }
  layouts::LayoutBox box() const { return {number("X"), number("Y"), number("XX"), number("YY")}; }
  layouts::LayoutFont font() const {
    return {text("FontName"), number("FontSize"), yesNo("FontBold"), yesNo("FontItalic"),
            yesNo("FontUnderline")};
  }

 private:
  const RecordsetModel& model_;
  int row_;
};

// Calls `read` for every data row of `grid` that holds anything.
template <class Read>
void forEachRow(const BoundGrid& grid, Read read) {
  const RecordsetModel& m = grid.model();
  for (int r = 0; r < m.dataRowCount(); ++r) {
    bool any = false;
    for (int c = 0; c < m.columnCount() && !any; ++c) any = !m.cellText(r, c).trimmed().isEmpty();
    if (any) read(RowCells(m, r), r);
  }
}

}  // namespace

frmLayoutDesign::frmLayoutDesign(AppState& state, render::PrintContext& context, QWidget* parent)
    : DesignerWindow("frmLayoutDesign", parent), state_(state), context_(context) {
  buildGrids();
  auto* options = new QWidget;
  auto* optionsLayout = new QVBoxLayout(options);
  truncateUpper_ = new QCheckBox("Truncate Upper Column Text", options);
  truncateUpper_->setObjectName("chkTruncateUpperColumnText");
  truncateLower_ = new QCheckBox("Truncate Lower Column Text", options);
  truncateLower_->setObjectName("chkTruncateLowerColumnText");
  endOfBoringNote_ = new QCheckBox("End of Boring Note", options);
  endOfBoringNote_->setObjectName("chkEndOfBoringNote");
  endOfBoringNote_->setToolTip(
      "Prints \"Boring terminated at <depth> <units>.\" in the Description column below the "
      "last interval");
  optionsLayout->addWidget(truncateUpper_);
  optionsLayout->addWidget(truncateLower_);
  optionsLayout->addWidget(endOfBoringNote_);
  optionsLayout->addStretch();
  addGridTab("&Options", nullptr, options);
  for (QCheckBox* box : {truncateUpper_, truncateLower_, endOfBoringNote_})
    connect(box, &QCheckBox::toggled, this, [this] {
      optionsChanged_ = true;
      if (sample_) sample_->scheduleRedraw();
    });

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(4, 4, 4, 4);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->setObjectName("splitSamplePage");
  split->addWidget(tabs_);
  auto* side = new QWidget(split);
  sideLayout_ = new QVBoxLayout(side);
  QVBoxLayout* sideLayout = sideLayout_;
  sideLayout->setContentsMargins(0, 0, 0, 0);
  auto* caption = new QLabel("Sample page", side);
  showGuides_ = new QCheckBox("Show item boxes", side);
  showGuides_->setObjectName("chkShowGuides");
  showGuides_->setChecked(true);
  sideLayout->addWidget(caption);
  split->addWidget(side);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  root->addWidget(split);
  sideLayout->addWidget(showGuides_);
  resize(1100, 640);
}

frmLayoutDesign::~frmLayoutDesign() = default;

void frmLayoutDesign::buildGrids() {
  auto make = [this](const char* name, const QString& title, std::vector<ColumnSpec> columns) {
    auto* grid = new BoundGrid;
    grid->setObjectName(name);
    grid->setColumns(std::move(columns));
    addGridTab(title, grid);
    return grid;
  };
  const QString fonts = fontList();
  make("sprdText", "&Text",
       {ColumnSpec("Text", "Text", CellKind::kEditableDropDown, false, kPlaceholderList)
            .maxLength(kLongText),
        numberCell("X", "X"), numberCell("Y", "Y"), numberCell("XX", "XX"),
        numberCell("YY", "YY"), listCell("Font", "FontName", fonts),
        numberCell("Size", "FontSize"), checkCell("Bold", "FontBold"),
        checkCell("Italic", "FontItalic"), checkCell("Underline", "FontUnderline"),
        listCell("Color", "TextColor", kColorList), listCell("Alignment", "Alignment", kAlignmentList),
        numberCell("Angle", "Angle")});
  make("sprdLines", "&Lines",
       {numberCell("X", "X"), numberCell("Y", "Y"), numberCell("XX", "XX"), numberCell("YY", "YY"),
        listCell("Line Type", "PenStyle", kPenStyleList), numberCell("Line Width", "PenWidth"),
        listCell("Line Color", "PenColor", kColorList)});
  make("sprdGraphics", "&Graphics",
       {numberCell("X", "X"), numberCell("Y", "Y"), numberCell("XX", "XX"), numberCell("YY", "YY"),
        ColumnSpec("Graphic File Name", "FileName").maxLength(kLongText)});
  make("sprdColumnGraphics", "&Columns",
       {ColumnSpec("Column Type", "Name", CellKind::kEditableDropDown, false, kColumnTypeList),
        decimalCell("X", "X"), decimalCell("Y", "Y"), decimalCell("XX", "XX"),
        decimalCell("YY", "YY"), listCell("Font", "FontName", fonts),
        decimalCell("Size", "FontSize"), checkCell("Bold", "FontBold"),
        checkCell("Italic", "FontItalic"), checkCell("Underline", "FontUnderline"),
        listCell("Color", "TextColor", kColorList), listCell("Line Type", "PenStyle", kPenStyleList),
        ColumnSpec("Line Width", "PenWidth", CellKind::kNumber).centred().numericKeys(true),
        listCell("Line Color", "PenColor", kColorList)});
}

bool frmLayoutDesign::stillValid() const {
  return !(state_.DesignerLayoutTitle.empty() || state_.DesignerLayoutTitle[0] == '?') &&
         fileExists();
}

bool frmLayoutDesign::Form_Load() {
  BusyCursor busy;
  const std::string title = state_.DesignerLayoutTitle;
  if (title.empty() || title[0] == '?') return false;
  setWindowTitle(QString::fromStdString("Layout Design - " + title));
  const std::string path = state_.DesignerLayoutPath;
  if (!isExistingFile(path)) {
    prompts().message("The layout file " + path + " could not be found.", "Strataquill",
                      MessageButtons::kOk, MessageIcon::kExclamation);
    return false;
  }
  // Normalised before it is bound, through a connection of its own.
  layouts::CheckFileFormat(path);
  if (!openFile(path, title)) {
    prompts().message("The file " + path + " is not a layout file or is damaged.", "Strataquill",
                      MessageButtons::kOk, MessageIcon::kExclamation);
    return false;
  }
  OpenRecordsets();
  SetFormats();
  InitializeRowHeights();

  sample_ = new LayoutSampleView([this] { return currentLayout(); }, path, context_);
  sideLayout_->insertWidget(1, sample_, 1);
  connect(showGuides_, &QCheckBox::toggled, sample_, &LayoutSampleView::setGuidesShown);
  for (BoundGrid* grid : {sprdText(), sprdLines(), sprdGraphics(), sprdColumnGraphics()}) {
    connect(&grid->model(), &RecordsetModel::cellsEdited, sample_, &LayoutSampleView::scheduleRedraw);
    connect(grid, &BoundGrid::activeCellChanged, this, &frmLayoutDesign::followActiveRow);
  }
  connect(tabs_, &QTabWidget::currentChanged, this, &frmLayoutDesign::followActiveRow);
  connect(sample_, &LayoutSampleView::redrawn, this, &frmLayoutDesign::markTextsNotFitting);
  sample_->redraw();
  return true;
}

void frmLayoutDesign::OpenRecordsets() {
  const std::pair<BoundGrid*, std::pair<const char*, const char*>> sources[] = {
      {sprdText(), {layouts::kTextRecordSource, "Text"}},
      {sprdLines(), {layouts::kLinesRecordSource, "Lines"}},
      {sprdGraphics(), {layouts::kGraphicsRecordSource, "Graphics"}},
      {sprdColumnGraphics(), {layouts::kColumnGraphicsRecordSource, "ColumnGraphics"}}};
  for (const auto& [grid, source] : sources) {
    loadGrid(*grid, source.first);
    // A table that lacks one of the fields the query names still shows
    // what it has, in stored order.
    if (!grid->model().bound()) loadGrid(*grid, source.second);
  }
  openOptions();
}

void frmLayoutDesign::openOptions() {
  options_.reset();
  if (database_) options_ = layouts::OptionsRow::open(*database_, !readOnly_);
  const layouts::LayoutOptions stored = options_ ? options_->stored() : layouts::LayoutOptions();
  {
    const QSignalBlocker a(truncateUpper_), b(truncateLower_), c(endOfBoringNote_);
    truncateUpper_->setChecked(stored.truncateUpperUnitText);
    truncateLower_->setChecked(stored.truncateLowerUnitText);
    endOfBoringNote_->setChecked(stored.endOfBoringNote);
  }
  const bool editable = options_.has_value() && !readOnly_;
  truncateUpper_->setEnabled(editable);
  truncateLower_->setEnabled(editable);
  endOfBoringNote_->setEnabled(editable);
  optionsChanged_ = false;
}

void frmLayoutDesign::SetFormats() {
  const std::vector<int> widths[] = {
      {2100, 600, 600, 600, 600, 1800, 600, 705, 705, 960, 1440, 1200, 600},
      {1005, 1005, 1005, 1005, 2309, 2000, 2000},
      {1000, 1000, 1000, 1000, 6329},
      {1620, 600, 600, 600, 600, 1589, 600, 705, 705, 960, 1440, 1440, 1300, 1440}};
  for (int g = 0; g < 4; ++g)
    for (std::size_t c = 0; c < widths[g].size(); ++c)
      setTwipsWidth(*grids_[g], static_cast<int>(c), widths[g][c]);
}

void frmLayoutDesign::InitializeRowHeights() {
  for (int g = 0; g < 4; ++g) grids_[g]->fitAllRowHeights();
}

bool frmLayoutDesign::hasPendingEdits() const {
  return optionsChanged_ || DesignerWindow::hasPendingEdits();
}

bool frmLayoutDesign::UpdateRecordsets() {
  std::string error;
  bool ok = saveGrids(error);
  if (options_ && !readOnly_ && optionsChanged_) {
    if (db::Status s = options_->write(truncateUpper_->isChecked(), truncateLower_->isChecked(),
                                       endOfBoringNote_->isChecked());
        s.ok()) {
      optionsChanged_ = false;
    } else {
      ok = false;
      if (error.empty()) error = s.message();
    }
  }
  if (!ok) lastFailure_ = error;
  return ok;
}

layouts::LayoutForPrint frmLayoutDesign::currentLayout() const {
  layouts::LayoutForPrint layout;
  if (options_) layout.options = options_->stored();
  layout.options.truncateUpperUnitText = truncateUpper_->isChecked();
  layout.options.truncateLowerUnitText = truncateLower_->isChecked();
  layout.options.endOfBoringNote = endOfBoringNote_->isChecked();
  forEachRow(*sprdGraphics(), [&](const RowCells& row, int) {
    layout.graphics.push_back({row.text("FileName"), row.box()});
  });
  forEachRow(*sprdColumnGraphics(), [&](const RowCells& row, int) {
    layout.columns.push_back({row.text("Name"), row.box(), row.font(), row.text("TextColor"),
                              row.text("PenStyle"), row.number("PenWidth"), row.text("PenColor")});
  });
  forEachRow(*sprdText(), [&](const RowCells& row, int) {
    layout.texts.push_back({row.text("Text"), row.box(), row.font(), row.text("TextColor"),
                            row.text("Alignment"), row.number("Angle")});
  });
  forEachRow(*sprdLines(), [&](const RowCells& row, int) {
    layout.lines.push_back(
        {row.text("PenStyle"), row.number("PenWidth"), row.text("PenColor"), row.box()});
  });
  return layout;
}

void frmLayoutDesign::followActiveRow() {
  if (!sample_) return;
  const int tab = tabs_->currentIndex();
  if (tab < 0 || tab > kColumnsGrid) {
    sample_->setHighlight(LayoutGuide::Kind::kText, -1);
    return;
  }
  static const LayoutGuide::Kind kinds[] = {LayoutGuide::Kind::kText, LayoutGuide::Kind::kLine,
                                            LayoutGuide::Kind::kGraphic,
                                            LayoutGuide::Kind::kColumn};
  // Guides count the rows that hold something, as the layout does.
  const BoundGrid* grid = grids_[tab];
  const int active = grid->activeRow() - 1;
  int guide = -1;
  if (active >= 0 && active < grid->model().dataRowCount()) {
    guide = 0;
    forEachRow(*grid, [&](const RowCells&, int r) {
      if (r < active) ++guide;
    });
    bool filled = false;
    forEachRow(*grid, [&](const RowCells&, int r) { filled |= r == active; });
    if (!filled) guide = -1;
  }
  sample_->setHighlight(kinds[tab], guide);
}

void frmLayoutDesign::markTextsNotFitting() {
  RecordsetModel& model = sprdText()->model();
  model.clearNotes();
  // The sample page numbers the text items as the layout holds them: the
  // rows that hold anything, in order.
  std::vector<int> rows;
  forEachRow(*sprdText(), [&](const RowCells&, int r) { rows.push_back(r); });
  for (int item : sample_->textsNotFitting()) {
    if (item < 0 || item >= static_cast<int>(rows.size())) continue;
    for (int c = 0; c < model.columnCount(); ++c)
      model.setCellNote(rows[item], c, kTextDoesNotFit, kAmber);
  }
}

}  // namespace sq::forms
