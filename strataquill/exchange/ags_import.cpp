#include "strataquill/exchange/ags_import.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <set>
#include <unordered_map>

#include "strataquill/db/value.h"
#include "strataquill/exchange/ags_check.h"
#include "strataquill/exchange/ags_codes.h"
#include "strataquill/exchange/ags_dictionary.h"
#include "strataquill/exchange/ags_mapping.h"
#include "strataquill/exchange/ags_reader.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/project_schema.h"

namespace sq::exchange {
namespace {

// The groups the import reads; every other group is listed as skipped.
const std::set<std::string>& readGroups() {
  static const std::set<std::string> groups = {
      "PROJ", "TRAN", "UNIT", "TYPE", "ABBR", "DICT", "LOCA", "GEOL", "SAMP", "ISPT",
      "WSTG", "WSTD", "MONG", "MOND", "PIPE", "BKFL", "HDPH", "HDIA", "HORN"};
  return groups;
}

// Headings whose values are depths (or levels) in the file's depth unit.
const std::set<std::string>& depthHeadings() {
  static const std::set<std::string> headings = {
      "LOCA_GL",   "LOCA_FDEP", "GEOL_TOP",  "GEOL_BASE", "SAMP_TOP", "SAMP_BASE",
      "ISPT_TOP",  "WSTG_DPTH", "WSTD_POST", "PIPE_TOP",  "PIPE_BASE", "BKFL_TOP",
      "BKFL_BASE"};
  return headings;
}


// The length of the drive of a Standard Penetration Test, for a test that
// has no sample row of its own.
float sptDrive(const std::string& unit) { return unit == "m" ? 0.45f : 1.5f; }

// Codes (legend, geology, sample type) stand in the rows as numbers into
// one list of the file's distinct codes; 0 is none.
using CodeId = std::uint32_t;

constexpr const char* kUserText[] = {"UserText1", "UserText2", "UserText3", "UserText4",
                                     "UserText5", "UserText6", "UserText7", "UserText8",
                                     "UserText9", "UserText10"};
struct Ispt {
  float top = 0;
  std::string nval, rep;
};
struct Strike {
  double depth = 0;
  std::string depthText, remark;
};
struct StrikeReading {
  std::string strike;  // WSTG_DPTH as written
  double minutes = 0;
  std::string post;
};
struct Point {
  std::string id, dis, type;
};
struct Reading {
  std::string id, dis, time, type, value;
};
struct Pipe {
  float top = 0, base = 0;
  std::string type, cons;
};
struct Fill {
  float top = 0, base = 0;
  bool hasBase = false;
  std::string desc, leg;
};
struct Section {
  float top = 0;
  std::string type, start, end, crew, plant, logger, method, contractor;
};
struct Diameter {
  float depth = 0;
  std::string diameter;
};
struct Orientation {
  float top = 0;
  std::string orientation, inclination;
};

// Everything the file holds for one location.
struct Location {
  long line = 0;
  std::map<std::string, std::string> values;  // LOCA heading -> value
  // The intervals as the project will hold them, made as their rows are
  // read (a large file is held once), their classes found at the end, when
  // the ABBR group has been read too.
  std::vector<ImportedInterval> lithology, samples;
  std::vector<std::pair<CodeId, CodeId>> lithologyCodes;  // GEOL_LEG, GEOL_GEOL
  std::vector<CodeId> sampleCodes;                        // SAMP_TYPE
  std::vector<Ispt> ispt;
  std::vector<Strike> strikes;
  std::vector<StrikeReading> strikeReadings;
  std::vector<Point> points;
  std::vector<Reading> readings;
  std::vector<Pipe> pipes;
  std::vector<Fill> fills;
  std::vector<Section> sections;
  std::vector<Diameter> diameters;
  std::vector<Orientation> orientations;
};

class Collector : public AgsVisitor {
 public:
  explicit Collector(const AgsImportContext& context) : context_(context) {}

  void issue(const AgsIssue& issue) override { checker_.issue(issue); }

