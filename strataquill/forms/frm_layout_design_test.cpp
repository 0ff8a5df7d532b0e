#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QTabWidget>
#include <QTest>

#include <filesystem>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_layout_design.h"
#include "strataquill/forms/frm_preferences.h"
#include "strataquill/forms/layout_sample_view.h"
#include "strataquill/render/frm_print.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_run.h"

namespace sq::forms {
namespace {

using Kind = ScriptedPrompts::Prompt::Kind;

class LayoutDesignTest : public WindowTest {
 protected:
  // A new layout file made from the template, holding only what `sql`
  // statements add.
  std::string newLayout(const std::string& name) {
    const std::string path = home_.path(name);
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Format.tpl", path, false));
    return path;
  }
  // Opens `path` with Edit Layout as a user does.
  frmLayoutDesign* edit(const std::string& path) {
    prompts_.planFile({FileDialogResult::Outcome::kChosen, path,
                       std::filesystem::path(path).filename().string()});
    main_->action("mnuEditLayout")->trigger();
    return main_->layoutDesigner();
  }
  void closeActive() {
    main_->mnuClose_Click();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  static QStringList headings(widgets::BoundGrid* grid) {
    QStringList out;
    for (int c = 0; c < grid->model().columnCount(); ++c)
      out << grid->model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return out;
  }
  static std::string rows(const std::string& path, const char* table, const char* fields) {
    std::string out;
    auto database = db::Database::open(path);
    auto rs = database->openRecordset(std::string("SELECT ") + fields + " FROM [" + table + "]");
    if (!rs.ok()) return "<" + rs.status().message() + ">";
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
      std::string row;
      for (const std::string& f : rs->fieldNames()) row += (row.empty() ? "" : "|") + rs->text(f);
      out += (out.empty() ? "" : "; ") + row;
    }
    return out;
  }
};

TEST_F(LayoutDesignTest, AnEmptyLayoutOpensWithSpareRowsAndAnOptionsRow) {
  const std::string path = newLayout("empty.sqf");
  sql(path, "DELETE FROM Options");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].dialog.title, "Open Existing Layout File");
  EXPECT_EQ(prompts_.seen()[0].dialog.filter, "Strataquill Layout (*.sqf)|*.sqf");
  EXPECT_TRUE(prompts_.seen()[0].dialog.mustExist);
  EXPECT_EQ(d->windowTitle(), "Layout Design - empty.sqf");
  QStringList tabs;
  for (int i = 0; i < d->SSTab1()->count(); ++i) tabs << d->SSTab1()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"&Text", "&Lines", "&Graphics", "&Columns", "&Options"}));
  for (widgets::BoundGrid* grid :
       {d->sprdText(), d->sprdLines(), d->sprdGraphics(), d->sprdColumnGraphics()})
    EXPECT_EQ(grid->model().rowCount(), 25) << grid->objectName().toStdString();
  EXPECT_EQ(headings(d->sprdText()),
            (QStringList{"Text", "X", "Y", "XX", "YY", "Font", "Size", "Bold", "Italic",
                         "Underline", "Color", "Alignment", "Angle"}));
  EXPECT_EQ(headings(d->sprdLines()),
            (QStringList{"X", "Y", "XX", "YY", "Line Type", "Line Width", "Line Color"}));
  EXPECT_EQ(headings(d->sprdGraphics()), (QStringList{"X", "Y", "XX", "YY", "Graphic File Name"}));
  EXPECT_EQ(headings(d->sprdColumnGraphics()),
            (QStringList{"Column Type", "X", "Y", "XX", "YY", "Font", "Size", "Bold", "Italic",
                         "Underline", "Color", "Line Type", "Line Width", "Line Color"}));
  const QStringList placeholders = d->sprdText()->model().columns()[0].listItems.split('\t');
  EXPECT_EQ(placeholders.size(), 100);
  for (const char* added : {"<<Page Count>>", "Page <<Page Number>> of <<Page Count>>",
                            "<<Bottom Depth>>", "<<Bottom Depth>> + <<Depth Units>>"})
    EXPECT_TRUE(placeholders.contains(added)) << added;
  EXPECT_EQ(placeholders.front(), "<<Boring Diameter>>");
  EXPECT_EQ(placeholders[2], "<<Boring Diameter>> + <<Boring Diameter Units>>");
  EXPECT_EQ(placeholders.back(), "<<USGS Location>>");
  EXPECT_EQ(d->sprdText()->model().columns()[0].kind, widgets::CellKind::kEditableDropDown);
  EXPECT_EQ(d->sprdColumnGraphics()->model().columns()[0].listItems.split('\t').mid(0, 3),
            (QStringList{"Classification", "Completion", "Depth"}));
  EXPECT_EQ(d->sprdColumnGraphics()->model().columns()[0].listItems.split('\t').mid(7, 4),
            (QStringList{"Elevation", "Water Level", "N Value", "N Graph"}));
  EXPECT_TRUE(d->sprdText()->model().columns()[5].listItems.split('\t').contains("Liberation Sans"))
      << "the fonts of the font database";
  EXPECT_EQ(rows(path, "Options", "MajorTickWidth"), "") << "an Options row made on the spot";
  EXPECT_EQ(column(path, "Options", "TruncateUpperUnitText").size(), 1u);
  EXPECT_TRUE(d->chkTruncateUpperColumnText()->isEnabled());
}

