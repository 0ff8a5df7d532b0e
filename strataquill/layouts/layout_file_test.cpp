#include "strataquill/layouts/layout_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>

#include "strataquill/db/database.h"
#include "strataquill/layouts/options_row.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/program_folder.h"
#include "strataquill/shell/scripted_prompts.h"
#include "strataquill/shell/test_home.h"

namespace sq::layouts {
namespace {

using db::Value;

class LayoutFileTest : public ::testing::Test {
 protected:
  void SetUp() override { setProgramFolder(VEXAMOR_TEST_BIN_DIR); }
  void TearDown() override { setProgramFolder(""); }

  db::Database open(const std::string& path) {
    auto database = db::Database::open(path);
    EXPECT_TRUE(database.ok()) << database.status().message();
    return std::move(database.value());
  }

  TestHome home_;
  ScriptedPrompts prompts_;
};

TEST_F(LayoutFileTest, NewLayoutHasTheFiveTablesAndItsOptions) {
  const std::string path = home_.path("log.sqf");
  ASSERT_TRUE(CreateLayoutFile(path));
  EXPECT_TRUE(prompts_.seen().empty());
  db::Database database = open(path);
  EXPECT_EQ(database.tableNames(),
            (std::vector<std::string>{"Text", "Lines", "Graphics", "ColumnGraphics", "Options"}));
  LayoutForPrint layout;
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  EXPECT_FALSE(layout.options.truncateUpperUnitText);
  EXPECT_FALSE(layout.options.truncateLowerUnitText) << "both edges of a page are labelled";
  EXPECT_FALSE(layout.options.endOfBoringNote);
  EXPECT_FLOAT_EQ(layout.options.majorTickWidth, 0.15f);
  EXPECT_FLOAT_EQ(layout.options.minorTickWidth, 0.075f);
  EXPECT_TRUE(layout.texts.empty() && layout.lines.empty() && layout.columns.empty());

  // Every designer record source runs on the new file.
  for (const char* source : {kTextRecordSource, kLinesRecordSource, kGraphicsRecordSource,
                             kColumnGraphicsRecordSource, kOptionsRecordSource}) {
    auto rs = database.openRecordset(source);
    EXPECT_TRUE(rs.ok()) << source << ": " << rs.status().message();
    if (rs.ok()) {
      EXPECT_TRUE(rs->updatable()) << source;
    }
  }
}

TEST_F(LayoutFileTest, OverwriteQuestionFollowsTheAnswer) {
  const std::string path = home_.path("old.sqf");
  std::ofstream(path) << "old layout";
  prompts_.planMessage(MessageAnswer::kNo);
  EXPECT_FALSE(CreateLayoutFile(path));
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + path +
                                     " already exists.  Do you wish to overwrite it?"});
  EXPECT_EQ(prompts_.seen()[0].title, "Overwrite Existing File?");
  EXPECT_EQ(std::filesystem::file_size(path), 10u);

  prompts_.planMessage(MessageAnswer::kYes);
  EXPECT_TRUE(CreateLayoutFile(path));
  EXPECT_EQ(open(path).tableNames().size(), 5u);
}

int renameWithoutNoReplace(const char*, const char*) {
  errno = ENOSYS;
  return -1;
}

TEST_F(LayoutFileTest, FileSystemsWithoutNoReplaceRenameMakeLayoutsWithoutAQuestion) {
  setRenameNoReplaceCall(renameWithoutNoReplace);
  const std::string path = home_.path("share.sqf");
  EXPECT_TRUE(CreateLayoutFile(path));
  setRenameNoReplaceCall(nullptr);
  EXPECT_TRUE(prompts_.seen().empty());
  EXPECT_EQ(open(path).tableNames().size(), 5u);
}

