#include "strataquill/db/recordset.h"

#include <cmath>
#include <limits>

#include "strataquill/db/connection.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/schema_reader.h"

namespace sq::db {
namespace {

Status noCurrentRecord() {
  return Status::error(ErrorCode::kNoCurrentRecord, "No current record.");
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

Value readColumn(sqlite3_stmt* stmt, int i, DaoType type) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_NULL:
      return Value::null();
    case SQLITE_INTEGER: {
      sqlite3_int64 v = sqlite3_column_int64(stmt, i);
      if (type == DaoType::kSingle) return Value::single(static_cast<float>(v));
      if (type == DaoType::kDouble) return Value::real(static_cast<double>(v));
      return Value::integer(v);
    }
    case SQLITE_FLOAT: {
      double v = sqlite3_column_double(stmt, i);
      if (type == DaoType::kSingle) return Value::single(static_cast<float>(v));
      return Value::real(v);
    }
    default: {
      const void* p = sqlite3_column_blob(stmt, i);
      int n = sqlite3_column_bytes(stmt, i);
      return Value::text(p ? std::string(static_cast<const char*>(p), n) : std::string());
    }
  }
}

}  // namespace

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

Result<Recordset> Recordset::open(std::shared_ptr<Connection> conn, std::string sqliteSql,
                                  std::string table) {
  Recordset rs;
  rs.conn_ = std::move(conn);
  rs.sql_ = std::move(sqliteSql);
  rs.table_ = std::move(table);
  if (Status s = rs.load(); !s.ok()) return s;
  return rs;
}

Status Recordset::load() {
  auto stmt = Statement::prepare(*conn_, sql_);
  if (!stmt.ok()) return stmt.status();
  sqlite3_stmt* st = stmt->get();
  const int columns = sqlite3_column_count(st);
  const char* firstName = columns > 0 ? sqlite3_column_name(st, 0) : nullptr;
  const bool hasRowId = firstName && std::string_view(firstName) == kRowIdColumn;

  // Field definitions of the base table give sizes and the zero-length
  // switch of the updatable columns.
  TableDef base;
  if (!table_.empty()) {
    if (auto stored = storedTableName(*conn_, table_)) table_ = *stored;
    base = readTableDef(*conn_, table_);
  }

  fields_.clear();
  baseColumns_.clear();
  for (int i = hasRowId ? 1 : 0; i < columns; ++i) {
    const char* name = sqlite3_column_name(st, i);
    const char* origin = sqlite3_column_origin_name(st, i);
    const char* originTable = sqlite3_column_table_name(st, i);
    const char* decl = sqlite3_column_decltype(st, i);
    FieldDef f = fieldDefFromDeclaredType(name ? name : "", decl ? decl : "");
    if (!decl) f.type = DaoType::kDouble;  // an expression such as Max([From])
    std::string baseColumn;
    if (hasRowId && origin && originTable && equalsIgnoreCase(originTable, table_)) {
      if (const FieldDef* b = base.field(origin)) {
        f.size = b->size;
        f.allowZeroLength = b->allowZeroLength;
        baseColumn = b->name;
      }
    }
    fields_.push_back(std::move(f));
    baseColumns_.push_back(std::move(baseColumn));
  }
  if (!hasRowId) table_.clear();

  rows_.clear();
  int rc;
  while ((rc = stmt->step()) == SQLITE_ROW) {
    Row row;
    if (hasRowId) row.rowid = sqlite3_column_int64(st, 0);
    for (std::size_t c = 0; c < fields_.size(); ++c)
      row.values.push_back(
          readColumn(st, static_cast<int>(c) + (hasRowId ? 1 : 0), fields_[c].type));
    rows_.push_back(std::move(row));
  }
  liveRows_ = static_cast<int>(rows_.size());
  if (rc != SQLITE_DONE)
    return conn_->lastError(classifySqliteError(sqlite3_errmsg(conn_->handle())));
  pos_ = 0;
  mode_ = Mode::kNone;
  pending_.clear();
  lastModified_.reset();
  return {};
}

