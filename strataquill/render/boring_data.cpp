#include "strataquill/render/boring_data.h"

#include <algorithm>
#include <cmath>

#include "strataquill/db/database.h"
#include "strataquill/db/value.h"
#include "strataquill/project/n_value.h"
#include "strataquill/project/project_schema.h"

namespace sq::render {

template <class Row>
DepthRows<Row>::DepthRows(std::vector<Row> rows) : rows_(std::move(rows)) {
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    (rows_[i].from <= rows_[i].to ? ordered_ : reversed_).push_back(i);
    byFrom_.push_back(i);
  }
  auto byFrom = [&](std::size_t a, std::size_t b) { return rows_[a].from < rows_[b].from; };
  std::stable_sort(ordered_.begin(), ordered_.end(), byFrom);
  std::stable_sort(byFrom_.begin(), byFrom_.end(), byFrom);
  float running = 0;
  for (std::size_t k = 0; k < ordered_.size(); ++k) {
    running = k == 0 ? rows_[ordered_[k]].to : std::max(running, rows_[ordered_[k]].to);
    prefixMaxTo_.push_back(running);
  }
}

template <class Row>
std::vector<std::size_t> DepthRows<Row>::touching(double top, double bottom) const {
  std::vector<std::size_t> out;
  // The first row whose running maximum of To reaches the window: no earlier
  // row can touch it.
  auto first = std::lower_bound(prefixMaxTo_.begin(), prefixMaxTo_.end(), top,
                                [](float maxTo, double t) { return maxTo < t; });
  for (std::size_t k = first - prefixMaxTo_.begin(); k < ordered_.size(); ++k) {
    const Row& r = rows_[ordered_[k]];
    if (r.from > bottom) break;
    if (r.to >= top) out.push_back(ordered_[k]);
  }
  for (std::size_t i : reversed_)
    if (rows_[i].to <= bottom && rows_[i].from >= top) out.push_back(i);
  std::sort(out.begin(), out.end());
  return out;
}

template <class Row>
std::vector<std::size_t> DepthRows<Row>::startingIn(double top, double bottom) const {
  std::vector<std::size_t> out;
  auto first = std::lower_bound(byFrom_.begin(), byFrom_.end(), top,
                                [&](std::size_t i, double t) { return rows_[i].from < t; });
  for (auto it = first; it != byFrom_.end() && rows_[*it].from < bottom; ++it) out.push_back(*it);
  std::sort(out.begin(), out.end());
  return out;
}

template class DepthRows<LithologyRow>;
template class DepthRows<SampleRow>;
template class DepthRows<CompletionRow>;