TEST_F(LayoutFileTest, CheckFileFormatLetsBlankAndEmptyTextBeSaved) {
  const std::string path = home_.path("check.sqf");
  ASSERT_TRUE(CreateLayoutFile(path));
  auto addText = [&](const char* text) {
    db::Database database = open(path);
    auto rs = database.openRecordset(kTextRecordSource);
    EXPECT_TRUE(rs->addNew().ok());
    EXPECT_TRUE(rs->setField("Text", Value::text(text)).ok());
    EXPECT_TRUE(rs->setField("FontName", Value::text(text)).ok());
    return rs->update();
  };
  EXPECT_TRUE(addText(" ").ok());
  EXPECT_EQ(addText("").code(), db::ErrorCode::kZeroLength);
  CheckFileFormat(path);
  EXPECT_TRUE(addText("").ok());
  LayoutForPrint layout;
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  ASSERT_EQ(layout.texts.size(), 2u);
  EXPECT_EQ(layout.texts[0].text, " ");
  EXPECT_EQ(layout.texts[1].text, "");
}

TEST_F(LayoutFileTest, CheckFileFormatGivesAnOlderLayoutTheEndOfBoringNoteSwitch) {
  const std::string path = home_.path("older.sqf");
  {
    // A layout file as they were made before the note: its Options row
    // without the field, and a value in it.
    auto database = db::Database::create(path);
    ASSERT_TRUE(database.ok());
    ASSERT_TRUE(database
                    ->execute("CREATE TABLE Options (TruncateUpperUnitText BIT, "
                              "TruncateLowerUnitText BIT, MajorTickWidth SINGLE, "
                              "MinorTickWidth SINGLE)")
                    .ok());
    ASSERT_TRUE(database->execute("INSERT INTO Options VALUES (True, False, 0.2, 0.1)").ok());
  }
  LayoutForPrint layout;
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  EXPECT_FALSE(layout.options.endOfBoringNote) << "read as off while the field is missing";
  CheckFileFormat(path);
  CheckFileFormat(path);  // once is enough; again changes nothing
  {
    db::Database database = open(path);
    auto def = database.tableDef("Options");
    ASSERT_TRUE(def.ok());
    ASSERT_NE(def->field(kEndOfBoringNoteField), nullptr);
    EXPECT_EQ(def->field(kEndOfBoringNoteField)->type, db::DaoType::kBoolean);
    EXPECT_EQ(def->fields.size(), 5u);
  }
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  EXPECT_TRUE(layout.options.truncateUpperUnitText) << "the row keeps its values";
  EXPECT_FLOAT_EQ(layout.options.majorTickWidth, 0.2f);
  EXPECT_FALSE(layout.options.endOfBoringNote);

  // The designer's row writes the switch; a classification file gets no
  // Options table from the check.
  {
    db::Database database = open(path);
    auto row = OptionsRow::open(database, true);
    ASSERT_TRUE(row.has_value());
    ASSERT_TRUE(row->write(false, false, true).ok());
  }
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  EXPECT_TRUE(layout.options.endOfBoringNote);
  const std::string classes = home_.path("classes.sqc");
  ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Classification.sqc", classes, false));
  CheckFileFormat(classes);
  EXPECT_EQ(open(classes).tableDef("Options").ok(), false);
}

