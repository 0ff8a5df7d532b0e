#include "strataquill/exchange/ags_export.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

#include "strataquill/db/value.h"
#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_codes.h"
#include "strataquill/exchange/ags_dictionary.h"
#include "strataquill/exchange/ags_mapping.h"
#include "strataquill/exchange/ags_text.h"
#include "strataquill/exchange/ags_writer.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/n_value.h"
#include "strataquill/project/project_schema.h"
#include "strataquill/shell/preferences.h"

namespace sq::exchange {
namespace {

using Fields = std::map<std::string, std::string>;

struct Interval {
  float from = 0, to = 0;
  Fields fields;
};

struct Boring {
  std::string name;
  Fields fields;
  std::vector<Interval> lithology, samples, completion;
};

std::string trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

bool blank(std::string_view s) {
  return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// The first row of a table as field -> text; empty when it has none.
Fields firstRow(const db::Database& database, const std::string& table) {
  Fields out;
  auto rs = database.openRecordset(table);
  if (!rs.ok() || rs->eof()) return out;
  rs->moveFirst();
  for (const std::string& f : rs->fieldNames()) out[f] = rs->text(f);
  return out;
}

std::vector<Interval> readIntervals(const db::Database& database, const std::string& boring,
                                    int table) {
  std::vector<Interval> out;
  auto rs = database.openRecordset(project::GetSQL(boring, table));
  if (!rs.ok()) return out;
  const std::vector<std::string> names = rs->fieldNames();
  for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
    auto from = rs->value("From");
    auto to = rs->value("To");
    // Rows that cannot be placed on the depth scale are not part of the log.
    if (!from.ok() || !to.ok() || from->isNull() || to->isNull()) continue;
    Interval row{from->toFloat(), to->toFloat(), {}};
    for (const std::string& f : names)
      if (f != "From" && f != "To" && f != "BoringName") row.fields[f] = rs->text(f);
    out.push_back(std::move(row));
  }
  return out;
}

std::string today() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm tm{};
  localtime_r(&now, &tm);
  char buffer[16];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%d", &tm);
  return buffer;
}

// Puts a table's headings in the dictionary's order, user-defined ones after
// the standard ones in the order they were added.
void sortColumns(AgsTable& t) {
  const AgsGroupDef* def = findAgsGroup(t.name);
  std::vector<std::size_t> order(t.headings.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  auto rank = [&](std::size_t k) {
    const int p = def ? def->position(t.headings[k]) : -1;
    return p < 0 ? 100000 + static_cast<int>(k) : p;
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  auto permute = [&](std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (std::size_t k : order) out.push_back(std::move(v[k]));
    v = std::move(out);
  };
  permute(t.headings);
  permute(t.units);
  permute(t.types);
  for (auto& row : t.rows) permute(row);
}

// The KEY and REQUIRED headings of a standard group, which stay even when
// empty.
std::vector<std::string> keptHeadings(const std::string& group) {
  std::vector<std::string> keep;
  if (const AgsGroupDef* def = findAgsGroup(group))
    for (const AgsHeadingDef& h : def->headings)
      if (h.key() || h.required()) keep.push_back(h.name);
  return keep;
}

class Exporter {
 public:
  explicit Exporter(const AgsExportOptions& options) : o_(options) {}

  AgsExportResult run(const db::Database& database, std::vector<std::string> names) {
    AgsExportResult result;
    if (names.empty()) {
      auto rs = database.openRecordset(project::boringListSql());
      if (rs.ok())
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
          if (!blank(rs->text("BoringName"))) names.push_back(rs->text("BoringName"));
    }
    std::set<std::string> seen;
    for (const std::string& name : names) {
      if (!seen.insert(name).second) continue;
      auto rs = database.openRecordset(project::GetSQL(name, project::kBoringTable));
      if (!rs.ok() || rs->eof()) {
        result.status = db::Status::error(db::ErrorCode::kItemNotFound,
                                          "The project has no boring named \"" + name + "\".");
        return result;
      }
      Boring b;
      b.name = name;
      rs->moveFirst();
      for (const std::string& f : rs->fieldNames()) b.fields[f] = rs->text(f);
      b.lithology = readIntervals(database, name, project::kLithologyTable);
      b.samples = readIntervals(database, name, project::kSampleTable);
      b.completion = readIntervals(database, name, project::kCompletionTable);
      borings_.push_back(std::move(b));
    }
    if (borings_.empty()) {
      result.status = db::Status::error(db::ErrorCode::kItemNotFound,
                                        "The project has no borings to export.");
      return result;
    }
    if (db::Status s = chooseDepthUnit(); !s.ok()) {
      result.status = s;
      return result;
    }
    project_ = firstRow(database, "Project Information");
    labels_ = firstRow(database, "Sample User Label");

    buildProject();
    buildTransmission();
    for (const Boring& b : borings_) {
      buildLocation(b);
      buildHoleDetails(b);
      buildLithology(b);
      buildSamples(b);
      buildWater(b);
      buildCompletion(b);
    }
    finishNumbers();
    std::vector<AgsTable*> data = {&proj_, &tran_, &loca_, &hdph_, &hdia_, &horn_, &geol_,
                                   &samp_, &ispt_, &wstg_, &mong_, &mond_, &pipe_, &bkfl_};
    for (AgsTable* t : data) {
      sortColumns(*t);
      t->dropEmptyColumns(keptHeadings(t->name));
    }
    buildDictionary(data);
    buildAbbreviations(data);
    data.push_back(&dict_);
    data.push_back(&abbr_);
    buildUnitsAndTypes(data);

    std::vector<AgsTable> tables;
    for (AgsTable* t : data) tables.push_back(std::move(*t));
    tables.push_back(std::move(unit_));
    tables.push_back(std::move(type_));
    std::ostringstream out;
    writeAgs(out, tables);
    result.text = out.str();

    std::istringstream in(result.text);
    result.issues = checkAgs(in).issues;
    result.warnings = std::move(warnings_);
    if (!replaced_.empty()) {
      std::string list;
      int total = 0;
      for (const auto& [character, count] : replaced_) {
        total += count;
        list += (list.empty() ? "" : ", ") + std::string("\"") + character + "\" as \"" +
                toAscii(character) + "\" (" + std::to_string(count) + ")";
      }
      result.warnings.push_back(std::to_string(total) +
                                " characters outside ASCII were written as ASCII: " + list + ".");
    }
    if (lineBreaks_)
      result.warnings.push_back(std::to_string(lineBreaks_) +
                                " line breaks inside texts were written as blanks.");
    result.borings = static_cast<int>(borings_.size());
    result.lithology = static_cast<int>(tables[6].rows.size());
    result.samples = static_cast<int>(tables[7].rows.size());
    result.tests = static_cast<int>(tables[8].rows.size());
    result.completion = static_cast<int>(tables[12].rows.size() + tables[13].rows.size());
    return result;
  }

 private:
  // Text as a file may hold it: ASCII, no line breaks, blanks-only empty.
  std::string clean(std::string_view v) {
    if (blank(v)) return {};
    std::string s;
    s.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (v[i] == '\r' || v[i] == '\n') {
        if (v[i] == '\r' && i + 1 < v.size() && v[i + 1] == '\n') ++i;
        s += ' ';
        ++lineBreaks_;
      } else {
        s += v[i];
      }
    }
    return toAscii(s, &replaced_);
  }

  std::string field(const Fields& f, const char* name) {
    const auto it = f.find(name);
    return it == f.end() ? std::string() : clean(it->second);
  }

  db::Status chooseDepthUnit() {
    std::set<std::string> units;
    for (const Boring& b : borings_) {
      const std::string text = b.fields.count("DepthUnits") ? b.fields.at("DepthUnits") : "";
      if (blank(text)) continue;
      const std::string unit = agsUnitFor(text);
      if (unit != "ft" && unit != "m")
        return db::Status::error(db::ErrorCode::kGeneric,
                                 "Boring " + b.name + " has the depth unit \"" + text +
                                     "\"; only Feet and Meters can be exported.");
      units.insert(unit);
    }
    if (units.size() > 1)
      return db::Status::error(db::ErrorCode::kGeneric,
                               "The borings use both feet and meters. An AGS file holds one depth "
                               "unit and the program never converts units: export the borings of "
                               "each unit to a file of its own.");
    if (units.empty())
      return db::Status::error(db::ErrorCode::kGeneric,
                               "No boring has a depth unit (Feet or Meters); set it before "
                               "exporting.");
    depthUnit_ = *units.begin();
    for (const Boring& b : borings_)
      if (blank(b.fields.count("DepthUnits") ? b.fields.at("DepthUnits") : ""))
        warnings_.push_back("Boring " + b.name + " has no depth unit; its depths are written in " +
                            projectUnitFor(depthUnit_) + " like the others.");
    return {};
  }

  std::string depth(float v) { return db::formatSingle(v); }

  // Marks a column of typed numbers (coordinates, levels): values that are
  // not numbers are left out with a warning naming `what`; the others keep
  // their text, under "nDP" when they all have n decimals, else under "U"
  // (a value of variable format), so that "8" and "8.25" stay as typed.
  void numbers(AgsTable& t, const std::string& heading, std::string what) {
    numberColumns_.push_back({&t, heading, std::move(what), 0, 9, true});
  }
  // Marks a column of depths, written with the decimals the longest needs
  // (at least `minDecimals`, at most `maxDecimals`).
  void depths(AgsTable& t, const std::string& heading, std::string what, int minDecimals,
              int maxDecimals) {
    numberColumns_.push_back({&t, heading, std::move(what), minDecimals, maxDecimals, false});
  }

  void finishNumbers() {
    for (const NumberColumn& c : numberColumns_) {
      AgsTable& t = *c.table;
      const int col = t.column(c.heading);
      const auto id = std::find(t.headings.begin(), t.headings.end(), "LOCA_ID");
      const int idCol = id == t.headings.end() ? -1 : static_cast<int>(id - t.headings.begin());
      int places = c.minDecimals;
      std::set<int> seen;
      for (auto& row : t.rows) {
        std::string& v = row[col];
        if (v.empty()) continue;
        const auto d = decimalsIn(v);
        if (!d) {
          warnings_.push_back((idCol < 0 ? std::string("Project") : "Boring " + row[idCol]) +
                              ": " + c.what + " \"" + v + "\" is not a number; left out of " +
                              c.heading + ".");
          v.clear();
          continue;
        }
        seen.insert(*d);
        places = std::max(places, std::min(*d, c.maxDecimals));
      }
      if (c.typed) {
        if (seen.size() > 1 || (!seen.empty() && places < *seen.begin())) {
          t.types[col] = "U";
          for (auto& row : t.rows) row[col] = trimmed(row[col]);
          continue;
        }
        places = seen.empty() ? 0 : *seen.begin();
      }
      t.types[col] = std::to_string(places) + "DP";
      for (auto& row : t.rows)
        if (!row[col].empty())
          row[col] = fixedDecimals(*db::parseWholeNumber(row[col]), places);
    }
  }

  void buildProject() {
    AgsTable& t = proj_;
    for (const char* h : {"PROJ_ID", "PROJ_NAME", "PROJ_LOC", "PROJ_CLNT", "PROJ_ENG"}) t.column(h);
    t.types[0] = "ID";
    auto& row = t.addRow();
    std::string id = field(project_, "ProjectNumber");
    if (id.empty()) id = clean(o_.projectFileName);
    if (id.empty()) id = "1";
    t.set(row, "PROJ_ID", id);
    t.set(row, "PROJ_NAME", field(project_, "ProjectName"));
    std::string location;
    const std::string stateZip =
        field(project_, "SiteState") +
        (field(project_, "SiteZip").empty() || field(project_, "SiteState").empty() ? "" : " ") +
        field(project_, "SiteZip");
    for (const std::string& part : {field(project_, "SiteAddress1"), field(project_, "SiteAddress2"),
                                    field(project_, "SiteCity"), stateZip})
      if (!part.empty()) location += (location.empty() ? "" : ", ") + part;
    t.set(row, "PROJ_LOC", location);
    t.set(row, "PROJ_CLNT", field(project_, "Client"));
    t.set(row, "PROJ_ENG", clean(o_.company));
    if (!o_.userHeadings) return;
    for (const FieldHeading& f : projectUserHeadings()) {
      const std::string v = field(project_, f.field);
      if (v.empty()) continue;
      t.column(f.heading);
      t.set(t.rows[0], f.heading, v);
      userDescriptions_[f.heading] = f.description;
    }
  }

  void buildTransmission() {
    AgsTable& t = tran_;
    t.column("TRAN_ISNO");
    t.column("TRAN_DATE", "yyyy-mm-dd", "DT");
    for (const char* h : {"TRAN_PROD", "TRAN_STAT", "TRAN_DESC", "TRAN_AGS", "TRAN_RECV",
                          "TRAN_RCON"})
      t.column(h);
    auto& row = t.addRow();
    t.set(row, "TRAN_ISNO", "1");
    t.set(row, "TRAN_DATE", o_.date.empty() ? today() : o_.date);
    const std::string company = clean(o_.company);
    t.set(row, "TRAN_PROD", company.empty() ? "Strataquill" : company);
    t.set(row, "TRAN_STAT", o_.transferStatus.empty() ? "Issued" : clean(o_.transferStatus));
    std::string name = field(project_, "ProjectName");
    t.set(row, "TRAN_DESC",
          "Boring logs of " + std::to_string(borings_.size()) +
              (borings_.size() == 1 ? " location" : " locations") +
              (name.empty() ? std::string() : ", " + name));
    t.set(row, "TRAN_AGS", kAgsEdition);
    std::string recipient = clean(o_.recipient);
    if (recipient.empty()) recipient = field(project_, "Client");
    t.set(row, "TRAN_RECV", recipient.empty() ? "Not stated" : recipient);
    t.set(row, "TRAN_RCON", "+");
  }

  // The code of a drilling method under `heading`, with its description.
  std::string methodCode(const std::string& heading, const std::string& method) {
    if (method.empty()) return {};
    // A method the standard names keeps its code under both headings; the
    // description is the standard's for the heading that lists it.
    const std::string standard = drillMethodCode(method);
    CodeBook& book = books_[heading];
    if (!standard.empty()) {
      std::string description = standardCodeDescription(heading, standard);
      if (description.empty()) description = standardCodeDescription("LOCA_TYPE", standard);
      book.add(standard, description);
      return standard;
    }
    return book.codeFor(method);
  }

  std::string classCode(const std::string& heading, const std::string& text) {
    return text.empty() ? std::string() : books_[heading].codeFor(text);
  }

  std::string standardCode(const std::string& heading, const std::string& code) {
    if (!code.empty()) books_[heading].add(code, standardCodeDescription(heading, code));
    return code;
  }

  // The depth a boring reaches: its total depth, else its deepest interval.
  std::string baseDepth(const Boring& b) {
    const std::string total = field(b.fields, "TotalDepth");
    if (decimalsIn(total)) return total;
    float deepest = 0;
    for (const auto* rows : {&b.lithology, &b.samples, &b.completion})
      for (const Interval& r : *rows) deepest = std::max({deepest, r.from, r.to});
    return depth(deepest);
  }

  std::string isoOf(const Boring& b, const char* name) {
    const std::string text = field(b.fields, name);
    if (text.empty()) return {};
    if (auto iso = isoDate(text, o_.dateOrder)) return *iso;
    warnings_.push_back("Boring " + b.name + ": " + name + " \"" + text +
                        "\" is not a date in the project's date form; left out.");
    return {};
  }

  void buildLocation(const Boring& b) {
    AgsTable& t = loca_;
    const std::string eastingUnit = unitText(b, "EastingUnits");
    const std::string northingUnit = unitText(b, "NorthingUnits");
    if (t.rows.empty()) {
      t.column("LOCA_ID", "", "ID");
      t.column("LOCA_TYPE", "", "PA");
      t.column("LOCA_STAT", "", "PA");
      t.column("LOCA_NATE", eastingUnit);
      t.column("LOCA_NATN", northingUnit);
      t.column("LOCA_GL", depthUnit_);
      t.column("LOCA_REM");
      t.column("LOCA_FDEP", depthUnit_);
      t.column("LOCA_STAR", "yyyy-mm-dd", "DT");
      t.column("LOCA_ENDD", "yyyy-mm-dd", "DT");
      t.column("LOCA_LAT", "deg");
      t.column("LOCA_LON", "deg");
      numbers(t, "LOCA_NATE", "Easting");
      numbers(t, "LOCA_NATN", "Northing");
      numbers(t, "LOCA_GL", "GroundElevation");
      numbers(t, "LOCA_FDEP", "TotalDepth");
      numbers(t, "LOCA_LAT", "Latitude");
      numbers(t, "LOCA_LON", "Longitude");
    }
    auto& row = t.addRow();
    t.set(row, "LOCA_ID", clean(b.name));
    t.set(row, "LOCA_TYPE", methodCode("LOCA_TYPE", field(b.fields, "DrillMethod")));
    t.set(row, "LOCA_STAT", standardCode("LOCA_STAT", clean(o_.locationStatus)));
    auto coordinate = [&](const char* heading, const char* name, const std::string& unit) {
      const std::string v = field(b.fields, name);
      if (v.empty()) return;
      if (unit != t.units[t.column(heading)]) {
        warnings_.push_back("Boring " + b.name + ": " + name + " is in \"" + unit +
                            "\" while the other borings' are in \"" + t.units[t.column(heading)] +
                            "\"; left out of " + heading + ".");
        return;
      }
      t.set(row, heading, v);
    };
    coordinate("LOCA_NATE", "Easting", eastingUnit);
    coordinate("LOCA_NATN", "Northing", northingUnit);
    t.set(row, "LOCA_GL", field(b.fields, "GroundElevation"));
    t.set(row, "LOCA_REM", field(b.fields, "Completion"));
    t.set(row, "LOCA_FDEP", field(b.fields, "TotalDepth"));
    t.set(row, "LOCA_STAR", isoOf(b, "DateStart"));
    t.set(row, "LOCA_ENDD", isoOf(b, "DateEnd"));
    t.set(row, "LOCA_LAT", field(b.fields, "Latitude"));
    t.set(row, "LOCA_LON", field(b.fields, "Longitude"));
    if (!o_.userHeadings) return;
    for (const FieldHeading& f : boringUserHeadings()) {
      const std::string v = field(b.fields, f.field);
      if (v.empty()) continue;
      t.column(f.heading);
      t.set(t.rows.back(), f.heading, v);
      userDescriptions_[f.heading] = f.description;
    }
  }

  // The AGS unit of a unit field ("Feet" -> "ft"); the text itself when it
  // is no unit of ours.
  std::string unitText(const Boring& b, const char* name) {
    const std::string text = field(b.fields, name);
    const std::string unit = agsUnitFor(text);
    return unit.empty() ? text : unit;
  }

  void buildHoleDetails(const Boring& b) {
    const std::string method = field(b.fields, "DrillMethod");
    const std::string crew = field(b.fields, "Driller"), rig = field(b.fields, "DrillRig");
    const std::string logger = field(b.fields, "Supervisor");
    const std::string contractor = field(b.fields, "DrillingContractor");
    const std::string base = baseDepth(b);
    if (!(method + crew + rig + logger + contractor).empty()) {
      AgsTable& t = hdph_;
      if (t.rows.empty()) {
        t.column("LOCA_ID", "", "ID");
        t.column("HDPH_TOP", depthUnit_);
        t.column("HDPH_BASE", depthUnit_);
        t.column("HDPH_TYPE", "", "PA");
        t.column("HDPH_STAR", "yyyy-mm-dd", "DT");
        t.column("HDPH_ENDD", "yyyy-mm-dd", "DT");
        for (const char* h : {"HDPH_CREW", "HDPH_EXC", "HDPH_LOG", "HDPH_METH", "HDPH_CONT"})
          t.column(h);
        depths(t, "HDPH_TOP", "depth", 2, 4);
        depths(t, "HDPH_BASE", "depth", 2, 4);
      }
      auto& row = t.addRow();
      t.set(row, "LOCA_ID", clean(b.name));
      t.set(row, "HDPH_TOP", "0");
      t.set(row, "HDPH_BASE", base);
      t.set(row, "HDPH_TYPE", methodCode("HDPH_TYPE", method));
      t.set(row, "HDPH_STAR", isoOfQuiet(b, "DateStart"));
      t.set(row, "HDPH_ENDD", isoOfQuiet(b, "DateEnd"));
      t.set(row, "HDPH_CREW", crew);
      t.set(row, "HDPH_EXC", rig);
      t.set(row, "HDPH_LOG", logger);
      t.set(row, "HDPH_METH", method);
      t.set(row, "HDPH_CONT", contractor);
    }
    const std::string diameter = field(b.fields, "BoringDiameter");
    if (!diameter.empty()) {
      AgsTable& t = hdia_;
      const std::string unit = unitText(b, "BoringDiameterUnits");
      if (t.rows.empty()) {
        t.column("LOCA_ID", "", "ID");
        t.column("HDIA_DPTH", depthUnit_);
        t.column("HDIA_DIAM", unit);
        depths(t, "HDIA_DPTH", "depth", 2, 4);
        numbers(t, "HDIA_DIAM", "BoringDiameter");
      }
      if (unit != t.units[t.column("HDIA_DIAM")]) {
        warnings_.push_back("Boring " + b.name + ": BoringDiameter is in \"" + unit +
                            "\" while the other borings' are in \"" +
                            t.units[t.column("HDIA_DIAM")] + "\"; left out of HDIA.");
      } else {
        auto& row = t.addRow();
        t.set(row, "LOCA_ID", clean(b.name));
        t.set(row, "HDIA_DPTH", base);
        t.set(row, "HDIA_DIAM", diameter);
      }
    }
    const std::string trend = field(b.fields, "Trend"), plunge = field(b.fields, "Plunge");
    if (!(trend + plunge).empty()) {
      AgsTable& t = horn_;
      if (t.rows.empty()) {
        t.column("LOCA_ID", "", "ID");
        t.column("HORN_TOP", depthUnit_);
        t.column("HORN_BASE", depthUnit_);
        t.column("HORN_ORNT", "deg");
        t.column("HORN_INCL", "deg");
        depths(t, "HORN_TOP", "depth", 2, 4);
        depths(t, "HORN_BASE", "depth", 2, 4);
        numbers(t, "HORN_ORNT", "Trend");
        numbers(t, "HORN_INCL", "Plunge");
      }
      auto& row = t.addRow();
      t.set(row, "LOCA_ID", clean(b.name));
      t.set(row, "HORN_TOP", "0");
      t.set(row, "HORN_BASE", base);
      t.set(row, "HORN_ORNT", trend);
      t.set(row, "HORN_INCL", plunge);
    }
  }

  std::string isoOfQuiet(const Boring& b, const char* name) {
    const std::string text = field(b.fields, name);
    const auto iso = isoDate(text, o_.dateOrder);
    return iso ? *iso : std::string();
  }

  void buildLithology(const Boring& b) {
    AgsTable& t = geol_;
    if (t.headings.empty()) {
      t.column("LOCA_ID", "", "ID");
      t.column("GEOL_TOP", depthUnit_);
      t.column("GEOL_BASE", depthUnit_);
      t.column("GEOL_DESC");
      t.column("GEOL_LEG", "", "PA");
      t.column("GEOL_GEOL", "", "PA");
      if (o_.userHeadings) {
        t.column(kSeparatorHeading);
        userDescriptions_[kSeparatorHeading] = "Line drawn under the interval on the log";
      }
      depths(t, "GEOL_TOP", "From", 2, 4);
      depths(t, "GEOL_BASE", "To", 2, 4);
    }
    std::set<std::pair<float, float>> keys;
    for (const Interval& r : b.lithology) {
      if (!keys.insert({r.from, r.to}).second) {
        warnings_.push_back("Boring " + b.name + ": a second lithology interval " + depth(r.from) +
                            " to " + depth(r.to) + " is left out (the file allows one).");
        continue;
      }
      auto& row = t.addRow();
      const std::string cls = field(r.fields, "Classification");
      t.set(row, "LOCA_ID", clean(b.name));
      t.set(row, "GEOL_TOP", depth(r.from));
      t.set(row, "GEOL_BASE", depth(r.to));
      t.set(row, "GEOL_DESC", field(r.fields, "Description"));
      t.set(row, "GEOL_LEG", classCode("GEOL_LEG", cls));
      t.set(row, "GEOL_GEOL", classCode("GEOL_GEOL", cls));
      if (o_.userHeadings) t.set(row, kSeparatorHeading, field(r.fields, "SeparatorType"));
    }
  }

  void buildSamples(const Boring& b) {
    AgsTable& s = samp_;
    if (s.headings.empty()) {
      s.column("LOCA_ID", "", "ID");
      s.column("SAMP_TOP", depthUnit_);
      s.column("SAMP_REF");
      s.column("SAMP_TYPE", "", "PA");
      s.column("SAMP_ID", "", "ID");
      s.column("SAMP_BASE", depthUnit_);
      depths(s, "SAMP_TOP", "From", 2, 4);
      depths(s, "SAMP_BASE", "To", 2, 4);
      if (o_.userHeadings) {
        s.column(kBlowCountsHeading);
        userDescriptions_[kBlowCountsHeading] = "Blow counts as recorded";
        for (int k = 1; k <= 10; ++k) {
          const std::string label = field(labels_, ("UserLabel" + std::to_string(k)).c_str());
          s.column(sampleUserHeading(k));
          userDescriptions_[sampleUserHeading(k)] =
              label.empty() || label == "Undefined" ? "Sample user column " + std::to_string(k)
                                                    : label;
        }
      }
      AgsTable& t = ispt_;
      t.column("LOCA_ID", "", "ID");
      t.column("ISPT_TOP", depthUnit_);
      t.column("ISPT_NVAL", "", "0DP");
      t.column("ISPT_REP");
      t.column("ISPT_REM");
      depths(t, "ISPT_TOP", "From", 2, 4);
    }
    int reference = 0;
    std::set<float> tests;
    for (const Interval& r : b.samples) {
      auto& row = s.addRow();
      const std::string blows = field(r.fields, "BlowCounts");
      s.set(row, "LOCA_ID", clean(b.name));
      s.set(row, "SAMP_TOP", depth(r.from));
      s.set(row, "SAMP_REF", std::to_string(++reference));
      s.set(row, "SAMP_TYPE", classCode("SAMP_TYPE", field(r.fields, "SampleType")));
      s.set(row, "SAMP_BASE", depth(r.to));
      if (o_.userHeadings) {
        s.set(row, kBlowCountsHeading, blows);
        for (int k = 1; k <= 10; ++k)
          s.set(row, sampleUserHeading(k), field(r.fields, ("UserText" + std::to_string(k)).c_str()));
      }
      const project::NValue n = project::ParseNValue(blows);
      if (n.kind != project::NValueKind::kValue && n.kind != project::NValueKind::kPartial &&
          n.kind != project::NValueKind::kRefusal)
        continue;
      if (!tests.insert(r.from).second) {
        warnings_.push_back("Boring " + b.name + ": a second test at " + depth(r.from) +
                            " is left out of ISPT (the file allows one per depth).");
        continue;
      }
      AgsTable& t = ispt_;
      auto& test = t.addRow();
      t.set(test, "LOCA_ID", clean(b.name));
      t.set(test, "ISPT_TOP", depth(r.from));
      if (n.kind != project::NValueKind::kRefusal) t.set(test, "ISPT_NVAL", std::to_string(n.n));
      t.set(test, "ISPT_REP", blows);
      if (n.kind == project::NValueKind::kPartial)
        t.set(test, "ISPT_REM", "N from two increments only");
      if (n.kind == project::NValueKind::kRefusal)
        t.set(test, "ISPT_REM", "Refusal: " + clean(n.text));
    }
  }

  void buildWater(const Boring& b) {
    const std::string drilled = field(b.fields, "DrilledWater");
    if (!drilled.empty()) {
      AgsTable& t = wstg_;
      if (t.rows.empty()) {
        t.column("LOCA_ID", "", "ID");
        t.column("WSTG_DPTH", depthUnit_);
        t.column("WSTG_DTIM", "yyyy-mm-dd", "DT");
        t.column("WSTG_REM");
        numbers(t, "WSTG_DPTH", "DrilledWater");
      }
      auto& row = t.addRow();
      t.set(row, "LOCA_ID", clean(b.name));
      // A level in words ("Not encountered") is a remark of a strike
      // without a depth.
      if (decimalsIn(drilled)) t.set(row, "WSTG_DPTH", drilled);
      else t.set(row, "WSTG_REM", drilled);
      t.set(row, "WSTG_DTIM", isoOfQuiet(b, "DateStart"));
    }
    for (const auto& [name, point, kind, label] :
         {std::tuple{"StaticWater", kStaticWaterPoint, "", "Static water level"},
          std::tuple{"PotentiometricWater", kPotentiometricPoint, "SPIE",
                     "Potentiometric water level"}}) {
      const std::string level = field(b.fields, name);
      if (level.empty()) continue;
      if (mong_.rows.empty()) {
        AgsTable& g = mong_;
        g.column("LOCA_ID", "", "ID");
        g.column("MONG_ID");
        g.column("MONG_DIS", depthUnit_, "2DP");
        g.column("MONG_TYPE", "", "PA");
        g.column("MONG_DETL");
        AgsTable& d = mond_;
        d.column("LOCA_ID", "", "ID");
        d.column("MONG_ID");
        d.column("MONG_DIS", depthUnit_, "2DP");
        d.column("MOND_DTIM", "yyyy-mm-dd", "DT");
        d.column("MOND_TYPE", "", "PA");
        d.column("MOND_REF");
        d.column("MOND_RDNG", "", "XN");
        d.column("MOND_UNIT", "", "PU");
        d.column("MOND_NAME");
      }
      auto& g = mong_.addRow();
      mong_.set(g, "LOCA_ID", clean(b.name));
      mong_.set(g, "MONG_ID", point);
      mong_.set(g, "MONG_DIS", "0.00");
      mong_.set(g, "MONG_TYPE", standardCode("MONG_TYPE", kind));
      mong_.set(g, "MONG_DETL", label);
      auto& d = mond_.addRow();
      mond_.set(d, "LOCA_ID", clean(b.name));
      mond_.set(d, "MONG_ID", point);
      mond_.set(d, "MONG_DIS", "0.00");
      mond_.set(d, "MOND_DTIM", isoOfQuiet(b, "DateEnd"));
      mond_.set(d, "MOND_TYPE", standardCode("MOND_TYPE", "WDEP"));
      mond_.set(d, "MOND_RDNG", level);
      mond_.set(d, "MOND_UNIT", depthUnit_);
      mond_.set(d, "MOND_NAME", label);
    }
  }

  void buildCompletion(const Boring& b) {
    if (pipe_.headings.empty()) {
      AgsTable& p = pipe_;
      p.column("LOCA_ID", "", "ID");
      p.column("PIPE_REF");
      p.column("PIPE_TOP", depthUnit_);
      p.column("PIPE_BASE", depthUnit_);
      p.column("PIPE_TYPE", "", "PA");
      p.column("PIPE_CONS");
      depths(p, "PIPE_TOP", "From", 2, 4);
      depths(p, "PIPE_BASE", "To", 2, 4);
      AgsTable& k = bkfl_;
      k.column("LOCA_ID", "", "ID");
      k.column("BKFL_TOP", depthUnit_);
      k.column("BKFL_BASE", depthUnit_);
      k.column("BKFL_DESC");
      k.column("BKFL_LEG", "", "PA");
      depths(k, "BKFL_TOP", "From", 2, 4);
      depths(k, "BKFL_BASE", "To", 2, 4);
    }
    std::set<std::pair<float, float>> pipes;
    std::set<float> fills;
    for (const Interval& r : b.completion) {
      const std::string cls = field(r.fields, "Classification");
      const std::string raw = r.fields.count("Classification") ? r.fields.at("Classification") : "";
      const CompletionTarget target = o_.completion.target(raw);
      if (target.none()) {
        if (isStoredNone(raw)) {
          warnings_.push_back("Boring " + b.name + ": the completion interval " + depth(r.from) +
                              " to " + depth(r.to) + " (\"" + cls +
                              "\") is left out, as its class is set to none.");
          continue;
        }
        warnings_.push_back("Boring " + b.name + ": completion class \"" + cls +
                            "\" has no PIPE or BKFL code; written as backfill by its name.");
      }
      if (!target.pipe.empty()) {
        if (!pipes.insert({r.from, r.to}).second) {
          warnings_.push_back("Boring " + b.name + ": a second pipe " + depth(r.from) + " to " +
                              depth(r.to) + " is left out.");
        } else {
          auto& row = pipe_.addRow();
          pipe_.set(row, "LOCA_ID", clean(b.name));
          pipe_.set(row, "PIPE_REF", "1");
          pipe_.set(row, "PIPE_TOP", depth(r.from));
          pipe_.set(row, "PIPE_BASE", depth(r.to));
          pipe_.set(row, "PIPE_TYPE", standardCode("PIPE_TYPE", target.pipe));
          pipe_.set(row, "PIPE_CONS", cls);
        }
      }
      if (!target.backfill.empty() || target.pipe.empty()) {
        if (!fills.insert(r.from).second) {
          warnings_.push_back("Boring " + b.name + ": a second backfill from " + depth(r.from) +
                              " is left out.");
          continue;
        }
        auto& row = bkfl_.addRow();
        bkfl_.set(row, "LOCA_ID", clean(b.name));
        bkfl_.set(row, "BKFL_TOP", depth(r.from));
        bkfl_.set(row, "BKFL_BASE", depth(r.to));
        bkfl_.set(row, "BKFL_DESC", cls);
        bkfl_.set(row, "BKFL_LEG", backfillCode(target.backfill));
      }
    }
  }

  bool isStoredNone(const std::string& className) const {
    for (const auto& e : o_.completion.entries())
      if (e.className == className) return e.stored && e.target.none();
    return false;
  }

  std::string backfillCode(const std::string& code) {
    if (code.empty()) return {};
    const std::string standard = standardCodeDescription("BKFL_LEG", code);
    books_["BKFL_LEG"].add(code, standard.empty() ? code : standard);
    return code;
  }

  void buildDictionary(const std::vector<AgsTable*>& tables) {
    AgsTable& t = dict_;
    for (const char* h : {"DICT_TYPE", "DICT_GRP", "DICT_HDNG", "DICT_STAT", "DICT_DTYP",
                          "DICT_DESC", "DICT_UNIT"}) {
      t.column(h);
    }
    t.types = {"PA", "X", "X", "PA", "PT", "X", "PU"};
    for (const AgsTable* table : tables) {
      const AgsGroupDef* def = findAgsGroup(table->name);
      for (std::size_t k = 0; k < table->headings.size(); ++k) {
        const std::string& h = table->headings[k];
        if (def && def->heading(h)) continue;
        auto& row = t.addRow();
        t.set(row, "DICT_TYPE", standardCode("DICT_TYPE", "HEADING"));
        t.set(row, "DICT_GRP", table->name);
        t.set(row, "DICT_HDNG", h);
        t.set(row, "DICT_STAT", standardCode("DICT_STAT", "OTHER"));
        t.set(row, "DICT_DTYP", table->types[k]);
        t.set(row, "DICT_DESC", clean(userDescriptions_[h]));
        t.set(row, "DICT_UNIT", table->units[k]);
      }
    }
  }

  void buildAbbreviations(const std::vector<AgsTable*>& tables) {
    AgsTable& t = abbr_;
    for (const char* h : {"ABBR_HDNG", "ABBR_CODE", "ABBR_DESC", "ABBR_LIST"}) t.column(h);
    std::set<std::pair<std::string, std::string>> used;
    for (const AgsTable* table : tables)
      for (std::size_t k = 0; k < table->headings.size(); ++k)
        if (table->types[k] == "PA")
          for (const auto& row : table->rows)
            if (!row[k].empty()) used.insert({table->headings[k], row[k]});
    if (!dict_.rows.empty()) {
      used.insert({"DICT_TYPE", "HEADING"});
      used.insert({"DICT_STAT", "OTHER"});
    }
    for (const auto& [heading, code] : used) {
      const std::string standard = standardCodeDescription(heading, code);
      auto& row = t.addRow();
      t.set(row, "ABBR_HDNG", heading);
      t.set(row, "ABBR_CODE", code);
      std::string description = standard;
      if (description.empty()) {
        const auto& texts = books_[heading].texts();
        const auto it = texts.find(code);
        description = it == texts.end() ? code : it->second;
      }
      t.set(row, "ABBR_DESC", clean(description));
      t.set(row, "ABBR_LIST", standard.empty() ? "" : "AGS4");
    }
    t.dropEmptyColumns(keptHeadings("ABBR"));
  }

  void buildUnitsAndTypes(const std::vector<AgsTable*>& tables) {
    std::set<std::string> units, types = {"X"};
    for (const AgsTable* table : tables) {
      if (table->rows.empty()) continue;
      for (std::size_t k = 0; k < table->headings.size(); ++k) {
        if (!table->units[k].empty()) units.insert(table->units[k]);
        types.insert(table->types[k]);
        if (table->types[k] == "PU")
          for (const auto& row : table->rows)
            if (!row[k].empty()) units.insert(row[k]);
        if (table->types[k] == "PT")
          for (const auto& row : table->rows)
            if (!row[k].empty()) types.insert(row[k]);
      }
    }
    unit_.column("UNIT_UNIT");
    unit_.column("UNIT_DESC");
    for (const std::string& u : units) {
      auto& row = unit_.addRow();
      unit_.set(row, "UNIT_UNIT", u);
      unit_.set(row, "UNIT_DESC", unitDescription(u));
    }
    type_.column("TYPE_TYPE");
    type_.column("TYPE_DESC");
    for (const std::string& ty : types) {
      auto& row = type_.addRow();
      type_.set(row, "TYPE_TYPE", ty);
      type_.set(row, "TYPE_DESC", typeDescription(ty));
    }
  }

  struct NumberColumn {
    AgsTable* table;
    std::string heading, what;
    int minDecimals, maxDecimals;
    bool typed;  // keeps the text as typed
  };

  const AgsExportOptions& o_;
  std::vector<Boring> borings_;
  Fields project_, labels_;
  std::string depthUnit_;
  AgsTable proj_{"PROJ"}, tran_{"TRAN"}, loca_{"LOCA"}, hdph_{"HDPH"}, hdia_{"HDIA"},
      horn_{"HORN"}, geol_{"GEOL"}, samp_{"SAMP"}, ispt_{"ISPT"}, wstg_{"WSTG"}, mong_{"MONG"},
      mond_{"MOND"}, pipe_{"PIPE"}, bkfl_{"BKFL"}, dict_{"DICT"}, abbr_{"ABBR"}, unit_{"UNIT"},
      type_{"TYPE"};
  std::vector<NumberColumn> numberColumns_;
  std::map<std::string, CodeBook> books_;
  std::map<std::string, std::string> userDescriptions_;
  std::vector<std::string> warnings_;
  std::map<std::string, int> replaced_;
  int lineBreaks_ = 0;
};

}  // namespace

AgsExportResult exportAgs(const db::Database& project, const std::vector<std::string>& borings,
                          const AgsExportOptions& options) {
  return Exporter(options).run(project, borings);
}

AgsExportResult exportAgsFile(const db::Database& project, const std::vector<std::string>& borings,
                              const AgsExportOptions& options, const std::string& path) {
  AgsExportResult result = exportAgs(project, borings, options);
  if (!result.status.ok()) return result;
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path temporary =
      target.parent_path() / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()));
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(result.text.data(), static_cast<std::streamsize>(result.text.size()));
    out.flush();
    if (!out) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      result.status = db::Status::error(db::ErrorCode::kGeneric, "Cannot write " + path + ".");
      return result;
    }
  }
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    fs::remove(temporary, ec);
    result.status = db::Status::error(db::ErrorCode::kGeneric, "Cannot write " + path + ".");
  }
  return result;
}

std::string exportCounts(const AgsExportResult& result) {
  return std::to_string(result.borings) + (result.borings == 1 ? " boring, " : " borings, ") +
         std::to_string(result.lithology) + " lithology intervals, " +
         std::to_string(result.samples) + " samples, " + std::to_string(result.tests) +
         " penetration tests, " + std::to_string(result.completion) + " pipe and backfill rows";
}

AgsExportOptions defaultExportOptions(const std::string& projectPath,
                                      const std::string& classificationFile) {
  AgsExportOptions options;
  options.projectFileName = std::filesystem::path(projectPath).stem().string();
  options.company = Preferences::load().company[0];
  std::vector<std::string> classes;
  for (const auto& [name, patterns] :
       layouts::readClassTable(classificationFile, layouts::ClassKind::kCompletion))
    classes.push_back(name);
  options.completion = CompletionMapping::load(classes);
  return options;
}

}  // namespace sq::exchange
