#include "strataquill/forms/frm_conflicts.h"

#include <tuple>

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include "strataquill/forms/child_window.h"

namespace sq::forms {
namespace {

const QColor kDiffers(255, 226, 150);
const QColor kRemoved(225, 225, 225);

// The two versions of a row, theirs above mine, cells that differ marked.
QTableWidget* versionTable(const ConflictRow& row, QWidget* parent) {
  auto* table = new QTableWidget(2, static_cast<int>(row.headings.size()), parent);
  QStringList headings;
  for (const QString& h : row.headings) headings << h;
  table->setHorizontalHeaderLabels(headings);
  table->setVerticalHeaderLabels(
      {row.theirs ? "Theirs" : "Theirs (removed)", row.mine ? "Mine" : "Mine (removed)"});
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setWordWrap(true);
  const std::optional<std::vector<QString>>* versions[] = {&row.theirs, &row.mine};
  for (int v = 0; v < 2; ++v)
    for (int c = 0; c < table->columnCount(); ++c) {
      const auto& cells = *versions[v];
      auto* item = new QTableWidgetItem(cells ? (*cells)[c] : QString());
      if (!cells)
        item->setBackground(kRemoved);
      else if (row.theirs && row.mine && (*row.theirs)[c] != (*row.mine)[c])
        item->setBackground(kDiffers);
      table->setItem(v, c, item);
    }
  table->resizeColumnsToContents();
  for (int c = 0; c < table->columnCount(); ++c)
    table->setColumnWidth(c, std::min(table->columnWidth(c), 320));
  table->resizeRowsToContents();
  table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  int height = table->horizontalHeader()->height() + 2 * table->frameWidth() + 4;
  for (int v = 0; v < 2; ++v) height += table->rowHeight(v);
  table->setFixedHeight(height + 18);  // room for a horizontal scroll bar
  return table;
}

}  // namespace

frmConflicts::frmConflicts(std::vector<ConflictRow> rows, QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
  setObjectName("frmConflicts");
  setWindowTitle("Changed by Another User");
  auto* root = new QVBoxLayout(this);
  auto* lead = new QLabel(
      "Another user changed these rows after you read them, so your changes to them were not "
      "saved.  Choose for each row which version to keep.",
      this);
  lead->setWordWrap(true);
  root->addWidget(lead);
  auto* scroll = new QScrollArea(this);
  scroll->setWidgetResizable(true);
  auto* list = new QWidget(scroll);
  auto* rowsLayout = new QVBoxLayout(list);
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const ConflictRow& row = rows_[i];
    auto* group = new QGroupBox(QString::fromStdString(row.where), list);
    auto* box = new QVBoxLayout(group);
    QTableWidget* table = versionTable(row, group);
    table->setObjectName(QString("tblVersions%1").arg(i));
    box->addWidget(table);
    auto* choice = new QHBoxLayout;
    auto* mine = new QRadioButton(row.mine ? "Keep mine" : "Keep it removed", group);
    auto* theirs =
        new QRadioButton(row.theirs ? "Take theirs" : "Let it go as they removed it", group);
    mine->setObjectName(QString("optKeepMine%1").arg(i));
    theirs->setObjectName(QString("optTakeTheirs%1").arg(i));
    auto* buttons = new QButtonGroup(group);
    buttons->addButton(mine);
    buttons->addButton(theirs);
    connect(buttons, &QButtonGroup::buttonToggled, this, [this] { updateOK(); });
    choice->addWidget(mine);
    choice->addWidget(theirs);
    choice->addStretch();
    box->addLayout(choice);
    rowsLayout->addWidget(group);
    keepMine_.push_back(mine);
    takeTheirs_.push_back(theirs);
    tables_.push_back(table);
  }
  scroll->setWidget(list);
  root->addWidget(scroll, 1);
  std::tie(ok_, cancel_) = addDialogButtons(this, root, "Save My Choices", "Decide Later");
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  updateOK();
  // As tall as the rows need, up to a screenful; more rows scroll.
  scroll->setMinimumHeight(std::min(list->sizeHint().height() + 2 * scroll->frameWidth(), 480));
  resize(760, sizeHint().height());
}

void frmConflicts::updateOK() {
  // Every row needs a choice: neither version is the safe default.
  bool all = true;
  for (std::size_t i = 0; i < rows_.size(); ++i)
    all = all && (keepMine_[i]->isChecked() || takeTheirs_[i]->isChecked());
  ok_->setEnabled(all);
}

std::string frmConflicts::apply() {
  std::string error;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    if (!keepMine_[i]->isChecked() && !takeTheirs_[i]->isChecked()) continue;
    db::Status s = rows_[i].resolve(keepMine_[i]->isChecked());
    if (!s.ok() && error.empty()) error = s.message();
  }
  return error;
}

}  // namespace sq::forms
