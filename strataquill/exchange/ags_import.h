#pragma once

#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/db/status.h"
#include "strataquill/exchange/ags_issue.h"
#include "strataquill/exchange/ags_values.h"
#include "strataquill/exchange/completion_mapping.h"

namespace sq::exchange {

// What the importer needs to know of the project it imports into and of the
// installation.
struct AgsImportContext {
  // The classes of the classification file, in the file's order.
  std::vector<std::string> lithologyClasses, sampleClasses, completionClasses;
  CompletionMapping completion;
  // The project's borings, and their depth unit ("Feet" or "Meters"; empty
  // for a project without borings, which takes the file's).
  std::vector<std::string> existingBorings;
  std::string projectDepthUnits;
  // How dates are written into the project's date texts.
  DateOrder dateOrder = DateOrder::kMonthDayYear;
};

// The context of a project (null for a new one): its borings and unit, the
// classes of `classificationFile` and the user's completion targets.
AgsImportContext importContextFor(const db::Database* project,
                                  const std::string& classificationFile);

struct ImportedInterval {
  float from = 0, to = 0;
  // Project field -> text, for the fields that have one. A file may bring a
  // million of these, so they are kept flat, the names being the program's
  // own constant texts.
  std::vector<std::pair<const char*, std::string>> fields;

  // The text of `field`, or "" when it has none.
  const std::string& field(std::string_view name) const;
  // Sets `field` (a constant text) unless `value` is empty.
  void set(const char* name, std::string value);
};

struct ImportedBoring {
  std::string name;
  std::map<std::string, std::string> fields;  // "Boring Information" field -> text
  std::vector<ImportedInterval> lithology, samples, completion;
  bool exists = false;  // the project has a boring of this name
};

// A group of the file that the import leaves out.
struct SkippedGroup {
  std::string group;
  long rows = 0;
  std::string reason;
};

// What an import would write, read from the file before anything is written.
struct AgsImportPlan {
  // Why the file cannot be imported ("" when it can). Nothing is written
  // for a refused plan.
  std::string refusal;
  // Refused because the file cannot be read as AGS text at all.
  bool unreadable = false;
  std::string edition;    // TRAN_AGS
  std::string depthUnit;  // "ft" or "m"
  std::map<std::string, std::string> project;  // "Project Information" field -> text
  std::map<int, std::string> sampleLabels;     // user column (1..10) -> label
  std::vector<ImportedBoring> borings;
  std::vector<SkippedGroup> skipped;
  // Things the user should know: classes not found, rows left out, values
  // read as Windows-1252.
  std::vector<std::string> notes;
  // The check of the file (issues that do not stop the import).
  std::vector<AgsIssue> issues;

  bool refused() const { return !refusal.empty(); }
  int newBorings() const;
  int existingBorings() const;
};

// Reads a whole file into a plan. The stream is read once, line by line.
AgsImportPlan planAgsImport(std::istream& in, const AgsImportContext& context);
AgsImportPlan planAgsImportFile(const std::string& path, const AgsImportContext& context);

// What the user sees (and the command line prints) before confirming: the
// borings, intervals and samples, what is skipped and why, the notes and
// the check's findings (the first `maxIssues` of them).
std::string importSummary(const AgsImportPlan& plan, bool replaceExisting,
                          std::size_t maxIssues = 20);

struct AgsImportChoices {
  // Borings whose names the project already has: replaced by the file's
  // (every row of the old boring is deleted first) instead of left alone.
  bool replaceExisting = false;
};

// Writes the plan into the project in one transaction: all of it, or, when
// any step fails, nothing. The project's information and sample labels are
// filled where they are empty; they are never overwritten.
db::Status applyAgsImport(db::Database& project, const AgsImportPlan& plan,
                          const AgsImportChoices& choices);

}  // namespace sq::exchange
