#include "strataquill/widgets/recordset_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "strataquill/db/ascii_case.h"
#include "strataquill/db/value.h"

namespace sq::widgets {
namespace {

// Blanks around a value are dropped when it is shown; nothing else is.
QString trimBlanks(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.mid(b, e - b);
}

const QColor kRefusedColour(255, 205, 205);

// How many steps Undo can go back.
constexpr std::size_t kUndoDepth = 200;

}  // namespace

bool RecordsetModel::Row::dirty() const {
  for (bool c : changed)
    if (c) return true;
  return false;
}

RecordsetModel::RecordsetModel(QObject* parent) : QAbstractTableModel(parent) {}
RecordsetModel::~RecordsetModel() = default;

void RecordsetModel::dropRows() {
  forgetHistory();
  rows_.clear();
  rs_.reset();
  live_.clear();
  removed_.clear();
  notes_.clear();
  rawCount_ = 0;
}

void RecordsetModel::setColumns(std::vector<ColumnSpec> columns) {
  beginResetModel();
  columns_ = std::move(columns);
  dropRows();
  endResetModel();
}

void RecordsetModel::setHeading(int column, const QString& heading) {
  if (column < 0 || column >= columnCount()) return;
  columns_[column].heading = heading;
  emit headerDataChanged(Qt::Horizontal, column, column);
}

void RecordsetModel::setListItems(int column, const QString& tabSeparated) {
  if (column >= 0 && column < columnCount()) columns_[column].listItems = tabSeparated;
}

void RecordsetModel::setFixedValue(int column, const QString& value) {
  fixed_[column] = value;
}

void RecordsetModel::setSpareRows(int count) {
  if (count == spare_) return;
  beginResetModel();
  spare_ = std::max(0, count);
  endResetModel();
}

void RecordsetModel::setDecorator(int column, CellDecorator decorator) {
  decorators_[column] = std::move(decorator);
  refreshDecorations();
}

void RecordsetModel::refreshDecorations() {
  for (const auto& [column, decorator] : decorators_)
    if (dataRowCount() > 0)
      emit dataChanged(index(0, column), index(dataRowCount() - 1, column),
                       {Qt::DecorationRole, Qt::ToolTipRole});
}

void RecordsetModel::setReadOnly(bool readOnly) {
  readOnly_ = readOnly;
}

void RecordsetModel::clear() {
  beginResetModel();
  dropRows();
  endResetModel();
  emit cellsEdited();
}

void RecordsetModel::load(db::Recordset rs) {
  beginResetModel();
  forgetHistory();
  rows_.clear();
  live_.clear();
  removed_.clear();
  notes_.clear();
  int raw = 0;
  for (rs.moveFirst(); !rs.eof(); rs.moveNext(), ++raw) {
    Row row;
    row.raw = raw;
    row.changed.assign(columns_.size(), false);
    for (const ColumnSpec& c : columns_)
      row.cells.push_back(c.field.isEmpty()
                              ? QString()
                              : trimBlanks(QString::fromStdString(rs.text(c.field.toStdString()))));
    rows_.push_back(std::move(row));
    live_.push_back(raw);
  }
  rawCount_ = raw;
  rs_.emplace(std::move(rs));
  endResetModel();
  emit cellsEdited();
}

bool RecordsetModel::refused(const Row& row, int column) const {
  if (!isNumeric(column)) return false;
  const QString t = row.cells[column].trimmed();
  if (t.isEmpty()) return false;
  auto n = db::parseWholeNumber(t.toStdString());
  return !n || !std::isfinite(*n) || std::fabs(*n) > std::numeric_limits<float>::max();
}

bool RecordsetModel::blank(const Row& row) const {
  for (int c = 0; c < columnCount(); ++c)
    if (!columns_[c].hidden && !row.cells[c].trimmed().isEmpty()) return false;
  return true;
}

bool RecordsetModel::hasPendingEdits() const {
  if (!removed_.empty()) return true;
  for (const Row& r : rows_)
    if (r.raw < 0 ? !blank(r) : r.dirty()) return true;
  return false;
}

std::vector<RecordsetModel::Refusal> RecordsetModel::refusals(bool typedOnly) const {
  std::vector<Refusal> out;
  for (int r = 0; r < dataRowCount(); ++r)
    for (int c = 0; c < columnCount(); ++c)
      if (refused(rows_[r], c) && (!typedOnly || rows_[r].changed[c]))
        out.push_back({r, c, rows_[r].cells[c]});
  return out;
}

QString RecordsetModel::valueToWrite(const Row& row, int column) const {
  if (auto f = fixed_.find(column); f != fixed_.end()) return f->second;
  const QString& text = row.cells[column];
  return text.isEmpty() ? QStringLiteral(" ") : text;
}

bool RecordsetModel::writeRow(Row& row, SaveReport& report) {
  db::Recordset& rs = *rs_;
  const bool adding = row.raw < 0;
  db::Status s = adding ? rs.addNew() : rs.edit();
  std::vector<int> written;
  for (int c = 0; s.ok() && c < columnCount(); ++c) {
    const ColumnSpec& colSpec = columns_[c];
    if (colSpec.field.isEmpty() || refused(row, c)) continue;
    const bool isFixed = fixed_.count(c) != 0;
    if (colSpec.hidden && !isFixed) continue;
    if (!adding && !row.changed[c] && !isFixed) continue;
    s = rs.setField(colSpec.field.toStdString(),
                    db::Value::text(valueToWrite(row, c).toStdString()));
    written.push_back(c);
  }
  if (s.ok()) s = rs.update();
  if (!s.ok()) {
    rs.cancelUpdate();
    if (report.error.empty()) {
      report.error = s.message();
      report.code = s.code();
    }
    return false;
  }
  if (adding) {
    row.raw = rawCount_++;
    live_.push_back(row.raw);
  }
  // A refused cell stays changed: it is still waiting to be written.
  for (int c : written) row.changed[c] = false;
  return true;
}

RecordsetModel::SaveReport RecordsetModel::submitAll() {
  SaveReport report;
  conflicts_.clear();
  beforeSubmit_ =
      std::make_unique<BeforeSubmit>(BeforeSubmit{rows_, live_, removed_, rawCount_, undo_, redo_});
  if (!rs_) {
    // Rows typed into a grid whose table could not be opened have nowhere
    // to go; they stay, and the owner is told.
    for (const Row& r : rows_)
      if (!blank(r)) ++report.failedRows;
    if (report.failedRows > 0) report.error = "The table of these rows could not be opened.";
    return report;
  }
  db::Recordset& rs = *rs_;
  rs.clearConflicts();
  std::map<int, Row*> byRaw;
  for (Row& r : rows_)
    if (r.raw >= 0 && r.dirty()) byRaw[r.raw] = &r;

  // One pass of the cursor over the rows read, in their order: the record
  // set edits and deletes only its current row.
  if (!byRaw.empty() || !removed_.empty()) {
    std::vector<int> stillLive;
    rs.moveFirst();
    for (int raw : live_) {
      if (removed_.count(raw)) {
        db::Status s = rs.deleteRecord();
        if (s.ok()) {
          removed_.erase(raw);
        } else {
          ++report.failedRows;
          if (report.error.empty()) {
            report.error = s.message();
            report.code = s.code();
          }
          stillLive.push_back(raw);
        }
      } else {
        stillLive.push_back(raw);
        if (auto it = byRaw.find(raw); it != byRaw.end() && !writeRow(*it->second, report))
          ++report.failedRows;
      }
      rs.moveNext();
    }
    live_ = std::move(stillLive);
  }
  for (Row& r : rows_)
    if (r.raw < 0 && !blank(r) && !writeRow(r, report)) ++report.failedRows;
  collectConflicts();
  // What was saved is no longer an edit that could be taken back.
  forgetHistory();
  return report;
}

void RecordsetModel::revertSubmit() {
  if (!beforeSubmit_) return;
  beginResetModel();
  BeforeSubmit before = std::move(*beforeSubmit_);
  beforeSubmit_.reset();
  rows_ = std::move(before.rows);
  live_ = std::move(before.live);
  removed_ = std::move(before.removed);
  rawCount_ = before.rawCount;
  undo_ = std::move(before.undo);
  redo_ = std::move(before.redo);
  conflicts_.clear();
  if (rs_) rs_->clearConflicts();
  endResetModel();
  emit cellsEdited();
}

std::vector<QString> RecordsetModel::cellsOf(const std::vector<db::Value>& values) const {
  std::vector<QString> cells(columns_.size());
  const std::vector<db::FieldDef>& fields = rs_->fields();
  for (std::size_t c = 0; c < columns_.size(); ++c)
    for (std::size_t f = 0; f < fields.size() && f < values.size(); ++f)
      if (!columns_[c].field.isEmpty() &&
          db::equalsIgnoreCase(fields[f].name, columns_[c].field.toStdString()))
        cells[c] = trimBlanks(QString::fromStdString(values[f].toString()));
  return cells;
}

int RecordsetModel::rowAt(std::size_t position) const {
  for (int r = 0; r < dataRowCount(); ++r)
    if (rows_[r].raw == static_cast<int>(position)) return r;
  return -1;
}

void RecordsetModel::collectConflicts() {
  conflicts_.clear();
  if (!rs_) return;
  for (const db::RowConflict& c : rs_->conflicts()) {
    Conflict conflict;
    conflict.position = c.position;
    conflict.row = rowAt(c.position);
    if (conflict.row >= 0) conflict.mine = rows_[conflict.row].cells;
    if (c.theirs) conflict.theirs = cellsOf(*c.theirs);
    conflicts_.push_back(std::move(conflict));
  }
}

db::Status RecordsetModel::resolve(std::size_t position, Resolution resolution) {
  auto it = std::find_if(conflicts_.begin(), conflicts_.end(),
                         [&](const Conflict& c) { return c.position == position; });
  if (it == conflicts_.end() || !rs_)
    return db::Status::error(db::ErrorCode::kItemNotFound, "No such conflict.");
  // The row as stored now (or its removal) becomes what the row was read as.
  if (db::Status s = rs_->refreshRow(position); !s.ok()) return s;
  const int raw = static_cast<int>(position);
  const int row = rowAt(position);
  const std::optional<std::vector<QString>> theirs = it->theirs;
  conflicts_.erase(it);
  beginResetModel();
  forgetHistory();
  auto dropLive = [&] { live_.erase(std::remove(live_.begin(), live_.end(), raw), live_.end()); };
  if (resolution == Resolution::kKeepMine) {
    if (row >= 0) {
      Row& r = rows_[row];
      if (!theirs) {
        // They removed it: the row is written anew.
        r.raw = -1;
        dropLive();
      }
      // The row as shown here is the row that is kept, every cell of it.
      for (int c = 0; c < columnCount(); ++c) r.changed[c] = !columns_[c].hidden;
    }
    // A row removed here stays removed: the next save removes theirs.
  } else if (!theirs) {
    if (row >= 0) rows_.erase(rows_.begin() + row);
    removed_.erase(raw);
    dropLive();
  } else {
    Row r;
    r.raw = raw;
    r.cells = *theirs;
    r.changed.assign(columns_.size(), false);
    if (row >= 0) {
      rows_[row] = std::move(r);
    } else {
      // Removed here: it comes back after the row read before it.
      removed_.erase(raw);
      int at = 0;
      for (int i = 0; i < dataRowCount(); ++i)
        if (rows_[i].raw >= 0 && rows_[i].raw < raw) at = i + 1;
      rows_.insert(rows_.begin() + at, std::move(r));
    }
  }
  endResetModel();
  emit cellsEdited();
  return {};
}

void RecordsetModel::forgetHistory() {
  undo_.clear();
  redo_.clear();
  groupRemembered_ = false;
}

void RecordsetModel::remember() {
  if (group_ > 0 && groupRemembered_) return;
  groupRemembered_ = group_ > 0;
  undo_.push_back({rows_, removed_});
  if (undo_.size() > kUndoDepth) undo_.erase(undo_.begin());
  redo_.clear();
}

void RecordsetModel::restore(std::vector<Snapshot>& from, std::vector<Snapshot>& to) {
  if (from.empty() || readOnly_) return;
  beginResetModel();
  to.push_back({std::move(rows_), std::move(removed_)});
  rows_ = std::move(from.back().rows);
  removed_ = std::move(from.back().removed);
  from.pop_back();
  endResetModel();
  emit cellsEdited();
}

void RecordsetModel::undo() {
  restore(undo_, redo_);
}

void RecordsetModel::redo() {
  restore(redo_, undo_);
}

QString RecordsetModel::cellText(int row, int column) const {
  if (row < 0 || row >= dataRowCount() || column < 0 || column >= columnCount()) return {};
  return rows_[row].cells[column];
}

void RecordsetModel::materializeUpTo(int row) {
  if (row < dataRowCount()) return;
  const int first = dataRowCount();
  // The spare rows stay below: the new data rows take the place of the
  // first spare rows and as many spare rows are added at the bottom.
  beginInsertRows({}, rowCount(), rowCount() + (row - first));
  for (int r = first; r <= row; ++r) {
    Row blankRow;
    blankRow.cells.assign(columns_.size(), QString());
    blankRow.changed.assign(columns_.size(), false);
    rows_.push_back(std::move(blankRow));
  }
  endInsertRows();
}

bool RecordsetModel::setCellText(int row, int column, const QString& text) {
  if (readOnly_) return false;
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return false;
  if (row >= dataRowCount()) {
    if (text.isEmpty()) return true;
    remember();
    materializeUpTo(row);
  } else {
    if (rows_[row].cells[column] == text) return true;
    remember();
  }
  Row& r = rows_[row];
  r.cells[column] = text;
  r.changed[column] = true;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  emit cellsEdited();
  return true;
}

void RecordsetModel::insertBlankRow(int row) {
  if (readOnly_) return;
  if (row < 0 || row > dataRowCount()) return;
  remember();
  beginInsertRows({}, row, row);
  Row blankRow;
  blankRow.cells.assign(columns_.size(), QString());
  blankRow.changed.assign(columns_.size(), false);
  rows_.insert(rows_.begin() + row, std::move(blankRow));
  endInsertRows();
  emit cellsEdited();
}

void RecordsetModel::removeDataRow(int row) {
  if (readOnly_) return;
  if (row < 0 || row >= dataRowCount()) return;
  remember();
  beginRemoveRows({}, row, row);
  if (rows_[row].raw >= 0) removed_.insert(rows_[row].raw);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
  emit cellsEdited();
}

void RecordsetModel::setCellNote(int row, int column, const QString& note, const QColor& colour) {
  notes_[{row, column}] = {note, colour};
  const QModelIndex i = index(row, column);
  emit dataChanged(i, i, {Qt::ToolTipRole, Qt::BackgroundRole});
}

void RecordsetModel::clearNotes() {
  if (notes_.empty()) return;
  auto old = std::move(notes_);
  notes_.clear();
  for (const auto& [cell, note] : old) {
    const QModelIndex i = index(cell.first, cell.second);
    emit dataChanged(i, i, {Qt::ToolTipRole, Qt::BackgroundRole});
  }
}

QString RecordsetModel::cellNote(int row, int column) const {
  auto it = notes_.find({row, column});
  return it == notes_.end() ? QString() : it->second.first;
}

int RecordsetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dataRowCount() + spare_;
}

int RecordsetModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row(), column = index.column();
  const ColumnSpec& colSpec = columns_[column];
  const bool isData = row < dataRowCount();
  const QString text = isData ? rows_[row].cells[column] : QString();
  const bool isRefused = isData && refused(rows_[row], column);
  auto note = notes_.find({row, column});
  auto decoration = [&]() -> CellDecoration {
    auto d = decorators_.find(column);
    if (!isData || d == decorators_.end() || !d->second) return {};
    return d->second(text);
  };
  switch (role) {
    case Qt::DisplayRole:
      if (colSpec.kind == CellKind::kCheckBox) return {};
      if (colSpec.decimals >= 0 && !isRefused && !text.trimmed().isEmpty())
        if (auto n = db::parseWholeNumber(text.toStdString()))
          return QString::number(*n, 'f', colSpec.decimals);
      return text;
    case Qt::DecorationRole:
      return decoration().picture;
    case Qt::EditRole:
      return text;
    case Qt::CheckStateRole:
      if (colSpec.kind != CellKind::kCheckBox) return {};
      return text.compare("True", Qt::CaseInsensitive) == 0 || text == "-1" ? Qt::Checked
                                                                             : Qt::Unchecked;
    case Qt::ToolTipRole:
      if (isRefused)
        return QStringLiteral("\u201C%1\u201D is not a number. Type a depth such as 12.5; "
                              "until then this cell is not saved.")
            .arg(text);
      if (note != notes_.end()) return note->second.first;
      if (QString tip = decoration().toolTip; !tip.isEmpty()) return tip;
      return {};
    case Qt::BackgroundRole:
      if (isRefused) return kRefusedColour;
      if (note != notes_.end()) return note->second.second;
      return {};
    case Qt::TextAlignmentRole:
      return colSpec.kind == CellKind::kWrapText ? int(Qt::AlignLeft | Qt::AlignTop)
                                              : int(colSpec.alignment);
    case kRefusedRole:
      return isRefused;
    default:
      return {};
  }
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid()) return false;
  if (role == Qt::CheckStateRole)
    return setCellText(index.row(), index.column(),
                       value.toInt() == Qt::Checked ? QStringLiteral("True")
                                                    : QStringLiteral("False"));
  if (role != Qt::EditRole) return false;
  return setCellText(index.row(), index.column(), value.toString());
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (readOnly_) return f;
  if (columns_[index.column()].kind == CellKind::kCheckBox) return f | Qt::ItemIsUserCheckable;
  return f | Qt::ItemIsEditable;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= columnCount()) return {};
  return columns_[section].heading;
}

}  // namespace sq::widgets
