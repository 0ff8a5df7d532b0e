#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace sq::exchange {

// A group to be written: its headings with their units and data types, and
// its DATA rows (one value per heading).
struct AgsTable {
  std::string name;
  std::vector<std::string> headings, units, types;
  std::vector<std::vector<std::string>> rows;

  explicit AgsTable(std::string groupName) : name(std::move(groupName)) {}

  // Adds a heading (or finds it) and returns its position.
  int column(std::string_view heading, std::string_view unit = {}, std::string_view type = "X");
  // A new row with every value empty.
  std::vector<std::string>& addRow();
  // Sets the value of `heading` (which must have been added) in `row`.
  void set(std::vector<std::string>& row, std::string_view heading, std::string value);
  // Removes the headings whose value is empty in every row, except `keep`.
  void dropEmptyColumns(const std::vector<std::string>& keep);
};

// A value in double quotes, quotes inside doubled.
std::string quoteAgs(std::string_view value);

// Writes the tables in order: GROUP, HEADING, UNIT and TYPE rows, then the
// DATA rows, every line ended by CR LF and a blank line between groups.
// Tables without rows are left out. The values must already be ASCII
// without line breaks.
void writeAgs(std::ostream& out, const std::vector<AgsTable>& tables);

}  // namespace sq::exchange
