#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <filesystem>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_classification_design.h"

namespace sq::forms {
namespace {

class ClassificationDesignTest : public WindowTest {
 protected:
  // The program started on a copy of the shipped catalogue.
  frmMain& startOnCopy() {
    path_ = home_.path("Classification.sqc");
    EXPECT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/Classification.sqc", path_, false));
    frmMain& main = start();
    main.state().ClassificationFile = path_;
    return main;
  }
  frmClassificationDesign& open() {
    main_->action("mnuEditClassifications")->trigger();
    frmClassificationDesign* d = main_->classificationDesigner();
    EXPECT_NE(d, nullptr);
    return *d;
  }
  QMdiSubWindow* subWindow(QWidget* w) { return qobject_cast<QMdiSubWindow*>(w->parentWidget()); }
  // Closes the active child window as File > Close does; a closed window
  // is gone once its deferred deletion has run.
  void closeActive() {
    main_->mnuClose_Click();
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::string path_;
};

TEST_F(ClassificationDesignTest, OpensEveryCatalogueInStoredOrder) {
  startOnCopy();
  sql(path_, "DELETE FROM Samples");
  sql(path_, "INSERT INTO Samples (Description, FileName) VALUES (\"Split spoon\", \"ss.png:100\")");
  sql(path_, "INSERT INTO Samples (Description, FileName) VALUES (\"Auger\", \"au.png:100\")");
  sql(path_, "DELETE FROM Completion");
  frmClassificationDesign& d = open();
  EXPECT_EQ(d.windowTitle(), "Classification Design");
  QStringList tabs;
  for (int i = 0; i < d.SSTab1()->count(); ++i) tabs << d.SSTab1()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"&Lithology", "&Completion", "&Samples"}));
  widgets::RecordsetModel& samples = d.sprdSamples()->model();
  EXPECT_EQ(samples.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Description");
  EXPECT_EQ(samples.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Pattern Files");
  EXPECT_EQ(samples.cellText(0, 0), "Split spoon") << "stored order, not sorted";
  EXPECT_EQ(samples.cellText(1, 0), "Auger");
  EXPECT_EQ(samples.rowCount(), 2 + 25);
  EXPECT_EQ(d.sprdCompletion()->model().rowCount(), 25) << "an empty table: 25 empty rows";
  EXPECT_GT(d.sprdLithology()->model().dataRowCount(), 20);
  const int dpi = d.sprdSamples()->logicalDpiX();
  EXPECT_EQ(d.sprdSamples()->columnWidth(0), qRound(3600 * dpi / 1440.0));
  EXPECT_EQ(d.sprdSamples()->columnWidth(1), qRound(6612 * dpi / 1440.0));
  EXPECT_FALSE(enabled("mnuPrint")) << "a catalogue does not print";
  EXPECT_TRUE(enabled("mnuClose"));
}

TEST_F(ClassificationDesignTest, EditsAreWrittenWhenTheWindowCloses) {
  startOnCopy();
  sql(path_, "DELETE FROM Completion");
  frmClassificationDesign& d = open();
  type(d.sprdCompletion(), 1, 1, "Bentonite seal");
  type(d.sprdCompletion(), 2, 1, "Filter pack");
  type(d.sprdCompletion(), 2, 2, "sand.png:100");
  EXPECT_EQ(d.sprdCompletion()->model().rowCount(), 2 + 25) << "typing keeps 25 rows below";
  closeActive();
  EXPECT_EQ(main_->classificationDesigner(), nullptr);
  EXPECT_EQ(column(path_, "Completion", "Description"),
            (std::vector<std::string>{"Bentonite seal", "Filter pack"}));
  EXPECT_EQ(column(path_, "Completion", "FileName"), (std::vector<std::string>{" ", "sand.png:100"}))
      << "a row with only a description stores one blank";
}

TEST_F(ClassificationDesignTest, AMissingFileIsReportedAndNothingOpens) {
  frmMain& main = start();
  main.state().ClassificationFile = home_.path("nowhere/Classification.sqc");
  main.action("mnuEditClassifications")->trigger();
  EXPECT_EQ(main.classificationDesigner(), nullptr);
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].text, home_.path("nowhere/Classification.sqc") + " does not exist.");
  EXPECT_EQ(prompts_.seen()[0].title, "Error");
  EXPECT_EQ(main.mdiArea()->subWindowList().size(), 0);
}

TEST_F(ClassificationDesignTest, OnlyWithNoProjectOpen) {
  frmMain& main = startOnCopy();
  EXPECT_TRUE(enabled("mnuEditClassifications"));
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  EXPECT_FALSE(enabled("mnuEditClassifications"));
  main.mnuClose_Click();
  EXPECT_TRUE(enabled("mnuEditClassifications"));
}

