#include "strataquill/render/log_export.h"

#include <filesystem>

#include "strataquill/db/database.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/render/log_composer.h"
#include "strataquill/render/surface_painter.h"
#include "strataquill/shell/file_copy.h"

namespace sq::render {
namespace {

std::string rtrim(std::string s) {
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

bool isLayoutFile(const std::string& path, std::string& error) {
  if (!isExistingFile(path)) {
    error = "The layout file " + (path.empty() || path[0] == '?' ? std::string("(none)") : path) +
            " does not exist.";
    return false;
  }
  auto database = db::Database::open(path);
  if (!database.ok()) {
    error = "The layout file " + path + " cannot be read: " + database.status().message();
    return false;
  }
  return true;
}

}  // namespace

bool listBorings(const std::string& projectPath, std::vector<std::string>& borings,
                 std::string& error) {
  borings.clear();
  auto database = db::Database::open(projectPath);
  if (!database.ok()) {
    error = "The project " + projectPath + " cannot be opened: " + database.status().message();
    return false;
  }
  auto rs = database->openRecordset(project::boringListSql());
  if (!rs.ok()) {
    error = "The project " + projectPath + " has no boring list: " + rs.status().message();
    return false;
  }
  for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) {
    std::string name = rs->text("BoringName");
    if (!rtrim(name).empty()) borings.push_back(std::move(name));
  }
  return true;
}

bool chooseBorings(const std::string& projectPath, const std::vector<std::string>& requested,
                   std::vector<std::string>& all, std::vector<std::string>& chosen,
                   std::string& error) {
  if (!listBorings(projectPath, all, error)) return false;
  chosen = requested.empty() ? all : requested;
  for (const std::string& b : chosen) {
    if (std::find(all.begin(), all.end(), b) == all.end()) {
      error = "The project has no boring named \"" + b + "\".";
      return false;
    }
  }
  if (chosen.empty()) error = "No borings exist to print.";
  return !chosen.empty();
}

LogExportResult exportLogsToPdf(const LogExportRequest& request) {
  LogExportResult result;
  std::vector<std::string> all;
  if (!chooseBorings(request.projectPath, request.borings, all, result.borings, result.error))
    return result;
  if (std::string why = validateForRun(request.options, kBoringLog); !why.empty()) {
    result.error = why;
    return result;
  }
  if (!isLayoutFile(request.options.firstPageLayoutFile, result.error)) return result;
  if (request.options.useAdditionalPageLayout &&
      !isLayoutFile(request.options.additionalPageLayoutFile, result.error))
    return result;

  PrintOptions options = request.options;
  if (options.patternScaleFactor < 0.1f) options.patternScaleFactor = 0.1f;
  options.printCancelled = false;
  PrintProgress* progress = request.progress;
  auto cancelled = [&] {
    if (progress && progress->cancelRequested()) options.printCancelled = true;
    return options.printCancelled;
  };
  const std::string projectName = std::filesystem::path(request.projectPath).filename().string();
  PrintSurface surface;
  surface.setDocumentName(QString::fromStdString(
      result.borings.size() == 1 ? result.borings[0] + " -- " + projectName : projectName));
  surface.startDoc();
  for (std::size_t i = 0; i < result.borings.size() && !cancelled(); ++i) {
    if (i > 0) surface.newPage();
    if (progress) progress->documentStarted(result.borings[i] + " -- " + projectName);
    RenderJob job{request.projectPath,
                  result.borings[i],
                  kBoringLog,
                  {},
                  request.classificationFile,
                  request.patternFolder,
                  {},
                  {},
                  [&] { cancelled(); },
                  [&](int page) {
                    if (progress) progress->composing(page);
                  },
                  {}};
    LogComposer composer(surface, options, std::move(job));
    composer.composePages();
  }
  surface.endDoc();
  QString error;
  const PrintOutcome outcome =
      cancelled() ? PrintOutcome::kCancelled
                  : writePdf(surface.document(), QString::fromStdString(request.outputPath), &error,
                             progress);
  if (progress) progress->finished();
  if (outcome == PrintOutcome::kCancelled) {
    result.cancelled = true;
    result.error = "Cancelled; " + request.outputPath + " was not written.";
    return result;
  }
  if (outcome != PrintOutcome::kPrinted) {
    result.error = "Cannot write " + request.outputPath + ": " + error.toStdString();
    return result;
  }
  result.ok = true;
  result.pages = surface.pageCount();
  return result;
}

}  // namespace sq::render
