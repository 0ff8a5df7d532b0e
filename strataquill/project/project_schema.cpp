#include "strataquill/project/project_schema.h"

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/shell/resume_next.h"

namespace sq::project {
namespace {

using db::DaoType;
using db::FieldDef;
using db::TableDef;

FieldDef text(const char* name) {
  return {name, DaoType::kText, 50, false};
}
FieldDef memo(const char* name) {
  return {name, DaoType::kMemo, 0, false};
}
FieldDef single(const char* name) {
  return {name, DaoType::kSingle, 4, false};
}

constexpr const char* kBoringFields[] = {"DateStart",
                                         "DateEnd",
                                         "Northing",
                                         "NorthingUnits",
                                         "Easting",
                                         "EastingUnits",
                                         "GroundElevation",
                                         "DrilledWater",
                                         "StaticWater",
                                         "PotentiometricWater",
                                         "Supervisor",
                                         "DrillRig",
                                         "BoringDiameter",
                                         "BoringDiameterUnits",
                                         "Trend",
                                         "Plunge",
                                         "Completion",
                                         "TotalDepth",
                                         "DrillingContractor",
                                         "Driller",
                                         "DrillMethod",
                                         "LicenseNumber",
                                         "DepthUnits",
                                         "StatePlaneNorthing",
                                         "StatePlaneEasting",
                                         "Latitude",
                                         "Longitude",
                                         "FacilityWellName",
                                         "StateWellName",
                                         "CommonWellName"};

constexpr const char* kProjectFields[] = {"ProjectNumber",    "CaseNumber",        "ProjectName",
                                          "Client",           "ClientContact",     "ClientPhone",
                                          "ClientAddress1",   "ClientAddress2",    "ClientCity",
                                          "ClientState",      "ClientZip",         "SiteAddress1",
                                          "SiteAddress2",     "SiteCity",          "SiteState",
                                          "SiteZip",          "LeadAgency",        "FacilityNumber",
                                          "SiteCounty",       "LocationCode",      "ClientCounty",
                                          "QtrSectionSecond", "QtrSectionPrimary", "Section",
                                          "Township",         "TownshipDirection", "Range",
                                          "RangeDirection"};

bool isUnitField(std::string_view name) {
  return name == "NorthingUnits" || name == "EastingUnits" || name == "BoringDiameterUnits" ||
         name == "DepthUnits";
}

std::vector<TableDef> makeTables() {
  TableDef boring{"Boring Information", {text("BoringName")}};
  for (const char* f : kBoringFields) boring.fields.push_back(isUnitField(f) ? text(f) : memo(f));

  TableDef completion{"Completion Information",
                      {text("BoringName"), single("From"), single("To"), memo("Classification")}};

  TableDef project{"Project Information", {}};
  for (const char* f : kProjectFields) project.fields.push_back(memo(f));

  TableDef lithology{"Lithology Information",
                     {text("BoringName"), single("From"), single("To"), memo("Description"),
                      text("Classification"), text("SeparatorType")}};

  TableDef sample{
      "Sample Information",
      {text("BoringName"), memo("SampleType"), single("From"), single("To"), memo("BlowCounts")}};
  TableDef labels{"Sample User Label", {}};
  for (int i = 1; i <= 10; ++i) {
    std::string n = std::to_string(i);
    sample.fields.push_back({"UserText" + n, DaoType::kMemo, 0, false});
    labels.fields.push_back({"UserLabel" + n, DaoType::kMemo, 0, false});
  }
  return {boring, completion, project, lithology, sample, labels};
}

// "[Table].Field, " for each field, the last one followed by a single blank.
std::string selectList(const char* table, const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i)
    out += std::string("[") + table + "]." + fields[i] + (i + 1 < fields.size() ? ", " : " ");
  return out;
}

}  // namespace

const std::vector<TableDef>& projectTables() {
  static const std::vector<TableDef> tables = makeTables();
  return tables;
}