TEST_F(ClassificationDesignTest, ItClosesWhenFocusedAfterItsFileWasDeleted) {
  frmMain& main = startOnCopy();
  main.show();
  frmClassificationDesign& d = open();
  QMdiSubWindow* designer = subWindow(&d);
  auto* other = main.mdiArea()->addSubWindow(new QWidget);
  other->show();
  main.mdiArea()->setActiveSubWindow(other);
  ASSERT_TRUE(std::filesystem::remove(path_));
  main.mdiArea()->setActiveSubWindow(designer);
  QApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(main.classificationDesigner(), nullptr);
  EXPECT_TRUE(prompts_.seen().empty()) << "nothing was typed, so nothing is lost";
}

TEST_F(ClassificationDesignTest, FocusGoesToTheTabsAndTabsGiveItToTheirGrids) {
  frmMain& main = startOnCopy();
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  frmClassificationDesign& d = open();
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), d.SSTab1()->tabBar()) << QApplication::focusWidget()->metaObject()->className() << QApplication::focusWidget()->objectName().toStdString();
  d.SSTab1()->setCurrentIndex(2);
  EXPECT_EQ(QApplication::focusWidget(), d.sprdSamples());
}

TEST_F(ClassificationDesignTest, SwatchesShowHowAClassFillsItsColumn) {
  startOnCopy();
  sql(path_, "DELETE FROM Lithology");
  for (const char* row : {"(\"Sand\", \"sw.png:100\")", "(\"Bare\", \"sw.png\")",
                          "(\"Gone\", \"nothing-here.png:100\")", "(\"Half\", \"sw.png:50\")",
                          "(\"Blank\", \" \")"})
    sql(path_, std::string("INSERT INTO Lithology (Description, FileName) VALUES ") + row);
  frmClassificationDesign& d = open();
  auto cell = [&](int row, int role) {
    return d.sprdLithology()->model().index(row, 1).data(role);
  };
  const QPixmap sand = cell(0, Qt::DecorationRole).value<QPixmap>();
  ASSERT_FALSE(sand.isNull());
  EXPECT_EQ(cell(0, Qt::ToolTipRole).toString(), "");
  const QPixmap marker = cell(1, Qt::DecorationRole).value<QPixmap>();
  ASSERT_FALSE(marker.isNull());
  EXPECT_NE(sand.toImage(), marker.toImage());
  EXPECT_TRUE(cell(1, Qt::ToolTipRole).toString().contains("Nothing prints"));
  EXPECT_TRUE(cell(2, Qt::ToolTipRole).toString().contains("\u201Cnothing-here.png\u201D"));
  EXPECT_EQ(cell(2, Qt::DecorationRole).value<QPixmap>().toImage(), marker.toImage());
  EXPECT_TRUE(cell(3, Qt::ToolTipRole).toString().contains("50%"));
  // The right half of a half-width swatch stays white.
  const QImage half = cell(3, Qt::DecorationRole).value<QPixmap>().toImage();
  EXPECT_EQ(half.pixel(half.width() * 3 / 4, half.height() / 2), qRgb(255, 255, 255));
  EXPECT_FALSE(cell(4, Qt::DecorationRole).isValid()) << "an empty list carries no marker";
}

TEST_F(ClassificationDesignTest, AReadOnlyFileSaysSoAndTakesNoEdits) {
  startOnCopy();
  setWritableProbe([this](const std::string& p) { return p != path_; });
  frmClassificationDesign& d = open();
  setWritableProbe(nullptr);
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + path_ +
                                     " is read-only.  You can look at it, but changes cannot be "
                                     "saved."});
  EXPECT_FALSE(d.sprdLithology()->model().setCellText(0, 0, "changed"));
  prompts_.clear();
  closeActive();
  EXPECT_TRUE(prompts_.seen().empty());
}

TEST_F(ClassificationDesignTest, ASaveThatFailsIsToldAndTheWindowMayStay) {
  startOnCopy();
  frmClassificationDesign& d = open();
  type(d.sprdSamples(), 1, 1, "Shelby tube");
  sql(path_, "DROP TABLE Samples");
  prompts_.planMessage(MessageAnswer::kNo);
  closeActive();
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].title, "Changes Not Saved");
  EXPECT_NE(main_->classificationDesigner(), nullptr) << "No: the window stays with the edits";
  EXPECT_EQ(d.sprdSamples()->model().cellText(0, 0), "Shelby tube");
  prompts_.planMessage(MessageAnswer::kYes);
  closeActive();
  EXPECT_EQ(main_->classificationDesigner(), nullptr);
}

}  // namespace
}  // namespace sq::forms