  void groupStart(const AgsGroup& g) override {
    checker_.groupStart(g);
    use_ = readGroups().count(g.name) > 0;
    if (!use_) {
      skipped_.push_back({g.name, 0, skipReason(g.name)});
      return;
    }
    if (g.name == "LOCA") {
      hasLoca_ = true;
      // Units of the coordinates, for the unit fields beside them.
      if (const int k = g.index("LOCA_NATN"); k >= 0) northingUnit_ = g.units[k];
      if (const int k = g.index("LOCA_NATE"); k >= 0) eastingUnit_ = g.units[k];
    }
    for (std::size_t k = 0; k < g.headings.size(); ++k) {
      const std::string& h = g.headings[k];
      if (!depthHeadings().count(h)) continue;
      const std::string& unit = g.units[k];
      if (!g.hasUnit) {
        refuse(g.line, g.name + " has no UNIT row: the unit of " + h + " is not known.");
      } else if (unit != "m" && unit != "ft") {
        refuse(g.unitLine, unit.empty() ? h + " has no unit; only m and ft can be imported."
                                        : h + " is in \"" + unit +
                                              "\"; only m and ft can be imported.");
      } else if (depthUnit_.empty()) {
        depthUnit_ = unit;
        unitHeading_ = g.name + " " + h;
      } else if (unit != depthUnit_) {
        refuse(g.unitLine, h + " is in " + unit + " while " + unitHeading_ + " is in " +
                               depthUnit_ + "; the program never converts units.");
      }
    }
    col_.clear();
    for (std::size_t k = 0; k < g.headings.size(); ++k)
      col_[g.headings[k]] = static_cast<int>(k);
  }

