#include "strataquill/render/frm_print.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <cmath>

#include "strataquill/db/value.h"
#include "strataquill/render/print_progress_dialog.h"
#include "strataquill/render/print_run.h"
#include "strataquill/render/printer_choice.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/select_all_line_edit.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::render {
namespace {

constexpr int kIconRole = Qt::UserRole + 1;

QIcon checkIcon(bool checked) {
  QPixmap pm(14, 14);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(0.5, 0.5, 13, 13));
  if (checked) {
    p.setPen(QPen(QColor(20, 90, 20), 2));
    p.drawPolyline(QPolygonF({QPointF(3, 7), QPointF(6, 10.5), QPointF(11, 3.5)}));
  }
  return QIcon(pm);
}

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

float parseUnits(const std::string& text) {
  return static_cast<float>(db::parseLeadingNumber(text));
}

short parseTickInterval(const std::string& text) {
  const double v = std::nearbyint(db::parseLeadingNumber(text));
  return static_cast<short>(std::clamp(v, -32768.0, 32767.0));
}

int parseCopies(const std::string& text) {
  const double v = std::trunc(db::parseLeadingNumber(text));
  return v < 1 ? 1 : static_cast<int>(std::min(v, 9999.0));
}

float parsePatternScale(const std::string& text) {
  const float v = parseUnits(text);
  return v < 0.1f || !std::isfinite(v) ? 0.1f : v;
}

frmPrint::frmPrint(PrintContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName("frmPrint");
  setWindowTitle("Print Options");
  buildControls();
}

