#include "strataquill/project/save_policy.h"

namespace sq::project {

std::string refusalQuestion(const std::string& lead, const std::vector<RefusedCell>& cells) {
  if (cells.empty()) return {};
  std::string list;
  for (std::size_t i = 0; i < cells.size() && i < 8; ++i)
    list += "\n" + cells[i].grid + " row " + std::to_string(cells[i].row) + ", " +
            cells[i].heading + ": \u201C" + cells[i].text + "\u201D";
  return lead + "\n" + list + "\n\nDo you want to go back and correct them?";
}

bool SaveFailureNotice::shouldTell(const std::string& error) {
  const bool repeated = error == last_;
  last_ = error;
  return !readOnly_ && !repeated;
}

std::string unsavedChangesQuestion(const std::string& name, const SaveFailureNotice& notice,
                                   const std::string& ask) {
  return "The changes to " + name + " could not be saved" +
         (notice.readOnly() ? std::string(" because the file is read-only.")
                            : ": " + notice.lastFailure()) +
         "\n\n" + ask;
}

}  // namespace sq::project
