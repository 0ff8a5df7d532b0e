#include "strataquill/exchange/ags_check.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <set>
#include <tuple>
#include <unordered_map>

#include "strataquill/exchange/ags_dictionary.h"
#include "strataquill/exchange/ags_values.h"

namespace sq::exchange {
namespace {

// Issues of one rule under one heading kept in full; the rest are counted.
constexpr long kIssuesPerKind = 50;

// Two independent 64-bit hashes of a row's key values: equal keys give equal
// hashes, and two different keys give equal ones with a chance far below
// anything a file can reach.
struct Hash128 {
  std::uint64_t a = 0xcbf29ce484222325ull, b = 0x9e3779b97f4a7c15ull;

  void add(std::string_view s) {
    for (unsigned char c : s) mix(c);
    mix(0x1F);  // between values, so ("ab","c") differs from ("a","bc")
  }
  void mix(unsigned char c) {
    a = (a ^ c) * 0x100000001b3ull;
    b = (b + c + 1) * 0xff51afd7ed558ccdull;
    b ^= b >> 29;
  }
  friend auto operator<=>(const Hash128&, const Hash128&) = default;
};

struct Seen {
  long line = 0;
  std::string group, heading;
};

bool validGroupName(std::string_view s) {
  if (s.empty() || s.size() > 4) return false;
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

bool validHeadingName(std::string_view s) {
  if (s.empty() || s.size() > 9) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
  });
}

// Every heading name of the dictionary, in whichever group it is defined.
bool standardHeadingName(std::string_view name) {
  static const auto* names = [] {
    auto* set = new std::set<std::string_view>;
    for (const AgsGroupDef& g : agsGroups())
      for (const AgsHeadingDef& h : g.headings) set->insert(h.name);
    return set;
  }();
  return names->count(name) > 0;
}

bool isStandardType(std::string_view t) {
  static const std::set<std::string_view> kTypes = {"DMS", "DT", "ID", "MC", "PA", "PT", "PU",
                                                    "RL",  "T",  "U",  "X",  "XN", "YN"};
  if (kTypes.count(t)) return true;
  if (t.size() >= 3 && t[0] >= '0' && t[0] <= '9') {
    const std::string_view rest = t.substr(1);
    return rest == "DP" || rest == "SF" || rest == "SCI";
  }
  return false;
}

// The headings that tie rows of a child group to their parent rows: the
// parent's KEY headings that the child's dictionary entry also has. Each
// parent records its rows' keys once per distinct list its children use.
using LinkList = std::vector<std::string>;

LinkList linkHeadings(const AgsGroupDef& child, const AgsGroupDef& parent) {
  LinkList list;
  for (const AgsHeadingDef& h : parent.headings)
    if (h.key() && child.heading(h.name)) list.push_back(h.name);
  return list;
}

const std::map<std::string, std::vector<LinkList>>& parentLinkLists() {
  static const auto* lists = [] {
    auto* map = new std::map<std::string, std::vector<LinkList>>;
    for (const AgsGroupDef& child : agsGroups()) {
      const AgsGroupDef* parent = findAgsGroup(child.parent);
      if (!parent) continue;
      LinkList list = linkHeadings(child, *parent);
      if (list.empty()) continue;
      auto& v = (*map)[parent->name];
      if (std::find(v.begin(), v.end(), list) == v.end()) v.push_back(std::move(list));
    }
    return map;
  }();
  return *lists;
}

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

}  // namespace

struct AgsChecker::State {
  // Issues, and the count of those cut short per (rule, group, heading).
  std::vector<AgsIssue> issues;
  std::map<std::tuple<std::string, std::string, std::string>, std::pair<long, long>> kinds;

  void add(AgsIssue issue) {
    auto& [count, firstCut] = kinds[{issue.rule, issue.group, issue.heading}];
    if (++count > kIssuesPerKind) {
      if (!firstCut) firstCut = issue.line;
      return;
    }
    issues.push_back(std::move(issue));
  }