void frmPrint::buildControls() {
  auto* root = new QVBoxLayout(this);

  fraBorings_ = new QGroupBox(tr("Borings"), this);
  auto* borings = new QGridLayout(fraBorings_);
  optCurrentBoring_ = new QRadioButton("Current Boring Only", fraBorings_);
  optMultipleBorings_ = new QRadioButton("Multiple Borings", fraBorings_);
  optCurrentBoring_->setChecked(true);
  lsvMultipleBorings_ = new QListWidget(fraBorings_);
  lsvMultipleBorings_->setObjectName("lsvMultipleBorings");
  lsvMultipleBorings_->setViewMode(QListView::ListMode);
  lsvMultipleBorings_->setFlow(QListView::TopToBottom);
  lsvMultipleBorings_->setWrapping(true);
  lsvMultipleBorings_->setMinimumHeight(90);
  cmdAll_ = new QPushButton("All", fraBorings_);
  cmdNone_ = new QPushButton("None", fraBorings_);
  borings->addWidget(optCurrentBoring_, 0, 0);
  borings->addWidget(optMultipleBorings_, 1, 0);
  borings->addWidget(cmdAll_, 2, 0);
  borings->addWidget(cmdNone_, 3, 0);
  borings->addWidget(lsvMultipleBorings_, 0, 1, 5, 1);
  root->addWidget(fraBorings_);

  auto* layouts = new QGroupBox(tr("Layouts"), this);
  auto* lg = new QGridLayout(layouts);
  cmdChooseFirstPageLayout_ = new QPushButton(layouts);
  cmdChooseAdditionalPageLayout_ = new QPushButton(layouts);
  chkUseAdditionalPageLayout_ =
      new QCheckBox(tr("Use a separate layout for additional pages"), layouts);
  lg->addWidget(new QLabel("First Page Layout File", layouts), 0, 0);
  lg->addWidget(cmdChooseFirstPageLayout_, 0, 1);
  lg->addWidget(new QLabel("Additional Pages Layout File", layouts), 1, 0);
  lg->addWidget(cmdChooseAdditionalPageLayout_, 1, 1);
  lg->addWidget(chkUseAdditionalPageLayout_, 2, 1);
  root->addWidget(layouts);

  auto* units = new QGroupBox("Depth Units Per Page", this);
  auto* ug = new QGridLayout(units);
  txtUnitsPerFirstPage_ = new SelectAllLineEdit(units);
  txtUnitsPerAdditionalPage_ = new SelectAllLineEdit(units);
  ug->addWidget(new QLabel(tr("First Page"), units), 0, 0);
  ug->addWidget(txtUnitsPerFirstPage_, 0, 1);
  ug->addWidget(new QLabel(tr("Additional Pages"), units), 1, 0);
  ug->addWidget(txtUnitsPerAdditionalPage_, 1, 1);

  auto* format = new QGroupBox("Format Options", this);
  auto* fg = new QGridLayout(format);
  txtPatternScaleFactor_ = new SelectAllLineEdit(format);
  txtMajorTickInterval_ = new SelectAllLineEdit(format);
  txtMinorTickInterval_ = new SelectAllLineEdit(format);
  fg->addWidget(new QLabel("Pattern Scale Factor", format), 0, 0);
  fg->addWidget(txtPatternScaleFactor_, 0, 1);
  fg->addWidget(new QLabel("Major Tick Interval", format), 1, 0);
  fg->addWidget(txtMajorTickInterval_, 1, 1);
  fg->addWidget(new QLabel("Minor Tick Interval", format), 2, 0);
  fg->addWidget(txtMinorTickInterval_, 2, 1);
  chkLegendPage_ = new QCheckBox("Legend page", format);
  chkLegendPage_->setToolTip(
      tr("After each boring's last page, a page with the key to its patterns and symbols"));
  fg->addWidget(chkLegendPage_, 3, 0, 1, 2);
  auto* row = new QHBoxLayout;
  row->addWidget(units);
  row->addWidget(format);
  root->addLayout(row);

  auto* printer = new QGroupBox("Current Printer", this);
  auto* pg = new QGridLayout(printer);
  cmdPrintSetup_ = new QPushButton(printer);
  txtNumberOfCopies_ = new SelectAllLineEdit(printer);
  pg->addWidget(cmdPrintSetup_, 0, 0, 1, 2);
  pg->addWidget(new QLabel("Number of Copies", printer), 1, 0);
  pg->addWidget(txtNumberOfCopies_, 1, 1);
  root->addWidget(printer);

  auto* buttons = new QHBoxLayout;
  cmdOK_ = new QPushButton("OK", this);
  cmdCancel_ = new QPushButton("Cancel", this);
  cmdOK_->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(cmdOK_);
  buttons->addWidget(cmdCancel_);
  root->addLayout(buttons);

  for (auto [widget, name] : std::initializer_list<std::pair<QWidget*, const char*>>{
           {optCurrentBoring_, "optCurrentBoring"},
           {optMultipleBorings_, "optMultipleBorings"},
           {cmdAll_, "cmdAll"},
           {cmdNone_, "cmdNone"},
           {cmdChooseFirstPageLayout_, "cmdChooseFirstPageLayout"},
           {cmdChooseAdditionalPageLayout_, "cmdChooseAdditionalPageLayout"},
           {chkUseAdditionalPageLayout_, "chkUseAdditionalPageLayout"},
           {chkLegendPage_, "chkLegendPage"},
           {txtUnitsPerFirstPage_, "txtUnitsPerFirstPage"},
           {txtUnitsPerAdditionalPage_, "txtUnitsPerAdditionalPage"},
           {txtPatternScaleFactor_, "txtPatternScaleFactor"},
           {txtMajorTickInterval_, "txtMajorTickInterval"},
           {txtMinorTickInterval_, "txtMinorTickInterval"},
           {txtNumberOfCopies_, "txtNumberOfCopies"},
           {cmdPrintSetup_, "cmdPrintSetup"},
           {cmdOK_, "cmdOK"},
           {cmdCancel_, "cmdCancel"}})
    widget->setObjectName(name);

  connect(cmdOK_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cmdCancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
  connect(cmdAll_, &QPushButton::clicked, this, [this] { cmdAll_Click(); });
  connect(cmdNone_, &QPushButton::clicked, this, [this] { cmdNone_Click(); });
  connect(cmdChooseFirstPageLayout_, &QPushButton::clicked, this,
          [this] { cmdChooseFirstPageLayout_Click(); });
  connect(cmdChooseAdditionalPageLayout_, &QPushButton::clicked, this,
          [this] { cmdChooseAdditionalPageLayout_Click(); });
  connect(cmdPrintSetup_, &QPushButton::clicked, this, [this] { cmdPrintSetup_Click(); });
  connect(lsvMultipleBorings_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    lsvMultipleBorings_ItemClick(lsvMultipleBorings_->row(item));
  });
}

void frmPrint::prepare(int destination, const std::string& fileName, int type) {
  Destination = destination;
  dialogFileName = fileName;
  reportType = type;
  const bool preview = Destination == 0;
  const bool sample = reportType == kLayoutSample;
  const bool boringsEnabled = !preview && !sample;
  for (QWidget* w :
       {static_cast<QWidget*>(fraBorings_), static_cast<QWidget*>(optCurrentBoring_),
        static_cast<QWidget*>(optMultipleBorings_), static_cast<QWidget*>(lsvMultipleBorings_),
        static_cast<QWidget*>(cmdAll_), static_cast<QWidget*>(cmdNone_)})
    w->setEnabled(boringsEnabled);
  for (QWidget* w : {static_cast<QWidget*>(cmdChooseFirstPageLayout_),
                     static_cast<QWidget*>(cmdChooseAdditionalPageLayout_),
                     static_cast<QWidget*>(txtUnitsPerAdditionalPage_),
                     static_cast<QWidget*>(chkUseAdditionalPageLayout_)})
    w->setEnabled(!sample);
  txtNumberOfCopies_->setEnabled(!preview);
  loadValues();
}

