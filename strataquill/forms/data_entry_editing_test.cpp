// Editing in the data entry window as a user does it: keys, undo, pasted
// rows, a read-only project and a boring that cannot be removed.

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_sample_label_update.h"

namespace sq::forms {
namespace {

using Kind = ScriptedPrompts::Prompt::Kind;

class DataEntryEditingTest : public WindowTest {
 protected:
  void TearDown() override {
    setWritableProbe(nullptr);
    WindowTest::TearDown();
  }
  // The project open with its window on the screen and the grid focused.
  frmFile& openShown(const std::string& path) {
    frmMain& main = start();
    EXPECT_TRUE(main.openProject(path, "site.sq2"));
    main.show();
    main.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&main));
    file().sprdLithology()->setFocus();
    return file();
  }
  static QString cell(widgets::BoundGrid* grid, int row, int column) {
    return grid->model().cellText(row - 1, column - 1);
  }
  void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(k), m);
  }
  // Each key to whatever has the focus by then, as a keyboard sends them.
  static void keys(const char* text) {
    for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
  }
};

TEST_F(DataEntryEditingTest, UndoTakesBackATypedCellAPasteAndADeletedRow) {
  const std::string path = newProject("site.sq2", {"B-1"});
  sql(path,
      "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description) VALUES "
      "(\"B-1\", 0, 5, \"Fill\")");
  frmFile& f = openShown(path);
  widgets::BoundGrid* grid = f.sprdLithology();
  main_->updateMenus();
  EXPECT_FALSE(enabled("mnuUndo")) << "nothing to take back yet";

  type(grid, 1, 3, "Sand");
  main_->updateMenus();
  EXPECT_TRUE(enabled("mnuUndo"));
  EXPECT_FALSE(enabled("mnuRedo"));
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(cell(grid, 1, 3), "Fill");
  EXPECT_TRUE(enabled("mnuRedo"));
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(cell(grid, 1, 3), "Sand");
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(cell(grid, 1, 3), "Sand") << "Ctrl+Shift+Z does it again too";

  // A paste of two rows is one step.
  QApplication::clipboard()->setText("5\t9\tClay\n9\t14\tSilt\n");
  grid->setActiveCell(2, 1);
  main_->action("mnuPaste")->trigger();
  ASSERT_EQ(grid->model().dataRowCount(), 3);
  main_->action("mnuUndo")->trigger();
  EXPECT_EQ(grid->model().dataRowCount(), 1);
  EXPECT_EQ(cell(grid, 1, 3), "Sand");

  // Shift+Delete removes the row; Undo brings it back, and the save keeps it.
  grid->setActiveCell(1, 1);
  key(Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(grid->model().dataRowCount(), 0);
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(grid->model().dataRowCount(), 1);
  ASSERT_TRUE(f.UpdateRecordsets());
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Sand"});
  main_->updateMenus();
  EXPECT_FALSE(enabled("mnuUndo")) << "saved edits are no longer taken back";
}

TEST_F(DataEntryEditingTest, EnterAndTheArrowsMoveAsInASpreadsheet) {
  frmFile& f = openShown(newProject("site.sq2", {"B-1"}));
  widgets::BoundGrid* grid = f.sprdLithology();
  grid->setActiveCell(1, 1);
  key(Qt::Key_Down);
  EXPECT_EQ(grid->activeRow(), 2);
  key(Qt::Key_Right);
  EXPECT_EQ(grid->activeColumn(), 2);
  key(Qt::Key_Return);
  EXPECT_EQ(grid->activeRow(), 3) << "Enter moves down when nothing is edited";
  keys("12");
  ASSERT_TRUE(grid->isEditing()) << "typing starts an edit";
  key(Qt::Key_Left);
  keys("5");
  EXPECT_TRUE(grid->isEditing()) << "Left moves the caret while editing";
  key(Qt::Key_Return);
  EXPECT_FALSE(grid->isEditing());
  EXPECT_EQ(cell(grid, 3, 2), "152") << "Enter commits";
  EXPECT_EQ(grid->activeRow(), 4) << "and moves down";
  EXPECT_EQ(grid->activeColumn(), 2);
  key(Qt::Key_Up);
  key(Qt::Key_Left);
  EXPECT_EQ(grid->activeRow(), 3);
  EXPECT_EQ(grid->activeColumn(), 1);
}

TEST_F(DataEntryEditingTest, PastedValuesOutsideTheListsAreMarkedAndCounted) {
  const std::string path = newProject("site.sq2", {"B-1"});
  frmFile& f = openShown(path);
  widgets::BoundGrid* grid = f.sprdLithology();
  const QString classes = grid->model().columns()[3].listItems;
  ASSERT_FALSE(classes.isEmpty());
  const QString known = classes.split('\t').first();
  QApplication::clipboard()->setText("0\t5\tFill\t" + known + "\t0 - Solid\n" +
                                     "5\t9\tClay\tNo such class\t9 - Wavy\n" +
                                     "nine\t12\tSilt\t\t\n");
  grid->setActiveCell(1, 1);
  main_->action("mnuPaste")->trigger();
  const auto& model = grid->model();
  EXPECT_EQ(model.cellNote(0, 3), "") << "a class of the list";
  EXPECT_EQ(model.cellNote(1, 3), "Not in the classification list");
  EXPECT_EQ(model.cellNote(1, 4), "Not in the line type list");
  EXPECT_TRUE(model.index(1, 3).data(Qt::BackgroundRole).isValid());
  EXPECT_EQ(model.cellNote(2, 3), "") << "an empty cell is no problem";
  EXPECT_EQ(f.intervalProblems(), 3) << "two list values and a depth that is no number";
  EXPECT_EQ(main_->intervalStatus()->text(), "Checks: 3 problems in B-1");
  type(grid, 2, 4, known);
  type(grid, 2, 5, "1 - Dash");
  type(grid, 3, 1, "9");
  EXPECT_EQ(main_->intervalStatus()->text(), "Checks: no problems in B-1");
}

TEST_F(DataEntryEditingTest, SpareRowsTakeTheirPlainHeightAfterASwitch) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  const std::string tall = "A description\nthat runs\nover\nfive\nlines";
  for (int i = 0; i < 3; ++i)
    sql(path,
        "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description) "
        "VALUES (\"B-1\", " +
            std::to_string(i) + ", " + std::to_string(i + 1) + ", " + db::jetStringLiteral(tall) +
            ")");
  frmFile& f = openShown(path);
  widgets::BoundGrid* grid = f.sprdLithology();
  const int plain = grid->verticalHeader()->defaultSectionSize();
  ASSERT_GT(grid->rowHeight(2), plain);
  main_->selectBoringText("B-2");
  main_->cmbBoringSelect_Click();
  ASSERT_EQ(grid->model().dataRowCount(), 0);
  for (int r = 0; r < 3; ++r) EXPECT_EQ(grid->rowHeight(r), plain) << r;
}