  void row(const AgsGroup& g, const AgsRow& r) override {
    checker_.row(g, r);
    if (!use_) {
      ++skipped_.back().rows;
      return;
    }
    if (!r.aligned) {
      refuse(r.line, g.name + " row has " + std::to_string(r.values.size()) + " values for " +
                         std::to_string(g.headings.size()) + " headings.");
      return;
    }
    row_ = &r;
    group_ = &g;
    const std::string& name = g.name;
    if (name == "PROJ" && project_.empty()) {
      for (std::size_t k = 0; k < g.headings.size(); ++k) project_[g.headings[k]] = r.values[k];
    } else if (name == "TRAN") {
      edition_ = v("TRAN_AGS");
    } else if (name == "ABBR") {
      abbr_[{v("ABBR_HDNG"), v("ABBR_CODE")}] = v("ABBR_DESC");
    } else if (name == "DICT") {
      dict_[{v("DICT_GRP"), v("DICT_HDNG")}] = v("DICT_DESC");
    } else if (name == "LOCA") {
      const std::string id = v("LOCA_ID");
      if (id.find_first_not_of(' ') == std::string::npos) {
        note("Line " + std::to_string(r.line) + ": a LOCA row without a LOCA_ID is left out.");
        return;
      }
      if (locations_.count(id) && locations_[id].line) {
        note("Line " + std::to_string(r.line) + ": a second LOCA row for \"" + id +
             "\" is left out.");
        return;
      }
      Location& l = locations_[id];
      l.line = r.line;
      for (std::size_t k = 0; k < g.headings.size(); ++k) l.values[g.headings[k]] = r.values[k];
      order_.push_back(id);
    } else if (name == "GEOL") {
      ImportedInterval x;
      if (!depth("GEOL_TOP", x.from) || !depth("GEOL_BASE", x.to)) return;
      x.fields.reserve(3);
      x.set("Description", v("GEOL_DESC"));
      const std::string& line = v(kSeparatorHeading);
      const bool validLine = line.size() > 4 && line[0] >= '0' && line[0] <= '5' &&
                             line.compare(1, 3, " - ") == 0;
      x.set("SeparatorType", validLine ? line : "0 - Solid");
      Location& l = at();
      l.lithology.push_back(std::move(x));
      l.lithologyCodes.emplace_back(code(v("GEOL_LEG")), code(v("GEOL_GEOL")));
    } else if (name == "SAMP") {
      ImportedInterval x;
      if (!depth("SAMP_TOP", x.from)) return;
      x.to = x.from;
      if (!v("SAMP_BASE").empty() && !depth("SAMP_BASE", x.to)) return;
      x.set("BlowCounts", v(kBlowCountsHeading));
      for (int k = 1; k <= 10; ++k) x.set(kUserText[k - 1], v(sampleUserHeading(k)));
      Location& l = at();
      l.samples.push_back(std::move(x));
      l.sampleCodes.push_back(code(v("SAMP_TYPE")));
    } else if (name == "ISPT") {
      Ispt x;
      if (!depth("ISPT_TOP", x.top)) return;
      x.nval = v("ISPT_NVAL");
      x.rep = v("ISPT_REP");
      at().ispt.push_back(std::move(x));
    } else if (name == "WSTG") {
      Strike x;
      x.depthText = v("WSTG_DPTH");
      x.remark = v("WSTG_REM");
      if (!x.depthText.empty()) {
        const auto d = db::parseWholeNumber(x.depthText);
        if (!d) return refuseValue("WSTG_DPTH");
        x.depth = *d;
      }
      at().strikes.push_back(std::move(x));
    } else if (name == "WSTD") {
      StrikeReading x{v("WSTG_DPTH"), db::parseLeadingNumber(v("WSTD_NMIN")), v("WSTD_POST")};
      at().strikeReadings.push_back(std::move(x));
    } else if (name == "MONG") {
      at().points.push_back({v("MONG_ID"), v("MONG_DIS"), v("MONG_TYPE")});
    } else if (name == "MOND") {
      const std::string unit = v("MOND_UNIT");
      if (v("MOND_TYPE") == "WDEP" && !unit.empty() && !depthUnit_.empty() && unit != depthUnit_)
        return refuse(r.line, "a water level (MOND_UNIT) is in \"" + unit + "\" while " +
                                  unitHeading_ + " is in " + depthUnit_ +
                                  "; the program never converts units.");
      if (v("MOND_TYPE") == "WDEP" && !unit.empty() && unit != "m" && unit != "ft")
        return refuse(r.line, "a water level (MOND_UNIT) is in \"" + unit +
                                  "\"; only m and ft can be imported.");
      at().readings.push_back(
          {v("MONG_ID"), v("MONG_DIS"), v("MOND_DTIM"), v("MOND_TYPE"), v("MOND_RDNG")});
    } else if (name == "PIPE") {
      Pipe x;
      if (!depth("PIPE_TOP", x.top) || !depth("PIPE_BASE", x.base)) return;
      x.type = v("PIPE_TYPE");
      x.cons = v("PIPE_CONS");
      at().pipes.push_back(std::move(x));
    } else if (name == "BKFL") {
      Fill x;
      if (!depth("BKFL_TOP", x.top)) return;
      x.hasBase = !v("BKFL_BASE").empty();
      if (x.hasBase && !depth("BKFL_BASE", x.base)) return;
      x.desc = v("BKFL_DESC");
      x.leg = v("BKFL_LEG");
      at().fills.push_back(std::move(x));
    } else if (name == "HDPH") {
      at().sections.push_back({static_cast<float>(db::parseLeadingNumber(v("HDPH_TOP"))),
                               v("HDPH_TYPE"), v("HDPH_STAR"), v("HDPH_ENDD"), v("HDPH_CREW"),
                               v("HDPH_EXC"), v("HDPH_LOG"), v("HDPH_METH"), v("HDPH_CONT")});
    } else if (name == "HDIA") {
      at().diameters.push_back(
          {static_cast<float>(db::parseLeadingNumber(v("HDIA_DPTH"))), v("HDIA_DIAM")});
      diameterUnit_ = g.units[col_["HDIA_DIAM"]];
    } else if (name == "HORN") {
      at().orientations.push_back({static_cast<float>(db::parseLeadingNumber(v("HORN_TOP"))),
                                   v("HORN_ORNT"), v("HORN_INCL")});
    }
  }

  void groupEnd(const AgsGroup& g) override { checker_.groupEnd(g); }

  AgsImportPlan finish(const AgsReadResult& read);

 private:
  const std::string& v(const std::string& heading) const {
    static const std::string empty;
    const auto it = col_.find(heading);
    return it == col_.end() ? empty : row_->at(it->second);
  }

  // Reads a depth; refuses the file when it is not a number.
  bool depth(const std::string& heading, float& out) {
    const std::string& text = v(heading);
    const auto d = db::parseWholeNumber(text);
    if (!d) {
      refuseValue(heading);
      return false;
    }
    out = static_cast<float>(*d);
    return true;
  }

  void refuseValue(const std::string& heading) {
    const std::string& text = v(heading);
    refuse(row_->line, group_->name + " " + heading + ": " +
                           (text.empty() ? std::string("the depth is missing.")
                                         : "\"" + text + "\" is not a depth."));
  }

  void refuse(long line, std::string reason) {
    if (refusal_.empty())
      refusal_ = (line > 0 ? "Line " + std::to_string(line) + ": " : std::string()) + reason;
  }

  void note(std::string text) { notes_.push_back(std::move(text)); }

