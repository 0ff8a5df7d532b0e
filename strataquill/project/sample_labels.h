#pragma once

#include <array>
#include <optional>
#include <string>

namespace sq::db {
class Database;
}

namespace sq::project {

// The ten sample user labels: the headings of the UserText1..UserText10
// columns of the samples grid and of the printed user columns.
using SampleLabels = std::array<std::string, 10>;

// The placeholder of an empty label and the default of every default label.
inline constexpr const char* kUndefinedLabel = "Undefined";

// The label row of a project ("Sample User Label", first row); nothing when
// the table has no row or the file cannot be read.
std::optional<SampleLabels> ReadProjectLabels(const std::string& projectPath);
std::optional<SampleLabels> ReadProjectLabels(const db::Database& database);

// Stores `labels` in the project's label row, appending the row when the
// table has none. An empty label is stored as "Undefined".
bool WriteProjectLabels(const std::string& projectPath, SampleLabels labels);
bool WriteProjectLabels(db::Database& database, SampleLabels labels);

// The program-wide defaults: settings "Samples", "User1".."User10", each
// "Undefined" when absent.
SampleLabels DefaultLabels();
// Stores `labels` as the defaults, as they stand (an empty one stays empty).
bool SaveDefaultLabels(const SampleLabels& labels);

// Headings of samples columns 5 to 14 for a project: its labels, or ten
// "Undefined" when it has no label row.
SampleLabels SampleHeadings(const db::Database& database);

}  // namespace sq::project