TEST_F(LayoutDesignTest, TypedRowsAreSavedAndComeBackSortedByTheirCorners) {
  const std::string path = newLayout("mine.sqf");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  widgets::BoundGrid* columns = d->sprdColumnGraphics();
  type(columns, 25, 1, "Lithology");  // the last spare row
  type(columns, 25, 2, "1.5");
  EXPECT_EQ(columns->model().rowCount(), 25 + 25) << "25 spare rows stay below the data";
  type(columns, 1, 1, "Depth");
  type(columns, 1, 2, "0.5");
  type(columns, 1, 3, "2");
  widgets::BoundGrid* texts = d->sprdText();
  type(texts, 1, 1, "Our own free text");
  type(texts, 1, 2, "3");
  type(texts, 2, 1, "<<Boring Name>>");
  type(texts, 2, 2, "1");
  type(texts, 2, 7, "10");
  type(texts, 2, 7, "");  // cleared again
  d->chkTruncateUpperColumnText()->setChecked(true);
  closeActive();
  EXPECT_EQ(main_->layoutDesigner(), nullptr);
  EXPECT_EQ(rows(path, "Text", "Text, X, FontSize"), "Our own free text|3|; <<Boring Name>>|1|")
      << "free text is kept as typed; a cleared number cell stores no value";
  EXPECT_EQ(rows(path, "Text", "FontName"), " ;  ") << "a cleared text cell stores one blank";
  EXPECT_EQ(rows(path, "ColumnGraphics", "Name"), "Depth; Lithology")
      << "blank rows between are left out";
  EXPECT_EQ(rows(path, "Options", "TruncateUpperUnitText"), "-1");

  d = edit(path);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->sprdText()->model().cellText(0, 0), "<<Boring Name>>") << "sorted by X";
  EXPECT_EQ(d->sprdColumnGraphics()->model().cellText(0, 0), "Depth");
  EXPECT_EQ(d->sprdColumnGraphics()->model().cellText(1, 0), "Lithology");
  EXPECT_TRUE(d->chkTruncateUpperColumnText()->isChecked());
}

TEST_F(LayoutDesignTest, TheLayoutItemsAreDisabledWhileTheDesignerIsActive) {
  start();
  EXPECT_TRUE(enabled("mnuEditLayout"));
  ASSERT_NE(edit(newLayout("a.sqf")), nullptr);
  EXPECT_FALSE(enabled("mnuEditLayout"));
  EXPECT_FALSE(enabled("mnuCreateNewLayout"));
  EXPECT_TRUE(enabled("mnuPrint")) << "a layout sample prints";
  EXPECT_TRUE(enabled("mnuClose"));
  auto* other = main_->mdiArea()->addSubWindow(new QWidget);
  other->show();
  main_->mdiArea()->setActiveSubWindow(other);
  EXPECT_TRUE(enabled("mnuEditLayout"));
  EXPECT_TRUE(enabled("mnuCreateNewLayout"));
}

