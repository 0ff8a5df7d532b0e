#include "strataquill/project/borings.h"

#include <algorithm>

#include "strataquill/project/project_schema.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::project {
namespace {

// Runs `body` inside a transaction of `database`; commits when it succeeds
// and rolls back otherwise.
template <class Body>
db::Status inTransaction(db::Database& database, Body&& body) {
  if (db::Status s = database.beginTransaction(); !s.ok()) return s;
  if (db::Status s = body(); !s.ok()) {
    database.rollback();
    return s;
  }
  return database.commitTransaction();
}

db::Status copyTable(db::Database& database, const std::string& source, const std::string& target,
                     int whichTable) {
  auto from = database.openRecordset(GetSQL(source, whichTable));
  if (!from.ok()) return from.status();
  // The target's own query is an updatable set over the same table that
  // holds no rows yet, so appending does not read the whole table.
  auto to = database.openRecordset(GetSQL(target, whichTable));
  if (!to.ok()) return to.status();
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
    if (db::Status s = to->addNew(); !s.ok()) return s;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const db::Value v = fields[i] == "BoringName" ? db::Value::text(target) : values[i];
      if (db::Status s = to->setField(fields[i], v); !s.ok()) return s;
    }
    if (db::Status s = to->update(); !s.ok()) return s;
  }
  return {};
}

// Characters, not bytes: "Ø1" is a name of two characters.
std::size_t characterCount(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

}  // namespace

db::Result<std::vector<std::string>> ReadBoringList(const db::Database& database) {
  auto rs = database.openRecordset(boringListSql());
  if (!rs.ok()) return rs.status();
  std::vector<std::string> names;
  for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
    std::string name = rs->text("BoringName");
    if (name.find_last_not_of(' ') != std::string::npos) names.push_back(std::move(name));
  }
  return names;
}

bool BoringExists(const std::vector<std::string>& list, std::string_view name) {
  return name.empty() || std::find(list.begin(), list.end(), name) != list.end();
}

bool IsUsableBoringName(std::string_view name) {
  return IsPrintableBoringName(name) && name.find_first_not_of(' ') != std::string_view::npos;
}

bool IsPrintableBoringName(std::string_view name) {
  return characterCount(name) >= 2;
}

db::Status CreateBoringRow(db::Database& database, const std::string& name) {
  auto rs = database.openRecordset(GetSQL(name, kBoringTable));
  if (!rs.ok()) return rs.status();
  db::Status s = rs->addNew();
  if (s.ok()) s = rs->setField("BoringName", db::Value::text(name));
  if (s.ok()) s = rs->update();
  if (!s.ok()) rs->cancelUpdate();
  return s;
}

db::Status CopyBoringTables(db::Database& database, const std::string& source,
                            const std::string& target, const CopyWhat& what) {
  BusyCursor busy;
  return inTransaction(database, [&] {
    const std::pair<bool, int> order[] = {{what.boringInfo, kBoringTable},
                                          {what.completion, kCompletionTable},
                                          {what.lithology, kLithologyTable},
                                          {what.samples, kSampleTable}};
    for (auto [ticked, table] : order)
      if (ticked)
        if (db::Status s = copyTable(database, source, target, table); !s.ok()) return s;
    return db::Status();
  });
}

db::Status DeleteBoringRows(db::Database& database, const std::string& name,
                            std::vector<std::string>* openBy) {
  return inTransaction(database, [&] {
    // No one may open it while it goes, and no one may have it open.
    auto users = database.claim(name);
    if (!users.ok()) return users.status();
    if (!users->empty()) {
      if (openBy) *openBy = users.value();
      return db::Status::error(db::ErrorCode::kLocked, OpenByOthersText(name, users.value()));
    }
    for (int table : {kLithologyTable, kSampleTable, kCompletionTable, kBoringTable}) {
      auto rs = database.openRecordset(GetSQL(name, table));
      if (!rs.ok()) return rs.status();
      for (rs->moveFirst(); !rs->eof(); rs->moveNext())
        if (db::Status s = rs->deleteRecord(); !s.ok()) return s;
    }
    return db::Status();
  });
}

std::string OpenByOthersText(const std::string& name, const std::vector<std::string>& users) {
  std::string who;
  for (std::size_t i = 0; i < users.size(); ++i)
    who += (i == 0 ? "" : i + 1 == users.size() ? " and " : ", ") + users[i];
  return "The boring " + name + " cannot be removed: " + who +
         (users.size() == 1 ? " has" : " have") + " it open.";
}

}  // namespace sq::project
