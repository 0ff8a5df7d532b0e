#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sq::project {

// One interval row as a grid shows it: its position in the grid and its
// depths, when they are numbers.
struct IntervalRow {
  int row = 0;
  std::optional<float> from;
  std::optional<float> to;
};

// A problem found in the depths of one row. `text` is what the grid's tool
// tip says ("Overlaps 12 – 15").
struct IntervalFinding {
  enum class Kind { kInverted, kOverlap, kGap };
  Kind kind;
  int row = 0;
  std::string text;
};

// Checks the intervals of one grid. Every row whose From is not above its
// To is reported. With `contiguous` (lithology, which describes the ground
// without holes), the rows sorted by depth are also compared with their
// neighbours: an interval that starts above the bottom of the one before
// overlaps it, and one that starts below it leaves a gap; both rows of such
// a pair are reported. Rows without both depths are left out.
std::vector<IntervalFinding> CheckIntervals(const std::vector<IntervalRow>& rows, bool contiguous);

// The number of distinct problems (a pair counts once).
int CountProblems(const std::vector<IntervalFinding>& findings);

// Whether `text` may stand in a column offering `items`: one of them
// exactly, or nothing. A list that could not be read (no items) takes
// anything, since nothing can be told about it.
bool IsListValue(const std::string& text, const std::vector<std::string>& items);
// The note of a cell whose value is not in the list of the column
// `heading`: "Not in the classification list".
std::string NotInListNote(const std::string& heading);

}  // namespace sq::project
