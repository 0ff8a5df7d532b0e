#include "strataquill/forms/ags_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

#include "strataquill/exchange/ags_codes.h"
#include "strataquill/exchange/exchange_settings.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/project_session.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {
namespace {

namespace fs = std::filesystem;
using exchange::DateOrder;

QString qs(const std::string& s) {
  return QString::fromStdString(s);
}

void tell(const std::string& text, const char* title) {
  prompts().message(text, title, MessageButtons::kOk, MessageIcon::kExclamation);
}

// The ways a project may write its dates, in the lists' order.
constexpr DateOrder kDateOrders[] = {DateOrder::kMonthDayYear, DateOrder::kDayMonthYear,
                                     DateOrder::kIso};

QComboBox* dateOrderBox(QWidget* parent, DateOrder chosen) {
  auto* box = new QComboBox(parent);
  box->setObjectName("cmbDates");
  box->addItems({"month/day/year", "day/month/year", "year-month-day"});
  for (int i = 0; i < 3; ++i)
    if (kDateOrders[i] == chosen) box->setCurrentIndex(i);
  return box;
}

DateOrder dateOrderOf(const QComboBox* box) {
  return kDateOrders[std::clamp(box->currentIndex(), 0, 2)];
}

QPushButton* button(const char* name, const QString& text, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QHBoxLayout* okCancel(QPushButton* ok, QPushButton* cancel) {
  auto* row = new QHBoxLayout;
  ok->setDefault(true);
  row->addStretch();
  row->addWidget(ok);
  row->addWidget(cancel);
  return row;
}

// Where AGS files of a project go first: the project's folder, else where
// project files are opened.
fs::path exchangeFolder(const std::string& projectPath) {
  if (isExistingFile(projectPath)) return fs::path(projectPath).parent_path();
  return startFolder("DefaultSQFileDir", "");
}

const char* const kExportTitle = "Export AGS4";

}  // namespace

// ---------------------------------------------------------------------------

frmAgsExport::frmAgsExport(const project::ProjectSession& session,
                           std::string classificationFile, QWidget* parent)
    : QDialog(parent), classificationFile_(std::move(classificationFile)) {
  setObjectName("frmAgsExport");
  setWindowTitle(kExportTitle);
  auto* root = new QVBoxLayout(this);

  auto* which = new QGroupBox("Borings", this);
  auto* whichLayout = new QVBoxLayout(which);
  const std::size_t count = session.borings().size();
  whole_ = new QRadioButton(
      QString("The whole project (%1 %2)").arg(count).arg(count == 1 ? "boring" : "borings"),
      which);
  whole_->setObjectName("optWholeProject");
  chosen_ = new QRadioButton("The borings ticked below", which);
  chosen_->setObjectName("optChosenBorings");
  borings_ = new QListWidget(which);
  borings_->setObjectName("lstBorings");
  for (const std::string& name : session.borings()) {
    auto* item = new QListWidgetItem(qs(name), borings_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(name == session.currentBoring() ? Qt::Checked : Qt::Unchecked);
  }
  // Some rows show; a long list scrolls.
  const int row = std::max(borings_->sizeHintForRow(0), borings_->fontMetrics().height() + 2);
  borings_->setFixedHeight(row * 8 + 2 * borings_->frameWidth());
  borings_->setEnabled(false);
  whole_->setChecked(true);
  connect(chosen_, &QRadioButton::toggled, borings_, &QWidget::setEnabled);
  whichLayout->addWidget(whole_);
  whichLayout->addWidget(chosen_);
  whichLayout->addWidget(borings_);
  root->addWidget(which);

  auto* form = new QFormLayout;
  auto* fileRow = new QHBoxLayout;
  file_ = new QLineEdit(this);
  file_->setObjectName("txtFile");
  folder_ = exchangeFolder(session.path()).string();
  const std::string stem = fs::path(session.title()).stem().string();
  file_->setText(qs((fs::path(folder_) / ((stem.empty() ? "Project" : stem) + ".ags")).string()));
  file_->setMinimumWidth(360);
  browse_ = button("cmdBrowse", "&Browse...", this);
  fileRow->addWidget(file_);
  fileRow->addWidget(browse_);
  form->addRow("AGS4 file:", fileRow);
  status_ = new QLineEdit("Issued", this);
  status_->setObjectName("txtStatus");
  status_->setToolTip("TRAN_STAT: the status of the data as a whole");
  form->addRow("Status of the data:", status_);
  dates_ = dateOrderBox(this, exchange::storedDateOrder());
  form->addRow("Dates in the project:", dates_);
  root->addLayout(form);
  userHeadings_ = new QCheckBox(
      "Also the fields without a standard heading (declared in DICT), so that an import gives "
      "the project back as it is",
      this);
  userHeadings_->setObjectName("chkUserHeadings");
  userHeadings_->setChecked(true);
  root->addWidget(userHeadings_);

  completion_ = button("cmdCompletion", "Completion &Targets...", this);
  ok_ = button("cmdOK", "OK", this);
  cancel_ = button("cmdCancel", "Cancel", this);
  auto* buttons = okCancel(ok_, cancel_);
  buttons->insertWidget(0, completion_);
  root->addLayout(buttons);
  connect(browse_, &QPushButton::clicked, this, [this] { cmdBrowse_Click(); });
  connect(completion_, &QPushButton::clicked, this, [this] { cmdCompletion_Click(); });
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

std::vector<std::string> frmAgsExport::chosenBorings() const {
  std::vector<std::string> out;
  if (!chosen_->isChecked()) return out;
  for (int i = 0; i < borings_->count(); ++i)
    if (borings_->item(i)->checkState() == Qt::Checked)
      out.push_back(borings_->item(i)->text().toStdString());
  return out;
}

std::string frmAgsExport::filePath() const {
  return file_->text().trimmed().toStdString();
}

void frmAgsExport::applyTo(exchange::AgsExportOptions& options) const {
  const std::string status = status_->text().trimmed().toStdString();
  if (!status.empty()) options.transferStatus = status;
  options.dateOrder = dateOrderOf(dates_);
  options.userHeadings = userHeadings_->isChecked();
}

void frmAgsExport::cmdBrowse_Click() {
  const fs::path current(filePath());
  FileDialogRequest request;
  request.title = "Export AGS4 File";
  request.initialFolder = fs::is_directory(current.parent_path())
                              ? current.parent_path().string()
                              : startFolder("DefaultSQFileDir", "");
  request.fileName = current.filename().string();
  request.filter = "AGS4 Files (*.ags)|*.ags";
  request.defaultExtension = ".ags";
  const FileDialogResult r = prompts().fileDialog(request);
  if (r.outcome == FileDialogResult::Outcome::kInvalidName) {
    prompts().message("The file you selected is invalid.  Please try again.", "Invalid File Name",
                      MessageButtons::kOk, MessageIcon::kNone);
    return;
  }
  if (r.outcome == FileDialogResult::Outcome::kChosen) file_->setText(qs(r.path));
}

void frmAgsExport::cmdCompletion_Click() {
  frmAgsCompletion dialog(classificationFile_, this);
  execModal(dialog);
}

void frmAgsExport::cmdOK_Click() {
  if (chosen_->isChecked() && chosenBorings().empty()) {
    tell("Tick the borings to export, or choose the whole project.", kExportTitle);
    return;
  }
  fs::path path(filePath());
  if (path.filename().empty()) {
    tell("Enter the name of the AGS4 file to write.", kExportTitle);
    return;
  }
  // A name typed without a folder goes where the dialog proposed, never
  // into whatever folder the program was started from.
  if (path.is_relative()) path = fs::path(folder_) / path;
  if (!path.has_extension()) path += ".ags";
  std::error_code ec;
  if (!fs::is_directory(path.parent_path(), ec)) {
    tell("The folder " + path.parent_path().string() + " does not exist.", kExportTitle);
    return;
  }
  if (fs::is_directory(path, ec)) {
    tell(path.string() + " is a folder.  Enter the name of a file.", kExportTitle);
    return;
  }
  if (fs::exists(path, ec) &&
      prompts().message("The file " + path.string() + " already exists.  Do you wish to overwrite it?",
                        "Overwrite Existing File?", MessageButtons::kYesNo,
                        MessageIcon::kNone) != MessageAnswer::kYes)
    return;
  file_->setText(qs(path.string()));
  exchange::saveDateOrder(dateOrderOf(dates_));
  accept();
}

void frmAgsExport::cmdCancel_Click() {
  reject();
}

// ---------------------------------------------------------------------------

namespace {

enum CompletionColumn { kClassColumn, kTargetColumn, kDefaultColumn };

// The targets offered in each class's list; any other may be typed.
const char* const kTargetChoices[] = {
    "PIPE SLOTTED", "PIPE PLAIN", "PIPE SLOTTED + BKFL 901", "PIPE PLAIN + BKFL 904",
    "BKFL 901",     "BKFL 902",   "BKFL 903",                "BKFL 904",
    "BKFL 905",     "BKFL 906",   "BKFL 907",                "BKFL 999",
    "none"};

std::string backfillLegend() {
  std::string out = "Backfill codes:";
  for (const char* code : {"901", "902", "903", "904", "905", "906", "907", "999"})
    out += std::string(code == std::string("901") ? " " : ", ") + code + " " +
           exchange::standardCodeDescription("BKFL_LEG", code);
  return out + ".";
}

}  // namespace

frmAgsCompletion::frmAgsCompletion(const std::string& classificationFile, QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmAgsCompletion");
  setWindowTitle("AGS4 Completion Targets");
  std::vector<std::string> classes;
  for (const auto& [name, patterns] :
       layouts::readClassTable(classificationFile, layouts::ClassKind::kCompletion))
    classes.push_back(name);
  mapping_ = exchange::CompletionMapping::load(classes);

  auto* root = new QVBoxLayout(this);
  auto* intro = new QLabel(
      "The PIPE and BKFL rows that each completion class is exported as, and read back from. "
      "A pipe is PLAIN or SLOTTED; a pipe in its annulus has both, joined by \"+\".",
      this);
  intro->setWordWrap(true);
  root->addWidget(intro);
  table_ = new QTableWidget(static_cast<int>(mapping_.entries().size()), 3, this);
  table_->setObjectName("grdTargets");
  table_->setHorizontalHeaderLabels({"Completion class", "Exported as", "Default"});
  table_->verticalHeader()->hide();
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  for (int row = 0; row < table_->rowCount(); ++row) {
    const auto& entry = mapping_.entries()[static_cast<std::size_t>(row)];
    auto* name = new QTableWidgetItem(qs(entry.className));
    name->setFlags(Qt::ItemIsEnabled);
    table_->setItem(row, kClassColumn, name);
    auto* target = new QComboBox(table_);
    target->setEditable(true);
    for (const char* choice : kTargetChoices) target->addItem(choice);
    target->setCurrentText(qs(exchange::formatTarget(entry.target)));
    table_->setCellWidget(row, kTargetColumn, target);
    auto* fallback =
        new QTableWidgetItem(qs(exchange::formatTarget(exchange::defaultTarget(entry.className))));
    fallback->setFlags(Qt::ItemIsEnabled);
    table_->setItem(row, kDefaultColumn, fallback);
  }
  // Wide enough for the longest target, "PIPE SLOTTED + BKFL 901".
  const int targetWidth = table_->fontMetrics().horizontalAdvance("PIPE SLOTTED + BKFL 901") + 48;
  table_->horizontalHeader()->setSectionResizeMode(kClassColumn, QHeaderView::Stretch);
  table_->setColumnWidth(kTargetColumn, targetWidth);
  table_->setColumnWidth(kDefaultColumn, targetWidth - 24);
  table_->setMinimumSize(2 * targetWidth + 220, 360);
  root->addWidget(table_);
  auto* legend = new QLabel(qs(backfillLegend() + "  \"default\" restores a class's default."),
                            this);
  legend->setWordWrap(true);
  root->addWidget(legend);
  ok_ = button("cmdOK", "OK", this);
  cancel_ = button("cmdCancel", "Cancel", this);
  root->addLayout(okCancel(ok_, cancel_));
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

QComboBox* frmAgsCompletion::targetBox(int row) const {
  return qobject_cast<QComboBox*>(table_->cellWidget(row, kTargetColumn));
}

bool frmAgsCompletion::setTargetText(const std::string& className, const std::string& text) {
  for (int row = 0; row < table_->rowCount(); ++row)
    if (table_->item(row, kClassColumn)->text().toStdString() == className) {
      targetBox(row)->setCurrentText(qs(text));
      return true;
    }
  return false;
}

void frmAgsCompletion::cmdOK_Click() {
  // Every text is read before anything is stored, so a mistyped one
  // stores nothing.
  std::vector<exchange::CompletionTarget> targets;
  for (int row = 0; row < table_->rowCount(); ++row) {
    const auto& entry = mapping_.entries()[static_cast<std::size_t>(row)];
    const std::string text = targetBox(row)->currentText().trimmed().toStdString();
    if (text.empty() || QString::fromStdString(text).compare("default", Qt::CaseInsensitive) == 0) {
      targets.push_back(exchange::defaultTarget(entry.className));
      continue;
    }
    const auto target = exchange::parseTarget(text);
    if (!target) {
      tell("\"" + text + "\" is not a target for " + entry.className +
               ".  Write PIPE PLAIN or PIPE SLOTTED, BKFL and a backfill code, both joined by "
               "\"+\", or none.",
           "AGS4 Completion Targets");
      table_->setCurrentCell(row, kTargetColumn);
      targetBox(row)->setFocus();
      return;
    }
    targets.push_back(*target);
  }
  bool saved = true;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    const auto& entry = mapping_.entries()[i];
    // A default is not stored, so that a better default of a later version
    // reaches the class.
    if (targets[i] == exchange::defaultTarget(entry.className)) {
      if (entry.stored) saved = exchange::SaveCompletionTarget(entry.className, std::nullopt) && saved;
    } else if (!entry.stored || targets[i] != entry.target) {
      saved = exchange::SaveCompletionTarget(entry.className, targets[i]) && saved;
    }
  }
  if (!saved) tell("The completion targets could not be stored in the settings.", "AGS4 Completion Targets");
  accept();
}

void frmAgsCompletion::cmdCancel_Click() {
  reject();
}

// ---------------------------------------------------------------------------

frmAgsImport::frmAgsImport(const std::string& fileName, const std::string& target,
                           Planner planner, exchange::AgsImportPlan plan, DateOrder order,
                           QWidget* parent)
    : QDialog(parent), planner_(std::move(planner)), plan_(std::move(plan)) {
  setObjectName("frmAgsImport");
  setWindowTitle("Import AGS4");
  auto* root = new QVBoxLayout(this);
  heading_ = new QLabel(qs("Importing " + fileName + " into " + target +
                           ".  Nothing is written until you choose OK."),
                        this);
  heading_->setWordWrap(true);
  root->addWidget(heading_);
  summary_ = new QPlainTextEdit(this);
  summary_->setObjectName("txtSummary");
  summary_->setReadOnly(true);
  summary_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  summary_->setMinimumSize(640, 320);
  root->addWidget(summary_);
  replace_ = new QCheckBox(this);
  replace_->setObjectName("chkReplace");
  root->addWidget(replace_);
  auto* form = new QFormLayout;
  dates_ = dateOrderBox(this, order);
  dates_->setToolTip("How the project writes its dates; the file's dates are written so");
  form->addRow("Dates in the project:", dates_);
  root->addLayout(form);
  ok_ = button("cmdOK", "OK", this);
  cancel_ = button("cmdCancel", "Cancel", this);
  root->addLayout(okCancel(ok_, cancel_));
  connect(replace_, &QCheckBox::toggled, this, [this] { showPlan(); });
  connect(dates_, &QComboBox::currentIndexChanged, this, [this] {
    BusyCursor busy;
    // The old plan goes first: a large file's plan is large.
    plan_ = {};
    plan_ = planner_(dateOrderOf(dates_));
    showPlan();
  });
  connect(ok_, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
  showPlan();
}

void frmAgsImport::showPlan() {
  const int existing = plan_.existingBorings();
  replace_->setText(
      QString("Replace the borings the project already has (%1): their rows are deleted first")
          .arg(existing));
  replace_->setEnabled(existing > 0 && !plan_.refused());
  std::string text = exchange::importSummary(plan_, replaceExisting());
  const bool nothing = plan_.newBorings() == 0 && !replaceExisting();
  if (!plan_.refused() && nothing)
    text += "\nNothing to import: the project has every boring of the file already.\n";
  summary_->setPlainText(qs(text));
  ok_->setEnabled(!plan_.refused() && !nothing);
}

bool frmAgsImport::replaceExisting() const {
  return replace_->isEnabled() && replace_->isChecked();
}

DateOrder frmAgsImport::dateOrder() const {
  return dateOrderOf(dates_);
}

void frmAgsImport::cmdOK_Click() {
  if (!ok_->isEnabled()) return;
  exchange::saveDateOrder(dateOrder());
  accept();
}

void frmAgsImport::cmdCancel_Click() {
  reject();
}

}  // namespace sq::forms
