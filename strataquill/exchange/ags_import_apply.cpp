// The summary of an import plan, and writing the plan into a project.

#include <algorithm>
#include <optional>

#include "strataquill/db/value.h"
#include "strataquill/exchange/ags_codes.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/project/project_schema.h"

namespace sq::exchange {
namespace {

std::string names(const std::vector<const ImportedBoring*>& borings) {
  std::string out;
  for (const ImportedBoring* b : borings) out += (out.empty() ? "" : ", ") + b->name;
  return out;
}

std::string count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

// Deletes every row of `boring` from the four per-boring tables.
db::Status deleteBoring(db::Database& database, const std::string& boring) {
  for (int table : {project::kLithologyTable, project::kSampleTable, project::kCompletionTable,
                    project::kBoringTable}) {
    auto rs = database.openRecordset(project::GetSQL(boring, table));
    if (!rs.ok()) return rs.status();
    for (rs->moveFirst(); !rs->eof(); rs->moveNext())
      if (db::Status s = rs->deleteRecord(); !s.ok()) return s;
  }
  return {};
}

// Appends one row: the boring's name, the depths of an interval (when
// given) and the fields that have a value (pairs of name and text).
template <class Fields>
db::Status writeRow(db::Recordset& rs, const std::string& boring, const Fields& fields,
                    const ImportedInterval* interval) {
  if (db::Status s = rs.addNew(); !s.ok()) return s;
  if (db::Status s = rs.setField("BoringName", db::Value::text(boring)); !s.ok()) return s;
  if (interval) {
    if (db::Status s = rs.setField("From", db::Value::single(interval->from)); !s.ok()) return s;
    if (db::Status s = rs.setField("To", db::Value::single(interval->to)); !s.ok()) return s;
  }
  for (const auto& [field, value] : fields) {
    if (value.empty()) continue;
    if (db::Status s = rs.setField(field, db::Value::text(value)); !s.ok()) {
      rs.cancelUpdate();
      return db::Status::error(s.code(), std::string(field) + ": " + s.message());
    }
  }
  return rs.update();
}

// Appends rows to the four per-boring tables. A record set keeps the rows
// added through it, so each is opened again after a while: memory stays
// bounded however large the import, and opening costs little per row.
class RowWriter {
 public:
  explicit RowWriter(db::Database& database) : database_(database) {}

  template <class Fields>
  db::Status add(int table, const std::string& boring, const Fields& fields,
                 const ImportedInterval* interval) {
    Slot& slot = slots_[table];
    if (!slot.rs || slot.rows == kRowsPerSet) {
      slot.rs.reset();
      // A set of the table that starts empty: the rows of a boring named "".
      auto rs = database_.openRecordset(project::GetSQL("", table));
      if (!rs.ok()) return rs.status();
      slot.rs.emplace(std::move(rs.value()));
      slot.rows = 0;
    }
    ++slot.rows;
    return writeRow(*slot.rs, boring, fields, interval);
  }

