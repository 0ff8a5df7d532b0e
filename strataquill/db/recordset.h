#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"
#include "strataquill/db/status.h"
#include "strataquill/db/value.h"

namespace sq::db {

class Connection;

// The rows of a table or a query, with a current-record cursor. The rows are
// read when the set opens. A set over a single table (by name, or a SELECT
// from one table without aggregates) is updatable: AddNew/Edit, SetField,
// Update write through to the file at once.
//
// The cursor follows the desktop-database model: BOF and EOF are positions
// before the first and after the last row, and a deleted row stays current
// (reading it is an error) until the cursor moves.
class Recordset {
 public:
  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;
  ~Recordset();

  bool bof() const;
  bool eof() const;
  int recordCount() const;
  bool updatable() const { return !table_.empty(); }
  bool editing() const { return mode_ != Mode::kNone; }

  void moveFirst();
  void moveLast();
  // Moving past the last row gives EOF; moving on from EOF is an error.
  Status moveNext();
  Status movePrevious();

  // Field names in the order of the query.
  std::vector<std::string> fieldNames() const;
  // The field definitions as the record set exposes them.
  const std::vector<FieldDef>& fields() const { return fields_; }

  // Value of the current record (or of the pending edit); names compare
  // without regard to case.
  Result<Value> value(std::string_view field) const;
  // Text of a field; "" for null, unknown field or no current record.
  std::string text(std::string_view field) const;

  Status addNew();
  Status edit();
  // Converts `value` to the field's type. Needs AddNew or Edit first.
  Status setField(std::string_view field, const Value& value);
  // Writes the pending row. After AddNew the cursor stays where it was and
  // the new row is appended to the set.
  Status update();
  void cancelUpdate();
  Status deleteRecord();
  // Makes the row written by the last Update current.
  void moveToLastModified();
  // Reads the rows again.
  Status requery();

 private:
  friend class Database;
  struct Row {
    std::int64_t rowid = 0;
    std::vector<Value> values;
    bool deleted = false;
  };
  enum class Mode { kNone, kEdit, kAdd };

  Recordset() = default;
  static Result<Recordset> open(std::shared_ptr<Connection> conn, std::string sqliteSql,
                                std::string table);
  Status load();
  std::optional<std::size_t> columnIndex(std::string_view field) const;
  const Row* currentRow() const;
  Status convertFor(std::size_t column, const Value& in, Value& out) const;
  Status checkPending() const;

  std::shared_ptr<Connection> conn_;
  std::string sql_;
  std::string table_;  // empty: read-only
  std::vector<FieldDef> fields_;
  std::vector<std::string> baseColumns_;  // column of `table_` behind each field, or ""
  std::vector<Row> rows_;
  int liveRows_ = 0;        // rows not deleted; the cursor tests it at every move
  std::ptrdiff_t pos_ = 0;  // -1 BOF, rows_.size() EOF
  Mode mode_ = Mode::kNone;
  std::vector<std::optional<Value>> pending_;
  std::optional<std::size_t> lastModified_;
};

}  // namespace sq::db