  // The number of a code, the same for every row that has it.
  CodeId code(const std::string& text) {
    if (text.empty()) return 0;
    const auto [it, fresh] = codeIds_.emplace(text, static_cast<CodeId>(codes_.size()));
    if (fresh) codes_.push_back(text);
    return it->second;
  }

  // The location of the current row; rows for a location the LOCA group
  // does not have are counted and dropped later.
  Location& at() { return locations_[v("LOCA_ID")]; }

  static std::string skipReason(const std::string& group) {
    const AgsGroupDef* def = findAgsGroup(group);
    if (!def) return "a user-defined group";
    const AgsGroupDef* parent = findAgsGroup(def->parent);
    const bool sampleTest =
        std::string(def->parent) == "SAMP" || (parent && std::string(parent->parent) == "SAMP");
    if (sampleTest) return "laboratory and sample test results are not part of a boring log";
    if (group == "FILE") return "associated files are not imported";
    return "not part of a boring log in this program";
  }

  std::optional<std::string> findClass(const std::string& heading, const std::string& code,
                                       const std::vector<std::string>& classes) const;
  std::string completionClass(const Pipe* pipe, const Fill* fill, float top, float base,
                              const std::string& boring);
  void buildBoring(const std::string& id, Location& l, AgsImportPlan& plan);

