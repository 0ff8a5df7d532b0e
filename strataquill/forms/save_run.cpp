#include "strataquill/forms/save_run.h"

#include "strataquill/db/database.h"
#include "strataquill/forms/field_binding.h"
#include "strataquill/widgets/recordset_model.h"

namespace sq::forms {

void SaveRun::add(widgets::RecordsetModel& model, std::string name) {
  grids_.push_back({&model, std::move(name)});
}

void SaveRun::add(FieldBinding& fields, std::string name) {
  forms_.push_back({&fields, std::move(name)});
}

SaveRun::Outcome SaveRun::run() {
  Outcome out;
  auto failed = [&](const std::string& error, db::ErrorCode code) {
    out.written = false;
    if (out.error.empty()) {
      out.error = error;
      out.code = code;
    }
  };
  // Without a transaction (no database) each grid still says what it could
  // not write.
  if (database_) {
    if (db::Status s = database_->beginTransaction(); !s.ok()) {
      failed(s.message(), s.code());
      out.keptNothing = true;
      return out;
    }
  }
  for (const Grid& g : grids_) {
    const widgets::RecordsetModel::SaveReport report = g.model->submitAll();
    if (!report.ok()) failed(report.error, report.code);
  }
  for (const Form& f : forms_) {
    std::string error;
    if (!f.fields->save(error)) failed(error, f.fields->lastError());
  }
  if (!database_) return out;
  // A lost connection took the transaction with it; a commit that fails
  // ends it without its writes.
  db::Status s = out.code == db::ErrorCode::kConnectionLost ? db::Status::error(out.code, out.error)
                                                            : database_->commitTransaction();
  if (!s.ok()) {
    database_->rollback();
    for (const Grid& g : grids_) g.model->revertSubmit();
    for (const Form& f : forms_) f.fields->revertSave();
    out.written = false;
    out.keptNothing = true;
    out.error = s.message();
    out.code = s.code();
  }
  return out;
}

std::vector<ConflictRow> SaveRun::conflicts() {
  std::vector<ConflictRow> rows;
  for (const Grid& g : grids_) {
    widgets::RecordsetModel* model = g.model;
    std::vector<int> shown;
    for (int c = 0; c < model->columnCount(); ++c)
      if (!model->columns()[c].hidden) shown.push_back(c);
    auto pick = [&](const std::optional<std::vector<QString>>& cells) {
      std::optional<std::vector<QString>> out;
      if (!cells) return out;
      out.emplace();
      for (int c : shown) out->push_back((*cells)[c]);
      return out;
    };
    for (const widgets::RecordsetModel::Conflict& c : model->conflicts()) {
      ConflictRow row;
      row.where =
          g.name + (c.row >= 0 ? ", row " + std::to_string(c.row + 1) : ", a row you removed");
      for (int column : shown) row.headings.push_back(model->columns()[column].heading);
      row.mine = pick(c.mine);
      row.theirs = pick(c.theirs);
      const std::size_t position = c.position;
      row.resolve = [model, position](bool keepMine) {
        return model->resolve(position, keepMine
                                            ? widgets::RecordsetModel::Resolution::kKeepMine
                                            : widgets::RecordsetModel::Resolution::kTakeTheirs);
      };
      rows.push_back(std::move(row));
    }
  }
  for (const Form& f : forms_) {
    const std::optional<FieldBinding::Conflict>& c = f.fields->conflict();
    if (!c) continue;
    ConflictRow row;
    row.where = f.name;
    // A form has many fields: the ones that differ tell the story.
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < c->fields.size(); ++i)
      if (c->theirs ? (*c->theirs)[i] != c->mine[i] : !c->mine[i].isEmpty()) shown.push_back(i);
    if (shown.empty())
      for (std::size_t i = 0; i < c->fields.size(); ++i) shown.push_back(i);
    row.mine.emplace();
    if (c->theirs) row.theirs.emplace();
    for (std::size_t i : shown) {
      row.headings.push_back(QString::fromStdString(c->fields[i]));
      row.mine->push_back(c->mine[i]);
      if (c->theirs) row.theirs->push_back((*c->theirs)[i]);
    }
    FieldBinding* fields = f.fields;
    row.resolve = [fields](bool keepMine) { return fields->resolve(keepMine); };
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace sq::forms