TEST_F(LayoutDesignTest, CreateNewLayoutClosesTheProjectAndAsksBeforeReplacing) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  const std::string path = home_.path("new.sqf");
  prompts_.planFile({FileDialogResult::Outcome::kChosen, path, "new.sqf"});
  main.action("mnuCreateNewLayout")->trigger();
  ASSERT_NE(main.layoutDesigner(), nullptr);
  EXPECT_EQ(prompts_.seen()[0].dialog.title, "Create New Layout File");
  EXPECT_FALSE(prompts_.seen()[0].dialog.mustExist);
  EXPECT_EQ(main.dataEntryWindow(), nullptr) << "the data entry window closes first";
  EXPECT_EQ(main.state().CurrentProjectPath, "???");
  EXPECT_EQ(main.state().DesignerLayoutTitle, "new.sqf");
  EXPECT_TRUE(std::filesystem::exists(path));
  closeActive();

  // Over an existing file: No leaves it and opens nothing.
  sql(path, "INSERT INTO Lines (X) VALUES (1)");
  prompts_.clear();
  prompts_.planFile({FileDialogResult::Outcome::kChosen, path, "new.sqf"});
  prompts_.planMessage(MessageAnswer::kNo);
  main.action("mnuCreateNewLayout")->trigger();
  EXPECT_EQ(main.layoutDesigner(), nullptr);
  ASSERT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + path +
                                     " already exists.  Do you wish to overwrite it?"});
  EXPECT_EQ(column(path, "Lines", "X"), std::vector<std::string>{"1"});
}

TEST_F(LayoutDesignTest, CreateNewLayoutRefusesTheFilesThatAreOpen) {
  const std::string open = newLayout("open.sqf");
  frmMain& main = start();
  frmLayoutDesign* d = edit(open);
  ASSERT_NE(d, nullptr);
  type(d->sprdLines(), 1, 1, "4");
  // Another child is active, so the Layout items are on.
  auto* other = main.mdiArea()->addSubWindow(new QWidget);
  other->show();
  main.mdiArea()->setActiveSubWindow(other);
  prompts_.clear();
  prompts_.planFile({FileDialogResult::Outcome::kChosen, open, "open.sqf"});
  main.action("mnuCreateNewLayout")->trigger();
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + open +
                                     " is open in the layout designer.  Close the designer "
                                     "before you create a new file in its place."});
  EXPECT_EQ(prompts_.seen().back().title, "Create New Layout File");
  EXPECT_EQ(main.layoutDesigner(), d) << "the designer keeps its file";
  ASSERT_TRUE(d->UpdateRecordsets()) << "and still saves into it";
  EXPECT_EQ(column(open, "Lines", "X"), std::vector<std::string>{"4"});

  // The open project is no layout to be made either.
  const std::string project = newProject("site.sq2", {"B-1"});
  ASSERT_TRUE(main.openProject(project, "site.sq2"));
  prompts_.clear();
  prompts_.planFile({FileDialogResult::Outcome::kChosen, project, "site.sq2"});
  main.action("mnuCreateNewLayout")->trigger();
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  EXPECT_EQ(prompts_.messageTexts()[0],
            "The file " + project +
                " is the project that is open.  Close it before you create a new file in its "
                "place.");
  EXPECT_EQ(main.state().CurrentProjectPath, project);
  EXPECT_EQ(column(project, project::boringListSql(), "BoringName"),
            std::vector<std::string>{"B-1"});
}

