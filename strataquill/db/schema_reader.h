#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "strataquill/db/connection.h"
#include "strataquill/db/field_def.h"

namespace sq::db {

// Holds the zero-length switch of every Text and Memo field; hidden from
// table enumeration.
inline constexpr const char* kPropertyTable = "__dao_field_properties";

// The spelling under which the file stores a user table whose name matches
// `name` without regard to case, as the engine looks names up; nothing when
// there is no such table.
std::optional<std::string> storedTableName(const Connection& conn, std::string_view name);

// The fields of a stored table in column order, with type codes and sizes
// from their declared types and the zero-length switch from the property
// table (off for fields it does not list, as in files made by other tools).
TableDef readTableDef(const Connection& conn, const std::string& storedName);

}  // namespace sq::db
