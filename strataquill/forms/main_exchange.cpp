// The main window's exchange commands: File > Export > AGS4 and File >
// Import > AGS4, on the project session's connection.

#include <unistd.h>

#include <QAction>
#include <QMenu>

#include <filesystem>
#include <optional>

#include "strataquill/exchange/ags_export.h"
#include "strataquill/exchange/ags_import.h"
#include "strataquill/exchange/exchange_settings.h"
#include "strataquill/forms/ags_dialogs.h"
#include "strataquill/forms/frm_file.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/project/file_rules.h"
#include "strataquill/project/project_file.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/start_folder.h"
#include "strataquill/shell/user_prompts.h"

namespace sq::forms {
namespace {

namespace fs = std::filesystem;
using namespace exchange;

const char* const kImportTitle = "Import AGS4";
const char* const kCannotImport = "Can't Import";

void tell(const std::string& text, const char* title, MessageIcon icon = MessageIcon::kNone) {
  prompts().message(text, title, MessageButtons::kOk, icon);
}

// The message after an export: what the file holds, and what it could not
// carry as the project has it.
std::string exportReport(const AgsExportResult& result, const std::string& path) {
  if (!result.status.ok()) return "The AGS4 file was not written.  " + result.status.message();
  std::string text = "Wrote " + path + ": " + exportCounts(result) + ".";
  if (!result.warnings.empty()) {
    constexpr std::size_t kShown = 12;
    text += "\n\nWhat the file could not carry as the project has it:";
    for (std::size_t i = 0; i < result.warnings.size() && i < kShown; ++i)
      text += "\n- " + result.warnings[i];
    if (result.warnings.size() > kShown)
      text += "\n- ... and " + std::to_string(result.warnings.size() - kShown) + " more.";
  }
  if (!result.issues.empty())
    text += "\n\nThe written file breaks the AGS4 rules (" + formatIssue(result.issues.front()) +
            (result.issues.size() > 1 ? ", and more" : "") +
            "): a fault of this program; please report it.";
  return text;
}

// The first boring the import writes, to be shown when it is done.
std::string firstImported(const AgsImportPlan& plan, const AgsImportChoices& choices) {
  for (const ImportedBoring& b : plan.borings)
    if (!b.exists || choices.replaceExisting) return b.name;
  return {};
}

int importedCount(const AgsImportPlan& plan, const AgsImportChoices& choices) {
  return plan.newBorings() + (choices.replaceExisting ? plan.existingBorings() : 0);
}

std::string importedText(int borings, const std::string& file, const std::string& project) {
  return std::to_string(borings) + (borings == 1 ? " boring of " : " borings of ") + file +
         (borings == 1 ? " was" : " were") + " imported into " + project + ".";
}

// A name for a new project beside `agsFile`, after it, that no file has.
std::string newProjectName(const fs::path& agsFile) {
  const std::string stem = agsFile.stem().string();
  std::string name = stem + ".sq2";
  for (int n = 2; n < 1000 && fs::exists(agsFile.parent_path() / name); ++n)
    name = stem + " " + std::to_string(n) + ".sq2";
  return name;
}

// Writes `plan` into a new project `target`. The project is built beside it
// under another name and put in its place only when complete, so a failed
// import leaves no half project behind, nor takes away a file the user
// chose to overwrite.
db::Status importIntoNewFile(const std::string& target, const AgsImportPlan& plan,
                             const AgsImportChoices& choices) {
  const fs::path path(target);
  const fs::path building =
      path.parent_path() / ("." + path.filename().string() + ".import-" + std::to_string(::getpid()));
  std::error_code ec;
  fs::remove(building, ec);
  auto fail = [&](const std::string& why) {
    fs::remove(building, ec);
    return db::Status::error(db::ErrorCode::kGeneric, why);
  };
  if (!project::CreateNewProjectFile(building.string()))
    return fail("The new project could not be made from the template.");
  {
    auto database = db::Database::open(building.string());
    if (!database.ok()) return fail(database.status().message());
    if (db::Status s = applyAgsImport(*database, plan, choices); !s.ok())
      return fail(s.message());
    database->close();
  }
  fs::rename(building, path, ec);
  if (ec) return fail("The new project could not be put in place: " + ec.message() + ".");
  return {};
}

}  // namespace

void frmMain::addExchangeMenus(QMenu* file, QAction* before) {
  QMenu* import = new QMenu("&Import", file);
  import->setObjectName("mnuImport");
  import->addAction(actions_.at("mnuImportAgs"));
  QMenu* exportMenu = new QMenu("&Export", file);
  exportMenu->setObjectName("mnuExport");
  exportMenu->addAction(actions_.at("mnuExportAgs"));
  for (QMenu* m : {import, exportMenu}) {
    m->menuAction()->setObjectName(m->objectName());
    file->insertMenu(before, m);
    menus_[m->objectName()] = m;
  }
  file->insertSeparator(before);
}

void frmMain::mnuExportAgs_Click() {
  if (busy()) return;
  if (!session_.isOpen()) {
    tell("No project file is open - Can't export.", "Export AGS4");
    return;
  }
  BusyScope scope(*this);
  {
    // What the grids hold goes into the file, as it goes into a print.
    BusyCursor busy;
    saveOpenEditors();
  }
  frmAgsExport dialog(session_, state_.ClassificationFile, this);
  if (execModal(dialog) != QDialog::Accepted) return;
  AgsExportOptions options = defaultExportOptions(session_.title(), state_.ClassificationFile);
  dialog.applyTo(options);
  AgsExportResult result;
  {
    BusyCursor busy;
    result = exportAgsFile(*session_.database(), dialog.chosenBorings(), options,
                           dialog.filePath());
  }
  const bool clean = result.status.ok() && result.warnings.empty() && result.issues.empty();
  tell(exportReport(result, dialog.filePath()), "Export AGS4",
       clean ? MessageIcon::kInformation : MessageIcon::kExclamation);
}

void frmMain::mnuImportAgs_Click() {
  if (busy()) return;
  // Said before any question.
  if (session_.isOpen() && session_.readOnly()) {
    tell(project::readOnlyText(state_.CurrentProjectTitle, "Borings cannot be imported into it."),
         kCannotImport, MessageIcon::kExclamation);
    return;
  }
  FileDialogRequest request;
  request.title = "Import AGS4 File";
  request.initialFolder = startFolder("DefaultSQFileDir", state_.CurrentProjectPath);
  request.filter = "AGS4 Files (*.ags)|*.ags|All Files (*.*)|*.*";
  request.mustExist = true;
  const FileDialogResult source = prompts().fileDialog(request);
  if (source.outcome == FileDialogResult::Outcome::kInvalidName) {
    tell("The file you selected is invalid.  Please try again.", "Invalid File Name");
    return;
  }
  if (source.outcome != FileDialogResult::Outcome::kChosen || source.path.empty()) return;

  // Without an open project the borings go into a new one, asked for as
  // New Project asks; nothing is written before the summary is confirmed.
  FileDialogResult target;
  if (!session_.isOpen()) {
    FileDialogRequest create =
        fileDialogFor(FileKind::kProject, "Create New File", false, state_.CurrentProjectPath);
    create.initialFolder = fs::path(source.path).parent_path().string();
    create.fileName = newProjectName(source.path);
    target = prompts().fileDialog(create);
    if (target.outcome != FileDialogResult::Outcome::kChosen || target.path.empty()) return;
    if (const std::string why = project::replacingOpenFile(
            target.path, state_.CurrentProjectPath, layout_ ? layout_->filePath() : std::string());
        !why.empty()) {
      tell(why, "Create New File", MessageIcon::kExclamation);
      return;
    }
    if (::access(fs::path(target.path).parent_path().c_str(), W_OK) != 0) {
      tell("The folder " + fs::path(target.path).parent_path().string() +
               " cannot be written.  Choose another folder for the new project.",
           kCannotImport, MessageIcon::kExclamation);
      return;
    }
    if (fs::exists(target.path) &&
        prompts().message("The file " + target.path +
                              " already exists.  Do you wish to overwrite it?",
                          "Overwrite Existing File?", MessageButtons::kYesNo,
                          MessageIcon::kNone) != MessageAnswer::kYes)
      return;
  }

  // Until the borings are written; opening the new project afterwards
  // waits for no running command.
  std::optional<BusyScope> scope(std::in_place, *this);
  if (session_.isOpen()) {
    {
      BusyCursor busy;
      saveOpenEditors();
    }
    // The window shows the project again after the import; edits that
    // could not be saved would be lost.
    if (file_ && file_->hasPendingEdits()) {
      tell("The changes in the data entry window could not be saved.  Correct them, then "
           "import the file.",
           kCannotImport, MessageIcon::kExclamation);
      return;
    }
  }
  const frmAgsImport::Planner planner = [this, path = source.path](DateOrder order) {
    AgsImportContext context = importContextFor(session_.database(), state_.ClassificationFile);
    context.dateOrder = order;
    return planAgsImportFile(path, context);
  };
  const DateOrder order = storedDateOrder();
  AgsImportPlan plan;
  {
    BusyCursor busy;
    plan = planner(order);
  }
  if (plan.refused()) {
    tell(importSummary(plan, false) + "\nNothing was written.", kCannotImport,
         MessageIcon::kExclamation);
    return;
  }
  const std::string projectTitle = session_.isOpen() ? state_.CurrentProjectTitle : target.title;
  frmAgsImport dialog(source.title,
                      (session_.isOpen() ? "the project " : "a new project ") + projectTitle,
                      planner, std::move(plan), order, this);
  if (execModal(dialog) != QDialog::Accepted) return;
  AgsImportChoices choices;
  choices.replaceExisting = dialog.replaceExisting();
  const int count = importedCount(dialog.plan(), choices);

  if (!session_.isOpen()) {
    db::Status s;
    {
      BusyCursor busy;
      s = importIntoNewFile(target.path, dialog.plan(), choices);
    }
    if (!s.ok()) {
      tell("Nothing was imported.  " + s.message(), kImportTitle, MessageIcon::kExclamation);
      return;
    }
    scope.reset();
    if (!openProject(target.path, target.title)) return;
    tell(importedText(count, source.title, projectTitle), kImportTitle,
         MessageIcon::kInformation);
    return;
  }

  db::Status s;
  {
    BusyCursor busy;
    s = applyAgsImport(*session_.database(), dialog.plan(), choices);
  }
  if (!s.ok()) {
    tell("Nothing was imported.  " + s.message(), kImportTitle, MessageIcon::kExclamation);
    return;
  }
  session_.reloadBoringList(firstImported(dialog.plan(), choices));
  // Replaced borings, filled project fields and sample labels: the window
  // reads everything again.
  if (file_) {
    file_->OpenRecordsets();
    file_->UpdateUserHeaders();
    file_->InitializeRowHeights();
  }
  tell(importedText(count, source.title, projectTitle), kImportTitle, MessageIcon::kInformation);
}

}  // namespace sq::forms
