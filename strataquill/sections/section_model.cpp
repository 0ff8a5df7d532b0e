#include "strataquill/sections/section_model.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "strataquill/db/value.h"
#include "strataquill/sections/site_locations.h"

namespace sq::sections {
namespace {

std::string fieldOf(const std::map<std::string, std::string>& f, const char* name) {
  auto it = f.find(name);
  return it == f.end() ? std::string() : it->second;
}

std::string number(double v) {
  return db::formatSingle(static_cast<float>(v));
}

std::string joinNames(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& n : names) out += (out.empty() ? "" : ", ") + n;
  return out;
}

// The intervals of a boring top down, each starting where the one above
// ends; what had to be cut or is missing goes to `notes`.
std::vector<SectionInterval> cleanIntervals(const SectionBoring& b, const std::string& unit,
                                            std::vector<std::string>& notes) {
  std::vector<SectionInterval> out;
  const auto& rows = b.data->lithology.rows();
  std::vector<const render::LithologyRow*> ordered;
  for (const auto& r : rows) ordered.push_back(&r);
  std::stable_sort(ordered.begin(), ordered.end(),
                   [](auto* x, auto* y) { return x->from < y->from; });
  const std::string u = unit.empty() ? "" : " " + shortUnit(unit);
  double reached = 0;
  for (const render::LithologyRow* r : ordered) {
    double from = std::min(r->from, r->to), to = std::max(r->from, r->to);
    if (!out.empty() && from < reached) {
      if (to <= reached) {
        notes.push_back(b.name + ": the interval " + number(from) + " to " + number(to) + u +
                        " lies inside the one above it and is not drawn.");
        continue;
      }
      notes.push_back(b.name + ": intervals overlap from " + number(from) + " to " +
                      number(reached) + u + "; drawn from " + number(reached) + u + ".");
      from = reached;
    } else if (from > reached + 1e-6) {
      notes.push_back(b.name + ": no lithology from " + number(reached) + " to " + number(from) +
                      u + ".");
    }
    if (!(to > from)) continue;
    out.push_back({from, to, r->classification});
    reached = to;
  }
  return out;
}

}  // namespace

std::string sectionName(const SectionModel& model) {
  std::string out;
  for (const SectionBoring& b : model.borings) out += (out.empty() ? "" : " - ") + b.name;
  return out;
}

std::string classCode(const std::string& classText) {
  const auto dash = classText.find(" - ");
  if (dash != std::string::npos && dash > 0) return classText.substr(0, dash);
  return classText;
}

std::vector<WaterLevel> waterLevels(const std::map<std::string, std::string>& f) {
  std::vector<WaterLevel> out;
  const struct {
    const char* field;
    WaterLevel::Kind kind;
    const char* dateField;
  } kinds[] = {{"DrilledWater", WaterLevel::Kind::kWhileDrilling, "DateStart"},
               {"StaticWater", WaterLevel::Kind::kStatic, "DateEnd"},
               {"PotentiometricWater", WaterLevel::Kind::kPotentiometric, "DateEnd"}};
  for (const auto& k : kinds)
    if (auto depth = parseNumber(fieldOf(f, k.field)); depth && *depth >= 0)
      out.push_back({k.kind, *depth, QString::fromStdString(fieldOf(f, k.dateField))
                                         .trimmed()
                                         .toStdString()});
  return out;
}

