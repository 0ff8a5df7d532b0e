#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QMdiArea>
#include <QMouseEvent>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_sample_label_update.h"
#include "strataquill/layouts/classification_file.h"
#include "strataquill/project/project_file.h"
#include "strataquill/project/sample_labels.h"
#include "strataquill/shell/settings_store.h"

namespace sq::forms {
namespace {

class DataEntryTest : public WindowTest {
 protected:
  frmFile& open(const std::string& path) {
    frmMain& main = start();
    EXPECT_TRUE(main.openProject(path, "site.sq2"));
    return file();
  }
  QLineEdit* line(const char* name) { return qobject_cast<QLineEdit*>(file().control(name)); }
  QString heading(widgets::BoundGrid* grid, int column) {
    return grid->model().headerData(column - 1, Qt::Horizontal, Qt::DisplayRole).toString();
  }
  // Right-clicks the samples grid's heading of `column` (from 1) and
  // returns the label box that has the focus in the dialog it opens.
  int rightClickSampleHeading(int column) {
    widgets::BoundGrid* grid = file().sprdSample();
    grid->show();
    grid->horizontalScrollBar()->setValue(0);
    grid->scrollTo(grid->model().index(0, column - 1));
    QHeaderView* header = grid->horizontalHeader();
    const int x = header->sectionViewportPosition(column - 1) + header->sectionSize(column - 1) / 2;
    int focused = -1;
    onModal([&](QDialog& d) {
      auto& dialog = dynamic_cast<frmSampleLabelUpdate&>(d);
      for (int i = 0; i < 10; ++i)
        if (dialog.focusWidget() == dialog.Text1(i)) focused = i;
      return 0;
    });
    QTest::mouseClick(header->viewport(), Qt::RightButton, {}, QPoint(x, header->height() / 2));
    return focused;
  }
};

TEST_F(DataEntryTest, LoadBindsEveryTabToTheFirstBoring) {
  const std::string path = newProject("site.sq2", {"B-2", "B-1"});
  frmFile& f = open(path);
  EXPECT_EQ(main_->GetCurrentBoring(), "B-1");
  QStringList tabs;
  for (int i = 0; i < f.SSTab1()->count(); ++i) tabs << f.SSTab1()->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"L&ithology", "&Samples", "Co&mpletion", "B&oring Info.",
                               "&Project Info."}));
  QStringList headings;
  for (int c = 1; c <= 6; ++c) headings << heading(f.sprdLithology(), c);
  EXPECT_EQ(headings, (QStringList{"From", "To", "Description", "Classification", "Line Type",
                                   "BoringName"}));
  EXPECT_TRUE(f.sprdLithology()->isColumnHidden(5));
  EXPECT_TRUE(f.sprdSample()->isColumnHidden(14));
  EXPECT_TRUE(f.sprdCompletion()->isColumnHidden(3));
  EXPECT_EQ(heading(f.sprdSample(), 3), "Sample Type");
  EXPECT_EQ(heading(f.sprdSample(), 5), "Undefined");
  EXPECT_EQ(heading(f.sprdCompletion(), 3), "Classification");

  // A boring without rows shows spare rows to type into; opening writes
  // nothing.
  for (widgets::BoundGrid* grid : {f.sprdLithology(), f.sprdSample(), f.sprdCompletion()}) {
    EXPECT_EQ(grid->model().dataRowCount(), 0);
    EXPECT_EQ(grid->model().rowCount(), 25);
  }
  for (const char* table : {"Lithology Information", "Sample Information", "Completion Information"})
    EXPECT_TRUE(
        column(path, std::string("SELECT BoringName FROM [") + table + "]", "BoringName").empty())
        << table;
  EXPECT_TRUE(column(path, "SELECT ProjectName FROM [Project Information]", "ProjectName").empty());

  const auto classes = layouts::readClassList(main_->state().ClassificationFile,
                                              layouts::ClassKind::kLithology);
  ASSERT_FALSE(classes.empty());
  EXPECT_EQ(f.sprdLithology()->model().columns()[3].listItems.split('\t').first().toStdString(),
            classes.front());
  EXPECT_EQ(f.sprdLithology()->model().columns()[4].listItems,
            "0 - Solid\t1 - Dash\t2 - Dot\t3 - Dash-Dot\t4 - Dash-Dot-Dot\t5 - None");
  auto items = [&](const char* name) {
    QStringList out;
    auto* list = qobject_cast<QComboBox*>(f.control(name));
    for (int i = 1; i < list->count(); ++i) out << list->itemText(i);
    return out;
  };
  EXPECT_EQ(items("cmbDepthUnits"), (QStringList{"Feet", "Meters"}));
  EXPECT_EQ(items("cmbEastingUnits"), (QStringList{"Feet", "Meters"}));
  EXPECT_EQ(items("cmbBoringDiameterUnits"),
            (QStringList{"Inches", "Centimeters", "Feet", "Meters"}));
  EXPECT_EQ(items("cmbQuarter0"), (QStringList{"SW", "SE", "NW", "NE"}));
  EXPECT_EQ(items("cmbTownship"), (QStringList{"N.", "S."}));
  EXPECT_EQ(items("cmbRange"), (QStringList{"E.", "W."}));
}

