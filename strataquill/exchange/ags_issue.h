#pragma once

#include <string>

namespace sq::exchange {

// One breach of the AGS4 file rules: the rule's number ("1", "2a", "10b"),
// where it is (line 0: the file as a whole) and what is wrong.
struct AgsIssue {
  std::string rule;
  long line = 0;
  std::string group;
  std::string heading;
  std::string message;
};

// "Line 12: Rule 8: GEOL GEOL_TOP: ..." (the parts that are empty left out).
std::string formatIssue(const AgsIssue& issue);

}  // namespace sq::exchange