  // The group being read.
  const AgsGroupDef* def = nullptr;
  std::string groupName;
  std::vector<std::string> types, units;
  std::vector<int> keyCols, requiredCols, ownIdCols;
  std::vector<int> paCols, puCols, ptCols, fsetCols;
  struct ParentRecord {
    int list;
    std::vector<int> cols;
  };
  std::vector<ParentRecord> asParent;  // key lists this group records for its children
  struct ChildLink {
    std::string parent;
    int list;
    std::vector<int> cols;
    LinkList names;
  };
  std::optional<ChildLink> asChild;
  bool tran = false;

  // The whole file.
  std::map<std::string, long> groupsSeen;  // name -> GROUP line
  std::map<std::string, std::vector<std::pair<Hash128, long>>> keys;  // rows' KEY values
  std::map<std::string, std::string> keyNames;                        // group -> its KEY headings
  std::map<std::pair<std::string, std::string>, std::vector<std::pair<Hash128, long>>> ids;
  std::map<std::pair<std::string, int>, std::set<Hash128>> parentKeys;
  struct ChildRef {
    Seen seen;
    std::string text;
  };
  std::map<std::pair<std::string, int>, std::map<Hash128, ChildRef>> childRefs;
  std::map<std::string, Seen> missingParentGroups;  // child group -> where
  std::map<std::string, Seen> unitsUsed, typesUsed, fsetsUsed;
  std::map<std::pair<std::string, std::string>, Seen> codesUsed;  // (heading, value)
  std::set<std::string> unitsDefined, typesDefined, fsetsDefined;
  std::set<std::pair<std::string, std::string>> codesDefined;
  bool hasUnit = false, hasType = false, hasAbbr = false, hasDict = false, hasFile = false;
  long projRows = -1, tranRows = -1;
  long projLine = 0, tranLine = 0;
  std::string rcon = "+";

  struct DictEntry {
    std::string type, group, heading, status;
  };
  std::vector<DictEntry> dict;
  std::map<std::string, Seen> userGroups;
  struct UserHeading {
    Seen seen;
  };
  std::vector<UserHeading> userHeadings;

  const DictEntry* dictHeading(std::string_view group, std::string_view heading) const {
    for (const DictEntry& d : dict)
      if (d.type == "HEADING" && d.group == group && d.heading == heading) return &d;
    return nullptr;
  }
};

AgsChecker::AgsChecker() : s_(std::make_unique<State>()) {}
AgsChecker::~AgsChecker() = default;

void AgsChecker::issue(const AgsIssue& issue) { s_->add(issue); }