TEST_F(DataEntryTest, FieldsAndGridsAreSavedAtTheBoringSwitch) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  sql(path, "INSERT INTO [Sample Information] (BoringName, [From]) VALUES (\"B-1\", 0)");
  frmFile& f = open(path);
  line("txtSupervisor")->setText("R. Okafor");
  qobject_cast<QComboBox*>(f.control("cmbDepthUnits"))->setCurrentText("Meters");
  f.txtCompletionNotes()->setPlainText("2-inch PVC well");
  line("txtProjectName")->setText("Elm Street");
  type(f.sprdSample(), 1, 3, "SS");
  type(f.sprdSample(), 1, 5, "18 in");
  // The cell still being typed in is saved too.
  widgets::BoundGrid* grid = f.sprdLithology();
  main_->show();
  grid->setActiveCell(1, 3);
  grid->edit(grid->currentIndex());
  QApplication::processEvents();
  QTest::keyClicks(QApplication::focusWidget(), "Fill");

  main_->selectBoringText("B-2");
  main_->cmbBoringSelect_Click();
  EXPECT_EQ(f.boundBoring(), "B-2");
  EXPECT_EQ(line("txtSupervisor")->text(), "");
  EXPECT_EQ(line("txtProjectName")->text(), "Elm Street") << "one project description";
  EXPECT_EQ(column(path, project::GetSQL("B-1", 2), "Supervisor"),
            std::vector<std::string>{"R. Okafor"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 2), "DepthUnits"),
            std::vector<std::string>{"Meters"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 2), "Completion"),
            std::vector<std::string>{"2-inch PVC well"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Fill"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 3), "UserText1"),
            std::vector<std::string>{"18 in"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 3), "BlowCounts"), std::vector<std::string>{""})
      << "a cell never typed in keeps its stored value";

  main_->selectBoringText("B-1");
  main_->cmbBoringSelect_Click();
  EXPECT_EQ(line("txtSupervisor")->text(), "R. Okafor");
  EXPECT_EQ(f.sprdSample()->model().cellText(0, 4), "18 in");
}

TEST_F(DataEntryTest, ADoubleClickOnTheSelectorSwitchesAsAClickDoes) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  frmFile& f = open(path);
  type(f.sprdLithology(), 1, 3, "Fill");
  main_->selectBoringText("B-2");
  QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(main_->cmbBoringSelect(), &twice);
  EXPECT_EQ(f.boundBoring(), "B-2");
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Fill"});
  EXPECT_FALSE(f.hasPendingEdits());
}

TEST_F(DataEntryTest, ClearedCellIsStoredAsOneBlank) {
  const std::string path = newProject("site.sq2", {"B-1"});
  sql(path, "INSERT INTO [Completion Information] (BoringName, [From], [To], Classification) "
            "VALUES (\"B-1\", 0, 5, \"Grout\")");
  frmFile& f = open(path);
  type(f.sprdCompletion(), 1, 3, "");
  ASSERT_TRUE(f.UpdateRecordsets());
  EXPECT_EQ(column(path, project::GetSQL("B-1", 5), "Classification"),
            std::vector<std::string>{" "});
}

TEST_F(DataEntryTest, ADepthThatIsNoNumberIsAskedAboutBeforeASwitch) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  frmFile& f = open(path);
  type(f.sprdLithology(), 1, 1, "12,5 ft");
  type(f.sprdLithology(), 1, 3, "Clay");
  prompts_.planMessage(MessageAnswer::kYes);
  main_->selectBoringText("B-2");
  main_->cmbBoringSelect_Click();
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  EXPECT_EQ(prompts_.messageTexts()[0],
            "These depths are not numbers and cannot be saved:\n\nLithology row 1, From: "
            "\u201C12,5 ft\u201D\n\nDo you want to go back and correct them?");
  EXPECT_EQ(main_->GetCurrentBoring(), "B-1") << "the selector goes back";
  EXPECT_EQ(f.boundBoring(), "B-1");
  EXPECT_EQ(f.sprdLithology()->model().cellText(0, 0), "12,5 ft");

  prompts_.planMessage(MessageAnswer::kNo);
  main_->selectBoringText("B-2");
  main_->cmbBoringSelect_Click();
  EXPECT_EQ(f.boundBoring(), "B-2");
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Clay"})
      << "the rest of the row was saved";
}

