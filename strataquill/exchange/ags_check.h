#pragma once

#include <istream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "strataquill/exchange/ags_reader.h"

namespace sq::exchange {

// What the check found in one file.
struct AgsCheckReport {
  bool readable = true;
  std::string error;  // why the file could not be read
  long lines = 0;
  long groups = 0;
  // In line order, the issues of the file as a whole (line 0) first. Many
  // issues of one rule under one heading are cut short: after the first
  // fifty, one issue tells how many more there were.
  std::vector<AgsIssue> issues;

  bool clean() const { return readable && issues.empty(); }
};

// The AGS4 rules that one file can be checked against on its own: the form
// of lines and groups (from the reader), heading order, names, keys,
// required values, parent rows, the UNIT, TYPE, ABBR, DICT, TRAN, PROJ and
// FILE groups and the form of values against their data types. Groups and
// headings are known from the dictionary table and the file's DICT group.
// Memory grows by a hash of each keyed row's key and with the distinct
// codes, units and parent keys of the file, never with the values' size.
class AgsChecker : public AgsVisitor {
 public:
  AgsChecker();
  ~AgsChecker() override;
  AgsChecker(const AgsChecker&) = delete;
  AgsChecker& operator=(const AgsChecker&) = delete;

  void issue(const AgsIssue& issue) override;
  void groupStart(const AgsGroup& group) override;
  void row(const AgsGroup& group, const AgsRow& row) override;
  void groupEnd(const AgsGroup& group) override;

  // The issues once the whole file has been read.
  std::vector<AgsIssue> finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Reads and checks a whole stream or file.
AgsCheckReport checkAgs(std::istream& in);
AgsCheckReport checkAgsFile(const std::string& path);

}  // namespace sq::exchange