void AgsChecker::groupStart(const AgsGroup& g) {
  State& s = *s_;
  s.groupName = g.name;
  s.def = findAgsGroup(g.name);
  s.types = g.types;
  s.units = g.units;
  s.keyCols.clear();
  s.requiredCols.clear();
  s.ownIdCols.clear();
  s.paCols.clear();
  s.puCols.clear();
  s.ptCols.clear();
  s.fsetCols.clear();
  s.asParent.clear();
  s.asChild.reset();
  s.tran = g.name == "TRAN";
  auto at = [&](long line, const char* rule, const std::string& heading, std::string message) {
    s.add({rule, line, g.name, heading, std::move(message)});
  };

  s.groupsSeen.emplace(g.name, g.line);
  if (!validGroupName(g.name))
    at(g.line, "19", {}, "a group name is one to four capital letters or digits");
  if (!s.def && !s.userGroups.count(g.name)) s.userGroups[g.name] = {g.line, g.name, {}};

  const std::string prefix = g.name + "_";
  int lastStandard = -1;
  bool userSeen = false;
  std::set<std::string> names;
  for (std::size_t k = 0; k < g.headings.size(); ++k) {
    const std::string& h = g.headings[k];
    const int col = static_cast<int>(k);
    if (!names.insert(h).second) at(g.headingLine, "7", h, "the heading appears twice");
    if (!validHeadingName(h)) {
      at(g.headingLine, "19a", h,
         "a heading name is at most nine capital letters, digits or underscores");
    } else {
      const std::size_t underscore = h.find('_');
      const std::string owner = underscore == std::string::npos ? "" : h.substr(0, underscore);
      if (underscore == std::string::npos || underscore == 0 || underscore > 4 ||
          underscore + 1 == h.size() ||
          (owner != g.name && !findAgsGroup(owner) && !s.groupsSeen.count(owner)))
        at(g.headingLine, "19b", h,
           "a heading name is a group name, an underscore and up to four more characters");
    }
    const AgsHeadingDef* hd = s.def ? s.def->heading(h) : nullptr;
    if (hd) {
      const int position = s.def->position(h);
      if (userSeen)
        at(g.headingLine, "9", h, "a standard heading after a user-defined one");
      else if (position < lastStandard)
        at(g.headingLine, "7", h, "the heading is out of the dictionary's order");
      lastStandard = std::max(lastStandard, position);
    } else {
      userSeen = true;
      if (s.def || !standardHeadingName(h)) s.userHeadings.push_back({{g.headingLine, g.name, h}});
    }

    const std::string& type = k < g.types.size() ? g.types[k] : std::string();
    if (g.hasType && type.empty()) at(g.typeLine, "8", h, "the TYPE row gives no data type");
    if (!type.empty() && !s.typesUsed.count(type)) s.typesUsed[type] = {g.typeLine, g.name, h};
    const std::string& unit = k < g.units.size() ? g.units[k] : std::string();
    if (!unit.empty() && !s.unitsUsed.count(unit)) s.unitsUsed[unit] = {g.unitLine, g.name, h};
    if (type == "PA") s.paCols.push_back(col);
    if (type == "PU") s.puCols.push_back(col);
    if (type == "PT") s.ptCols.push_back(col);
    if (h == "FILE_FSET" && g.name != "FILE") s.fsetCols.push_back(col);
    if (type == "ID" && h.rfind(prefix, 0) == 0) s.ownIdCols.push_back(col);

    bool key = hd && hd->key(), required = hd && hd->required();
    if (!s.def) {
      if (const auto* d = s.dictHeading(g.name, h)) {
        key = d->status.find("KEY") != std::string::npos;
        required = d->status.find("REQUIRED") != std::string::npos;
      }
    }
    if (key) s.keyCols.push_back(col);
    if (required) s.requiredCols.push_back(col);
  }
  if (s.def) {
    for (const AgsHeadingDef& hd : s.def->headings) {
      if (g.index(hd.name) >= 0) continue;
      if (hd.key()) at(g.headingLine, "10a", hd.name, "the KEY heading is missing");
      else if (hd.required()) at(g.headingLine, "10b", hd.name, "the REQUIRED heading is missing");
    }
  }
  // A key made of the one own ID heading is checked as a key.
  if (s.keyCols.size() == 1 && s.ownIdCols.size() == 1 && s.keyCols[0] == s.ownIdCols[0])
    s.ownIdCols.clear();
  std::vector<std::string> keyNames;
  for (int c : s.keyCols) keyNames.push_back(g.headings[c]);
  s.keyNames[g.name] = joined(keyNames);

  // Links to parent rows, both ways.
  if (auto it = parentLinkLists().find(g.name); it != parentLinkLists().end()) {
    for (std::size_t l = 0; l < it->second.size(); ++l) {
      State::ParentRecord record{static_cast<int>(l), {}};
      for (const std::string& name : it->second[l]) record.cols.push_back(g.index(name));
      if (std::find(record.cols.begin(), record.cols.end(), -1) == record.cols.end())
        s.asParent.push_back(std::move(record));
    }
  }
  if (s.def) {
    if (const AgsGroupDef* parent = findAgsGroup(s.def->parent)) {
      // A child without any of its parent's keys (LOCA under PROJ) is tied
      // to the parent's one row.
      LinkList names = linkHeadings(*s.def, *parent);
      if (!names.empty()) {
        const auto& lists = parentLinkLists().at(parent->name);
        const auto pos = std::find(lists.begin(), lists.end(), names);
        State::ChildLink link{parent->name, static_cast<int>(pos - lists.begin()), {}, names};
        for (const std::string& name : names) link.cols.push_back(g.index(name));
        if (std::find(link.cols.begin(), link.cols.end(), -1) == link.cols.end())
          s.asChild = std::move(link);
      }
    }
  }
  if (g.name == "UNIT") s.hasUnit = true;
  if (g.name == "TYPE") s.hasType = true;
  if (g.name == "ABBR") s.hasAbbr = true;
  if (g.name == "DICT") s.hasDict = true;
  if (g.name == "FILE") s.hasFile = true;
}