TEST_F(DataEntryEditingTest, AReadOnlyProjectTakesNoEditsAndSaysWhyCommandsRefuse) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  setWritableProbe([&](const std::string& p) { return p != path; });
  frmFile& f = openShown(path);
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + path +
                                     " is read-only.  You can read and print the project, but "
                                     "changes cannot be saved."});
  EXPECT_TRUE(f.readOnlyBanner()->isVisible());
  EXPECT_EQ(f.readOnlyBanner()->text(),
            "The project site.sq2 is read-only.  You can read and print it, but changes cannot "
            "be saved.");
  EXPECT_EQ(f.windowTitle(), "site.sq2 (read-only)");
  type(f.sprdLithology(), 1, 3, "typed");
  EXPECT_EQ(f.sprdLithology()->model().dataRowCount(), 0) << "the grid takes no typing";
  auto* supervisor = qobject_cast<QLineEdit*>(f.control("txtSupervisor"));
  EXPECT_TRUE(supervisor->isReadOnly());
  f.sprdLithology()->setFocus();
  f.sprdLithology()->setActiveCell(1, 1);
  main_->updateMenus();
  EXPECT_TRUE(enabled("mnuCopy"));
  for (const char* a : {"mnuPaste", "mnuCut", "mnuInsertRow", "mnuDeleteRow"})
    EXPECT_FALSE(enabled(a)) << a;

  prompts_.clear();
  prompts_.planInput("B-3");
  main_->AddBoring();
  main_->RemoveBoring();
  main_->mnuCopyBoring_Click();
  EXPECT_EQ(modals_, 0) << "said before anything is asked";
  onModal([&](QDialog& d) {
    dynamic_cast<frmSampleLabelUpdate&>(d).cmbOK_Click();
    return 0;
  });
  main_->mnuSampleHeadings_Click();
  EXPECT_EQ(prompts_.messageTexts(),
            (std::vector<std::string>{
                "The project site.sq2 is read-only.  Borings cannot be added to it.",
                "The project site.sq2 is read-only.  Borings cannot be removed from it.",
                "The project site.sq2 is read-only.  Borings cannot be copied in it.",
                "The project site.sq2 is read-only.  Its sample labels cannot be changed."}));
  EXPECT_EQ(main_->boringList(), (std::vector<std::string>{"B-1", "B-2"}));
}

TEST_F(DataEntryEditingTest, ARemoveThatFailsKeepsTheGridsEdits) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  frmFile& f = openShown(path);
  type(f.sprdLithology(), 1, 3, "typed, not saved");
  sql(path, "DROP TABLE [Completion Information]");
  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kYes);
  prompts_.planMessage(MessageAnswer::kYes);
  main_->tbToolBar_ButtonClick("REMOVEBORING");
  ASSERT_EQ(prompts_.messageTexts().size(), 3u);
  EXPECT_TRUE(
      prompts_.messageTexts()[2].starts_with("The boring B-1 could not be removed from " + path))
      << prompts_.messageTexts()[2];
  EXPECT_EQ(main_->boringList(), (std::vector<std::string>{"B-1", "B-2"}));
  EXPECT_EQ(f.boundBoring(), "B-1");
  EXPECT_EQ(cell(f.sprdLithology(), 1, 3), "typed, not saved") << "the edit is still there";
  EXPECT_TRUE(f.hasPendingEdits());
}

TEST_F(DataEntryEditingTest, ChildWindowsShowTheProgramsIcon) {
  openShown(newProject("site.sq2", {"B-1"}));
  const QIcon icon = file().parentWidget()->windowIcon();
  EXPECT_FALSE(icon.isNull());
  EXPECT_EQ(icon.cacheKey(), QApplication::windowIcon().cacheKey());
  EXPECT_EQ(main_->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
}

}  // namespace
}  // namespace sq::forms