void frmPrint::ShowPrintDialog(int destination, const std::string& fileName, int type) {
  prepare(destination, fileName, type);
  exec();
}

void frmPrint::setItemIcon(QListWidgetItem* item, int icon) {
  item->setData(kIconRole, icon);
  item->setIcon(checkIcon(icon == 2));
}

int frmPrint::itemIcon(int row) const {
  QListWidgetItem* item = lsvMultipleBorings_->item(row);
  return item ? item->data(kIconRole).toInt() : 0;
}

void frmPrint::centreOnScreen() {
  // Measured first: the size the controls need decides where the centre is.
  if (layout()) layout()->activate();
  const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
  QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  // Not adjustSize(): it caps a window at two thirds of the screen.
  QRect box(QPoint(), sizeHint().expandedTo(minimumSizeHint()).boundedTo(available.size()));
  box.moveCenter(available.center());
  // The title bar stays on the screen, so the window can always be moved.
  box.moveTop(std::max(box.top(), available.top()));
  resize(box.size());
  move(box.topLeft());
}

void frmPrint::loadValues() {
  txtNumberOfCopies_->setText("1");
  lsvMultipleBorings_->clear();
  const std::string current = context_.currentBoring();
  for (const std::string& name : context_.boringNames()) {
    auto* item = new QListWidgetItem(qs(name), lsvMultipleBorings_);
    setItemIcon(item, name == current ? 2 : 1);
  }
  options_ = PrintOptions::load();
  options_.printCancelled = false;
  if (!isExistingFile(options_.firstPageLayoutFile)) {
    options_.firstPageLayoutFile = "???";
    options_.firstPageLayoutFileTitle = "???";
  }
  if (!isExistingFile(options_.additionalPageLayoutFile)) {
    options_.additionalPageLayoutFile = "???";
    options_.additionalPageLayoutFileTitle = "???";
    options_.useAdditionalPageLayout = false;
  }
  // A new user's first print uses the shipped layouts, as the command-line
  // renderer does.
  fallBackToShippedLayouts(options_, programFolder());
  txtUnitsPerFirstPage_->setText(qs(db::formatSingle(options_.unitsPerFirstPage)));
  txtUnitsPerAdditionalPage_->setText(qs(db::formatSingle(options_.unitsPerAdditionalPage)));
  txtPatternScaleFactor_->setText(qs(db::formatSingle(options_.patternScaleFactor)));
  txtMajorTickInterval_->setText(QString::number(options_.majorTickInterval));
  txtMinorTickInterval_->setText(QString::number(options_.minorTickInterval));
  chkUseAdditionalPageLayout_->setChecked(options_.useAdditionalPageLayout);
  chkLegendPage_->setChecked(options_.legendPage);
  cmdPrintSetup_->setText(context_.printerChoice().destination());
  cmdChooseFirstPageLayout_->setText(qs(options_.firstPageLayoutFileTitle));
  cmdChooseAdditionalPageLayout_->setText(qs(options_.additionalPageLayoutFileTitle));
  centreOnScreen();
}

void frmPrint::cmdAll_Click() {
  optMultipleBorings_->setChecked(true);
  for (int i = 0; i < lsvMultipleBorings_->count(); ++i)
    setItemIcon(lsvMultipleBorings_->item(i), 2);
}

void frmPrint::cmdNone_Click() {
  optMultipleBorings_->setChecked(true);
  for (int i = 0; i < lsvMultipleBorings_->count(); ++i)
    setItemIcon(lsvMultipleBorings_->item(i), 1);
}

void frmPrint::lsvMultipleBorings_ItemClick(int row) {
  QListWidgetItem* item = lsvMultipleBorings_->item(row);
  if (!item) return;
  optMultipleBorings_->setChecked(true);
  setItemIcon(item, itemIcon(row) == 2 ? 1 : 2);
}

std::string frmPrint::chooseLayout(const char* title, std::string& fileTitle) {
  FileDialogResult r = prompts().fileDialog(
      fileDialogFor(FileKind::kLayout, title, true, options_.firstPageLayoutFile));
  if (r.outcome != FileDialogResult::Outcome::kChosen) return {};
  fileTitle = r.title;
  return r.path;
}

