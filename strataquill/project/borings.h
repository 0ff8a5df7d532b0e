#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sq::project {

// The borings of a project file in the selector's order: the BoringName
// values of "Boring Information" in ascending name order, without names
// that are empty once trailing blanks are removed. Empty when the file
// cannot be read.
std::vector<std::string> ReadBoringList(const std::string& projectPath);

// Whether `name` equals one of `list` exactly (case and blanks count). The
// empty name counts as existing, so nothing is ever copied to it.
bool BoringExists(const std::vector<std::string>& list, std::string_view name);

// Appends a "Boring Information" row whose BoringName is `name` and whose
// other fields are empty. A name already in use gives a second row.
bool CreateBoringRow(const std::string& projectPath, const std::string& name);

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
bool CopyBoringTables(const std::string& projectPath, const std::string& source,
                      const std::string& target, const CopyWhat& what);

// Deletes every row of `name` from the lithology, sample, completion and
// boring tables, in that order, in one transaction.
bool DeleteBoringRows(const std::string& projectPath, const std::string& name);

}  // namespace sq::project