TEST_F(LayoutDesignTest, ADesignerThatStaysKeepsItsFileInTheProgramState) {
  const std::string open = newLayout("open.sqf");
  frmMain& main = start();
  frmLayoutDesign* d = edit(open);
  ASSERT_NE(d, nullptr);
  type(d->sprdLines(), 1, 2, "one inch");  // cannot be saved
  auto* other = main.mdiArea()->addSubWindow(new QWidget);
  other->show();
  main.mdiArea()->setActiveSubWindow(other);
  const std::string fresh = home_.path("fresh.sqf");
  prompts_.clear();
  prompts_.planFile({FileDialogResult::Outcome::kChosen, fresh, "fresh.sqf"});
  prompts_.planMessage(MessageAnswer::kYes);  // go back and correct the cell
  main.action("mnuCreateNewLayout")->trigger();
  EXPECT_EQ(main.layoutDesigner(), d);
  EXPECT_EQ(main.state().DesignerLayoutPath, open) << "not the file that did not open";
  EXPECT_EQ(main.state().DesignerLayoutTitle, "open.sqf");
}

TEST_F(LayoutDesignTest, AnInvalidNameOrACancelOpensNothing) {
  start();
  prompts_.planFile({FileDialogResult::Outcome::kInvalidName, "", ""});
  main_->action("mnuEditLayout")->trigger();
  prompts_.planFile({FileDialogResult::Outcome::kCancelled, "", ""});
  main_->action("mnuEditLayout")->trigger();
  EXPECT_EQ(main_->layoutDesigner(), nullptr);
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The layout file you selected is invalid.  Please try again."});
  EXPECT_EQ(prompts_.seen()[1].title, "Invalid File Name");
}

TEST_F(LayoutDesignTest, WithNoLayoutChosenTheDesignerClosesWhenFocused) {
  frmMain& main = start();
  main.show();
  frmLayoutDesign* d = edit(newLayout("a.sqf"));
  ASSERT_NE(d, nullptr);
  auto* other = main.mdiArea()->addSubWindow(new QWidget);
  other->show();
  main.mdiArea()->setActiveSubWindow(other);
  main.state().DesignerLayoutTitle = "???";
  main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(d->parentWidget()));
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.layoutDesigner(), nullptr);
}

TEST_F(LayoutDesignTest, TheSamplePageFollowsTheCellsAsTheyAreCommitted) {
  const std::string path = newLayout("live.sqf");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  LayoutSampleView* page = d->samplePage();
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->guides().empty());
  const int before = page->redraws();
  widgets::BoundGrid* columns = d->sprdColumnGraphics();
  type(columns, 1, 1, "Depth");
  for (auto [c, v] : {std::pair{2, "0.5"}, {3, "2"}, {4, "1.25"}, {5, "9.5"}}) type(columns, 1, c, v);
  EXPECT_TRUE(page->redrawPending());
  EXPECT_LT(LayoutSampleView::kRedrawDelayMs, 333) << "within a third of a second";
  QTest::qWait(LayoutSampleView::kRedrawDelayMs + 100);
  EXPECT_EQ(page->redraws(), before + 1) << "quick changes make one redraw";
  ASSERT_EQ(page->guides().size(), 1u);
  EXPECT_EQ(page->guides()[0].inches, QRectF(QPointF(0.5, 2), QPointF(1.25, 9.5)));
  // The composer drew the depth scale: labels every 5 units of 40, both
  // edges labelled as the template's options say.
  int labels = 0;
  for (const auto& op : page->document().pages.at(0).ops)
    if (const auto* text = std::get_if<render::TextOp>(&op)) labels += !text->text.trimmed().isEmpty();
  EXPECT_EQ(labels, 9);

  type(columns, 1, 4, "3");
  page->redraw();
  EXPECT_EQ(page->guides()[0].inches, QRectF(QPointF(0.5, 2), QPointF(3, 9.5)));
  type(columns, 2, 1, "Lithology");
  type(columns, 2, 2, "4");
  columns->setActiveCell(2, 3);
  QApplication::processEvents();
  page->redraw();
  EXPECT_EQ(page->guides().size(), 2u);
  EXPECT_FALSE(page->redrawPending());

  // New paper from Print Setup reaches the page.
  frmMain::setPrinterSetupHook([](QPrinter& printer) {
    printer.setPageSize(QPageSize(QPageSize::Legal));
    printer.setPageOrientation(QPageLayout::Portrait);
    return true;
  });
  main_->PageFormat();
  frmMain::setPrinterSetupHook(nullptr);
  EXPECT_DOUBLE_EQ(page->document().pageHeight, 14 * 1440);
}

