#pragma once

#include <string>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/db/status.h"
#include "strataquill/exchange/ags_issue.h"
#include "strataquill/exchange/ags_values.h"
#include "strataquill/exchange/completion_mapping.h"

namespace sq::exchange {

struct AgsExportOptions {
  // PROJ_ID when the project has no number: the project file's name.
  std::string projectFileName;
  // PROJ_ENG and TRAN_PROD: the company of the preferences.
  std::string company;
  // TRAN_RECV; the project's client when empty.
  std::string recipient;
  // TRAN_STAT, the status of the data as a whole.
  std::string transferStatus = "Issued";
  // LOCA_STAT of every boring ("FINAL", "DRAFT", "PRELIM", ...); none when empty.
  std::string locationStatus;
  // TRAN_DATE (yyyy-mm-dd); today when empty.
  std::string date;
  // How the project's date texts are written.
  DateOrder dateOrder = DateOrder::kMonthDayYear;
  // Fields without a standard heading (site address parts, well names, the
  // sample user columns, separator lines, ...) as user-defined headings
  // declared in DICT, so that an import gives the project back as it was.
  bool userHeadings = true;
  // Completion class -> PIPE / BKFL.
  CompletionMapping completion;
};

struct AgsExportResult {
  db::Status status;  // why nothing was written
  std::string text;   // the file's bytes
  // What the file could not carry as the project has it (a number that is
  // not one, characters outside ASCII, line breaks).
  std::vector<std::string> warnings;
  // The check of the written text; empty unless the exporter has a fault.
  std::vector<AgsIssue> issues;
  int borings = 0, lithology = 0, samples = 0, tests = 0, completion = 0;
};

// The AGS4 text of `borings` (every boring when empty) of a project. All
// borings must share one depth unit ("Feet" or "Meters"): the program never
// converts units, so borings in different units are refused. The text is
// checked before it is returned.
AgsExportResult exportAgs(const db::Database& project, const std::vector<std::string>& borings,
                          const AgsExportOptions& options);

// exportAgs, then writes the text to `path` whole: into a temporary file in
// the same folder that is renamed over `path` once complete.
AgsExportResult exportAgsFile(const db::Database& project, const std::vector<std::string>& borings,
                              const AgsExportOptions& options, const std::string& path);

// What a file holds, as the user is told: "3 borings, 41 lithology
// intervals, 12 samples, 9 penetration tests, 6 pipe and backfill rows".
std::string exportCounts(const AgsExportResult& result);

// Options with the defaults of this installation: the company of the
// preferences, the completion targets of the classification file's classes
// with the user's own, and `projectPath`'s file name.
AgsExportOptions defaultExportOptions(const std::string& projectPath,
                                      const std::string& classificationFile);

}  // namespace sq::exchange