namespace {

bool readDepths(const db::Recordset& rs, float& from, float& to) {
  auto f = rs.value("From");
  auto t = rs.value("To");
  if (!f.ok() || !t.ok() || f->isNull() || t->isNull()) return false;
  from = f->toFloat();
  to = t->toFloat();
  return std::isfinite(from) && std::isfinite(to);
}

std::string fieldOf(const std::map<std::string, std::string>& record, const char* name) {
  auto it = record.find(name);
  return it == record.end() ? std::string() : it->second;
}

bool blankText(const std::string& s) {
  return s.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string trimmed(const std::string& s) {
  const std::size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The values that are read from the rows and fields once per run.
void deriveValues(BoringData& data) {
  const auto& b = data.boringFields;
  data.groundElevation = measuredNumber(fieldOf(b, "GroundElevation"));
  const struct {
    WaterLevel::Kind kind;
    const char* field;
    const char* date;
  } levels[] = {{WaterLevel::Kind::kWhileDrilling, "DrilledWater", "DateStart"},
                {WaterLevel::Kind::kStatic, "StaticWater", "DateEnd"},
                {WaterLevel::Kind::kPotentiometric, "PotentiometricWater", nullptr}};
  for (const auto& level : levels) {
    const std::string text = fieldOf(b, level.field);
    if (blankText(text)) continue;
    if (auto depth = measuredNumber(text); depth && std::isfinite(static_cast<float>(*depth))) {
      const std::string date = level.date ? trimmed(fieldOf(b, level.date)) : std::string();
      data.waterLevels.push_back({level.kind, static_cast<float>(*depth), trimmed(text), date});
    } else if (std::find(data.waterNotes.begin(), data.waterNotes.end(), trimmed(text)) ==
               data.waterNotes.end()) {
      data.waterNotes.push_back(trimmed(text));
    }
  }

  for (const SampleRow& row : data.samples.rows()) {
    const project::NValue v = project::ParseNValue(row.blowCounts);
    const float mid = row.from + (row.to - row.from) * 0.5f;
    if (v.kind == project::NValueKind::kValue || v.kind == project::NValueKind::kPartial)
      data.nPoints.push_back({mid, v.n, false});
    else if (v.kind == project::NValueKind::kRefusal)
      data.nPoints.push_back({mid, 0, true});
    data.partialN = data.partialN || v.kind == project::NValueKind::kPartial;
    data.refusalN = data.refusalN || v.kind == project::NValueKind::kRefusal;
  }
  std::stable_sort(data.nPoints.begin(), data.nPoints.end(),
                   [](const NPoint& a, const NPoint& c) { return a.depth < c.depth; });

  for (const LithologyRow& row : data.lithology.rows())
    if (!data.bottomDepth || row.to > *data.bottomDepth) data.bottomDepth = row.to;
}

std::map<std::string, std::string> firstRecord(const db::Database& database,
                                               const std::string& source) {
  std::map<std::string, std::string> fields;
  auto rs = database.openRecordset(source);
  if (!rs.ok() || rs->eof()) return fields;
  for (const std::string& name : rs->fieldNames()) fields[name] = rs->text(name);
  return fields;
}

}  // namespace

BoringData loadBoringData(const std::string& projectPath, const std::string& boring) {
  auto database = db::Database::open(projectPath);
  return database.ok() ? loadBoringData(database.value(), boring) : BoringData();
}

// Through the grids' own queries, so a log prints exactly the rows the data
// entry window shows (in the same order).
BoringData loadBoringData(const db::Database& database, const std::string& boring) {
  using project::GetSQL;
  BoringData data;
  std::vector<LithologyRow> lithology;
  if (auto lith = database.openRecordset(GetSQL(boring, project::kLithologyTable)); lith.ok()) {
    for (lith->moveFirst(); !lith->eof(); (void)lith->moveNext()) {
      LithologyRow row;
      if (!readDepths(*lith, row.from, row.to)) continue;
      row.description = lith->text("Description");
      row.classification = lith->text("Classification");
      row.separatorType = lith->text("SeparatorType");
      lithology.push_back(std::move(row));
    }
  }
  data.lithology = DepthRows<LithologyRow>(std::move(lithology));

  std::vector<SampleRow> samples;
  if (auto sample = database.openRecordset(GetSQL(boring, project::kSampleTable)); sample.ok()) {
    for (sample->moveFirst(); !sample->eof(); (void)sample->moveNext()) {
      SampleRow row;
      if (!readDepths(*sample, row.from, row.to)) continue;
      row.sampleType = sample->text("SampleType");
      row.blowCounts = sample->text("BlowCounts");
      for (int i = 0; i < 10; ++i)
        row.userText[i] = sample->text("UserText" + std::to_string(i + 1));
      samples.push_back(std::move(row));
    }
  }
  data.samples = DepthRows<SampleRow>(std::move(samples));

  std::vector<CompletionRow> completion;
  if (auto comp = database.openRecordset(GetSQL(boring, project::kCompletionTable)); comp.ok()) {
    for (comp->moveFirst(); !comp->eof(); (void)comp->moveNext()) {
      CompletionRow row;
      if (!readDepths(*comp, row.from, row.to)) continue;
      row.classification = comp->text("Classification");
      completion.push_back(std::move(row));
    }
  }
  data.completion = DepthRows<CompletionRow>(std::move(completion));

  data.boringFields = firstRecord(database, GetSQL(boring, project::kBoringTable));
  data.boringFound = !data.boringFields.empty();
  data.projectFields = firstRecord(database, "Project Information");
  data.labelFields = firstRecord(database, "Sample User Label");
  deriveValues(data);
  return data;
}

std::optional<double> measuredNumber(const std::string& text) {
  if (auto whole = db::parseWholeNumber(text)) return whole;
  // A unit behind the number: the text without it must be a number.
  std::string rest = trimmed(text);
  std::string lower;
  for (char c : rest) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* unit : {"feet", "foot", "ft.", "ft", "'", "meters", "metres", "m"}) {
    const std::string u = unit;
    if (lower.size() > u.size() && lower.ends_with(u)) {
      std::string number = rest.substr(0, rest.size() - u.size());
      // "5m" is a number and a unit; "5 am" is not.
      if (std::isalpha(static_cast<unsigned char>(u[0])) && !number.empty() &&
          std::isalpha(static_cast<unsigned char>(number.back())))
        continue;
      return db::parseWholeNumber(number);
    }
  }
  return std::nullopt;
}

float GetMaxDepth(const std::string& projectPath, const std::string& boring) {
  auto database = db::Database::open(projectPath);
  return database.ok() ? GetMaxDepth(database.value(), boring) : 0.0f;
}

float GetMaxDepth(const db::Database& database, const std::string& boring) {
  float deepest = 0;
  for (const char* table :
       {"Lithology Information", "Sample Information", "Completion Information"}) {
    for (const char* field : {"From", "To"}) {
      auto rs = database.openRecordset(project::maxDepthSql(table, field, boring));
      if (!rs.ok() || rs->eof()) continue;
      auto v = rs->value(std::string("Max Of ") + field);
      if (v.ok() && !v->isNull() && v->toFloat() > deepest) deepest = v->toFloat();
    }
  }
  return deepest;
}

Catalogue Catalogue::load(const std::string& classificationFile) {
  using layouts::ClassKind;
  auto read = [&](ClassKind kind) {
    Classes classes;
    for (auto& [description, patterns] : layouts::readClassTable(classificationFile, kind))
      classes.emplace_back(std::move(description), layouts::parsePatternList(patterns));
    return classes;
  };
  return {read(ClassKind::kLithology), read(ClassKind::kCompletion), read(ClassKind::kSamples)};
}

const std::vector<layouts::PatternSlice>* Catalogue::find(layouts::ClassKind kind,
                                                          const std::string& classText) const {
  const auto& table = kind == layouts::ClassKind::kLithology    ? lithology
                      : kind == layouts::ClassKind::kCompletion ? completion
                                                                : samples;
  for (const auto& [description, patterns] : table)
    if (description == classText) return &patterns;
  return nullptr;
}

}  // namespace sq::render
