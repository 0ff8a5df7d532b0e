#include "strataquill/render/log_export.h"

#include <algorithm>

#include "strataquill/db/database.h"
#include "strataquill/project/borings.h"
#include "strataquill/shell/file_copy.h"

namespace sq::render {
namespace {

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

bool chooseBorings(const std::string& projectPath, const std::vector<std::string>& requested,
                   std::vector<std::string>& all, std::vector<std::string>& chosen,
                   std::string& error) {
  auto database = db::Database::open(projectPath);
  if (!database.ok()) {
    error = "The project " + projectPath + " cannot be opened: " + database.status().message();
    return false;
  }
  auto names = project::ReadBoringList(database.value());
  if (!names.ok()) {
    error = "The project " + projectPath + " has no boring list: " + names.status().message();
    return false;
  }
  all = std::move(names.value());
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

RunResult exportLogsToPdf(LogRequest request, const std::string& outputPath) {
  RunResult refused;
  refused.outcome = RunResult::Outcome::kRefused;
  if (std::string why = validateForRun(request.options, request.reportType); !why.empty()) {
    refused.message = why;
    return refused;
  }
  if (!isLayoutFile(request.options.firstPageLayoutFile, refused.message)) return refused;
  if (request.options.useAdditionalPageLayout &&
      !isLayoutFile(request.options.additionalPageLayoutFile, refused.message))
    return refused;

  PrintSurface surface;
  SetVSPrinterPageSize(surface, QPageLayout(defaultPaper(), QPageLayout::Portrait, QMarginsF()));
  RunResult composed = composeLogs(request, surface);
  if (composed.outcome == RunResult::Outcome::kCancelled)
    composed.message = "Cancelled; " + outputPath + " was not written.";
  RunResult written =
      composed.ok() ? writePdfFile(surface.document(), outputPath, request.progress) : composed;
  if (request.progress) request.progress->finished();
  return written;
}

}  // namespace sq::render
