#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <sstream>

#include <string>
#include <vector>

#include "strataquill/db/database.h"
#include "strataquill/db/jet_sql.h"
#include "strataquill/render/log_composer.h"
#include "strataquill/shell/file_copy.h"
#include "strataquill/shell/test_home.h"

namespace sq::render {

// Builds a project, a layout and a classification catalogue in a temporary
// folder, and composes logs from them onto a surface whose display list the
// tests read back.
class RenderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    project_ = home_.path("site.sq2");
    layout_ = home_.path("log.sqf");
    classification_ = home_.path("Classification.sqc");
    patterns_ = home_.path("Patterns");
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", project_, false));
    ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Format.tpl", layout_, false));
    auto cls = db::Database::create(classification_);
    for (const char* t : {"Lithology", "Completion", "Samples"})
      ASSERT_TRUE(
          cls->execute(std::string("CREATE TABLE ") + t + " (Description MEMO, FileName MEMO)")
              .ok());
    std::filesystem::create_directories(patterns_);
    options_.firstPageLayoutFile = layout_;
    options_.firstPageLayoutFileTitle = "log.sqf";
    sql(layout_, "UPDATE Options SET TruncateUpperUnitText = False, TruncateLowerUnitText = False");
  }

  static void sql(const std::string& path, const std::string& statement) {
    auto database = db::Database::open(path);
    ASSERT_TRUE(database.ok());
    auto s = database->execute(statement);
    ASSERT_TRUE(s.ok()) << s.message() << "\n" << statement;
  }

  // A data column of the layout; font Arial 8, thin solid black pen.
  void addColumn(const std::string& name, double x, double y, double xx, double yy) {
    sql(layout_,
        "INSERT INTO ColumnGraphics (Name, X, Y, XX, YY, FontName, FontSize, TextColor, "
        "PenStyle, PenWidth, PenColor) VALUES (\"" +
            name + "\", " + num(x) + ", " + num(y) + ", " + num(xx) + ", " + num(yy) +
            ", \"Arial\", 8, \"1 - Black\", \"0 - Solid\", 0, \"1 - Black\")");
  }

  void addText(const std::string& text, double x, double y, double xx, double yy,
               const std::string& alignment = "1 - Left", double size = 10) {
    sql(layout_,
        "INSERT INTO [Text] ([Text], X, Y, XX, YY, FontName, FontSize, TextColor, "
        "Alignment, Angle) VALUES (" +
            db::jetStringLiteral(text) + ", " + num(x) + ", " + num(y) + ", " + num(xx) + ", " +
            num(yy) + ", \"Arial\", " + num(size) + ", \"1 - Black\", \"" + alignment + "\", 0)");
  }

  void addBoring(const std::string& name) {
    sql(project_, "INSERT INTO [Boring Information] (BoringName, DepthUnits) VALUES (" +
                      db::jetStringLiteral(name) + ", \"Feet\")");
  }
  void addLithology(const std::string& boring, double from, double to,
                    const std::string& description, const std::string& cls,
                    const std::string& separator = "0 - Solid") {
    sql(project_,
        "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description, "
        "Classification, SeparatorType) VALUES (" +
            db::jetStringLiteral(boring) + ", " + num(from) + ", " + num(to) + ", " +
            db::jetStringLiteral(description) + ", " + db::jetStringLiteral(cls) + ", \"" +
            separator + "\")");
  }
  void addSample(const std::string& boring, double from, double to, const std::string& type,
                 const std::string& blows) {
    sql(project_,
        "INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], "
        "BlowCounts) VALUES (" +
            db::jetStringLiteral(boring) + ", " + db::jetStringLiteral(type) + ", " + num(from) +
            ", " + num(to) + ", " + db::jetStringLiteral(blows) + ")");
  }
  void addCompletion(const std::string& boring, double from, double to, const std::string& cls) {
    sql(project_,
        "INSERT INTO [Completion Information] (BoringName, [From], [To], "
        "Classification) VALUES (" +
            db::jetStringLiteral(boring) + ", " + num(from) + ", " + num(to) + ", " +
            db::jetStringLiteral(cls) + ")");
  }
  // A class whose pattern list names tiles of `tilePixels` at 96 dpi.
  void addClass(const std::string& table, const std::string& description,
                const std::string& patternList, int tilePixels = 96) {
    for (const auto& slice : layouts::parsePatternList(patternList)) {
      QImage tile(tilePixels, tilePixels, QImage::Format_RGB32);
      tile.fill(Qt::white);
      tile.setDotsPerMeterX(3780);
      tile.setDotsPerMeterY(3780);
      tile.save(QString::fromStdString(patterns_ + "/" + slice.fileName), "PNG");
    }
    sql(classification_, "INSERT INTO " + table + " (Description, FileName) VALUES (" +
                             db::jetStringLiteral(description) + ", " +
                             db::jetStringLiteral(patternList) + ")");
  }

  RenderJob job(const std::string& boring, int reportType = kBoringLog) {
    return RenderJob{project_,
                     nullptr,
                     boring,
                     reportType,
                     layout_,
                     classification_,
                     patterns_,
                     [] { return std::string("12/7/2026"); },
                     [] { return std::string("8:15:00 PM"); },
                     {},
                     {},
                     {}};
  }

  // Composes a whole log into a fresh document.
  const SurfaceDocument& compose(const std::string& boring, int reportType = kBoringLog) {
    surface_.startDoc();
    LogComposer composer(surface_, options_, job(boring, reportType));
    EXPECT_TRUE(composer.composePages());
    surface_.endDoc();
    return surface_.document();
  }

  // Texts drawn on a page, in drawing order.
  std::vector<std::string> texts(int page) const {
    std::vector<std::string> out;
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* t = std::get_if<TextOp>(&op)) out.push_back(t->text.toStdString());
    return out;
  }
  std::vector<TextOp> textOps(int page) const {
    std::vector<TextOp> out;
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* t = std::get_if<TextOp>(&op)) out.push_back(*t);
    return out;
  }
  std::vector<LineOp> lines(int page) const {
    std::vector<LineOp> out;
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* l = std::get_if<LineOp>(&op)) out.push_back(*l);
    return out;
  }
  std::vector<PatternOp> patterns(int page) const {
    std::vector<PatternOp> out;
    for (const DrawOp& op : surface_.document().pages.at(page).ops)
      if (auto* p = std::get_if<PatternOp>(&op)) out.push_back(*p);
    return out;
  }

  static std::string num(double v) {
    std::ostringstream s;
    s << v;
    return s.str();
  }

  TestHome home_;
  std::string project_, layout_, classification_, patterns_;
  PrintOptions options_;
  PrintSurface surface_;
};

}  // namespace sq::render
