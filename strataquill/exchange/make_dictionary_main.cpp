// sq-ags-dictionary DICTIONARY.ags OUTPUT.cpp: writes the table of groups and
// headings (ags_dictionary_table.cpp) from the DICT group of an AGS4 standard
// dictionary file. Run by hand when a new edition comes out; the build uses
// the committed table and never reads the dictionary. Descriptions and
// examples are left out: only the facts the reader and the check need.

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "strataquill/exchange/ags_reader.h"

namespace {

struct Heading {
  std::string name, status, type, unit;
};
struct Group {
  std::string name, parent;
  std::vector<Heading> headings;
};

class DictCollector : public sq::exchange::AgsVisitor {
 public:
  void row(const sq::exchange::AgsGroup& g, const sq::exchange::AgsRow& r) override {
    if (g.name == "TRAN") edition_ = r.at(g.index("TRAN_AGS"));
    if (g.name != "DICT") return;
    const std::string type = r.at(g.index("DICT_TYPE"));
    const std::string group = r.at(g.index("DICT_GRP"));
    if (type == "GROUP") {
      std::string parent = r.at(g.index("DICT_PGRP"));
      if (parent == "-") parent.clear();
      groups.push_back({group, parent, {}});
    } else if (type == "HEADING" && !groups.empty() && groups.back().name == group) {
      groups.back().headings.push_back({r.at(g.index("DICT_HDNG")), r.at(g.index("DICT_STAT")),
                                        r.at(g.index("DICT_DTYP")), r.at(g.index("DICT_UNIT"))});
    } else {
      std::cerr << "sq-ags-dictionary: line " << r.line << ": heading of " << group
                << " outside its group's rows\n";
      ok = false;
    }
  }
  void issue(const sq::exchange::AgsIssue& issue) override {
    std::cerr << "sq-ags-dictionary: " << sq::exchange::formatIssue(issue) << "\n";
  }

  std::vector<Group> groups;
  std::string edition_;
  bool ok = true;
};

std::string quoted(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

const char* statusName(const std::string& status) {
  static const std::map<std::string, const char*> names = {
      {"KEY", "kKey"},
      {"KEY+REQUIRED", "kKeyRequired"},
      {"REQUIRED", "kRequired"},
      {"OTHER", "kOther"},
      {"DEPRECATED", "kDeprecated"}};
  const auto it = names.find(status);
  return it == names.end() ? nullptr : it->second;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: sq-ags-dictionary DICTIONARY.ags OUTPUT.cpp\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "sq-ags-dictionary: cannot open " << argv[1] << "\n";
    return 2;
  }
  DictCollector dict;
  const auto result = sq::exchange::readAgs(in, dict);
  if (!result.readable || !dict.ok || dict.groups.empty()) return 1;

  std::ofstream out(argv[2], std::ios::binary);
  out << "// The groups and headings of the AGS4 standard dictionary, edition " << dict.edition_
      << ":\n// name, status, data type and unit of each heading, and the parent of each\n"
         "// group. Written by sq-ags-dictionary; do not edit by hand.\n\n"
         "#include \"strataquill/exchange/ags_dictionary.h\"\n\n"
         "namespace sq::exchange {\nnamespace {\n\nusing S = AgsStatus;\n\n";
  for (const Group& g : dict.groups) {
    out << "constexpr AgsHeadingDef k" << g.name << "[] = {\n";
    for (const Heading& h : g.headings) {
      const char* status = statusName(h.status);
      if (!status) {
        std::cerr << "sq-ags-dictionary: " << h.name << ": unknown status " << h.status << "\n";
        return 1;
      }
      out << "    {" << quoted(h.name) << ", S::" << status << ", " << quoted(h.type) << ", "
          << quoted(h.unit) << "},\n";
    }
    out << "};\n";
  }
  out << "\nconstexpr AgsGroupDef kGroups[] = {\n";
  for (const Group& g : dict.groups)
    out << "    {" << quoted(g.name) << ", " << quoted(g.parent) << ", k" << g.name << "},\n";
  out << "};\n\n}  // namespace\n\nstd::span<const AgsGroupDef> agsGroups() { return kGroups; }\n\n"
         "}  // namespace sq::exchange\n";
  std::size_t headings = 0;
  for (const Group& g : dict.groups) headings += g.headings.size();
  std::cout << dict.groups.size() << " groups, " << headings << " headings\n";
  return out ? 0 : 1;
}