TEST_F(DataEntryTest, RightClickOnASamplesHeadingOpensItsLabel) {
  open(newProject("site.sq2", {"B-1"}));
  EXPECT_EQ(rightClickSampleHeading(7), 2) << "label 3";
  EXPECT_EQ(rightClickSampleHeading(10), 5) << "\"User Item #6\"";
  EXPECT_EQ(rightClickSampleHeading(2), 0) << "label 1 for other columns";
  EXPECT_EQ(modals_, 3);
}

TEST_F(DataEntryTest, LabelsFromAnEmptyStoreAndAClearedLabel) {
  const std::string path = home_.path("new.sq2");
  ASSERT_TRUE(project::CreateNewProjectFile(path));
  sql(path, "INSERT INTO [Boring Information] (BoringName) VALUES (\"B-1\")");
  frmFile& f = open(path);
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<frmSampleLabelUpdate&>(d);
    EXPECT_EQ(dialog.windowTitle(), "Sample User Labels");
    EXPECT_EQ(dialog.cmdSetAsDefault()->text(), "Set as Default");
    EXPECT_EQ(dialog.cmdUseDefault()->text(), "Use Default");
    for (int i = 0; i < 10; ++i) EXPECT_EQ(dialog.Text1(i)->text(), "Undefined") << i;
    dialog.Text1(0)->setText("PID (ppm)");
    dialog.Text1(3)->clear();
    dialog.cmbOK_Click();
    return dialog.result();
  });
  main_->mnuSampleHeadings_Click();
  auto labels = project::ReadProjectLabels(path);
  ASSERT_TRUE(labels);
  EXPECT_EQ((*labels)[0], "PID (ppm)");
  EXPECT_EQ((*labels)[3], "Undefined");
  EXPECT_EQ(heading(f.sprdSample(), 5), "PID (ppm)") << "the headings follow at once";
  EXPECT_EQ(heading(f.sprdSample(), 8), "Undefined");
}

TEST_F(DataEntryTest, DefaultsAreSetUsedAndCancelled) {
  const std::string path = newProject("site.sq2", {"B-1"});
  frmFile& f = open(path);
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<frmSampleLabelUpdate&>(d);
    for (int i = 0; i < 10; ++i) dialog.Text1(i)->setText(QString("Column %1").arg(i + 1));
    dialog.cmdSetAsDefault()->click();
    dialog.cmbCancel()->click();
    return dialog.result();
  });
  f.openSampleLabels(1);
  EXPECT_EQ(GetSetting("Samples", "User3", "?"), "Column 3");
  EXPECT_FALSE(project::ReadProjectLabels(path)) << "the project's labels are not changed";

  ASSERT_TRUE(SaveSetting("Samples", "User2", ""));
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<frmSampleLabelUpdate&>(d);
    dialog.cmdUseDefault()->click();
    EXPECT_EQ(dialog.Text1(0)->text(), "Column 1");
    EXPECT_EQ(dialog.Text1(1)->text(), "") << "a default stored empty stays empty";
    dialog.cmbCancel()->click();
    return dialog.result();
  });
  f.openSampleLabels(1);
  EXPECT_FALSE(project::ReadProjectLabels(path));
  EXPECT_EQ(heading(f.sprdSample(), 5), "Undefined");

  const std::string next = home_.path("next.sq2");
  ASSERT_TRUE(project::CreateNewProjectFile(next));
  EXPECT_EQ((*project::ReadProjectLabels(next))[9], "Column 10");
}

TEST_F(DataEntryTest, TabsPutTheFocusOnTheirFirstControl) {
  frmFile& f = open(newProject("site.sq2", {"B-1"}));
  main_->show();
  f.SSTab1()->setCurrentIndex(3);
  EXPECT_EQ(f.focusWidget(), f.control("txtFacilityWellName"));
  f.SSTab1()->setCurrentIndex(4);
  EXPECT_EQ(f.focusWidget(), f.control("txtProjectNumber"));
  f.SSTab1()->setCurrentIndex(1);
  EXPECT_EQ(f.focusWidget(), f.sprdSample());
  f.SSTab1()->setCurrentIndex(2);
  EXPECT_EQ(f.focusWidget(), f.sprdCompletion());
}

