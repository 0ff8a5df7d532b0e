#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "strataquill/db/status.h"

namespace sq::db {
class Database;
}
namespace sq::widgets {
class RecordsetModel;
}

namespace sq::forms {

class FieldBinding;

// A row that a save did not write because another user changed or removed
// it after it was read, as the conflict dialog shows it.
struct ConflictRow {
  std::string where;  // "Lithology, row 3"
  std::vector<QString> headings;
  std::optional<std::vector<QString>> mine;    // nothing: removed here
  std::optional<std::vector<QString>> theirs;  // nothing: the other user removed it
  // Settles it: true keeps mine (the next save writes it), false takes theirs.
  std::function<db::Status(bool keepMine)> resolve;
};

// One save of a window's bound grids and forms, in one transaction of the
// project's database. When the transaction is not kept as a whole (a lost
// connection, a commit the database refused) nothing of it is written and
// every edit stays pending in the window. Otherwise the rows that could not
// be written (refused by the database, or changed meanwhile by another
// user) stay pending and everything else is kept.
class SaveRun {
 public:
  explicit SaveRun(db::Database* database) : database_(database) {}
  SaveRun(const SaveRun&) = delete;
  SaveRun& operator=(const SaveRun&) = delete;

  // `name` is what messages call the grid or the form ("Lithology").
  void add(widgets::RecordsetModel& model, std::string name);
  void add(FieldBinding& fields, std::string name);

  struct Outcome {
    bool written = true;       // every edit reached the database
    bool keptNothing = false;  // the transaction was not kept
    std::string error;         // the first failure's reason
    db::ErrorCode code = db::ErrorCode::kNone;
  };
  Outcome run();
  // The rows of the last run that others changed meanwhile.
  std::vector<ConflictRow> conflicts();

 private:
  struct Grid {
    widgets::RecordsetModel* model;
    std::string name;
  };
  struct Form {
    FieldBinding* fields;
    std::string name;
  };

  db::Database* database_;
  std::vector<Grid> grids_;
  std::vector<Form> forms_;
};

}  // namespace sq::forms
