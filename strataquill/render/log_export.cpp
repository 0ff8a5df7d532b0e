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

LogExportResult exportLogsToPdf(const LogExportRequest& request) {
  LogExportResult result;
  std::vector<std::string> all;
  if (!listBorings(request.projectPath, all, result.error)) return result;
  if (request.borings.empty()) {
    result.borings = all;
  } else {
    for (const std::string& b : request.borings) {
      if (std::find(all.begin(), all.end(), b) == all.end()) {
        result.error = "The project has no boring named \"" + b + "\".";
        return result;
      }
      result.borings.push_back(b);
    }
  }
  if (result.borings.empty()) {
    result.error = "No borings exist to print.";
    return result;
  }
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
  PrintSurface surface;
  surface.setDocumentName(QString::fromStdString(
      result.borings.size() == 1
          ? result.borings[0] + " -- " +
                std::filesystem::path(request.projectPath).filename().string()
          : std::filesystem::path(request.projectPath).filename().string()));
  surface.startDoc();
  for (std::size_t i = 0; i < result.borings.size(); ++i) {
    if (i > 0) surface.newPage();
    RenderJob job{request.projectPath,
                  result.borings[i],
                  kBoringLog,
                  {},
                  request.classificationFile,
                  request.patternFolder,
                  {},
                  {},
                  {}};
    LogComposer composer(surface, options, std::move(job));
    composer.composePages();
  }
  surface.endDoc();
  QString error;
  if (!writePdf(surface.document(), QString::fromStdString(request.outputPath), &error)) {
    result.error = "Cannot write " + request.outputPath + ": " + error.toStdString();
    return result;
  }
  result.ok = true;
  result.pages = surface.pageCount();
  return result;
}

}  // namespace sq::render
