#include "strataquill/sharing/project_transfer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace sq::sharing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBoringKey = "BoringName";

// Ends the transaction of `db` as `s` says, and passes `s` on.
db::Status finish(db::Database& db, db::Status s) {
  if (!s.ok()) {
    db.rollback();
    return s;
  }
  return db.commitTransaction();
}

db::Status inTable(const std::string& table, const db::Status& s) {
  return db::Status::error(s.code(), "Table '" + table + "': " + s.message());
}

}  // namespace

db::Result<CopyCount> copyTables(db::Database& from, db::Database& to) {
  CopyCount count;
  for (const std::string& table : from.tableNames()) {
    auto def = from.tableDef(table);
    if (!def.ok()) return inTable(table, def.status());
    if (db::Status s = to.createTable(*def); !s.ok()) return inTable(table, s);
    auto rs = from.openRecordset(table);
    if (!rs.ok()) return inTable(table, rs.status());
    const std::vector<std::string> fields = rs->fieldNames();
    std::vector<std::vector<db::Value>> rows;
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      std::vector<db::Value> values;
      for (const std::string& f : fields) {
        auto v = rs->value(f);
        if (!v.ok()) return inTable(table, v.status());
        values.push_back(std::move(v.value()));
      }
      rows.push_back(std::move(values));
    }
    if (db::Status s = to.appendRows(table, fields, rows); !s.ok()) return inTable(table, s);
    if (def->field(kBoringKey)) {
      db::Status s = to.createIndex(table + " by " + kBoringKey, table, {kBoringKey});
      if (s.ok() && to.isServer()) s = to.watchTable(table, kBoringKey);
      if (!s.ok()) return inTable(table, s);
    }
    ++count.tables;
    count.rows += static_cast<long>(rows.size());
  }
  return count;
}

db::Result<CopyCount> pushProject(const std::string& file, const std::string& address,
                                  bool replace) {
  auto source = db::Database::open(file);
  if (!source.ok()) return source.status();
  auto target = db::Database::connect(address);
  if (!target.ok()) return target.status();
  if (db::Status s = target->beginTransaction(); !s.ok()) return s;
  db::Status s = target->createProject(replace);
  CopyCount count;
  if (s.ok()) {
    auto copied = copyTables(*source, *target);
    if (copied.ok()) count = copied.value();
    s = copied.status();
  }
  if (s = finish(*target, s); !s.ok()) return s;
  return count;
}

db::Result<CopyCount> pullProject(const std::string& address, const std::string& file,
                                  bool overwrite) {
  std::error_code ec;
  if (fs::exists(file, ec) && !overwrite)
    return db::Status::error(db::ErrorCode::kTableExists,
                             "The file " + file + " exists already; it is left as it is.");
  auto source = db::Database::open(address);
  if (!source.ok()) return source.status();
  // Every table as it stood at one moment, however many users are saving.
  if (db::Status s = source->beginTransaction(db::TransactionMode::kReadSnapshot); !s.ok())
    return s;

  // The copy is made beside the file and takes its place only when whole.
  const fs::path target = fs::absolute(file, ec);
  const std::string partial = (target.parent_path() / ("." + target.filename().string() +
                                                       ".partial-" + std::to_string(::getpid())))
                                  .string();
  fs::remove(partial, ec);
  CopyCount count;
  db::Status s;
  {
    auto made = db::Database::create(partial);
    if (!made.ok()) {
      source->rollback();
      return made.status();
    }
    s = made->beginTransaction();
    if (s.ok()) {
      auto copied = copyTables(*source, *made);
      if (copied.ok()) count = copied.value();
      s = finish(*made, copied.status());
    }
  }
  source->rollback();  // it only read
  if (s.ok()) {
    if (overwrite) {
      fs::rename(partial, target, ec);
      if (ec) s = db::Status::error(db::ErrorCode::kGeneric, "Cannot write " + file + ": " + ec.message());
    } else if (::link(partial.c_str(), target.c_str()) != 0) {
      // Someone made the file meanwhile: theirs stays.
      s = db::Status::error(db::ErrorCode::kTableExists,
                            "Cannot write " + file + ": " + std::strerror(errno));
    }
  }
  fs::remove(partial, ec);
  if (!s.ok()) return s;
  return count;
}

}  // namespace sq::sharing
