// View > Site Map and View > Cross-Section, driven as a user drives them.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

#include <filesystem>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_cross_section.h"
#include "strataquill/forms/frm_site_map.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_run.h"

namespace sq::forms {
namespace {

class FigureWindowsTest : public WindowTest {
 protected:
  // A project of three borings placed on a site grid with elevations, and
  // one without coordinates.
  std::string siteProject() {
    const std::string path = newProject("site.sq2", {"B-1", "B-2", "B-3", "B-4"});
    auto place = [&](const char* name, const char* north, const char* east, const char* ground) {
      sql(path, std::string("UPDATE [Boring Information] SET Northing = \"") + north +
                    "\", Easting = \"" + east + "\", GroundElevation = \"" + ground +
                    "\", NorthingUnits = \"Feet\", DepthUnits = \"Feet\" WHERE BoringName = \"" +
                    name + "\"");
    };
    place("B-1", "1000", "500", "742.3");
    place("B-2", "1000", "700", "744.8");
    place("B-3", "900", "800", "");
    for (const char* b : {"B-1", "B-2", "B-3"})
      sql(path, std::string("INSERT INTO [Lithology Information] (BoringName, [From], [To], "
                            "Classification) VALUES (\"") +
                    b + "\", 0, 20, \"CL - Lean clay\")");
    return path;
  }
  QPushButton* button(QWidget* w, const char* name) {
    auto* b = w->findChild<QPushButton*>(name);
    EXPECT_NE(b, nullptr) << name;
    return b;
  }
  static QPointF symbolOf(const frmSiteMap& map, const std::string& name) {
    for (const auto& s : map.layout().symbols)
      if (s.name == name) return s.at;
    ADD_FAILURE() << name << " is not on the map";
    return {};
  }
};

TEST_F(FigureWindowsTest, ViewMenuNeedsAProject) {
  frmMain& main = start();
  QStringList items;
  for (QAction* a : main.menu("mnuView")->actions()) items << a->text();
  EXPECT_EQ(items, (QStringList{"&Site Map", "&Cross-Section"}));
  EXPECT_FALSE(enabled("mnuSiteMap"));
  EXPECT_FALSE(enabled("mnuCrossSection"));
  main.mnuSiteMap_Click();
  EXPECT_EQ(main.siteMapWindow(), nullptr);
}

TEST_F(FigureWindowsTest, PickABoringLineOnTheMapAndDrawItsSection) {
  frmMain& main = start(siteProject());
  ASSERT_TRUE(enabled("mnuSiteMap"));
  main.action("mnuSiteMap")->trigger();
  frmSiteMap* map = main.siteMapWindow();
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(main.mdiArea()->currentSubWindow()->widget(), map);
  ASSERT_TRUE(map->composed().ok()) << map->composed().message;
  ASSERT_EQ(map->layout().symbols.size(), 3u) << "B-4 has no coordinates";

  // A click near a symbol picks it; a second click drops it again.
  map->clickAt(symbolOf(*map, "B-2") + QPointF(0.05, 0.05));
  EXPECT_EQ(map->picked(), (std::vector<std::string>{"B-2"}));
  map->clickAt(symbolOf(*map, "B-2"));
  EXPECT_TRUE(map->picked().empty());
  map->clickAt(symbolOf(*map, "B-2") + QPointF(0.6, 0));
  EXPECT_TRUE(map->picked().empty()) << "a click on empty paper picks nothing";
  // A band dragged from east to west picks in that order.
  const QPointF east = symbolOf(*map, "B-3") + QPointF(0.3, 0.3);
  const QPointF west = symbolOf(*map, "B-1") - QPointF(0.3, 0.3);
  map->bandFrom(QPointF(east.x(), west.y()), QPointF(west.x(), east.y()));
  EXPECT_EQ(map->picked(), (std::vector<std::string>{"B-3", "B-2", "B-1"}));
  ASSERT_EQ(map->lstSection()->count(), 3);
  EXPECT_EQ(map->lstSection()->item(0)->text(), "B-3");
  map->lstSection()->setCurrentRow(0);
  button(map, "cmdRemove")->click();
  EXPECT_EQ(map->picked(), (std::vector<std::string>{"B-2", "B-1"}));
  map->lstSection()->setCurrentRow(1);
  button(map, "cmdUp")->click();
  EXPECT_EQ(map->picked(), (std::vector<std::string>{"B-1", "B-2"}));

  button(map, "cmdSection")->click();
  frmCrossSection* section = main.crossSectionWindow();
  ASSERT_NE(section, nullptr);
  EXPECT_EQ(main.mdiArea()->currentSubWindow()->widget(), section);
  EXPECT_EQ(section->borings(), (std::vector<std::string>{"B-1", "B-2"}));
  ASSERT_TRUE(section->composed().ok()) << section->composed().message;
  EXPECT_FALSE(section->message()->isVisibleTo(section));
  EXPECT_EQ(section->lblPage()->text(), "Page 1 of 1");

  // Adding the boring without an elevation: the window says why it cannot
  // draw the section instead of drawing it.
  section->cmbBorings()->setCurrentText("B-3");
  button(section, "cmdAdd")->click();
  EXPECT_FALSE(section->composed().ok());
  EXPECT_TRUE(section->message()->isVisibleTo(section));
  EXPECT_EQ(section->message()->text(), "The section cannot be drawn:\nB-3: no ground elevation.");
  // Printing it says the same and prints nothing.
  main.printDispatch(render::kToPreview);
  EXPECT_EQ(prompts_.messageTexts().back(),
            "The section cannot be drawn:\nB-3: no ground elevation.");
  section->lstSection()->setCurrentRow(2);
  button(section, "cmdRemove")->click();
  EXPECT_TRUE(section->composed().ok());

  // File > Print Preview on the active figure shows it in the preview.
  int previewPages = 0;
  onModal([&](QDialog& dialog) {
    auto* preview = qobject_cast<render::frmPrintPreview*>(&dialog);
    EXPECT_NE(preview, nullptr);
    if (preview) previewPages = preview->pageCount();
    return 0;
  });
  ASSERT_TRUE(enabled("mnuPrintPreview"));
  main.action("mnuPrintPreview")->trigger();
  EXPECT_EQ(previewPages, 1);

  // And File > Print sends it to the chosen printer: here a PDF file.
  const std::string pdf = home_.path("printed.pdf");
  main.printerChoice().printerName.clear();
  main.printerChoice().pdfFile = QString::fromStdString(pdf);
  main.action("mnuPrint")->trigger();
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

TEST_F(FigureWindowsTest, SaveAsPdfAndOptions) {
  frmMain& main = start(siteProject());
  main.showCrossSection({"B-1", "B-2"});
  frmCrossSection* section = main.crossSectionWindow();
  ASSERT_NE(section, nullptr);
  ASSERT_TRUE(section->composed().ok());
  section->spnExaggeration()->setValue(20);
  emit section->spnExaggeration()->editingFinished();
  ASSERT_TRUE(section->composed().ok()) << section->composed().message;
  bool saidTwenty = false;
  for (const auto& op : section->document().pages[0].ops)
    if (auto* t = std::get_if<render::TextOp>(&op))
      saidTwenty = saidTwenty || t->text.startsWith("VERTICAL EXAGGERATION 20");
  EXPECT_TRUE(saidTwenty);

  const std::string pdf = home_.path("section.pdf");
  prompts_.planFile({FileDialogResult::Outcome::kChosen, pdf, "section.pdf"});
  button(section, "cmdPdf")->click();
  ASSERT_FALSE(prompts_.seen().empty());
  EXPECT_EQ(prompts_.seen().back().dialog.title, "Save Cross-Section as PDF");
  EXPECT_EQ(prompts_.seen().back().dialog.fileName, "site Cross-Section.pdf");
  EXPECT_TRUE(std::filesystem::exists(pdf));
  // Cancelling the dialog writes nothing.
  std::filesystem::remove(pdf);
  prompts_.planFile({FileDialogResult::Outcome::kCancelled, "", ""});
  button(section, "cmdPdf")->click();
  EXPECT_FALSE(std::filesystem::exists(pdf));
}

TEST_F(FigureWindowsTest, FiguresFollowTheProject) {
  frmMain& main = start(siteProject());
  main.mnuSiteMap_Click();
  main.showCrossSection({"B-1", "B-2"});
  ASSERT_NE(main.siteMapWindow(), nullptr);
  ASSERT_NE(main.crossSectionWindow(), nullptr);
  // A boring removed from the project leaves the map and the section.
  main.session().removeBoring("B-2");
  QApplication::processEvents();
  EXPECT_EQ(main.siteMapWindow()->layout().symbols.size(), 2u) << "B-1 and B-3";
  EXPECT_FALSE(main.crossSectionWindow()->composed().ok());
  EXPECT_NE(main.crossSectionWindow()->composed().message.find("B-2: no such boring"),
            std::string::npos);
  // Closing the project closes both.
  ASSERT_TRUE(main.unloadDataEntry());
  QApplication::processEvents();
  EXPECT_EQ(main.siteMapWindow(), nullptr);
  EXPECT_EQ(main.crossSectionWindow(), nullptr);
}

}  // namespace
}  // namespace sq::forms