void CheckFileFormat(const std::string& CurrentFile) {
  auto opened = db::Database::open(CurrentFile);
  if (opened.ok()) CheckFileFormat(opened.value());
}

void CheckFileFormat(db::Database& database) {
  ResumeNext resume;
  for (const TableDef& wanted : projectTables()) {
    auto existing = database.tableDef(wanted.name);
    if (!existing.ok()) {
      TableDef created = wanted;
      for (FieldDef& f : created.fields) {
        f.size = 50;
        f.allowZeroLength = f.isTextual();
      }
      resume([&] { return database.createTable(created); });
      continue;
    }
    for (const FieldDef& field : wanted.fields) {
      if (const FieldDef* have = existing->field(field.name)) {
        if (have->isTextual() && !have->allowZeroLength)
          resume([&] { return database.setAllowZeroLength(wanted.name, have->name, true); });
        continue;
      }
      FieldDef added = field;
      added.size = 50;
      added.allowZeroLength = added.isTextual();
      resume([&] { return database.appendField(wanted.name, added); });
    }
  }
  // Every per-boring query selects by BoringName; an index keeps a boring
  // switch as quick in a project of a thousand borings as in one of ten.
  for (const char* table : {"Boring Information", "Lithology Information", "Sample Information",
                            "Completion Information"}) {
    resume([&] {
      return database.createIndex(std::string(table) + " by BoringName", table, {"BoringName"});
    });
    // On a server, the other users hear of every change to a boring's rows.
    if (database.isServer()) resume([&] { return database.watchTable(table, "BoringName"); });
  }
}

std::string GetSQL(std::string_view Boring, int whichTable) {
  const std::string quoted = db::jetStringLiteral(Boring);
  switch (whichTable) {
    case kLithologyTable:
      return "SELECT [Lithology Information].BoringName, [Lithology Information].From, "
             "[Lithology Information].To, [Lithology Information].Description, "
             "[Lithology Information].Classification, [Lithology Information].SeparatorType "
             "FROM [Lithology Information] WHERE ((([Lithology Information].BoringName) = " +
             quoted + ")) ORDER BY [Lithology Information].From, [Lithology Information].To;";
    case kBoringTable: {
      std::vector<std::string> fields(std::begin(kBoringFields), std::end(kBoringFields));
      return "SELECT [Boring Information].BoringName, " + selectList("Boring Information", fields) +
             "FROM [Boring Information] WHERE ((([Boring Information].BoringName) = " + quoted +
             "));";
    }
    case kSampleTable: {
      std::vector<std::string> fields = {"BoringName", "SampleType", "From", "To", "BlowCounts"};
      for (int i = 1; i <= 10; ++i) fields.push_back("UserText" + std::to_string(i));
      return "SELECT " + selectList("Sample Information", fields) +
             "FROM [Sample Information] WHERE ((([Sample Information].BoringName) = " + quoted +
             ")) ORDER BY [Sample Information].From, [Sample Information].To;";
    }
    case kCompletionTable:
      return "SELECT [Completion Information].BoringName, [Completion Information].From, "
             "[Completion Information].To, [Completion Information].Classification FROM "
             "[Completion Information] WHERE ((([Completion Information].BoringName) = " +
             quoted + ")) ORDER BY [Completion Information].From, [Completion Information].To;";
    default:
      return {};
  }
}

std::string maxDepthSql(std::string_view table, std::string_view field, std::string_view Boring) {
  const std::string t(table), f(field);
  return "SELECT Max([" + f + "]) AS [Max Of " + f + "] FROM [" + t + "] WHERE [" + t +
         "].BoringName = " + db::jetStringLiteral(Boring) + " ;";
}

std::string boringListSql() {
  return "SELECT [Boring Information].BoringName From [Boring Information] ORDER BY "
         "[Boring Information].BoringName;";
}

}  // namespace sq::project