  const AgsImportContext& context_;
  AgsChecker checker_;
  bool use_ = false;
  bool hasLoca_ = false;
  const AgsRow* row_ = nullptr;
  const AgsGroup* group_ = nullptr;
  std::unordered_map<std::string, int> col_;
  std::string refusal_, depthUnit_, unitHeading_, edition_, diameterUnit_;
  std::string northingUnit_, eastingUnit_;
  std::map<std::string, std::string> project_;
  std::map<std::pair<std::string, std::string>, std::string> abbr_, dict_;
  std::map<std::string, Location> locations_;
  std::vector<std::string> codes_{std::string()};
  std::unordered_map<std::string, CodeId> codeIds_;
  std::vector<std::string> order_;
  std::vector<SkippedGroup> skipped_;
  std::vector<std::string> notes_;
  // Codes that matched no class: (what, code) -> rows.
  std::map<std::pair<std::string, std::string>, int> unmatched_;
};

std::optional<std::string> Collector::findClass(const std::string& heading,
                                                const std::string& code,
                                                const std::vector<std::string>& classes) const {
  if (code.empty()) return std::nullopt;
  const auto a = abbr_.find({heading, code});
  if (a != abbr_.end() && std::find(classes.begin(), classes.end(), a->second) != classes.end())
    return a->second;
  for (const std::string& c : classes)
    if (c == code || c.rfind(code + " - ", 0) == 0) return c;
  for (const std::string& c : classes)
    if (c.find("(" + code + ")") != std::string::npos) return c;
  return std::nullopt;
}

std::string Collector::completionClass(const Pipe* pipe, const Fill* fill, float top, float base,
                                       const std::string& boring) {
  const auto& classes = context_.completionClasses;
  auto named = [&](const std::string& text) {
    return !text.empty() && std::find(classes.begin(), classes.end(), text) != classes.end();
  };
  if (fill && named(fill->desc)) return fill->desc;
  if (pipe && named(pipe->cons)) return pipe->cons;
  CompletionTarget target;
  if (pipe) {
    if (pipe->type == "PLAIN" || pipe->type == "SLOTTED") {
      target.pipe = pipe->type;
    } else {
      // A pipe of another code: slotted when its words say so.
      const auto a = abbr_.find({"PIPE_TYPE", pipe->type});
      const std::string words = pipe->type + " " + (a == abbr_.end() ? "" : a->second) + " " +
                                pipe->cons;
      target.pipe = defaultTarget(words).pipe == "SLOTTED" ? "SLOTTED" : "PLAIN";
    }
  }
  if (fill) {
    if (!standardCodeDescription("BKFL_LEG", fill->leg).empty()) {
      target.backfill = fill->leg;
    } else {
      const auto a = abbr_.find({"BKFL_LEG", fill->leg});
      target.backfill =
          defaultTarget(fill->desc + " " + (a == abbr_.end() ? std::string() : a->second))
              .backfill;
    }
  }
  if (auto c = context_.completion.classFor(target)) return *c;
  note("Boring " + boring + ": completion " + db::formatSingle(top) + " to " +
       db::formatSingle(base) + " (" + formatTarget(target) +
       ") matches no completion class; the class is left empty.");
  return {};
}

void Collector::buildBoring(const std::string& id, Location& l, AgsImportPlan& plan) {
  ImportedBoring b;
  b.name = id;
  b.exists = std::find(context_.existingBorings.begin(), context_.existingBorings.end(), id) !=
             context_.existingBorings.end();
  auto& f = b.fields;
  auto loca = [&](const char* h) {
    const auto it = l.values.find(h);
    return it == l.values.end() ? std::string() : it->second;
  };
  auto date = [&](const std::string& iso) {
    if (iso.empty()) return std::string();
    const auto d = projectDate(iso, context_.dateOrder);
    return d ? *d : iso;
  };
  f["DepthUnits"] = projectUnitFor(plan.depthUnit);
  f["DateStart"] = date(loca("LOCA_STAR"));
  f["DateEnd"] = date(loca("LOCA_ENDD"));
  f["Northing"] = loca("LOCA_NATN");
  f["Easting"] = loca("LOCA_NATE");
  if (!f["Northing"].empty()) f["NorthingUnits"] = projectUnitFor(northingUnit_);
  if (!f["Easting"].empty()) f["EastingUnits"] = projectUnitFor(eastingUnit_);
  f["GroundElevation"] = loca("LOCA_GL");
  f["Completion"] = loca("LOCA_REM");
  f["TotalDepth"] = loca("LOCA_FDEP");
  f["Latitude"] = loca("LOCA_LAT");
  f["Longitude"] = loca("LOCA_LON");
  for (const FieldHeading& u : boringUserHeadings()) f[u.field] = loca(u.heading);

  // Drilling: the sections from the top down.
  std::stable_sort(l.sections.begin(), l.sections.end(),
                   [](const Section& a, const Section& b) { return a.top < b.top; });
  auto firstOf = [&](std::string Section::*member) {
    for (const Section& s : l.sections)
      if (!(s.*member).empty()) return s.*member;
    return std::string();
  };
  f["Driller"] = firstOf(&Section::crew);
  f["DrillRig"] = firstOf(&Section::plant);
  f["Supervisor"] = firstOf(&Section::logger);
  f["DrillingContractor"] = firstOf(&Section::contractor);
  if (f["DateStart"].empty()) f["DateStart"] = date(firstOf(&Section::start));
  if (f["DateEnd"].empty() && !l.sections.empty()) {
    for (auto it = l.sections.rbegin(); it != l.sections.rend(); ++it)
      if (!it->end.empty()) {
        f["DateEnd"] = date(it->end);
        break;
      }
  }
  std::string method = firstOf(&Section::method);
  auto described = [&](const std::string& heading, const std::string& code) {
    const auto a = abbr_.find({heading, code});
    return a == abbr_.end() || a->second.empty() ? code : a->second;
  };
  if (method.empty() && !loca("LOCA_TYPE").empty()) method = described("LOCA_TYPE", loca("LOCA_TYPE"));
  if (method.empty()) {
    std::vector<std::string> methods;
    for (const Section& s : l.sections)
      if (!s.type.empty()) {
        const std::string m = described("HDPH_TYPE", s.type);
        if (std::find(methods.begin(), methods.end(), m) == methods.end()) methods.push_back(m);
      }
    for (const std::string& m : methods) method += (method.empty() ? "" : "; ") + m;
  }
  f["DrillMethod"] = method;
  if (!l.diameters.empty()) {
    const auto top = std::min_element(l.diameters.begin(), l.diameters.end(),
                                      [](const Diameter& a, const Diameter& b) { return a.depth < b.depth; });
    f["BoringDiameter"] = top->diameter;
    if (!top->diameter.empty()) f["BoringDiameterUnits"] = projectUnitFor(diameterUnit_);
  }
  if (!l.orientations.empty()) {
    f["Trend"] = l.orientations.front().orientation;
    f["Plunge"] = l.orientations.front().inclination;
  }

  // Water: the shallowest strike while drilling; the latest readings of the
  // monitoring points, piezometers giving the potentiometric level; failing
  // those, the last reading after the first strike.
  if (!l.strikes.empty()) {
    const Strike* first = nullptr;
    for (const Strike& s : l.strikes)
      if (!s.depthText.empty() && (!first || s.depth < first->depth)) first = &s;
    if (first) f["DrilledWater"] = first->depthText;
    else f["DrilledWater"] = l.strikes.front().remark;
  }
  std::string staticTime, potentiometricTime;
  for (const Reading& r : l.readings) {
    if (r.type != "WDEP" || r.value.empty()) continue;
    bool piezometer = false;
    for (const Point& p : l.points)
      if (p.id == r.id && p.dis == r.dis)
        piezometer = p.type == "SPIE" || p.type == "EPIE" || p.type == "HPIE" || p.type == "PPIE";
    std::string& time = piezometer ? potentiometricTime : staticTime;
    std::string& field = f[piezometer ? "PotentiometricWater" : "StaticWater"];
    if (field.empty() || r.time >= time) {
      field = r.value;
      time = r.time;
    }
  }
  if (f["StaticWater"].empty() && !l.strikeReadings.empty()) {
    std::string firstStrike;
    double shallowest = 0;
    for (const StrikeReading& r : l.strikeReadings) {
      const double d = db::parseLeadingNumber(r.strike);
      if (firstStrike.empty() || d < shallowest) firstStrike = r.strike, shallowest = d;
    }
    const StrikeReading* last = nullptr;
    for (const StrikeReading& r : l.strikeReadings)
      if (r.strike == firstStrike && !r.post.empty() && (!last || r.minutes >= last->minutes))
        last = &r;
    if (last) f["StaticWater"] = last->post;
  }

  // Lithology.
  int noCode = 0;
  for (std::size_t k = 0; k < l.lithology.size(); ++k) {
    const std::string& leg = codes_[l.lithologyCodes[k].first];
    const std::string& geol = codes_[l.lithologyCodes[k].second];
    auto cls = findClass("GEOL_LEG", leg, context_.lithologyClasses);
    if (!cls) cls = findClass("GEOL_GEOL", geol, context_.lithologyClasses);
    if (cls) l.lithology[k].set("Classification", *cls);
    else if (leg.empty() && geol.empty()) ++noCode;
    else ++unmatched_[{leg.empty() ? "GEOL_GEOL" : "GEOL_LEG", leg.empty() ? geol : leg}];
  }
  b.lithology = std::move(l.lithology);
  if (noCode)
    note("Boring " + id + ": " + std::to_string(noCode) +
         " lithology intervals have no legend or geology code; their class is left empty.");

  // Samples, with the test results at their tops.
  std::vector<bool> testUsed(l.ispt.size(), false);
  auto testAt = [&](float top) -> const Ispt* {
    for (std::size_t k = 0; k < l.ispt.size(); ++k)
      if (!testUsed[k] && l.ispt[k].top == top) {
        testUsed[k] = true;
        return &l.ispt[k];
      }
    return nullptr;
  };
  auto blowText = [](const Ispt& t) { return t.rep.empty() ? t.nval : t.rep; };
  for (std::size_t k = 0; k < l.samples.size(); ++k) {
    ImportedInterval& i = l.samples[k];
    const std::string& type = codes_[l.sampleCodes[k]];
    if (auto cls = findClass("SAMP_TYPE", type, context_.sampleClasses))
      i.set("SampleType", *cls);
    else if (!type.empty())
      ++unmatched_[{"SAMP_TYPE", type}];
    const Ispt* test = testAt(i.from);
    if (test && i.field("BlowCounts").empty()) i.set("BlowCounts", blowText(*test));
  }
  b.samples = std::move(l.samples);
  int ownSamples = 0;
  for (std::size_t k = 0; k < l.ispt.size(); ++k) {
    if (testUsed[k]) continue;
    const Ispt& t = l.ispt[k];
    ImportedInterval i{t.top, t.top + sptDrive(plan.depthUnit), {}};
    if (auto cls = findClass("SAMP_TYPE", "SPT", context_.sampleClasses))
      i.set("SampleType", *cls);
    i.set("BlowCounts", blowText(t));
    b.samples.push_back(std::move(i));
    ++ownSamples;
  }
  if (ownSamples)
    note("Boring " + id + ": " + std::to_string(ownSamples) +
         " penetration tests without a sample row become samples of the length of the drive.");
  std::stable_sort(b.samples.begin(), b.samples.end(),
                   [](const ImportedInterval& x, const ImportedInterval& y) {
                     return x.from < y.from || (x.from == y.from && x.to < y.to);
                   });

  // Completion: the depths where any pipe or backfill starts or ends cut
  // the hole into intervals, each with the pipe and the backfill it holds.
  std::sort(l.fills.begin(), l.fills.end(),
            [](const Fill& a, const Fill& b) { return a.top < b.top; });
  for (std::size_t k = 0; k < l.fills.size(); ++k) {
    Fill& fill = l.fills[k];
    if (fill.hasBase) continue;
    const auto total = db::parseWholeNumber(loca("LOCA_FDEP"));
    if (k + 1 < l.fills.size()) fill.base = l.fills[k + 1].top;
    else if (total) fill.base = static_cast<float>(*total);
    else fill.base = fill.top;
  }
  std::vector<float> cuts;
  for (const Pipe& p : l.pipes) cuts.push_back(p.top), cuts.push_back(p.base);
  for (const Fill& x : l.fills) cuts.push_back(x.top), cuts.push_back(x.base);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
    const float top = cuts[k], base = cuts[k + 1];
    const Pipe* pipe = nullptr;
    const Fill* fill = nullptr;
    for (const Pipe& p : l.pipes)
      if (p.top <= top && p.base >= base && p.top < p.base) {
        pipe = &p;
        break;
      }
    for (const Fill& x : l.fills)
      if (x.top <= top && x.base >= base && x.top < x.base) {
        fill = &x;
        break;
      }
    if (!pipe && !fill) continue;
    ImportedInterval i{top, base, {}};
    i.set("Classification", completionClass(pipe, fill, top, base, id));
    b.completion.push_back(std::move(i));
  }
  // Only what has a value is kept: a large file has many borings.
  std::erase_if(b.fields, [](const auto& field) { return field.second.empty(); });
  b.lithology.shrink_to_fit();
  b.samples.shrink_to_fit();
  plan.borings.push_back(std::move(b));
  l = Location();  // the file's rows of this location are in the plan now
}

AgsImportPlan Collector::finish(const AgsReadResult& read) {
  AgsImportPlan plan;
  plan.issues = checker_.finish();
  plan.unreadable = !read.readable || read.groups == 0;
  if (!read.readable) refusal_ = "The file cannot be read: " + read.error + ".";
  else if (read.groups == 0) refusal_ = "This is not an AGS file: no line is a GROUP row.";
  else if (!hasLoca_ && refusal_.empty()) refusal_ = "The file has no LOCA group: there are no borings to import.";
  plan.edition = edition_;
  plan.depthUnit = depthUnit_.empty() ? std::string() : depthUnit_;
  if (refusal_.empty() && !context_.projectDepthUnits.empty() && !depthUnit_.empty() &&
      projectUnitFor(depthUnit_) != context_.projectDepthUnits) {
    refusal_ = "The file's depths are in " + projectUnitFor(depthUnit_) + " (" + depthUnit_ +
               ", " + unitHeading_ + ") and the project's borings are in " +
               context_.projectDepthUnits +
               ". The program never converts units: import the file into a project in " +
               projectUnitFor(depthUnit_) + ".";
  }
  if (refusal_.empty() && depthUnit_.empty()) {
    // A file of locations without a single depth: the project's unit, or feet.
    depthUnit_ = context_.projectDepthUnits == "Meters" ? "m" : "ft";
    plan.depthUnit = depthUnit_;
  }
  plan.refusal = refusal_;
  plan.skipped = skipped_;
  if (plan.refused()) return plan;

  auto proj = [&](const char* h) {
    const auto it = project_.find(h);
    return it == project_.end() ? std::string() : it->second;
  };
  plan.project["ProjectNumber"] = proj("PROJ_ID");
  plan.project["ProjectName"] = proj("PROJ_NAME");
  plan.project["Client"] = proj("PROJ_CLNT");
  bool siteParts = false;
  for (const FieldHeading& u : projectUserHeadings()) {
    plan.project[u.field] = proj(u.heading);
    siteParts = siteParts || (std::string(u.field).rfind("Site", 0) == 0 && !proj(u.heading).empty());
  }
  if (!siteParts) plan.project["SiteAddress1"] = proj("PROJ_LOC");
  for (auto it = plan.project.begin(); it != plan.project.end();)
    it = it->second.empty() ? plan.project.erase(it) : std::next(it);
  for (int k = 1; k <= 10; ++k) {
    const auto it = dict_.find({"SAMP", sampleUserHeading(k)});
    if (it != dict_.end() && !it->second.empty() && it->second.rfind("Sample user column ", 0) != 0)
      plan.sampleLabels[k] = it->second;
  }

  long orphans = 0;
  std::set<std::string> orphanIds;
  for (const auto& [id, l] : locations_) {
    if (l.line) continue;
    orphans += static_cast<long>(l.lithology.size() + l.samples.size() + l.ispt.size() +
                                 l.strikes.size() + l.pipes.size() + l.fills.size());
    orphanIds.insert(id);
  }
  if (orphans)
    note(std::to_string(orphans) + " rows belong to locations that the LOCA group does not have (" +
         std::to_string(orphanIds.size()) + " location" + (orphanIds.size() == 1 ? "" : "s") +
         "); they are left out.");
  for (const std::string& id : order_) buildBoring(id, locations_[id], plan);

  for (const auto& [what, count] : unmatched_) {
    const auto a = abbr_.find(what);
    const std::string described =
        a == abbr_.end() || a->second.empty() ? std::string() : " (" + a->second + ")";
    if (what.first == "SAMP_TYPE")
      note("Sample type \"" + what.second + "\"" + described + " matches no sample type of the "
           "classification file: " + std::to_string(count) +
           (count == 1 ? " sample has" : " samples have") + " an empty sample type.");
    else
      note("Lithology code \"" + what.second + "\"" + described + " matches no class: " +
           std::to_string(count) + (count == 1 ? " interval keeps its" : " intervals keep their") +
           " description with the class left empty.");
  }
  long cp1252 = 0, firstLine = 0;
  for (const AgsIssue& i : plan.issues)
    if (i.rule == "1" && i.message.find("Windows-1252") != std::string::npos) {
      ++cp1252;
      if (!firstLine) firstLine = i.line;
    }
  if (cp1252)
    note("Characters that are not UTF-8 were read as Windows-1252 (from line " +
         std::to_string(firstLine) + ").");
  for (std::string& n : notes_) plan.notes.push_back(std::move(n));
  return plan;
}

}  // namespace

