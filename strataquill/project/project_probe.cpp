#include "strataquill/project/project_probe.h"

#include <algorithm>

#include "strataquill/db/database.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"

namespace sq::project {

ProjectFileState ProbeProjectFile(const std::string& path) {
  auto database = db::Database::open(path);
  if (!database.ok())
    return database.status().code() == db::ErrorCode::kFileNotFound
               ? ProjectFileState::kMissing
               : ProjectFileState::kNotAProject;
  // A database that holds none of the project tables (a layout renamed, an
  // empty file) is not repaired into a project: that would write over a
  // file the user did not mean to change.
  const std::vector<std::string> tables = database->tableNames();
  const bool anyProjectTable = std::any_of(
      projectTables().begin(), projectTables().end(), [&](const db::TableDef& t) {
        return std::find(tables.begin(), tables.end(), t.name) != tables.end();
      });
  if (!anyProjectTable) return ProjectFileState::kNotAProject;
  // Reading a table proves the pages behind the schema are sound enough.
  auto rs = database->openRecordset(boringListSql());
  if (!rs.ok() && rs.status().code() != db::ErrorCode::kNoSuchTable)
    return ProjectFileState::kNotAProject;
  // Saving needs the file and, for the engine's journal, its folder.
  if (!isWritableFile(path)) return ProjectFileState::kReadOnly;
  return ProjectFileState::kProject;
}

std::string ProjectFileRefusal(ProjectFileState state, const std::string& path) {
  std::string text = "The file ";
  text += path;
  switch (state) {
    case ProjectFileState::kMissing:
      return text + " could not be found.";
    case ProjectFileState::kNotAProject:
      return text +
             " is not a Strataquill project, or it is damaged.  It has not been opened or "
             "changed.";
    default:
      return {};
  }
}

}  // namespace sq::project