void AgsChecker::row(const AgsGroup& g, const AgsRow& r) {
  State& s = *s_;
  if (!r.aligned) return;
  auto at = [&](const char* rule, int col, std::string message) {
    s.add({rule, r.line, g.name, col >= 0 ? g.headings[col] : std::string(), std::move(message)});
  };

  for (std::size_t k = 0; k < r.values.size(); ++k) {
    const std::string& v = r.values[k];
    if (v.empty()) continue;
    std::string problem = valueTypeProblem(s.types[k], s.units[k], v);
    if (!problem.empty()) at("8", static_cast<int>(k), std::move(problem));
  }
  for (int c : s.requiredCols)
    if (r.values[c].empty()) at("10b", c, "the REQUIRED value is empty");
  if (!s.keyCols.empty()) {
    Hash128 h;
    for (int c : s.keyCols) h.add(r.values[c]);
    s.keys[g.name].emplace_back(h, r.line);
  }
  for (int c : s.ownIdCols) {
    if (r.values[c].empty()) continue;
    Hash128 h;
    h.add(r.values[c]);
    s.ids[{g.name, g.headings[c]}].emplace_back(h, r.line);
  }
  for (const auto& record : s.asParent) {
    Hash128 h;
    for (int c : record.cols) h.add(r.values[c]);
    s.parentKeys[{g.name, record.list}].insert(h);
  }
  if (s.asChild) {
    Hash128 h;
    std::string text;
    for (std::size_t i = 0; i < s.asChild->cols.size(); ++i) {
      const std::string& v = r.values[s.asChild->cols[i]];
      h.add(v);
      text += (i ? ", " : "") + s.asChild->names[i] + " \"" + v + "\"";
    }
    auto& refs = s.childRefs[{s.asChild->parent, s.asChild->list}];
    if (!refs.count(h)) refs[h] = {{r.line, g.name, {}}, std::move(text)};
  }
  for (int c : s.paCols) {
    const std::string& v = r.values[c];
    if (!v.empty() && !s.codesUsed.count({g.headings[c], v}))
      s.codesUsed[{g.headings[c], v}] = {r.line, g.name, g.headings[c]};
  }
  for (int c : s.puCols)
    if (!r.values[c].empty() && !s.unitsUsed.count(r.values[c]))
      s.unitsUsed[r.values[c]] = {r.line, g.name, g.headings[c]};
  for (int c : s.ptCols)
    if (!r.values[c].empty() && !s.typesUsed.count(r.values[c]))
      s.typesUsed[r.values[c]] = {r.line, g.name, g.headings[c]};
  for (int c : s.fsetCols)
    if (!r.values[c].empty() && !s.fsetsUsed.count(r.values[c]))
      s.fsetsUsed[r.values[c]] = {r.line, g.name, g.headings[c]};

  // What the file defines.
  if (g.name == "UNIT") s.unitsDefined.insert(r.at(g.index("UNIT_UNIT")));
  if (g.name == "TYPE") s.typesDefined.insert(r.at(g.index("TYPE_TYPE")));
  if (g.name == "FILE") s.fsetsDefined.insert(r.at(g.index("FILE_FSET")));
  if (g.name == "ABBR") s.codesDefined.insert({r.at(g.index("ABBR_HDNG")), r.at(g.index("ABBR_CODE"))});
  if (g.name == "DICT")
    s.dict.push_back({r.at(g.index("DICT_TYPE")), r.at(g.index("DICT_GRP")),
                      r.at(g.index("DICT_HDNG")), r.at(g.index("DICT_STAT"))});
  if (s.tran && g.index("TRAN_RCON") >= 0 && !r.at(g.index("TRAN_RCON")).empty())
    s.rcon = r.at(g.index("TRAN_RCON"));
}

