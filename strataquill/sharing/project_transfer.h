#pragma once

#include <string>
#include <vector>

#include "strataquill/db/database.h"

namespace sq::sharing {

// What a copy moved.
struct CopyCount {
  int tables = 0;
  long rows = 0;
};

// Copies every table of `from` (its fields with their types, sizes and
// zero-length switches, and its rows in order) into `to`, which holds none
// of them; tables with a BoringName field get their lookup index there. Runs
// inside whatever transactions the caller holds open.
db::Result<CopyCount> copyTables(db::Database& from, db::Database& to);

// Copies the project file `file` into a new project at the server `address`,
// in one transaction: all of it or nothing. An existing project is refused
// unless `replace`, which drops it in the same transaction.
db::Result<CopyCount> pushProject(const std::string& file, const std::string& address,
                                  bool replace);

// Copies the server project at `address`, as it stood at one moment, into the
// project file `file`. The file appears whole or not at all; an existing one
// is refused unless `overwrite`.
db::Result<CopyCount> pullProject(const std::string& address, const std::string& file,
                                  bool overwrite);

}  // namespace sq::sharing
