#include "strataquill/project/borings.h"

#include <algorithm>

#include "strataquill/db/database.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::project {
namespace {

// Runs `body` inside a transaction of `database`; commits when it succeeds
// and rolls back otherwise.
template <class Body>
bool inTransaction(db::Database& database, Body&& body) {
  if (!database.beginTransaction().ok()) return false;
  if (!body()) {
    database.rollback();
    return false;
  }
  return database.commitTransaction().ok();
}

bool copyTable(db::Database& database, const std::string& source, const std::string& target,
               int whichTable) {
  auto from = database.openRecordset(GetSQL(source, whichTable));
  if (!from.ok()) return false;
  // The target's own query is an updatable set over the same table that
  // holds no rows yet, so appending does not read the whole table.
  auto to = database.openRecordset(GetSQL(target, whichTable));
  if (!to.ok()) return false;
  const std::vector<std::string> fields = from->fieldNames();
  std::vector<std::vector<db::Value>> rows;
  for (from->moveFirst(); !from->eof(); from->moveNext()) {
    std::vector<db::Value> values;
    for (const std::string& f : fields) {
      auto v = from->value(f);
      values.push_back(v.ok() ? v.value() : db::Value());
    }
    rows.push_back(std::move(values));
  }
  for (const auto& values : rows) {
    if (!to->addNew().ok()) return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const db::Value v = fields[i] == "BoringName" ? db::Value::text(target) : values[i];
      if (!to->setField(fields[i], v).ok()) return false;
    }
    if (!to->update().ok()) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> ReadBoringList(const std::string& projectPath) {
  std::vector<std::string> names;
  auto database = db::Database::open(projectPath);
  if (!database.ok()) return names;
  auto rs = database->openRecordset(boringListSql());
  if (!rs.ok()) return names;
  for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
    std::string name = rs->text("BoringName");
    const auto last = name.find_last_not_of(' ');
    if (last != std::string::npos) names.push_back(std::move(name));
  }
  return names;
}

bool BoringExists(const std::vector<std::string>& list, std::string_view name) {
  return name.empty() || std::find(list.begin(), list.end(), name) != list.end();
}

bool CreateBoringRow(const std::string& projectPath, const std::string& name) {
  auto database = db::Database::open(projectPath);
  if (!database.ok()) return false;
  auto rs = database->openRecordset(GetSQL(name, kBoringTable));
  if (!rs.ok()) return false;
  return rs->addNew().ok() && rs->setField("BoringName", db::Value::text(name)).ok() &&
         rs->update().ok();
}

bool CopyBoringTables(const std::string& projectPath, const std::string& source,
                      const std::string& target, const CopyWhat& what) {
  BusyCursor busy;
  auto database = db::Database::open(projectPath);
  if (!database.ok()) return false;
  return inTransaction(*database, [&] {
    const std::pair<bool, int> order[] = {{what.boringInfo, kBoringTable},
                                          {what.completion, kCompletionTable},
                                          {what.lithology, kLithologyTable},
                                          {what.samples, kSampleTable}};
    for (auto [ticked, table] : order)
      if (ticked && !copyTable(*database, source, target, table)) return false;
    return true;
  });
}

bool DeleteBoringRows(const std::string& projectPath, const std::string& name) {
  auto database = db::Database::open(projectPath);
  if (!database.ok()) return false;
  return inTransaction(*database, [&] {
    for (int table : {kLithologyTable, kSampleTable, kCompletionTable, kBoringTable}) {
      auto rs = database->openRecordset(GetSQL(name, table));
      if (!rs.ok()) return false;
      for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        if (!rs->deleteRecord().ok()) return false;
    }
    return true;
  });
}

}  // namespace sq::project
