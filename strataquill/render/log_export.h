#pragma once

#include <string>
#include <vector>

#include "strataquill/render/print_options.h"
#include "strataquill/render/print_progress.h"

namespace sq::render {

// The borings of a project in selector order: ascending name, leaving out
// names that are empty after trailing blanks are removed. False with a
// reason when the project cannot be read.
bool listBorings(const std::string& projectPath, std::vector<std::string>& borings,
                 std::string& error);

// The borings a run prints: the `requested` names (every boring when none
// is requested), each of which must be one of the project's borings. False
// with a reason when the project cannot be read, a name is unknown or
// nothing is left to print. `all` receives every boring of the project.
bool chooseBorings(const std::string& projectPath, const std::vector<std::string>& requested,
                   std::vector<std::string>& all, std::vector<std::string>& chosen,
                   std::string& error);

struct LogExportRequest {
  std::string projectPath;
  std::vector<std::string> borings;  // empty: every boring
  PrintOptions options;
  std::string classificationFile;
  std::string patternFolder;
  std::string outputPath;
  // Told of every boring and page; its cancel stops the run. May be null.
  PrintProgress* progress = nullptr;
};

struct LogExportResult {
  bool ok = false;
  bool cancelled = false;  // stopped by the user; nothing was written
  std::string error;       // why nothing was written
  int pages = 0;
  std::vector<std::string> borings;  // what was rendered, in order
};

// Renders the logs of the chosen borings, one after the other, into one PDF
// file. Everything is checked before anything is drawn: the project, the
// borings, the layouts and the numbers. The file appears whole or not at
// all, also when the run is cancelled.
LogExportResult exportLogsToPdf(const LogExportRequest& request);

}  // namespace sq::render
