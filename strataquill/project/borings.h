#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "strataquill/db/database.h"

namespace sq::project {

// The borings of a project in the selector's order: the BoringName values of
// "Boring Information" in ascending name order, without names that are empty
// once trailing blanks are removed.
db::Result<std::vector<std::string>> ReadBoringList(const db::Database& database);

// Whether `name` equals one of `list` exactly (case and blanks count). The
// empty name counts as existing, so nothing is ever copied to it.
bool BoringExists(const std::vector<std::string>& list, std::string_view name);

// Whether `name` can name a new boring: at least two characters, and not
// blanks only (such a name would never be listed).
bool IsUsableBoringName(std::string_view name);
// Whether a boring of this name can be printed: at least two characters.
bool IsPrintableBoringName(std::string_view name);

// Appends a "Boring Information" row whose BoringName is `name` and whose
// other fields are empty.
db::Status CreateBoringRow(db::Database& database, const std::string& name);

// What Copy Boring copies; the tables are copied in the order Boring Info.,
// Completion, Lithology, Samples.
struct CopyWhat {
  bool boringInfo = false;
  bool lithology = false;
  bool samples = false;
  bool completion = false;
};

// Copies the rows of `source` in the ticked tables to new rows named
// `target`, in ascending From, then To, with every other field as it is.
// All tables are copied in one transaction: on failure nothing is written.
db::Status CopyBoringTables(db::Database& database, const std::string& source,
                            const std::string& target, const CopyWhat& what);

// Deletes every row of `name` from the lithology, sample, completion and
// boring tables, in that order, in one transaction. On a server project a
// boring that other users have open is not deleted: the status is kLocked
// and `openBy` gets their names.
db::Status DeleteBoringRows(db::Database& database, const std::string& name,
                            std::vector<std::string>* openBy = nullptr);

// "The boring <name> cannot be removed: ana and ben have it open."
std::string OpenByOthersText(const std::string& name, const std::vector<std::string>& users);

}  // namespace sq::project
