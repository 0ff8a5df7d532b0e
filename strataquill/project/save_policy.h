#pragma once

#include <string>
#include <vector>

namespace sq::project {

// A cell whose text its column cannot store (words in a number column).
struct RefusedCell {
  std::string grid;     // "Lithology", "Lines"
  int row = 0;          // from 1
  std::string heading;  // the column's heading
  std::string text;
};

// The question asked before edits are saved and left: `lead` (what the
// cells are), at most eight cells one a line, and whether the user wants to
// go back and correct them. "" when no cell is refused.
std::string refusalQuestion(const std::string& lead, const std::vector<RefusedCell>& cells);

// When a save fails, whether the user hears of it: a read-only file was
// announced when it opened, and the same failure is told once however
// often the save is tried again.
class SaveFailureNotice {
 public:
  explicit SaveFailureNotice(bool readOnly = false) : readOnly_(readOnly) {}
  // Notes `error`; true when it is to be told.
  bool shouldTell(const std::string& error);
  // A save went through: the next failure is news again.
  void succeeded() { last_.clear(); }
  // Notes a failure that the user has just been shown another way.
  void note(const std::string& error) { last_ = error; }
  const std::string& lastFailure() const { return last_; }
  bool readOnly() const { return readOnly_; }

 private:
  bool readOnly_;
  std::string last_;
};

// The question when edits could not be saved and the user is about to
// leave them: "The changes to <name> could not be saved<why>\n\n<ask>".
std::string unsavedChangesQuestion(const std::string& name, const SaveFailureNotice& notice,
                                   const std::string& ask);

}  // namespace sq::project
