#include "strataquill/project/project_file.h"

#include "strataquill/db/database.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/resume_next.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::project {
namespace {

void fillSampleLabels(const std::string& path) {
  // A template without the label table gains it first, so the labels are
  // filled whatever template the installation carries.
  CheckFileFormat(path);
  auto database = db::Database::open(path);
  if (!database.ok()) return;
  auto labels = database->openRecordset("Sample User Label");
  if (!labels.ok()) return;
  ResumeNext resume;
  if (labels->recordCount() == 0) {
    resume([&] { return labels->addNew(); });
    resume([&] { return labels->update(); });
  }
  labels->moveFirst();
  resume([&] { return labels->edit(); });
  for (int n = 1; n <= 10; ++n) {
    const std::string number = std::to_string(n);
    resume([&] {
      return labels->setField("UserLabel" + number,
                              db::Value::text(GetSetting("Samples", "User" + number, "Undefined")));
    });
  }
  resume([&] { return labels->update(); });
}

}  // namespace

bool CreateNewProjectFile(const std::string& target) {
  if (!copyTemplateAsking(programFolder() + "File.tpl", target)) return false;
  BusyCursor busy;
  fillSampleLabels(target);
  return true;
}

}  // namespace sq::project