TEST_F(LayoutDesignTest, TheSamplePageFillsPlaceholdersFromTheCurrentBoring) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"MW-7"}), "site.sq2"));
  frmLayoutDesign* d = edit(newLayout("names.sqf"));
  ASSERT_NE(d, nullptr);
  type(d->sprdText(), 1, 1, "<<Boring Name>>");
  for (auto [c, v] : {std::pair{2, "1"}, {3, "1"}, {4, "4"}, {5, "2"}}) type(d->sprdText(), 1, c, v);
  d->samplePage()->redraw();
  QStringList texts;
  for (const auto& op : d->samplePage()->document().pages.at(0).ops)
    if (const auto* t = std::get_if<render::TextOp>(&op)) texts << t->text;
  EXPECT_EQ(texts, QStringList{"MW-7"}) << "as a printed sample fills it";
}

TEST_F(LayoutDesignTest, TheSamplePageShowsTheNewColumnsFromTheCurrentBoring) {
  frmMain& main = start();
  const std::string project = newProject("site.sq2", {"MW-7"});
  sql(project,
      "UPDATE [Boring Information] SET GroundElevation = \"512.5\", StaticWater = "
      "\"12\", DateEnd = \"05/02/2025\"");
  sql(project,
      "INSERT INTO [Sample Information] (BoringName, SampleType, [From], [To], "
      "BlowCounts) VALUES (\"MW-7\", \"SPT\", 5, 6.5, \"5-7-9\")");
  ASSERT_TRUE(main.openProject(project, "site.sq2"));
  frmLayoutDesign* d = edit(newLayout("new.sqf"));
  ASSERT_NE(d, nullptr);
  auto row = [&](int r, const char* name, const char* x, const char* xx) {
    type(d->sprdColumnGraphics(), r, 1, name);
    for (auto [c, v] : {std::pair{2, x}, {3, "2"}, {4, xx}, {5, "10"}, {7, "8"}})
      type(d->sprdColumnGraphics(), r, c, v);
  };
  row(1, "Elevation", "0.5", "1");
  row(2, "Water Level", "1", "1.7");
  row(3, "N Graph", "2", "3");
  row(4, "N Value", "3", "3.5");
  d->samplePage()->redraw();
  QStringList texts;
  int symbols = 0;
  for (const auto& op : d->samplePage()->document().pages.at(0).ops) {
    if (const auto* t = std::get_if<render::TextOp>(&op)) texts << t->text;
    symbols += std::holds_alternative<render::PolygonOp>(op);
  }
  EXPECT_TRUE(texts.contains(" 512.5") && texts.contains(" 472.5"))
      << texts.join('|').toStdString();
  EXPECT_TRUE(texts.contains("12") && texts.contains("05/02/2025")) << "the static water level";
  EXPECT_EQ(symbols, 1) << "its symbol; no plot points in a sample";
  EXPECT_TRUE(texts.contains("0") && texts.contains("50")) << "the N graph's scale";
  EXPECT_FALSE(texts.contains("16")) << "N-values are the boring's data";
  EXPECT_EQ(d->samplePage()->guides().size(), 4u);
}

