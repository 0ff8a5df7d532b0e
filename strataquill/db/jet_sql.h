#pragma once

#include <string>
#include <string_view>

#include "strataquill/db/field_def.h"
#include "strataquill/db/status.h"

namespace sq::db {

// A statement of the desktop SQL dialect that project, layout and
// classification files are queried with, rewritten for SQLite:
//  - [bracketed names] and names that are reserved words elsewhere
//    (`Text.Text`, `[Lithology Information].From`) become quoted identifiers;
//  - "double-quoted" texts are string literals ("" inside stands for ");
//  - text in ORDER BY sorts without regard to case; text equality stays exact;
//  - True is -1, DELETE * FROM is DELETE FROM, a trailing ";" is dropped.
struct SqlStatement {
  enum class Kind { kSelect, kCreateTable, kOther };

  Kind kind = Kind::kOther;
  std::string sqlite;          // the statement in SQLite's dialect
  std::string updatableTable;  // for a SELECT over one table without
                               // aggregates: that table; else empty
  TableDef createTable;        // for CREATE TABLE: the definition
};

// Name of the hidden column that carries each row's identity in the SQLite
// text of an updatable SELECT.
inline constexpr std::string_view kRowIdColumn = "__rowid__";

// Name of the collation that sorts text case-insensitively.
inline constexpr std::string_view kTextCollation = "JETTEXT";

Result<SqlStatement> translateJetSql(std::string_view jet);

// Quotes `name` as an SQLite identifier ("a""b").
std::string quoteIdentifier(std::string_view name);

// Writes `text` as a string literal of the desktop dialect: between double
// quotes, with every double quote doubled. Whatever `text` holds, the result
// is read back as exactly `text`.
std::string jetStringLiteral(std::string_view text);

}  // namespace sq::db