 private:
  static constexpr int kRowsPerSet = 2000;
  struct Slot {
    std::optional<db::Recordset> rs;
    int rows = 0;
  };
  db::Database& database_;
  std::map<int, Slot> slots_;
};

// Fills the empty fields of the first row of `table` (adding the row when
// the table has none) from `values`.
db::Status fillFirstRow(db::Database& database, const std::string& table,
                        const std::map<std::string, std::string>& values,
                        const std::string& emptyText) {
  if (values.empty()) return {};
  auto rs = database.openRecordset(table);
  if (!rs.ok()) return rs.status();
  const bool fresh = rs->eof();
  if (db::Status s = fresh ? rs->addNew() : (rs->moveFirst(), rs->edit()); !s.ok()) return s;
  for (const auto& [field, value] : values) {
    const std::string current = fresh ? std::string() : rs->text(field);
    if (!blank(current) && current != emptyText) continue;
    if (db::Status s = rs->setField(field, db::Value::text(value)); !s.ok()) {
      rs->cancelUpdate();
      return db::Status::error(s.code(), field + ": " + s.message());
    }
  }
  return rs->update();
}

db::Status writePlan(db::Database& database, const AgsImportPlan& plan,
                     const AgsImportChoices& choices) {
  RowWriter writer(database);
  for (const ImportedBoring& b : plan.borings) {
    if (b.exists) {
      if (!choices.replaceExisting) continue;
      if (db::Status s = deleteBoring(database, b.name); !s.ok()) return s;
    }
    if (db::Status s = writer.add(project::kBoringTable, b.name, b.fields, nullptr); !s.ok())
      return s;
    for (const auto& [table, rows] : {std::pair{project::kLithologyTable, &b.lithology},
                                      std::pair{project::kSampleTable, &b.samples},
                                      std::pair{project::kCompletionTable, &b.completion}})
      for (const ImportedInterval& row : *rows)
        if (db::Status s = writer.add(table, b.name, row.fields, &row); !s.ok()) return s;
  }
  if (db::Status s = fillFirstRow(database, "Project Information", plan.project, ""); !s.ok())
    return s;
  std::map<std::string, std::string> labels;
  for (const auto& [column, label] : plan.sampleLabels)
    labels["UserLabel" + std::to_string(column)] = label;
  return fillFirstRow(database, "Sample User Label", labels, "Undefined");
}

}  // namespace

std::string importSummary(const AgsImportPlan& plan, bool replaceExisting, std::size_t maxIssues) {
  std::string out;
  if (plan.refused()) {
    out += "The file cannot be imported. " + plan.refusal + "\n";
  } else {
    out += "AGS file" + (plan.edition.empty() ? std::string() : " of edition " + plan.edition) +
           ", depths in " + projectUnitFor(plan.depthUnit) + " (" + plan.depthUnit + ").\n";
    std::vector<const ImportedBoring*> fresh, existing;
    for (const ImportedBoring& b : plan.borings) (b.exists ? existing : fresh).push_back(&b);
    out += "Borings to import: " + std::to_string(fresh.size()) +
           (fresh.empty() ? "" : " (" + names(fresh) + ")") + ".\n";
    if (!existing.empty())
      out += (replaceExisting ? "Borings that replace the project's own: "
                              : "Borings the project already has, left as they are: ") +
             names(existing) + ".\n";
    std::size_t lithology = 0, samples = 0, blows = 0, completion = 0;
    for (const ImportedBoring& b : plan.borings) {
      if (b.exists && !replaceExisting) continue;
      lithology += b.lithology.size();
      samples += b.samples.size();
      completion += b.completion.size();
      for (const ImportedInterval& s : b.samples)
        if (!s.field("BlowCounts").empty()) ++blows;
    }
    out += "Lithology intervals: " + std::to_string(lithology) +
           ". Samples: " + std::to_string(samples) + " (" + std::to_string(blows) +
           " with blow counts). Completion intervals: " + std::to_string(completion) + ".\n";
    if (!plan.project.empty())
      out += "Project information: " + count(plan.project.size(), "field", "fields") +
             ", filled in where the project's are empty.\n";
    if (!plan.sampleLabels.empty())
      out += "Sample column labels: " + std::to_string(plan.sampleLabels.size()) +
             ", set where the project's are undefined.\n";
  }
  if (!plan.skipped.empty()) {
    out += "Skipped groups:\n";
    for (const SkippedGroup& s : plan.skipped)
      out += "  " + s.group + " (" + count(static_cast<std::size_t>(s.rows), "row", "rows") +
             "): " + s.reason + ".\n";
  }
  if (!plan.notes.empty()) {
    out += "Notes:\n";
    for (const std::string& n : plan.notes) out += "  " + n + "\n";
  }
  if (plan.issues.empty()) {
    out += "Check: the file keeps the AGS4 rules.\n";
  } else {
    out += "Check: " + count(plan.issues.size(), "breach", "breaches") + " of the AGS4 rules" +
           (plan.refused() ? "" : " (the import can go on)") + ":\n";
    for (std::size_t k = 0; k < plan.issues.size() && k < maxIssues; ++k)
      out += "  " + formatIssue(plan.issues[k]) + "\n";
    if (plan.issues.size() > maxIssues)
      out += "  ... and " + std::to_string(plan.issues.size() - maxIssues) +
             " more (strataquill-ags check lists them all).\n";
  }
  return out;
}

db::Status applyAgsImport(db::Database& project, const AgsImportPlan& plan,
                          const AgsImportChoices& choices) {
  if (plan.refused()) return db::Status::error(db::ErrorCode::kGeneric, plan.refusal);
  if (db::Status s = project.beginTransaction(); !s.ok()) return s;
  db::Status s = writePlan(project, plan, choices);
  if (!s.ok()) {
    project.rollback();
    return s;
  }
  s = project.commitTransaction();
  if (!s.ok()) project.rollback();
  return s;
}

}  // namespace sq::exchange