TEST_F(LayoutDesignTest, TextThatDoesNotFitItsBoxIsMarkedAndStillShown) {
  start();
  frmLayoutDesign* d = edit(newLayout("fit.sqf"));
  ASSERT_NE(d, nullptr);
  widgets::BoundGrid* grid = d->sprdText();
  auto row = [&](int r, const char* text, const char* yy, const char* size) {
    for (auto [c, v] :
         {std::pair{1, text}, {2, "1"}, {3, "1"}, {4, "5"}, {5, yy}, {6, "Arial"}, {7, size}})
      type(grid, r, c, v);
  };
  row(1, "Fits", "1.3", "10");
  row(2, "ACME DRILLING", "1.17", "20");  // a 20 point name in a 12 point box
  QTest::qWait(LayoutSampleView::kRedrawDelayMs + 100);
  const widgets::RecordsetModel& model = grid->model();
  // The grid shows the rows sorted as they were typed; the second is marked.
  for (int c = 0; c < model.columnCount(); ++c) {
    EXPECT_EQ(model.cellNote(0, c), "") << c;
    EXPECT_EQ(model.cellNote(1, c), "Text does not fit its box") << c;
  }
  EXPECT_EQ(model.data(model.index(1, 0), Qt::ToolTipRole).toString(), "Text does not fit its box");
  EXPECT_EQ(model.data(model.index(1, 0), Qt::BackgroundRole).value<QColor>(),
            QColor(255, 226, 150));
  QStringList shown;
  for (const auto& op : d->samplePage()->document().pages.at(0).ops)
    if (const auto* t = std::get_if<render::TextOp>(&op)) shown << t->text;
  EXPECT_TRUE(shown.contains("ACME DRILLING")) << "shown, cut off at its box";

  // A larger box clears the mark.
  type(grid, 2, 5, "1.5");
  QTest::qWait(LayoutSampleView::kRedrawDelayMs + 100);
  EXPECT_EQ(model.cellNote(1, 0), "");
}

TEST_F(LayoutDesignTest, TheEndOfBoringNoteIsAnOptionOfTheLayout) {
  const std::string path = newLayout("note.sqf");
  // A layout made before the note has no field for it; opening adds it.
  sql(path, "DROP TABLE Options");
  sql(path,
      "CREATE TABLE Options (TruncateUpperUnitText BIT, TruncateLowerUnitText BIT, "
      "MajorTickWidth SINGLE, MinorTickWidth SINGLE)");
  sql(path, "INSERT INTO Options VALUES (False, True, 0.15, 0.075)");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->chkEndOfBoringNote()->text(), "End of Boring Note");
  EXPECT_TRUE(d->chkEndOfBoringNote()->isEnabled());
  EXPECT_FALSE(d->chkEndOfBoringNote()->isChecked());
  d->chkEndOfBoringNote()->setChecked(true);
  EXPECT_TRUE(d->currentLayout().options.endOfBoringNote) << "the sample page follows it";
  closeActive();
  EXPECT_EQ(rows(path, "Options", "EndOfBoringNote, TruncateLowerUnitText"), "-1|-1")
      << "saved with the other switches, which keep their values";
}

TEST_F(LayoutDesignTest, PrintPreviewShowsTheLayoutSampleOfTheDesignersFile) {
  const std::string path = newLayout("sample.sqf");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  type(d->sprdColumnGraphics(), 1, 1, "Depth");
  for (auto [c, v] : {std::pair{2, "1"}, {3, "1"}, {4, "2"}, {5, "10"}})
    type(d->sprdColumnGraphics(), 1, c, v);

  // The dialog wants a first-page layout, which a new user has in the
  // shipped one.
  static std::vector<std::string> shown;
  shown.clear();
  render::setPreviewHook([](render::frmPrintPreview& p) {
    const render::SurfaceDocument& doc = p.document();
    shown.push_back(doc.name.toStdString() + " " + std::to_string(doc.pages.size()));
  });
  bool sampleDialog = false;
  onModal([&](QDialog& dialog) {
    auto& print = dynamic_cast<render::frmPrint&>(dialog);
    // A layout sample: no layout choosers.
    sampleDialog = !print.cmdChooseFirstPageLayout()->isEnabled();
    print.cmdOK_Click();
    return 1;
  });
  main_->action("mnuPrintPreview")->trigger();
  render::setPreviewHook(nullptr);
  EXPECT_TRUE(prompts_.messageTexts().empty());
  EXPECT_TRUE(sampleDialog);
  EXPECT_EQ(shown, std::vector<std::string>{"sample.sqf 1"}) << "one page, named after the layout";
  EXPECT_EQ(column(path, "ColumnGraphics", "Name"), std::vector<std::string>{"Depth"})
      << "the designer saved before the run";
}

