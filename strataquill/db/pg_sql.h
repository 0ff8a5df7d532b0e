#pragma once

// Internal to db/: statements of the desktop SQL dialect rewritten for
// PostgreSQL.

#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/db/status.h"
#include "strataquill/db/value.h"

namespace sq::db {

// Hidden columns of every table that a server project's record sets write
// to: the row's identity, and in query results the row's version.
inline constexpr std::string_view kPgRowIdColumn = "__rowid__";
inline constexpr std::string_view kPgVersionColumn = "__version__";

// What the translation needs to know of the project's tables.
struct PgTable {
  TableDef def;         // stored spellings, types
  bool hasRowId = false;
};

struct PgStatement {
  SqlStatement::Kind kind = SqlStatement::Kind::kOther;
  std::string sql;
  std::vector<Value> params;   // bound as $1, $2, ...
  std::string updatableTable;  // stored spelling; "" when read-only
  TableDef createTable;
};

// Rewrites `jet` for PostgreSQL:
//  - names are quoted identifiers in their stored spelling (the dialect
//    finds names without regard to case; the server would not);
//  - every text literal is a bound parameter, never part of the statement;
//  - text in ORDER BY sorts without regard to case, exactly as in a project
//    file, whatever the server's locale; empty fields (null) sort first;
//  - an updatable SELECT also reads each row's identity and version;
//  - True is -1, & joins texts, LEN/UCASE/LCASE/MOD are the standard names.
Result<PgStatement> translateJetSqlForPostgres(std::string_view jet,
                                               const std::vector<PgTable>& tables);

// The expression by which the text `expression` sorts: case folded
// character by character as compareTextForSorting() folds, compared by code
// point.
std::string pgSortKey(const std::string& expression);

}  // namespace sq::db
