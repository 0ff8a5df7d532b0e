#include "strataquill/project/sample_labels.h"

#include "strataquill/db/database.h"
#include "strataquill/shell/settings_store.h"

namespace sq::project {
namespace {

std::string labelField(int index) {
  return "UserLabel" + std::to_string(index + 1);
}

}  // namespace

std::optional<SampleLabels> ReadProjectLabels(const std::string& projectPath) {
  auto database = db::Database::open(projectPath);
  if (!database.ok()) return std::nullopt;
  return ReadProjectLabels(database.value());
}

std::optional<SampleLabels> ReadProjectLabels(const db::Database& database) {
  auto rs = database.openRecordset("Sample User Label");
  if (!rs.ok() || rs->recordCount() == 0) return std::nullopt;
  rs->moveFirst();
  SampleLabels labels;
  for (int i = 0; i < 10; ++i) labels[i] = rs->text(labelField(i));
  return labels;
}

bool WriteProjectLabels(const std::string& projectPath, SampleLabels labels) {
  auto database = db::Database::open(projectPath);
  return database.ok() && WriteProjectLabels(database.value(), std::move(labels));
}

bool WriteProjectLabels(db::Database& database, SampleLabels labels) {
  auto rs = database.openRecordset("Sample User Label");
  if (!rs.ok()) return false;
  if (rs->recordCount() == 0) {
    if (!rs->addNew().ok()) return false;
  } else {
    rs->moveFirst();
    if (!rs->edit().ok()) return false;
  }
  for (int i = 0; i < 10; ++i) {
    if (labels[i].empty()) labels[i] = kUndefinedLabel;
    if (!rs->setField(labelField(i), db::Value::text(labels[i])).ok()) return false;
  }
  return rs->update().ok();
}

SampleLabels DefaultLabels() {
  SampleLabels labels;
  for (int i = 0; i < 10; ++i)
    labels[i] = GetSetting("Samples", "User" + std::to_string(i + 1), kUndefinedLabel);
  return labels;
}

bool SaveDefaultLabels(const SampleLabels& labels) {
  bool ok = true;
  for (int i = 0; i < 10; ++i)
    ok = SaveSetting("Samples", "User" + std::to_string(i + 1), labels[i]) && ok;
  return ok;
}

SampleLabels SampleHeadings(const db::Database& database) {
  if (auto labels = ReadProjectLabels(database)) return *labels;
  SampleLabels undefined;
  undefined.fill(kUndefinedLabel);
  return undefined;
}

}  // namespace sq::project