TEST_F(LayoutDesignTest, ADamagedFileOpensWithWhatCanBeRead) {
  const std::string path = home_.path("damaged.sqf");
  {
    auto created = db::Database::create(path);
    ASSERT_TRUE(created.ok());
  }
  // Text without Angle and FontSize holding words, no Lines table at all,
  // Graphics with a box drawn backwards and off the page.
  sql(path, "CREATE TABLE [Text] ([Text] TEXT(50), X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE, "
            "FontName TEXT(50), FontSize TEXT(50))");
  sql(path, "INSERT INTO [Text] ([Text], X, Y, FontSize) VALUES (\"Kept\", 2, 1, \"big\")");
  sql(path, "CREATE TABLE Graphics (FileName MEMO, X SINGLE, Y SINGLE, XX SINGLE, YY SINGLE)");
  sql(path, "INSERT INTO Graphics (FileName, X, Y, XX, YY) VALUES (\"logo.png\", 30, 20, -4, -9)");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->sprdText()->model().cellText(0, 0), "Kept");
  EXPECT_EQ(d->sprdText()->model().cellText(0, 6), "big");
  EXPECT_EQ(d->sprdGraphics()->model().cellText(0, 1), "20");
  EXPECT_EQ(d->sprdGraphics()->model().cellText(0, 2), "-4");
  EXPECT_EQ(d->sprdLines()->model().rowCount(), 25);
  EXPECT_FALSE(d->chkTruncateUpperColumnText()->isEnabled()) << "no Options table";
  d->samplePage()->redraw();
  EXPECT_EQ(d->samplePage()->guides().size(), 2u);

  // A line typed where there is no table is not lost without a word.
  type(d->sprdLines(), 1, 1, "1");
  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kNo);
  closeActive();
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].title, "Changes Not Saved");
  EXPECT_NE(main_->layoutDesigner(), nullptr);
  prompts_.planMessage(MessageAnswer::kYes);
  closeActive();
  EXPECT_EQ(main_->layoutDesigner(), nullptr);
}

TEST_F(LayoutDesignTest, ANumberCellHoldingWordsIsNamedBeforeTheWindowCloses) {
  const std::string path = newLayout("words.sqf");
  start();
  frmLayoutDesign* d = edit(path);
  ASSERT_NE(d, nullptr);
  type(d->sprdLines(), 1, 1, "1");
  type(d->sprdLines(), 1, 2, "one inch");  // pasted, not typed: the editor takes no letters
  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kYes);
  closeActive();
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].text,
            "These cells hold no number and cannot be saved:\n\nLines row 1, Y: \u201Cone "
            "inch\u201D\n\nDo you want to go back and correct them?");
  EXPECT_NE(main_->layoutDesigner(), nullptr) << "Yes: back to correct it";
  type(d->sprdLines(), 1, 2, "2");
  closeActive();
  EXPECT_EQ(main_->layoutDesigner(), nullptr);
  EXPECT_EQ(rows(path, "Lines", "X, Y"), "1|2");
}

TEST_F(LayoutDesignTest, EditLayoutOnAnotherFileSwitchesTheDesigner) {
  const std::string first = newLayout("first.sqf"), second = newLayout("second.sqf");
  start();
  frmLayoutDesign* d = edit(first);
  ASSERT_NE(d, nullptr);
  type(d->sprdLines(), 1, 1, "4");
  auto* other = main_->mdiArea()->addSubWindow(new QWidget);
  other->show();
  main_->mdiArea()->setActiveSubWindow(other);
  d = edit(second);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->windowTitle(), "Layout Design - second.sqf");
  EXPECT_EQ(column(first, "Lines", "X"), std::vector<std::string>{"4"}) << "saved as it closed";
  EXPECT_EQ(main_->mdiArea()->subWindowList().size(), 2);
}