Status Recordset::requery() {
  return load();
}

int Recordset::recordCount() const {
  return liveRows_;
}

bool Recordset::bof() const {
  return recordCount() == 0 || pos_ < 0;
}
bool Recordset::eof() const {
  return recordCount() == 0 || pos_ >= static_cast<std::ptrdiff_t>(rows_.size());
}

void Recordset::moveFirst() {
  cancelUpdate();
  pos_ = 0;
  while (pos_ < static_cast<std::ptrdiff_t>(rows_.size()) && rows_[pos_].deleted) ++pos_;
}

void Recordset::moveLast() {
  cancelUpdate();
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

  std::string sql;
  if (mode_ == Mode::kAdd) {
    if (cols.empty()) {
      sql = "INSERT INTO " + quoteIdentifier(table_) + " DEFAULT VALUES";
    } else {
      std::string names, params;
      for (std::size_t k = 0; k < cols.size(); ++k) {
        names += (k ? ", " : "") + quoteIdentifier(baseColumns_[cols[k]]);
        params += (k ? ", ?" : "?") + std::to_string(k + 1);
      }
      sql = "INSERT INTO " + quoteIdentifier(table_) + " (" + names + ") VALUES (" + params + ")";
    }
  } else {
    if (cols.empty()) {
      mode_ = Mode::kNone;
      return {};
    }
    sql = "UPDATE " + quoteIdentifier(table_) + " SET ";
    for (std::size_t k = 0; k < cols.size(); ++k)
      sql +=
          (k ? ", " : "") + quoteIdentifier(baseColumns_[cols[k]]) + " = ?" + std::to_string(k + 1);
    sql += " WHERE _ROWID_ = ?" + std::to_string(cols.size() + 1);
  }
  auto stmt = Statement::prepare(*conn_, sql);
  if (!stmt.ok()) return stmt.status();
  for (std::size_t k = 0; k < cols.size(); ++k)
    stmt->bind(static_cast<int>(k + 1), *pending_[cols[k]]);
  if (mode_ == Mode::kEdit)
    stmt->bind(static_cast<int>(cols.size() + 1), Value::integer(rows_[pos_].rowid));
  if (stmt->step() != SQLITE_DONE)
    return conn_->lastError(classifySqliteError(sqlite3_errmsg(conn_->handle())));

  if (mode_ == Mode::kAdd) {
    Row row;
    row.rowid = sqlite3_last_insert_rowid(conn_->handle());
    row.values.assign(fields_.size(), Value::null());
    for (std::size_t c : cols) row.values[c] = *pending_[c];
    rows_.push_back(std::move(row));
    ++liveRows_;
    lastModified_ = rows_.size() - 1;
    // Keep an EOF cursor at EOF after the row count grew.
    if (pos_ == static_cast<std::ptrdiff_t>(rows_.size()) - 1) ++pos_;
  } else {
    for (std::size_t c : cols) rows_[pos_].values[c] = *pending_[c];
    lastModified_ = static_cast<std::size_t>(pos_);
  }
  mode_ = Mode::kNone;
  pending_.clear();
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
  Row* row = pos_ >= 0 && pos_ < static_cast<std::ptrdiff_t>(rows_.size()) ? &rows_[pos_] : nullptr;
  if (!row) return noCurrentRecord();
  if (row->deleted) return Status::error(ErrorCode::kRecordDeleted, "Record is deleted.");
  auto stmt =
      Statement::prepare(*conn_, "DELETE FROM " + quoteIdentifier(table_) + " WHERE _ROWID_ = ?1");
  if (!stmt.ok()) return stmt.status();
  stmt->bind(1, Value::integer(row->rowid));
  if (stmt->step() != SQLITE_DONE)
    return conn_->lastError(classifySqliteError(sqlite3_errmsg(conn_->handle())));
  row->deleted = true;
  --liveRows_;
  return {};
}

}  // namespace sq::db