SectionModel buildSection(const SectionRequest& request,
                          const std::vector<const render::BoringData*>& data) {
  SectionModel model;
  model.mode = request.mode;
  const auto& names = request.borings;
  if (names.size() < 2) {
    model.refusal = "A section needs at least two borings.";
    return model;
  }
  if (names.size() > kMaxSectionBorings) {
    model.refusal = "A section can pass through at most " + std::to_string(kMaxSectionBorings) +
                    " borings; " + std::to_string(names.size()) + " were chosen.";
    return model;
  }
  std::vector<std::string> refused;
  std::set<std::string> seen;
  std::vector<BoringFields> fields;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const render::BoringData* d = i < data.size() ? data[i] : nullptr;
    if (!seen.insert(names[i]).second) {
      refused.push_back(names[i] + ": chosen twice");
      fields.emplace_back();
      continue;
    }
    if (!d || !d->boringFound) {
      refused.push_back(names[i] + ": no such boring in the project");
      fields.emplace_back();
      continue;
    }
    fields.push_back(d->boringFields);
    fields.back()["BoringName"] = names[i];
  }

  const SiteLocations located = locateBorings(fields);
  std::map<std::size_t, SitePoint> points;
  for (const auto& p : located.placed) points[p.index] = p.point;

  // One depth unit for all: the program never converts.
  std::map<std::string, std::vector<std::string>> byUnit;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const render::BoringData* d = i < data.size() ? data[i] : nullptr;
    if (!d || !d->boringFound || fields[i].empty()) continue;
    SectionBoring b;
    b.name = names[i];
    b.data = d;
    std::vector<std::string> why;
    if (auto it = points.find(i); it != points.end()) {
      b.point = it->second;
    } else {
      for (const auto& left : located.notShown)
        if (left.name == names[i]) why.push_back(left.reason);
      if (why.empty()) why.push_back("no coordinates");
    }
    if (auto ground = parseNumber(fieldOf(d->boringFields, "GroundElevation"))) {
      b.ground = *ground;
    } else {
      why.push_back("no ground elevation");
    }
    for (const std::string& w : why) refused.push_back(b.name + ": " + w);
    const std::string unit = canonicalUnit(fieldOf(d->boringFields, "DepthUnits"));
    if (!unit.empty()) byUnit[unit].push_back(b.name);
    b.water = waterLevels(d->boringFields);
    model.borings.push_back(std::move(b));
  }
  if (byUnit.size() > 1) {
    std::string list;
    for (const auto& [unit, who] : byUnit)
      list += (list.empty() ? "" : "; ") + unit + " (" + joinNames(who) + ")";
    refused.push_back("the depths are in different units: " + list +
                      ". The program does not convert units");
  }
  if (byUnit.size() == 1) model.unit = byUnit.begin()->first;
  if (refused.empty() && !located.unit.empty() && !model.unit.empty() &&
      located.unit != model.unit)
    refused.push_back("the coordinates are in " + located.unit + " and the depths in " +
                      model.unit + ". The program does not convert units");
  if (model.unit.empty()) model.unit = located.unit;

  if (refused.empty()) {
    std::vector<SitePoint> pts;
    for (const SectionBoring& b : model.borings) pts.push_back(b.point);
    const std::vector<double> stations = sectionStations(pts, request.mode);
    for (std::size_t i = 0; i < model.borings.size(); ++i) {
      model.borings[i].station = stations[i];
      if (request.mode == StationMode::kProjected)
        model.borings[i].offset = projectOntoLine(pts[i], pts.front(), pts.back()).offset;
    }
    const double total = std::abs(model.borings.back().station - model.borings.front().station);
    if (request.mode == StationMode::kProjected) {
      std::stable_sort(model.borings.begin(), model.borings.end(),
                       [](const SectionBoring& x, const SectionBoring& y) {
                         return x.station < y.station;
                       });
    }
    // Columns in one place would be drawn over each other.
    const double tiny = std::max(total, 1.0) * 1e-9;
    for (std::size_t i = 1; i < model.borings.size(); ++i) {
      const SectionBoring& p = model.borings[i - 1];
      const SectionBoring& b = model.borings[i];
      if (std::abs(b.station - p.station) <= tiny)
        refused.push_back(request.mode == StationMode::kProjected
                              ? p.name + " and " + b.name +
                                    " fall on the same point of the section line; leave one "
                                    "of them out"
                              : p.name + " and " + b.name +
                                    " are at the same place; leave one of them out");
    }
    if (request.mode == StationMode::kProjected) {
      std::vector<std::string> order;
      for (const SectionBoring& b : model.borings) order.push_back(b.name);
      std::vector<std::string> asked(names.begin(), names.end());
      if (order != asked)
        model.notes.push_back("Projected onto the line " + names.front() + " - " + names.back() +
                              ", the borings lie in the order " + joinNames(order) + ".");
    }
  }
  if (!refused.empty()) {
    model.refusal = "The section cannot be drawn:";
    for (const std::string& r : refused) model.refusal += "\n" + r + ".";
    model.borings.clear();
    return model;
  }

  for (SectionBoring& b : model.borings) {
    b.intervals = cleanIntervals(b, model.unit, model.notes);
    for (const SectionInterval& iv : b.intervals) b.bottomDepth = std::max(b.bottomDepth, iv.to);
    if (b.intervals.empty()) model.notes.push_back(b.name + ": no lithology.");
  }
  return model;
}

}  // namespace sq::sections