void AgsChecker::groupEnd(const AgsGroup& g) {
  State& s = *s_;
  if (g.name == "PROJ") s.projRows = std::max(0L, s.projRows) + g.rows, s.projLine = g.line;
  if (g.name == "TRAN") s.tranRows = std::max(0L, s.tranRows) + g.rows, s.tranLine = g.line;
}

std::vector<AgsIssue> AgsChecker::finish() {
  State& s = *s_;
  auto at = [&](const char* rule, const Seen& where, std::string message) {
    s.add({rule, where.line, where.group, where.heading, std::move(message)});
  };
  auto file = [&](const char* rule, std::string message) {
    s.add({rule, 0, {}, {}, std::move(message)});
  };

  // Keys and identifiers that repeat.
  for (auto& [group, list] : s.keys) {
    std::sort(list.begin(), list.end());
    for (std::size_t i = 1; i < list.size(); ++i)
      if (list[i].first == list[i - 1].first)
        at("10a", {list[i].second, group, {}},
           "the KEY values (" + s.keyNames[group] + ") repeat those of line " +
               std::to_string(list[i - 1].second));
  }
  for (auto& [where, list] : s.ids) {
    std::sort(list.begin(), list.end());
    for (std::size_t i = 1; i < list.size(); ++i)
      if (list[i].first == list[i - 1].first)
        at("8", {list[i].second, where.first, where.second},
           "the identifier repeats that of line " + std::to_string(list[i - 1].second));
  }
  // Parent rows.
  for (const auto& [parent, refs] : s.childRefs) {
    if (!s.groupsSeen.count(parent.first)) {
      std::set<std::string> told;
      for (const auto& [hash, ref] : refs)
        if (told.insert(ref.seen.group).second)
          at("10c", ref.seen, "the parent group " + parent.first + " is not in the file");
      continue;
    }
    const auto& known = s.parentKeys[parent];
    for (const auto& [hash, ref] : refs)
      if (!known.count(hash))
        at("10c", ref.seen, "no " + parent.first + " row with " + ref.text);
  }

  // The groups every file carries.
  if (s.projRows < 0) file("13", "the file has no PROJ group");
  else if (s.projRows != 1) at("13", {s.projLine, "PROJ", {}}, "the PROJ group has " + std::to_string(s.projRows) + " DATA rows, not one");
  if (s.tranRows < 0) file("14", "the file has no TRAN group");
  else if (s.tranRows != 1) at("14", {s.tranLine, "TRAN", {}}, "the TRAN group has " + std::to_string(s.tranRows) + " DATA rows, not one");

  if (!s.hasUnit) file("15", "the file has no UNIT group");
  else
    for (const auto& [unit, seen] : s.unitsUsed)
      if (!s.unitsDefined.count(unit)) at("15", seen, "the unit \"" + unit + "\" is not in the UNIT group");
  if (!s.hasType) file("17", "the file has no TYPE group");
  else
    for (const auto& [type, seen] : s.typesUsed)
      if (!s.typesDefined.count(type)) at("17", seen, "the data type \"" + type + "\" is not in the TYPE group");
  for (const auto& [type, seen] : s.typesUsed)
    if (!isStandardType(type) && seen.line) at("17", seen, "\"" + type + "\" is not a data type of AGS4");

  bool toldAbbr = false;
  for (const auto& [code, seen] : s.codesUsed) {
    // A value may join several codes with the concatenator.
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = s.rcon.empty() ? std::string::npos : code.second.find(s.rcon, start);
      parts.push_back(code.second.substr(start, end == std::string::npos ? end : end - start));
      if (end == std::string::npos) break;
      start = end + s.rcon.size();
    }
    for (const std::string& part : parts) {
      if (s.codesDefined.count({code.first, part})) continue;
      if (!s.hasAbbr) {
        if (!toldAbbr) at("16", seen, "the file uses abbreviations but has no ABBR group");
        toldAbbr = true;
        break;
      }
      at("16", seen, "the abbreviation \"" + part + "\" is not in the ABBR group");
    }
  }

  // User-defined names.
  auto inDict = [&](const std::string& type, const std::string& group, const std::string& heading) {
    return std::any_of(s.dict.begin(), s.dict.end(), [&](const State::DictEntry& d) {
      return d.type == type && d.group == group && (type == "GROUP" || d.heading == heading);
    });
  };
  bool toldDict = false;
  auto needDict = [&](const Seen& seen, std::string message) {
    if (!s.hasDict) {
      if (!toldDict) at("18", seen, "the file has user-defined names but no DICT group");
      toldDict = true;
      return;
    }
    at("18", seen, std::move(message));
  };
  for (const auto& [group, seen] : s.userGroups)
    if (!inDict("GROUP", group, {}))
      needDict(seen, "the group is neither in the dictionary nor in the DICT group");
  std::map<std::string, int> lastDictPosition;
  for (const auto& u : s.userHeadings) {
    const auto it = std::find_if(s.dict.begin(), s.dict.end(), [&](const State::DictEntry& d) {
      return d.type == "HEADING" && d.group == u.seen.group && d.heading == u.seen.heading;
    });
    if (it == s.dict.end()) {
      needDict(u.seen, "the heading is neither in the dictionary nor in the DICT group");
      continue;
    }
    const int position = static_cast<int>(it - s.dict.begin());
    auto [last, fresh] = lastDictPosition.emplace(u.seen.group, position);
    if (!fresh) {
      if (position < last->second)
        at("18a", u.seen, "user-defined headings are not in the order of the DICT group");
      last->second = position;
    }
  }

  for (const auto& [fset, seen] : s.fsetsUsed)
    if (!s.fsetsDefined.count(fset))
      at("20", seen, "the file set \"" + fset + "\" is not in the FILE group");

  // Issues cut short, then everything in line order.
  for (const auto& [kind, count] : s.kinds) {
    if (count.first <= kIssuesPerKind) continue;
    s.issues.push_back({std::get<0>(kind), count.second, std::get<1>(kind), std::get<2>(kind),
                        "and " + std::to_string(count.first - kIssuesPerKind) +
                            " more of the same kind from this line on"});
  }
  std::stable_sort(s.issues.begin(), s.issues.end(),
                   [](const AgsIssue& a, const AgsIssue& b) { return a.line < b.line; });
  return std::move(s.issues);
}

AgsCheckReport checkAgs(std::istream& in) {
  AgsChecker checker;
  const AgsReadResult read = readAgs(in, checker);
  AgsCheckReport report;
  report.lines = read.lines;
  report.groups = read.groups;
  report.issues = checker.finish();
  if (!read.readable) {
    report.readable = false;
    report.error = read.error;
  } else if (read.groups == 0) {
    report.readable = false;
    report.error = "not an AGS file: no line is a GROUP row";
  }
  return report;
}

AgsCheckReport checkAgsFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    AgsCheckReport report;
    report.readable = false;
    report.error = "cannot open " + path;
    return report;
  }
  return checkAgs(in);
}

}  // namespace sq::exchange
