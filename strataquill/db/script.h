#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/database.h"

namespace sq::db {

// Splits a script of the desktop SQL dialect into statements at every ";"
// outside quotes and brackets. Lines whose first non-blank characters are
// "--" are comments.
std::vector<std::string> splitStatements(std::string_view script);

// Runs every statement of `script` on `database`; stops at the first
// failure, whose message names the statement.
Status runScript(Database& database, std::string_view script);

}  // namespace sq::db