TEST_F(DataEntryTest, TheWindowPassesTheFocusToItsTabs) {
  frmFile& f = open(newProject("site.sq2", {"B-1"}));
  main_->show();
  main_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main_.get()));
  QApplication::processEvents();
  EXPECT_EQ(QApplication::focusWidget(), f.SSTab1()->tabBar()) << "when it first shows";

  // Another child takes the focus; coming back gives it to the tabs again.
  auto* other = main_->mdiArea()->addSubWindow(new QLineEdit);
  other->show();
  main_->mdiArea()->setActiveSubWindow(other);
  f.sprdLithology()->setFocus();
  main_->mdiArea()->setActiveSubWindow(other);
  EXPECT_NE(QApplication::focusWidget(), f.SSTab1()->tabBar());
  main_->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(f.parentWidget()));
  EXPECT_EQ(QApplication::focusWidget(), f.SSTab1()->tabBar());
}

TEST_F(DataEntryTest, WithNoProjectTheWindowUnloadsItselfWhenFocused) {
  open(newProject("site.sq2", {"B-1"}));
  main_->session().close();
  file().Form_GotFocus();
  QApplication::processEvents();
  EXPECT_EQ(main_->dataEntryWindow(), nullptr);
}

TEST_F(DataEntryTest, IntervalProblemsAreMarkedAndCounted) {
  const std::string path = newProject("site.sq2", {"B-1"});
  for (auto [from, to] : {std::pair{0, 15}, {12, 20}, {22, 30}})
    sql(path, "INSERT INTO [Lithology Information] (BoringName, [From], [To]) VALUES (\"B-1\", " +
                  std::to_string(from) + ", " + std::to_string(to) + ")");
  frmFile& f = open(path);
  EXPECT_EQ(f.intervalProblems(), 2);
  EXPECT_EQ(main_->intervalStatus()->text(), "Checks: 2 problems in B-1");
  const auto& model = f.sprdLithology()->model();
  EXPECT_EQ(model.cellNote(0, 0), "Overlaps 12 \u2013 15");
  EXPECT_EQ(model.cellNote(1, 1), "Overlaps 12 \u2013 15\nGap 20 \u2013 22");
  EXPECT_TRUE(model.index(2, 0).data(Qt::BackgroundRole).isValid());

  type(f.sprdLithology(), 2, 1, "15");
  type(f.sprdLithology(), 3, 1, "20");
  EXPECT_EQ(f.intervalProblems(), 0);
  EXPECT_EQ(main_->intervalStatus()->text(), "Checks: no problems in B-1");
  type(f.sprdSample(), 1, 1, "9");
  type(f.sprdSample(), 1, 2, "7");
  EXPECT_EQ(main_->intervalStatus()->text(), "Checks: 1 problem in B-1");
  EXPECT_EQ(f.sprdSample()->model().cellNote(0, 1), "From 9 is not above To 7");
  ASSERT_TRUE(f.UpdateRecordsets()) << "nothing blocks saving";
}

TEST_F(DataEntryTest, WithoutBoringsThereIsNothingToTypeInto) {
  const std::string path = newProject("site.sq2");
  frmFile& f = open(path);
  EXPECT_EQ(main_->GetCurrentBoring(), "");
  EXPECT_FALSE(f.sprdLithology()->isEnabled());
  EXPECT_EQ(f.sprdLithology()->model().dataRowCount(), 0);
  EXPECT_TRUE(column(path, "SELECT BoringName FROM [Boring Information]", "BoringName").empty())
      << "no nameless rows are made";
  prompts_.planInput("MW-1");
  main_->AddBoring();
  EXPECT_TRUE(f.sprdLithology()->isEnabled());
  EXPECT_EQ(f.boundBoring(), "MW-1");
}

TEST_F(DataEntryTest, SavingIntoAFileThatVanishedKeepsTheEdits) {
  const std::string path = newProject("site.sq2", {"B-1"});
  frmFile& f = open(path);
  type(f.sprdLithology(), 1, 3, "typed");
  sql(path, "DROP TABLE [Lithology Information]");
  EXPECT_FALSE(f.UpdateRecordsets());
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  EXPECT_TRUE(prompts_.messageTexts()[0].starts_with("Some changes could not be saved to " + path));
  EXPECT_TRUE(f.hasPendingEdits()) << "the edit is still there";
  EXPECT_EQ(f.sprdLithology()->model().cellText(0, 2), "typed");
  EXPECT_FALSE(f.UpdateRecordsets());
  EXPECT_EQ(prompts_.messageTexts().size(), 1u) << "the same failure is told once";

  prompts_.planMessage(MessageAnswer::kNo);
  EXPECT_FALSE(main_->close()) << "closing asks, and No keeps the window";
  EXPECT_NE(main_->dataEntryWindow(), nullptr);
  EXPECT_EQ(prompts_.seen().back().title, "Changes Not Saved");
  prompts_.planMessage(MessageAnswer::kYes);
  EXPECT_TRUE(main_->close());
}

}  // namespace
}  // namespace sq::forms
