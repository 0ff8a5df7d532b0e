#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/field_def.h"

namespace sq::db {
class Database;
}

namespace sq::project {

// Table numbers of the per-boring queries.
inline constexpr int kLithologyTable = 1;
inline constexpr int kBoringTable = 2;
inline constexpr int kSampleTable = 3;
inline constexpr int kCompletionTable = 5;

// The six tables of a project file, in the order the structure check visits
// them, with their fields in order.
const std::vector<db::TableDef>& projectTables();

// Checks and repairs a project file in place: adds missing tables and fields
// (in the listed order) and lets every Text and Memo field hold an empty
// string, and indexes BoringName in the four per-boring tables (on a
// server project, whose changes are also reported to other users). Never
// removes, renames or retypes anything and changes no data. Each step that
// fails is skipped.
void CheckFileFormat(const std::string& CurrentFile);
void CheckFileFormat(db::Database& database);

// The statement that reads one boring's rows of table `whichTable` (1
// lithology, 2 boring information, 3 samples, 5 completion), in ascending
// From, then To; "" for any other number. The name is placed between double
// quotes with any double quote in it doubled, so every name selects exactly
// its own rows.
std::string GetSQL(std::string_view Boring, int whichTable);

// The statement that lists the borings in name order.
std::string boringListSql();

// The statement that finds the deepest From or To (`field`) of one boring
// in `table` ("Lithology Information" and so on): its one row holds the
// result in "Max Of From" or "Max Of To".
std::string maxDepthSql(std::string_view table, std::string_view field, std::string_view Boring);

}  // namespace sq::project
