#pragma once

#include <string>
#include <vector>

#include "strataquill/render/log_run.h"

namespace sq::render {

// The borings a run prints: the `requested` names (every boring when none
// is requested), each of which must be one of the project's borings. False
// with a reason when the project cannot be read, a name is unknown or
// nothing is left to print. `all` receives every boring of the project.
bool chooseBorings(const std::string& projectPath, const std::vector<std::string>& requested,
                   std::vector<std::string>& all, std::vector<std::string>& chosen,
                   std::string& error);

// Renders the logs of request.borings, one after the other, into the PDF
// file `outputPath` on the default paper. The layouts are checked before
// anything is drawn; the file appears whole or not at all, also when the
// run is cancelled.
RunResult exportLogsToPdf(LogRequest request, const std::string& outputPath);

}  // namespace sq::render
