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

class Engine;
struct EngineQuery;

// A row that a write refused to overwrite because someone else changed (or
// removed) it after this set read it. Nothing of the row was written.
struct RowConflict {
  std::size_t position = 0;  // the row's place in the set, counted as the rows were read
                             // and added (deleted rows keep their place)
  // What this write wanted the row to hold, in the set's field order;
  // nothing when it wanted to delete the row.
  std::optional<std::vector<Value>> mine;
  // What the row holds now; nothing when someone else deleted it.
  std::optional<std::vector<Value>> theirs;
};

// The rows of a table or a query, with a current-record cursor. The rows are
// read when the set opens. A set over a single table (by name, or a SELECT
// from one table without aggregates) is updatable: AddNew/Edit, SetField,
// Update write through to the database at once.
//
// Where several users share the database, every row carries the version it
// was read with, and Update and Delete write a row only while it still has
// that version: otherwise they fail with kWriteConflict, write nothing of
// that row and add a RowConflict to conflicts(). refreshRow() then takes the
// stored row as the new starting point, after which an Update writes the
// user's own values over it (keep mine) or nothing more is done (take
// theirs).
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

  // The place of the current row in the set (see RowConflict::position);
  // nothing at BOF or EOF.
  std::optional<std::size_t> position() const;
  // Makes the row at `position` current.
  Status moveToPosition(std::size_t position);
  // Writes that were refused since the set opened or conflicts were last
  // cleared, oldest first.
  const std::vector<RowConflict>& conflicts() const { return conflicts_; }
  void clearConflicts() { conflicts_.clear(); }
  // Reads the row at `position` as it is stored now, with its version; a
  // row that someone else deleted is deleted here as well.
  Status refreshRow(std::size_t position);

 private:
  friend class Database;
  struct Row {
    std::int64_t rowid = 0;
    std::int64_t version = 0;
    std::vector<Value> values;
    bool deleted = false;
  };
  enum class Mode { kNone, kEdit, kAdd };
  // The rows as they were when the open transaction began to change them.
  struct Snapshot {
    std::uint64_t transaction = 0;
    std::vector<Row> rows;
    int liveRows = 0;
    std::optional<std::size_t> lastModified;
  };

  Recordset();
  static Result<Recordset> open(std::shared_ptr<Engine> engine, EngineQuery query);
  Status load();
  std::optional<std::size_t> columnIndex(std::string_view field) const;
  const Row* currentRow() const;
  Status convertFor(std::size_t column, const Value& in, Value& out) const;
  Status checkPending() const;
  // Before a write: remembers the rows for a transaction that may end
  // without its writes. After: puts them back when one did.
  void keepForTransaction();
  void restoreAfterRollback() const;
  RowConflict conflictFor(std::size_t position, std::optional<std::vector<Value>> mine);

  std::shared_ptr<Engine> engine_;
  std::unique_ptr<EngineQuery> query_;
  std::string table_;  // empty: read-only
  std::vector<FieldDef> fields_;
  std::vector<std::string> baseColumns_;  // column of `table_` behind each field, or ""
  // The rows and what follows them are put back after a rolled-back
  // transaction by any call, reading ones included.
  mutable std::vector<Row> rows_;
  mutable int liveRows_ = 0;  // rows not deleted; the cursor tests it at every move
  std::ptrdiff_t pos_ = 0;    // -1 BOF, rows_.size() EOF
  Mode mode_ = Mode::kNone;
  std::vector<std::optional<Value>> pending_;
  mutable std::optional<std::size_t> lastModified_;
  mutable std::optional<Snapshot> snapshot_;
  std::vector<RowConflict> conflicts_;
};

}  // namespace sq::db
