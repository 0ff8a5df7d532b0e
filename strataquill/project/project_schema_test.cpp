#include "strataquill/project/project_schema.h"

#include <fstream>

#include "strataquill/project/project_test_support.h"
#include "strataquill/shell/file_copy.h"

namespace sq::project {
namespace {

using db::DaoType;
using db::Value;

class ProjectSchemaTest : public ProjectTest {
 protected:
  std::string freshProject() {
    std::string path = home_.path("site.sq2");
    EXPECT_TRUE(copyFile(programFolder() + "File.tpl", path, false));
    return path;
  }

  std::vector<std::string> column(db::Database& database, const std::string& sql,
                                  const char* field) {
    std::vector<std::string> out;
    auto rs = database.openRecordset(sql);
    EXPECT_TRUE(rs.ok()) << rs.status().message() << "\n" << sql;
    if (!rs.ok()) return out;
    for (rs->moveFirst(); !rs->eof(); (void)rs->moveNext()) out.push_back(rs->text(field));
    return out;
  }
};

TEST_F(ProjectSchemaTest, PerBoringStatementsHaveTheirExactText) {
  EXPECT_EQ(GetSQL("B-1", 1),
            "SELECT [Lithology Information].BoringName, [Lithology Information].From, "
            "[Lithology Information].To, [Lithology Information].Description, [Lithology "
            "Information].Classification, [Lithology Information].SeparatorType FROM [Lithology "
            "Information] WHERE ((([Lithology Information].BoringName) = \"B-1\")) ORDER BY "
            "[Lithology Information].From, [Lithology Information].To;");
  EXPECT_EQ(GetSQL("B-1", 5),
            "SELECT [Completion Information].BoringName, [Completion Information].From, "
            "[Completion Information].To, [Completion Information].Classification FROM "
            "[Completion Information] WHERE ((([Completion Information].BoringName) = \"B-1\")) "
            "ORDER BY [Completion Information].From, [Completion Information].To;");
  EXPECT_EQ(GetSQL("B-1", 2),
            "SELECT [Boring Information].BoringName, [Boring Information].DateStart, [Boring "
            "Information].DateEnd, [Boring Information].Northing, [Boring "
            "Information].NorthingUnits, [Boring Information].Easting, [Boring "
            "Information].EastingUnits, [Boring Information].GroundElevation, [Boring "
            "Information].DrilledWater, [Boring Information].StaticWater, [Boring "
            "Information].PotentiometricWater, [Boring Information].Supervisor, [Boring "
            "Information].DrillRig, [Boring Information].BoringDiameter, [Boring "
            "Information].BoringDiameterUnits, [Boring Information].Trend, [Boring "
            "Information].Plunge, [Boring Information].Completion, [Boring "
            "Information].TotalDepth, [Boring Information].DrillingContractor, [Boring "
            "Information].Driller, [Boring Information].DrillMethod, [Boring "
            "Information].LicenseNumber, [Boring Information].DepthUnits, [Boring "
            "Information].StatePlaneNorthing, [Boring Information].StatePlaneEasting, [Boring "
            "Information].Latitude, [Boring Information].Longitude, [Boring "
            "Information].FacilityWellName, [Boring Information].StateWellName, [Boring "
            "Information].CommonWellName FROM [Boring Information] WHERE ((([Boring "
            "Information].BoringName) = \"B-1\"));");
  EXPECT_EQ(GetSQL("B-1", 3),
            "SELECT [Sample Information].BoringName, [Sample Information].SampleType, [Sample "
            "Information].From, [Sample Information].To, [Sample Information].BlowCounts, "
            "[Sample Information].UserText1, [Sample Information].UserText2, [Sample "
            "Information].UserText3, [Sample Information].UserText4, [Sample "
            "Information].UserText5, [Sample Information].UserText6, [Sample "
            "Information].UserText7, [Sample Information].UserText8, [Sample "
            "Information].UserText9, [Sample Information].UserText10 FROM [Sample Information] "
            "WHERE ((([Sample Information].BoringName) = \"B-1\")) ORDER BY [Sample "
            "Information].From, [Sample Information].To;");
  for (int other : {0, 4, 6, -1}) EXPECT_EQ(GetSQL("B-1", other), "") << other;
  EXPECT_TRUE(GetSQL("say \"hi\"", 5)
                  .ends_with("BoringName) = \"say \"\"hi\"\"\")) ORDER BY [Completion "
                             "Information].From, [Completion Information].To;"));
}

TEST_F(ProjectSchemaTest, StatementsSelectExactlyOneBoringInDepthOrder) {
  const std::string path = freshProject();
  CheckFileFormat(path);
  db::Database database = open(path);
  const std::vector<std::string> names = {"B-1",    "b-1",  "B-1 ",      "O\"Neil",
                                          "O'Neil", "From", "BoringName"};
  for (const std::string& name : names) {
    addRow(database, "Boring Information", {{"BoringName", Value::text(name)}});
    for (float from : {20.f, 0.f, 10.f, 0.f}) {
      const float to = from == 0.f && name.size() % 2 ? 5.f : from + 10.f;
      for (const char* table :
           {"Lithology Information", "Sample Information", "Completion Information"})
        addRow(database, table,
               {{"BoringName", Value::text(name)},
                {"From", Value::single(from)},
                {"To", Value::single(to)}});
    }
  }
  for (const std::string& name : names) {
    EXPECT_EQ(column(database, GetSQL(name, 2), "BoringName"), std::vector<std::string>{name});
    for (int table : {1, 3, 5}) {
      auto from = column(database, GetSQL(name, table), "From");
      auto to = column(database, GetSQL(name, table), "To");
      EXPECT_EQ(from, (std::vector<std::string>{"0", "0", "10", "20"})) << name << table;
      EXPECT_LE(std::stof(to[0]), std::stof(to[1])) << "ties broken by To";
    }
  }
  auto list = column(database, boringListSql(), "BoringName");
  ASSERT_EQ(list.size(), 7u);
  // Names that differ only in case sort together, in either order.
  EXPECT_TRUE((list[0] == "B-1" && list[1] == "b-1") || (list[0] == "b-1" && list[1] == "B-1"));
  EXPECT_EQ(std::vector<std::string>(list.begin() + 2, list.end()),
            (std::vector<std::string>{"B-1 ", "BoringName", "From", "O\"Neil", "O'Neil"}));
}

TEST_F(ProjectSchemaTest, CheckFileFormatLetsTextFieldsHoldEmptyText) {
  const std::string path = freshProject();
  {
    db::Database database = open(path);
    auto rs = database.openRecordset("Lithology Information");
    ASSERT_TRUE(rs->addNew().ok());
    ASSERT_TRUE(rs->setField("Description", Value::text("")).ok());
    EXPECT_EQ(rs->update().code(), db::ErrorCode::kZeroLength) << "the template is strict";
  }
  CheckFileFormat(path);
  db::Database database = open(path);
  for (const db::TableDef& table : projectTables()) {
    auto def = database.tableDef(table.name);
    ASSERT_TRUE(def.ok()) << table.name;
    for (const db::FieldDef& f : def->fields) {
      if (f.isTextual()) {
        EXPECT_TRUE(f.allowZeroLength) << table.name << "." << f.name;
      }
    }
    auto rs = database.openRecordset(table.name);
    ASSERT_TRUE(rs->addNew().ok());
    for (const db::FieldDef& f : def->fields) {
      if (f.isTextual()) {
        ASSERT_TRUE(rs->setField(f.name, Value::text("")).ok());
      }
    }
    EXPECT_TRUE(rs->update().ok()) << table.name;
  }
}

TEST_F(ProjectSchemaTest, OldFilesGainMissingTablesAndFieldsWithDataUnchanged) {
  const std::string path = home_.path("old.sq2");
  {
    auto database = db::Database::create(path);
    ASSERT_TRUE(database.ok());
    // An older layout: no label table, five user columns, From as Double.
    ASSERT_TRUE(database
                    ->execute("CREATE TABLE [Sample Information] (BoringName TEXT(50), "
                              "SampleType MEMO, [From] DOUBLE, [To] SINGLE, BlowCounts MEMO, "
                              "UserText1 MEMO, UserText2 MEMO, UserText3 MEMO, UserText4 "
                              "MEMO, UserText5 MEMO)")
                    .ok());
    addRow(database.value(), "Sample Information",
           {{"BoringName", Value::text("B-1")},
            {"From", Value::real(12.1)},
            {"BlowCounts", Value::text("5-7-9")},
            {"UserText5", Value::text("keep")}});
  }
  CheckFileFormat(path);
  CheckFileFormat(path);  // a second run changes nothing more

  db::Database database = open(path);
  std::vector<std::string> tables = database.tableNames();
  EXPECT_EQ(tables, (std::vector<std::string>{"Sample Information", "Boring Information",
                                              "Completion Information", "Project Information",
                                              "Lithology Information", "Sample User Label"}));
  auto sample = database.tableDef("Sample Information");
  ASSERT_EQ(sample->fields.size(), 15u);
  EXPECT_EQ(sample->fields[2].type, DaoType::kDouble) << "a field of another type stays";
  EXPECT_EQ(sample->fields[14].name, "UserText10");
  EXPECT_EQ(sample->fields[14].type, DaoType::kMemo);
  auto rs = database.openRecordset("Sample Information");
  ASSERT_EQ(rs->recordCount(), 1);
  EXPECT_EQ(rs->value("From")->toDouble(), 12.1);
  EXPECT_EQ(rs->text("BlowCounts"), "5-7-9");
  EXPECT_EQ(rs->text("UserText5"), "keep");
  EXPECT_TRUE(rs->value("UserText6")->isNull());
  EXPECT_EQ(database.tableDef("Sample User Label")->fields.size(), 10u);
}

TEST_F(ProjectSchemaTest, CheckFileFormatLeavesOtherFilesAlone) {
  CheckFileFormat(home_.path("missing.sq2"));
  EXPECT_FALSE(std::filesystem::exists(home_.path("missing.sq2")));
  std::ofstream(home_.path("notes.sq2")) << std::string(4096, 'x');
  CheckFileFormat(home_.path("notes.sq2"));
  EXPECT_EQ(std::filesystem::file_size(home_.path("notes.sq2")), 4096u);
}

}  // namespace
}  // namespace sq::project