// A new user's first log of their own: a new layout with a company name, a
// boring name, a line, a picture and two columns, its sample page, then a
// project's log printed with it, and the company changed in the
// preferences for the next log.
TEST_F(LayoutDesignTest, FromANewLayoutToALogWithIt) {
  frmMain& main = start();
  const std::string path = home_.path("ours.sqf");
  prompts_.planFile({FileDialogResult::Outcome::kChosen, path, "ours.sqf"});
  main.action("mnuCreateNewLayout")->trigger();
  frmLayoutDesign* d = main.layoutDesigner();
  ASSERT_NE(d, nullptr);
  auto row = [&](widgets::BoundGrid* grid, int r, std::initializer_list<const char*> cells) {
    int c = 1;
    for (const char* cell : cells) {
      if (*cell) type(grid, r, c, cell);
      ++c;
    }
  };
  row(d->sprdText(), 1, {"<<Company Name>>", "0.5", "0.5", "4", "0.9", "Arial", "12"});
  row(d->sprdText(), 2, {"<<Boring Name>>", "5", "0.5", "8", "0.9", "Arial", "12"});
  row(d->sprdLines(), 1, {"0.5", "1", "8", "1", "0 - Solid", "10", "1 - Black"});
  const std::string logo = std::string(VEXAMOR_TEST_BIN_DIR) + "/Patterns/sw.png";
  row(d->sprdGraphics(), 1, {"7", "0.2", "8", "0.45", logo.c_str()});
  row(d->sprdColumnGraphics(), 1, {"Depth", "0.5", "1.5", "1", "10", "Arial", "8"});
  row(d->sprdColumnGraphics(), 2, {"Lithology", "1", "1.5", "2", "10", "Arial", "8"});
  QTest::qWait(LayoutSampleView::kRedrawDelayMs + 100);
  const render::SurfaceDocument& sample = d->samplePage()->document();
  EXPECT_EQ(d->samplePage()->guides().size(), 6u);
  int pictures = 0;
  QStringList texts;
  for (const auto& op : sample.pages.at(0).ops) {
    pictures += std::holds_alternative<render::PictureOp>(op);
    if (const auto* t = std::get_if<render::TextOp>(&op)) texts << t->text;
  }
  EXPECT_EQ(pictures, 1);
  EXPECT_TRUE(texts.contains("Quality Consulting")) << texts.join('|').toStdString();

  // The layout prints with a project's log.
  closeActive();
  ASSERT_TRUE(render::PrintOptions::saveFirstPageLayout(path, "ours.sqf"));
  const std::string project = newProject("site.sq2", {"MW-7"});
  sql(project, "INSERT INTO [Lithology Information] (BoringName, [From], [To], Classification) "
               "VALUES (\"MW-7\", 0, 12, \"SW - Well graded sand\")");
  ASSERT_TRUE(main.openProject(project, "site.sq2"));
  static QStringList printed;
  static int patterns = 0;
  render::setPreviewHook([](render::frmPrintPreview& p) {
    printed.clear();
    patterns = 0;
    for (const auto& op : p.document().pages.at(0).ops) {
      if (const auto* t = std::get_if<render::TextOp>(&op)) printed << t->text;
      patterns += std::holds_alternative<render::PatternOp>(op);
    }
  });
  auto preview = [&] {
    onModal([](QDialog& dialog) {
      dynamic_cast<render::frmPrint&>(dialog).cmdOK_Click();
      return 1;
    });
    main.action("mnuPrintPreview")->trigger();
  };
  preview();
  EXPECT_TRUE(printed.contains("Quality Consulting"));
  EXPECT_TRUE(printed.contains("MW-7"));
  EXPECT_GE(patterns, 1) << "the lithology column fills its interval";

  // A new company name reaches the next log.
  onModal([](QDialog& dialog) {
    auto& preferences = dynamic_cast<frmPreferences&>(dialog);
    preferences.txtCompanyName()->setText("Terra Drilling");
    preferences.cmdOK_Click();
    return 1;
  });
  main.action("mnuPreferences")->trigger();
  preview();
  render::setPreviewHook(nullptr);
  EXPECT_TRUE(printed.contains("Terra Drilling"));
}

}  // namespace
}  // namespace sq::forms