TEST_F(LayoutFileTest, RowsReadInStoredOrderWithTheirValues) {
  const std::string path = home_.path("rows.sqf");
  ASSERT_TRUE(CreateLayoutFile(path));
  {
    db::Database database = open(path);
    ASSERT_TRUE(database
                    .execute("INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, "
                             "FontBold, TextColor, PenStyle, PenWidth, PenColor) VALUES "
                             "(\"Lithology\", 2.5, 3, 3.25, 10, \"Arial\", 8, True, \"2 - Red\", "
                             "\"1 - Dash\", 15, \"5 - Blue\")")
                    .ok());
    ASSERT_TRUE(
        database.execute("INSERT INTO ColumnGraphics (Name, X) VALUES (\"Depth\", 0.5)").ok());
    ASSERT_TRUE(database
                    .execute("INSERT INTO [Text] ([Text], X, Y, Alignment, Angle, FontItalic) "
                             "VALUES (\"<<Boring Name>>\", 1, 2, \"3 - Right\", 90, -1)")
                    .ok());
    ASSERT_TRUE(database
                    .execute("INSERT INTO Graphics (FileName, X, Y, XX, YY) VALUES "
                             "(\"logo.png\", 0.25, 0.25, 1.25, 1)")
                    .ok());
    ASSERT_TRUE(database
                    .execute("INSERT INTO Lines (PenStyle, PenWidth, PenColor, X, Y, XX, "
                             "YY) VALUES (\"0 - Solid\", 0, \"1 - Black\", 0.5, 3, 8, 3)")
                    .ok());
  }
  LayoutForPrint layout;
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  ASSERT_EQ(layout.columns.size(), 2u);
  const LayoutColumn& lith = layout.columns[0];
  EXPECT_EQ(lith.name, "Lithology");
  EXPECT_FLOAT_EQ(lith.box.x, 2.5f);
  EXPECT_FLOAT_EQ(lith.box.xx, 3.25f);
  EXPECT_EQ(lith.font.name, "Arial");
  EXPECT_TRUE(lith.font.bold);
  EXPECT_FALSE(lith.font.italic);
  EXPECT_EQ(lith.penStyle, "1 - Dash");
  EXPECT_FLOAT_EQ(lith.penWidth, 15);
  EXPECT_EQ(layout.columns[1].name, "Depth");
  EXPECT_FLOAT_EQ(layout.columns[1].box.yy, 0) << "null reads as 0";
  ASSERT_EQ(layout.texts.size(), 1u);
  EXPECT_EQ(layout.texts[0].alignment, "3 - Right");
  EXPECT_TRUE(layout.texts[0].font.italic);
  EXPECT_FLOAT_EQ(layout.texts[0].angle, 90);
  ASSERT_EQ(layout.graphics.size(), 1u);
  EXPECT_EQ(layout.graphics[0].fileName, "logo.png");
  ASSERT_EQ(layout.lines.size(), 1u);
  EXPECT_FLOAT_EQ(layout.lines[0].box.xx, 8);
}

TEST_F(LayoutFileTest, DamagedLayoutGivesWhatCanBeRead) {
  const std::string path = home_.path("damaged.sqf");
  {
    auto database = db::Database::create(path);
    // No Options, no Graphics; Lines without PenColor; text where numbers go.
    ASSERT_TRUE(database->execute("CREATE TABLE Lines (PenStyle TEXT(50), X MEMO, Y SINGLE)").ok());
    ASSERT_TRUE(database
                    ->execute("INSERT INTO Lines (PenStyle, X, Y) VALUES (\"2 - Dot\", "
                              "\"1.5 inches\", 2)")
                    .ok());
    ASSERT_TRUE(database->execute("INSERT INTO Lines (PenStyle, X) VALUES (\"x\", \"left\")").ok());
  }
  LayoutForPrint layout;
  ASSERT_TRUE(readLayoutForPrint(path, layout));
  EXPECT_FLOAT_EQ(layout.options.majorTickWidth, 0);
  ASSERT_EQ(layout.lines.size(), 2u);
  EXPECT_FLOAT_EQ(layout.lines[0].box.x, 1.5f);
  EXPECT_FLOAT_EQ(layout.lines[0].box.y, 2);
  EXPECT_EQ(layout.lines[0].penColor, "");
  EXPECT_FLOAT_EQ(layout.lines[1].box.x, 0);

  std::ofstream(home_.path("junk.sqf")) << std::string(3000, 'j');
  EXPECT_FALSE(readLayoutForPrint(home_.path("junk.sqf"), layout));
  EXPECT_FALSE(readLayoutForPrint(home_.path("missing.sqf"), layout));
}

}  // namespace
}  // namespace sq::layouts