void frmPrint::cmdChooseFirstPageLayout_Click() {
  std::string title;
  std::string path = chooseLayout("Select First Page Layout File", title);
  if (path.empty()) return;
  options_.firstPageLayoutFile = path;
  options_.firstPageLayoutFileTitle = title;
  PrintOptions::saveFirstPageLayout(path, title);
  cmdChooseFirstPageLayout_->setText(qs(title));
}

void frmPrint::cmdChooseAdditionalPageLayout_Click() {
  std::string title;
  std::string path = chooseLayout("Select Additional Page Layout File", title);
  if (path.empty()) return;
  options_.additionalPageLayoutFile = path;
  options_.additionalPageLayoutFileTitle = title;
  PrintOptions::saveAdditionalPageLayout(path, title);
  cmdChooseAdditionalPageLayout_->setText(qs(title));
}

void frmPrint::cmdPrintSetup_Click() {
  context_.printSetup();
  cmdPrintSetup_->setText(context_.printerChoice().destination());
}

bool frmPrint::checkLayouts() {
  auto refuse = [](const char* text) {
    prompts().message(text, "Strataquill", MessageButtons::kOk, MessageIcon::kNone);
    return false;
  };
  const char* invalid =
      "The file you selected as the first page layout file is not valid.  Please select a new "
      "one.";
  if (options_.firstPageLayoutFileTitle == "???")
    return refuse("You must select a layout file before printing.");
  if (!isExistingFile(options_.firstPageLayoutFile)) return refuse(invalid);
  if (chkUseAdditionalPageLayout_->isChecked()) {
    if (options_.additionalPageLayoutFileTitle == "???")
      return refuse(
          "You must select a layout file for additional pages, or do not select to use "
          "additional page layouts.");
    if (!isExistingFile(options_.additionalPageLayoutFile)) return refuse(invalid);
  }
  return true;
}

void frmPrint::cmdOK_Click() {
  if (!checkLayouts()) return;
  hide();
  QApplication::processEvents();

  options_.unitsPerFirstPage = parseUnits(txtUnitsPerFirstPage_->text().toStdString());
  options_.unitsPerAdditionalPage = parseUnits(txtUnitsPerAdditionalPage_->text().toStdString());
  options_.patternScaleFactor = parsePatternScale(txtPatternScaleFactor_->text().toStdString());
  options_.majorTickInterval = parseTickInterval(txtMajorTickInterval_->text().toStdString());
  options_.minorTickInterval = parseTickInterval(txtMinorTickInterval_->text().toStdString());
  const int copies = parseCopies(txtNumberOfCopies_->text().toStdString());
  options_.useAdditionalPageLayout = chkUseAdditionalPageLayout_->isChecked();
  options_.legendPage = chkLegendPage_->isChecked();
  options_.saveNumbers();

  runs_.clear();
  const bool multiple =
      Destination != 0 && reportType != kLayoutSample && optMultipleBorings_->isChecked();
  const int count = lsvMultipleBorings_->count();
  int chosen = 0;
  for (int i = 0; i < count; ++i) chosen += itemIcon(i) == 2;
  // One progress window for the whole run, so its Cancel stops every boring.
  PrintProgressDialog progress(context_.mainWindow(), multiple ? chosen : 1);
  auto run = [&](const std::string& boring, bool moreFollow) {
    runs_.emplace_back(boring, moreFollow);
    return drawPages(context_, options_, boring, Destination, dialogFileName, reportType,
                     moreFollow, Destination == 0 ? 1 : copies, &progress)
        .ok();
  };
  if (multiple && context_.printerChoice().toFile()) {
    // One file holds every chosen boring: a job per boring would write each
    // over the one before.
    std::vector<std::string> borings;
    for (int i = 0; i < count; ++i)
      if (itemIcon(i) == 2) {
        borings.push_back(lsvMultipleBorings_->item(i)->text().toStdString());
        runs_.emplace_back(borings.back(), i != count - 1);
      }
    if (!borings.empty())
      drawPages(context_, options_, borings, Destination, dialogFileName, reportType, copies,
                &progress);
  } else if (multiple) {
    for (int i = 0; i < count; ++i) {
      if (itemIcon(i) != 2) continue;
      // A boring that did not print ends the whole run: the user asked to
      // stop, or the printer cannot print.
      if (!run(lsvMultipleBorings_->item(i)->text().toStdString(), i != count - 1)) break;
    }
  } else {
    run(context_.currentBoring(), false);
  }
  progress.finished();
  if (QWidget* main = context_.mainWindow()) main->activateWindow();
  accept();
}

void frmPrint::cmdCancel_Click() {
  reject();
}

}  // namespace sq::render
