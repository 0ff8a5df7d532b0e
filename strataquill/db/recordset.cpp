#include "strataquill/db/recordset.h"

#include <cmath>
#include <limits>

#include "strataquill/db/engine.h"

namespace sq::db {
namespace {

Status noCurrentRecord() {
  return Status::error(ErrorCode::kNoCurrentRecord, "No current record.");
}

Status writeConflict() {
  return Status::error(ErrorCode::kWriteConflict,
                       "Another user changed this row after you read it; nothing of your "
                       "change to it was written.");
}

Status conversionError() {
  return Status::error(ErrorCode::kConversion, "Data type conversion error.");
}

std::size_t utf8Length(std::string_view s) {
  std::size_t n = 0;
  for (unsigned char c : s) n += (c & 0xC0) != 0x80;
  return n;
}

bool isBlankText(std::string_view s) {
  return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

}  // namespace

Recordset::Recordset() = default;
Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

Result<Recordset> Recordset::open(std::shared_ptr<Engine> engine, EngineQuery query) {
  Recordset rs;
  rs.engine_ = std::move(engine);
  rs.query_ = std::make_unique<EngineQuery>(std::move(query));
  if (Status s = rs.load(); !s.ok()) return s;
  return rs;
}

Status Recordset::load() {
  LoadedRows loaded;
  Status s = engine_->load(*query_, loaded);
  table_ = std::move(loaded.table);
  fields_ = std::move(loaded.fields);
  baseColumns_ = std::move(loaded.baseColumns);
  rows_.clear();
  for (LoadedRows::Row& r : loaded.rows)
    rows_.push_back({r.key.rowid, r.key.version, std::move(r.values), false});
  liveRows_ = static_cast<int>(rows_.size());
  pos_ = 0;
  mode_ = Mode::kNone;
  pending_.clear();
  lastModified_.reset();
  snapshot_.reset();
  return s;
}

void Recordset::keepForTransaction() {
  const std::uint64_t tx = engine_->transactionSerial();
  if (tx == 0 || (snapshot_ && snapshot_->transaction == tx)) return;
  snapshot_ = Snapshot{tx, rows_, liveRows_, lastModified_};
}

void Recordset::restoreAfterRollback() const {
  if (!snapshot_ || !engine_) return;
  if (engine_->rolledBack(snapshot_->transaction)) {
    rows_ = std::move(snapshot_->rows);
    liveRows_ = snapshot_->liveRows;
    lastModified_ = snapshot_->lastModified;
    snapshot_.reset();
  } else if (engine_->transactionSerial() != snapshot_->transaction) {
    snapshot_.reset();  // committed: the rows are what the database holds
  }
}

Status Recordset::requery() {
  return load();
}

int Recordset::recordCount() const {
  restoreAfterRollback();
  return liveRows_;
}

bool Recordset::bof() const {
  return recordCount() == 0 || pos_ < 0;
}
bool Recordset::eof() const {
  return recordCount() == 0 || pos_ >= static_cast<std::ptrdiff_t>(rows_.size());
}

std::optional<std::size_t> Recordset::position() const {
  if (eof() || bof()) return std::nullopt;
  return static_cast<std::size_t>(pos_);
}

Status Recordset::moveToPosition(std::size_t position) {
  cancelUpdate();
  restoreAfterRollback();
  if (position >= rows_.size()) return noCurrentRecord();
  pos_ = static_cast<std::ptrdiff_t>(position);
  return {};
}

void Recordset::moveFirst() {
  cancelUpdate();
  restoreAfterRollback();
  pos_ = 0;
  while (pos_ < static_cast<std::ptrdiff_t>(rows_.size()) && rows_[pos_].deleted) ++pos_;
}

void Recordset::moveLast() {
  cancelUpdate();
  restoreAfterRollback();
  pos_ = static_cast<std::ptrdiff_t>(rows_.size()) - 1;
  while (pos_ >= 0 && rows_[pos_].deleted) --pos_;
  if (pos_ < 0) pos_ = static_cast<std::ptrdiff_t>(rows_.size());
}

Status Recordset::moveNext() {
  if (eof()) return noCurrentRecord();
  cancelUpdate();
  do ++pos_;
  while (pos_ < static_cast<std::ptrdiff_t>(rows_.size()) && rows_[pos_].deleted);
  return {};
}

Status Recordset::movePrevious() {
  if (bof()) return noCurrentRecord();
  cancelUpdate();
  do --pos_;
  while (pos_ >= 0 && rows_[pos_].deleted);
  return {};
}

void Recordset::moveToLastModified() {
  cancelUpdate();
  restoreAfterRollback();
  if (lastModified_ && !rows_[*lastModified_].deleted)
    pos_ = static_cast<std::ptrdiff_t>(*lastModified_);
}

std::vector<std::string> Recordset::fieldNames() const {
  std::vector<std::string> names;
  for (const FieldDef& f : fields_) names.push_back(f.name);
  return names;
}

std::optional<std::size_t> Recordset::columnIndex(std::string_view field) const {
  for (std::size_t i = 0; i < fields_.size(); ++i)
    if (equalsIgnoreCase(fields_[i].name, field)) return i;
  return std::nullopt;
}

const Recordset::Row* Recordset::currentRow() const {
  restoreAfterRollback();
  if (pos_ < 0 || pos_ >= static_cast<std::ptrdiff_t>(rows_.size())) return nullptr;
  return &rows_[pos_];
}

Result<Value> Recordset::value(std::string_view field) const {
  auto col = columnIndex(field);
  if (!col) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
  if (mode_ != Mode::kNone && pending_[*col]) return *pending_[*col];
  if (mode_ == Mode::kAdd) return Value::null();
  const Row* row = currentRow();
  if (!row) return noCurrentRecord();
  if (row->deleted) return Status::error(ErrorCode::kRecordDeleted, "Record is deleted.");
  return row->values[*col];
}

std::string Recordset::text(std::string_view field) const {
  auto v = value(field);
  return v.ok() ? v->toString() : std::string();
}

Status Recordset::addNew() {
  if (!updatable())
    return Status::error(ErrorCode::kReadOnly, "Cannot update.  Database or object is read-only.");
  mode_ = Mode::kAdd;
  pending_.assign(fields_.size(), std::nullopt);
  return {};
}

Status Recordset::edit() {
  if (!updatable())
    return Status::error(ErrorCode::kReadOnly, "Cannot update.  Database or object is read-only.");
  const Row* row = currentRow();
  if (!row) return noCurrentRecord();
  if (row->deleted) return Status::error(ErrorCode::kRecordDeleted, "Record is deleted.");
  mode_ = Mode::kEdit;
  pending_.assign(fields_.size(), std::nullopt);
  return {};
}

Status Recordset::convertFor(std::size_t column, const Value& in, Value& out) const {
  const FieldDef& f = fields_[column];
  if (in.isNull()) {
    out = Value::null();
    return {};
  }
  switch (f.type) {
    case DaoType::kText:
    case DaoType::kMemo:
    case DaoType::kDate:
    case DaoType::kLongBinary:
      out = Value::text(in.toString());
      return {};
    default:
      break;
  }
  double d;
  if (in.isText()) {
    std::string t = in.toString();
    if (isBlankText(t)) {
      // A cleared cell of a numeric column is stored as no value.
      out = Value::null();
      return {};
    }
    if (f.type == DaoType::kBoolean &&
        (equalsIgnoreCase(t, "True") || equalsIgnoreCase(t, "Yes"))) {
      out = Value::integer(-1);
      return {};
    }
    if (f.type == DaoType::kBoolean &&
        (equalsIgnoreCase(t, "False") || equalsIgnoreCase(t, "No"))) {
      out = Value::integer(0);
      return {};
    }
    auto n = parseWholeNumber(t);
    if (!n) return conversionError();
    d = *n;
  } else {
    d = in.isSingle() ? static_cast<double>(in.toFloat()) : in.toDouble();
  }
  switch (f.type) {
    case DaoType::kSingle:
      if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
        return Status::error(ErrorCode::kConversion, "Overflow.");
      out = Value::single(static_cast<float>(d));
      return {};
    case DaoType::kDouble:
    case DaoType::kCurrency:
      out = Value::real(d);
      return {};
    case DaoType::kBoolean:
      out = Value::integer(d != 0 ? -1 : 0);
      return {};
    default: {
      double r = std::nearbyint(d);
      double lo = f.type == DaoType::kByte      ? 0
                  : f.type == DaoType::kInteger ? -32768
                                                : -2147483648.0;
      double hi = f.type == DaoType::kByte      ? 255
                  : f.type == DaoType::kInteger ? 32767
                                                : 2147483647.0;
      if (!(r >= lo && r <= hi)) return Status::error(ErrorCode::kConversion, "Overflow.");
      out = Value::integer(static_cast<std::int64_t>(r));
      return {};
    }
  }
}

Status Recordset::setField(std::string_view field, const Value& value) {
  if (mode_ == Mode::kNone)
    return Status::error(ErrorCode::kNotInEditMode,
                         "Update or CancelUpdate without AddNew or Edit.");
  auto col = columnIndex(field);
  if (!col) return Status::error(ErrorCode::kItemNotFound, "Item not found in this collection.");
  if (baseColumns_[*col].empty())
    return Status::error(ErrorCode::kReadOnly,
                         "Field '" + fields_[*col].name + "' is not updatable.");
  Value converted;
  if (Status s = convertFor(*col, value, converted); !s.ok()) return s;
  const FieldDef& f = fields_[*col];
  if (f.type == DaoType::kText && converted.isText() && f.size > 0 &&
      utf8Length(converted.toString()) > static_cast<std::size_t>(f.size))
    return Status::error(ErrorCode::kFieldTooSmall,
                         "The field is too small to accept the amount of data you attempted to "
                         "add.  Try inserting or pasting less data.");
  pending_[*col] = std::move(converted);
  return {};
}

Status Recordset::checkPending() const {
  for (std::size_t c = 0; c < fields_.size(); ++c) {
    const FieldDef& f = fields_[c];
    if (pending_[c] && f.isTextual() && !f.allowZeroLength && pending_[c]->isText() &&
        pending_[c]->toString().empty())
      return Status::error(ErrorCode::kZeroLength,
                           "Field '" + table_ + "." + f.name + "' cannot be a zero-length string.");
  }
  return {};
}

Status Recordset::update() {
  if (mode_ == Mode::kNone)
    return Status::error(ErrorCode::kNotInEditMode,
                         "Update or CancelUpdate without AddNew or Edit.");
  if (Status s = checkPending(); !s.ok()) return s;

  std::vector<std::size_t> cols;
  for (std::size_t c = 0; c < fields_.size(); ++c)
    if (pending_[c]) cols.push_back(c);

  if (mode_ == Mode::kEdit && cols.empty()) {
    mode_ = Mode::kNone;
    return {};
  }
  std::vector<std::string> names;
  std::vector<Value> values;
  for (std::size_t c : cols) {
    names.push_back(baseColumns_[c]);
    values.push_back(*pending_[c]);
  }
  restoreAfterRollback();
  if (mode_ == Mode::kEdit && (!currentRow() || currentRow()->deleted)) {
    cancelUpdate();  // the row came from a transaction that was rolled back
    return noCurrentRecord();
  }
  keepForTransaction();
  if (mode_ == Mode::kAdd) {
    auto key = engine_->insertRow(table_, names, values);
    if (!key.ok()) return key.status();
    Row row;
    row.rowid = key->rowid;
    row.version = key->version;
    row.values.assign(fields_.size(), Value::null());
    for (std::size_t c : cols) row.values[c] = *pending_[c];
    rows_.push_back(std::move(row));
    ++liveRows_;
    lastModified_ = rows_.size() - 1;
    // Keep an EOF cursor at EOF after the row count grew.
    if (pos_ == static_cast<std::ptrdiff_t>(rows_.size()) - 1) ++pos_;
  } else {
    Row& row = rows_[pos_];
    RowKey key{row.rowid, row.version};
    auto outcome = engine_->updateRow(table_, key, names, values);
    if (!outcome.ok()) return outcome.status();
    if (*outcome == WriteOutcome::kConflict) {
      std::vector<Value> mine = row.values;
      for (std::size_t c : cols) mine[c] = *pending_[c];
      conflicts_.push_back(conflictFor(static_cast<std::size_t>(pos_), std::move(mine)));
      return writeConflict();
    }
    row.version = key.version;
    for (std::size_t c : cols) row.values[c] = *pending_[c];
    lastModified_ = static_cast<std::size_t>(pos_);
  }
  mode_ = Mode::kNone;
  pending_.clear();
  return {};
}

RowConflict Recordset::conflictFor(std::size_t position, std::optional<std::vector<Value>> mine) {
  RowConflict conflict;
  conflict.position = position;
  conflict.mine = std::move(mine);
  auto stored = engine_->readRow(table_, baseColumns_, rows_[position].rowid);
  if (stored.ok() && stored->has_value()) {
    std::vector<Value> theirs = (*stored)->values;
    // Columns that are not the table's own (expressions) keep what was read.
    for (std::size_t c = 0; c < fields_.size(); ++c)
      if (baseColumns_[c].empty()) theirs[c] = rows_[position].values[c];
    conflict.theirs = std::move(theirs);
  }
  return conflict;
}

Status Recordset::refreshRow(std::size_t position) {
  cancelUpdate();
  restoreAfterRollback();
  if (position >= rows_.size()) return noCurrentRecord();
  if (!updatable())
    return Status::error(ErrorCode::kReadOnly, "Cannot update.  Database or object is read-only.");
  Row& row = rows_[position];
  if (row.deleted) return Status::error(ErrorCode::kRecordDeleted, "Record is deleted.");
  auto stored = engine_->readRow(table_, baseColumns_, row.rowid);
  if (!stored.ok()) return stored.status();
  if (!stored->has_value()) {
    row.deleted = true;
    --liveRows_;
    return {};
  }
  for (std::size_t c = 0; c < fields_.size(); ++c)
    if (!baseColumns_[c].empty()) row.values[c] = (*stored)->values[c];
  row.version = (*stored)->key.version;
  return {};
}

void Recordset::cancelUpdate() {
  mode_ = Mode::kNone;
  pending_.clear();
}

Status Recordset::deleteRecord() {
  if (!updatable())
    return Status::error(ErrorCode::kReadOnly, "Cannot update.  Database or object is read-only.");
  cancelUpdate();
  restoreAfterRollback();
  Row* row = pos_ >= 0 && pos_ < static_cast<std::ptrdiff_t>(rows_.size()) ? &rows_[pos_] : nullptr;
  if (!row) return noCurrentRecord();
  if (row->deleted) return Status::error(ErrorCode::kRecordDeleted, "Record is deleted.");
  keepForTransaction();
  row = &rows_[pos_];
  auto outcome = engine_->deleteRow(table_, RowKey{row->rowid, row->version});
  if (!outcome.ok()) return outcome.status();
  if (*outcome == WriteOutcome::kConflict) {
    conflicts_.push_back(conflictFor(static_cast<std::size_t>(pos_), std::nullopt));
    return writeConflict();
  }
  row->deleted = true;
  --liveRows_;
  return {};
}

}  // namespace sq::db
