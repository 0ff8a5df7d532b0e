#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "strataquill/exchange/ags_issue.h"

namespace sq::exchange {

// A group as its header rows describe it.
struct AgsGroup {
  std::string name;
  long line = 0;  // the GROUP row
  std::vector<std::string> headings, units, types;
  long headingLine = 0, unitLine = 0, typeLine = 0;
  bool hasUnit = false, hasType = false;
  long rows = 0;  // DATA rows so far

  // Position of `heading` in the HEADING row, or -1.
  int index(std::string_view heading) const;
};

// One DATA row, its values in UTF-8.
struct AgsRow {
  long line = 0;
  std::vector<std::string> values;
  // One value per heading. A row whose count differs cannot be matched to
  // its headings; its values are as they stood.
  bool aligned = true;
  // The value under heading `k`, or "" when there is none.
  const std::string& at(int k) const;
};

// Receives what the reader finds, in file order. A group starts when its
// first DATA row arrives (its header rows are then complete, or known to be
// missing) and ends at the next GROUP row or the end of the file.
class AgsVisitor {
 public:
  virtual ~AgsVisitor() = default;
  virtual void issue(const AgsIssue&) {}
  virtual void groupStart(const AgsGroup&) {}
  virtual void row(const AgsGroup&, const AgsRow&) {}
  virtual void groupEnd(const AgsGroup&) {}
};

struct AgsReadResult {
  bool readable = true;  // false: the stream failed, or a line was too long to hold
  std::string error;     // why not
  long lines = 0;
  long groups = 0;       // GROUP rows seen
};

// Longest line the reader holds; a longer one makes the file unreadable.
inline constexpr std::size_t kMaxAgsLine = 16u << 20;

// Reads AGS text line by line, never holding more than one line (and one
// DATA row waiting for a continuation) in memory. It reports the breaches of
// the rules that concern the form of lines and groups: characters (1), line
// ends (2a), header rows (2, 2b), descriptors (3), field counts (4), quoting
// and separators (5, 6). Values that are not UTF-8 are read as Windows-1252.
// Continuation lines of the older editions ("<CONT>" as descriptor or as the
// first value of a DATA row) are joined to the DATA row before them.
AgsReadResult readAgs(std::istream& in, AgsVisitor& visitor);

// Splits one line (without its line end) into its unquoted values, reporting
// quoting and separator slips to `problems` as (rule, message) pairs.
void splitAgsLine(std::string_view line, std::vector<std::string>& fields,
                  std::vector<std::pair<std::string, std::string>>* problems);

}  // namespace sq::exchange