const std::string& ImportedInterval::field(std::string_view name) const {
  static const std::string empty;
  for (const auto& [n, value] : fields)
    if (name == n) return value;
  return empty;
}

void ImportedInterval::set(const char* name, std::string value) {
  if (value.empty()) return;
  for (auto& [n, v] : fields)
    if (std::string_view(n) == name) {
      v = std::move(value);
      return;
    }
  fields.emplace_back(name, std::move(value));
}

int AgsImportPlan::newBorings() const {
  return static_cast<int>(std::count_if(borings.begin(), borings.end(),
                                        [](const ImportedBoring& b) { return !b.exists; }));
}

int AgsImportPlan::existingBorings() const {
  return static_cast<int>(borings.size()) - newBorings();
}

AgsImportContext importContextFor(const db::Database* project,
                                  const std::string& classificationFile) {
  AgsImportContext context;
  using layouts::ClassKind;
  auto names = [&](ClassKind kind) {
    std::vector<std::string> out;
    for (const auto& [name, patterns] : layouts::readClassTable(classificationFile, kind))
      out.push_back(name);
    return out;
  };
  context.lithologyClasses = names(ClassKind::kLithology);
  context.sampleClasses = names(ClassKind::kSamples);
  context.completionClasses = names(ClassKind::kCompletion);
  context.completion = CompletionMapping::load(context.completionClasses);
  if (!project) return context;
  auto rs = project->openRecordset(
      "SELECT [Boring Information].BoringName, [Boring Information].DepthUnits FROM [Boring "
      "Information] ORDER BY [Boring Information].BoringName;");
  if (rs.ok()) {
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      const std::string name = rs->text("BoringName");
      if (name.find_first_not_of(' ') == std::string::npos) continue;
      context.existingBorings.push_back(name);
      const std::string unit = projectUnitFor(agsUnitFor(rs->text("DepthUnits")));
      if (context.projectDepthUnits.empty() && (unit == "Feet" || unit == "Meters"))
        context.projectDepthUnits = unit;
    }
  }
  return context;
}

AgsImportPlan planAgsImport(std::istream& in, const AgsImportContext& context) {
  Collector collector(context);
  const AgsReadResult read = readAgs(in, collector);
  return collector.finish(read);
}

AgsImportPlan planAgsImportFile(const std::string& path, const AgsImportContext& context) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    AgsImportPlan plan;
    plan.refusal = "Cannot open " + path + ".";
    plan.unreadable = true;
    return plan;
  }
  return planAgsImport(in, context);
}

}  // namespace sq::exchange
