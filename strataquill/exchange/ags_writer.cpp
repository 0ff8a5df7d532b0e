#include "strataquill/exchange/ags_writer.h"

#include <algorithm>
#include <cassert>

namespace sq::exchange {

int AgsTable::column(std::string_view heading, std::string_view unit, std::string_view type) {
  const auto it = std::find(headings.begin(), headings.end(), heading);
  if (it != headings.end()) return static_cast<int>(it - headings.begin());
  headings.emplace_back(heading);
  units.emplace_back(unit);
  types.emplace_back(type);
  for (auto& row : rows) row.emplace_back();
  return static_cast<int>(headings.size() - 1);
}

std::vector<std::string>& AgsTable::addRow() {
  rows.emplace_back(headings.size());
  return rows.back();
}

void AgsTable::set(std::vector<std::string>& row, std::string_view heading, std::string value) {
  const auto it = std::find(headings.begin(), headings.end(), heading);
  assert(it != headings.end());
  row[static_cast<std::size_t>(it - headings.begin())] = std::move(value);
}

void AgsTable::dropEmptyColumns(const std::vector<std::string>& keep) {
  for (std::size_t k = headings.size(); k-- > 0;) {
    if (std::find(keep.begin(), keep.end(), headings[k]) != keep.end()) continue;
    const bool empty =
        std::all_of(rows.begin(), rows.end(), [&](const auto& row) { return row[k].empty(); });
    if (!empty) continue;
    headings.erase(headings.begin() + static_cast<std::ptrdiff_t>(k));
    units.erase(units.begin() + static_cast<std::ptrdiff_t>(k));
    types.erase(types.begin() + static_cast<std::ptrdiff_t>(k));
    for (auto& row : rows) row.erase(row.begin() + static_cast<std::ptrdiff_t>(k));
  }
}

std::string quoteAgs(std::string_view value) {
  std::string out;
  out.reserve(value.size() + 2);
  out += '"';
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

namespace {

void writeLine(std::ostream& out, std::string_view descriptor,
               const std::vector<std::string>& values) {
  out << quoteAgs(descriptor);
  for (const std::string& v : values) out << ',' << quoteAgs(v);
  out << "\r\n";
}

}  // namespace

void writeAgs(std::ostream& out, const std::vector<AgsTable>& tables) {
  bool first = true;
  for (const AgsTable& t : tables) {
    if (t.rows.empty()) continue;
    if (!first) out << "\r\n";
    first = false;
    writeLine(out, "GROUP", {t.name});
    writeLine(out, "HEADING", t.headings);
    writeLine(out, "UNIT", t.units);
    writeLine(out, "TYPE", t.types);
    for (const auto& row : t.rows) writeLine(out, "DATA", row);
  }
}

}  // namespace sq::exchange
