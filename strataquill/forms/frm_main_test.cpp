#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QTest>

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include <QListWidget>
#include <QPushButton>
#include "strataquill/forms/forms_test_support.h"
#include "strataquill/forms/frm_copy_boring.h"
#include "strataquill/forms/ui_environment.h"
#include "strataquill/render/frm_print.h"
#include "strataquill/render/frm_print_preview.h"
#include "strataquill/render/print_run.h"
#include "strataquill/shell/help_window.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/start_folder.h"

namespace sq::forms {
namespace {

using Kind = ScriptedPrompts::Prompt::Kind;

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, MenusHaveTheirCaptionsShortcutsAndOrder) {
  frmMain& main = start();
  EXPECT_EQ(main.windowTitle(), "Strataquill");
  QStringList menus;
  for (QAction* a : main.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Borings", "&Layout",
                                "&Classifications", "&Help"}));
  auto items = [&](const char* menu) {
    QStringList out;
    for (QAction* a : main.menu(menu)->actions())
      out << (a->isSeparator() ? QString("-")
                               : a->text() + (a->shortcut().isEmpty()
                                                  ? QString()
                                                  : " " + a->shortcut().toString()));
    return out;
  };
  EXPECT_EQ(items("mnuFile"),
            (QStringList{"&Open Project Ctrl+O", "Open &Server Project...", "Open &Recent",
                         "&New Project Ctrl+N", "&Close", "-", "&Import", "&Export", "-",
                         "Print Set&up", "Print Pre&view", "&Print Ctrl+P", "-", "E&xit"}));
  EXPECT_EQ(items("mnuImport"), QStringList{"&AGS4..."});
  EXPECT_EQ(items("mnuExport"), QStringList{"&AGS4..."});
  EXPECT_EQ(items("mnuEdit"),
            (QStringList{"&Undo Ctrl+Z", "&Redo Ctrl+Y", "-", "Cu&t Ctrl+X", "&Copy Ctrl+C",
                         "&Paste Ctrl+V", "-", "&Insert Row Shift+Ins", "&Delete Row Shift+Del",
                         "-", "&Sample Headings", "-", "P&references"}));
  EXPECT_EQ(items("mnuBorings"), (QStringList{"&Add Boring", "&Copy Boring", "&Remove Boring"}));
  EXPECT_EQ(items("mnuLayout"), (QStringList{"&Edit Layout", "&Create New Layout"}));
  EXPECT_EQ(items("mnuClassifications"), QStringList{"&Edit Classifications"});
  EXPECT_EQ(items("mnuHelp"), (QStringList{"&Contents F1", "-", "Show &Tool Tip", "-",
                                           "&About Strataquill"}));

  QStringList buttons;
  for (QAction* a : main.toolBar()->actions())
    buttons << (a->isSeparator() ? QString("-") : a->objectName().isEmpty() ? QString("[selector]")
                                                                          : a->objectName() + ":" + a->toolTip());
  EXPECT_EQ(buttons, (QStringList{"NEWPROJECT:New Project", "OPENPROJECT:Open Project",
                                  "CLOSE:Close", "-", "PRINT:Print", "PRINTPREVIEW:Print Preview",
                                  "-", "INSERTROW:Insert Row", "DELETEROW:Delete Row", "-",
                                  "[selector]", "-", "ADDBORING:Add Boring",
                                  "COPYBORING:Copy Boring", "REMOVEBORING:Remove Boring", "-",
                                  "HELP:Help"}));
  EXPECT_FALSE(main.action("PRINT")->icon().isNull());
  const QPixmap big = main.action("PRINT")->icon().pixmap(QSize(24, 24), 2.0);
  EXPECT_EQ(big.size(), QSize(48, 48)) << "drawn at the screen's pixel ratio";
}

TEST_F(MainWindowTest, EverythingWaitsForTheSplashTimer) {
  frmMain& main = start("", false);
  EXPECT_TRUE(prompts_.seen().empty()) << "no warning on a wide screen";
  EXPECT_EQ(main.state().SplashMode, 2);
  ASSERT_NE(main.splash(), nullptr);
  EXPECT_TRUE(main.splash()->isVisible());
  EXPECT_TRUE(main.tmrSplash()->isActive());
  EXPECT_EQ(main.tmrSplash()->interval(), 4000);
  EXPECT_FALSE(main.toolBar()->isEnabled());
  for (const char* m : {"mnuFile", "mnuEdit", "mnuView", "mnuBorings", "mnuLayout",
                        "mnuClassifications", "mnuHelp"})
    EXPECT_FALSE(main.menu(m)->menuAction()->isEnabled()) << m;
  for (const char* a : {"mnuAboutStrataquill", "mnuOpenProject", "mnuExit", "mnuContents",
                        "mnuEditClassifications"})
    EXPECT_FALSE(enabled(a)) << a << ": its shortcut must not work either";
  EXPECT_EQ(main.state().CurrentProjectPath, "???");

  main.tmrSplash_Timer();
  EXPECT_EQ(main.splash(), nullptr);
  EXPECT_FALSE(main.tmrSplash()->isActive());
  EXPECT_TRUE(main.toolBar()->isEnabled());
  for (const char* m : {"mnuFile", "mnuEdit", "mnuView", "mnuBorings", "mnuLayout",
                        "mnuClassifications", "mnuHelp"})
    EXPECT_TRUE(main.menu(m)->menuAction()->isEnabled()) << m;
  EXPECT_TRUE(enabled("mnuAboutStrataquill"));
  EXPECT_TRUE(enabled("mnuOpenProject"));
}

TEST_F(MainWindowTest, NarrowScreenWarnsOnceBeforeTheSplash) {
  uiEnvironment().screenWidth = [] { return 640; };
  start("", false);
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].text,
            "It is recommended that your screen resolution be set to 800x600 or higher to run "
            "Strataquill.");
  EXPECT_EQ(prompts_.seen()[0].title, "Strataquill");
  EXPECT_EQ(prompts_.seen()[0].icon, MessageIcon::kNone);
}

TEST_F(MainWindowTest, CommandLineOpensProjectsAndRefusesOtherFiles) {
  const std::string path = newProject("Site A.SQ2", {"B-1"});
  {
    frmMain& main = start(path);
    EXPECT_TRUE(prompts_.seen().empty());
    EXPECT_EQ(main.state().CurrentProjectPath, path);
    EXPECT_EQ(main.state().CurrentProjectTitle, path) << "the whole command line";
    EXPECT_EQ(file().windowTitle().toStdString(), path);
    EXPECT_EQ(main.GetCurrentBoring(), "B-1");
  }
  struct Case {
    std::string commandLine, text, title;
  };
  for (const Case& c :
       {Case{home_.path("log.sqf"), "You must manually open this file from within Strataquill.",
             "Strataquill"},
        Case{home_.path("classes.SQC"), "You must manually open this file from within Strataquill.",
             "Strataquill"},
        Case{home_.path("notes.txt"), "Unknown file type", "Error loading file"},
        Case{"\"" + path + "\"", "Unknown file type", "Error loading file"}}) {
    prompts_.clear();
    frmMain& main = start(c.commandLine);
    EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{c.text}) << c.commandLine;
    EXPECT_EQ(prompts_.seen().back().title, c.title);
    EXPECT_EQ(main.state().CurrentProjectPath, "???");
    EXPECT_EQ(main.state().CurrentProjectTitle, "???");
    EXPECT_EQ(main.dataEntryWindow(), nullptr);
  }
}

TEST_F(MainWindowTest, FilesThatAreNoProjectsAreRefusedWithAMessage) {
  const std::string text = home_.path("notes.sq2");
  { std::ofstream(text) << "not a database\n"; }
  frmMain& main = start(text);
  ASSERT_EQ(prompts_.messageTexts().size(), 1u);
  EXPECT_EQ(prompts_.messageTexts()[0],
            "The file " + text +
                " is not a Strataquill project, or it is damaged.  It has not been opened or "
                "changed.");
  EXPECT_EQ(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(main.state().CurrentProjectPath, "???");
  prompts_.clear();
  start(home_.path("gone/site.sq2"));
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"The file " + home_.path("gone/site.sq2") +
                                     " could not be found."});
}

TEST_F(MainWindowTest, EnablingFollowsTheActiveWindowAndTheProject) {
  frmMain& main = start();
  EXPECT_TRUE(enabled("mnuEditClassifications"));
  for (const char* a : {"mnuAddBoring", "mnuCopyBoring", "mnuRemoveBoring", "mnuSampleHeadings",
                        "mnuClose", "mnuPrint", "mnuPrintPreview", "PRINT", "CLOSE", "ADDBORING"})
    EXPECT_FALSE(enabled(a)) << a;
  for (const char* a : {"mnuOpenProject", "mnuNewProject", "mnuPrintSetup", "mnuExit",
                        "mnuEditLayout", "mnuCreateNewLayout", "OPENPROJECT"})
    EXPECT_TRUE(enabled(a)) << a;

  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  EXPECT_FALSE(enabled("mnuEditClassifications"));
  for (const char* a : {"mnuAddBoring", "mnuCopyBoring", "mnuRemoveBoring", "mnuSampleHeadings",
                        "mnuClose", "mnuPrint", "mnuPrintPreview", "PRINT", "PRINTPREVIEW",
                        "CLOSE", "ADDBORING", "COPYBORING", "REMOVEBORING"})
    EXPECT_TRUE(enabled(a)) << a;

  main.mnuClose_Click();
  EXPECT_EQ(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(main.state().CurrentProjectPath, "???");
  EXPECT_TRUE(main.cmbBoringSelect()->count() == 0);
  EXPECT_TRUE(enabled("mnuEditClassifications"));
  EXPECT_FALSE(enabled("mnuPrint"));
}

TEST_F(MainWindowTest, ClipboardCommandsInATextBoxUseTheWholeText) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  file().SSTab1()->setCurrentIndex(3);
  auto* box = qobject_cast<QLineEdit*>(file().control("txtSupervisor"));
  box->setFocus();
  box->setText("ABC");
  box->setSelection(1, 1);
  main.updateMenus();
  EXPECT_TRUE(enabled("mnuCut"));
  EXPECT_TRUE(enabled("mnuCopy"));
  EXPECT_TRUE(enabled("mnuPaste"));
  EXPECT_FALSE(enabled("mnuInsertRow"));
  EXPECT_FALSE(enabled("INSERTROW"));
  main.action("mnuCopy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "ABC");

  box->deselect();
  EXPECT_FALSE(enabled("mnuCopy")) << "the selection change is seen at once";
  EXPECT_FALSE(enabled("mnuCut"));
  EXPECT_TRUE(enabled("mnuPaste"));
  QApplication::clipboard()->setText("J. Rivera");
  main.mnuPaste_Click();
  EXPECT_EQ(box->text(), "J. Rivera") << "the whole text is replaced";
  box->selectAll();
  main.mnuCut_Click();
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(QApplication::clipboard()->text(), "J. Rivera");
}

TEST_F(MainWindowTest, OtherControlsBeepAndGridsEnableRowCommands) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  file().SSTab1()->setCurrentIndex(3);
  file().control("cmbDepthUnits")->setFocus();
  main.updateMenus();
  for (const char* a : {"mnuCut", "mnuCopy", "mnuPaste", "mnuInsertRow", "mnuDeleteRow"})
    EXPECT_FALSE(enabled(a)) << a;
  main.mnuCopy_Click();
  main.mnuInsertRow_Click();
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].kind, Kind::kBeep) << "copy beeps, insert row does nothing";

  file().SSTab1()->setCurrentIndex(0);
  widgets::BoundGrid* grid = file().sprdLithology();
  grid->setFocus();
  grid->setCurrentIndex({});
  main.updateMenus();
  EXPECT_TRUE(enabled("mnuCopy"));
  EXPECT_TRUE(enabled("mnuPaste"));
  EXPECT_FALSE(enabled("mnuInsertRow")) << "no active row";
  grid->setActiveCell(1, 1);
  EXPECT_TRUE(enabled("mnuInsertRow"));
  EXPECT_TRUE(enabled("DELETEROW"));
  const int rows = grid->model().rowCount();
  main.tbToolBar_ButtonClick("insertrow");
  EXPECT_EQ(grid->model().rowCount(), rows + 1);
  main.tbToolBar_ButtonClick("DELETEROW");
  EXPECT_EQ(grid->model().rowCount(), rows);
}

TEST_F(MainWindowTest, ShortcutsObeyTheMenuRules) {
  frmMain& main = start();
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QTest::keyClick(&main, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(modals_, 0) << "Print is disabled without a project";
  EXPECT_TRUE(prompts_.seen().empty());

  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"X"}), "site.sq2"));
  file().SSTab1()->setCurrentIndex(3);
  auto* box = qobject_cast<QLineEdit*>(file().control("txtDriller"));
  box->setFocus();
  box->setText("ABC");
  box->setSelection(1, 1);
  QApplication::clipboard()->clear();
  QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), "ABC") << "Ctrl+C runs the menu's Copy";
  QTest::keyClick(box, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{"No borings exist to print."});
}

TEST_F(MainWindowTest, OpenProjectAsksWithTheExactDialogAndSavesTheOldProject) {
  frmMain& main = start();
  const std::string first = newProject("first.sq2", {"B-1"});
  const std::string second = newProject("second.sq2", {"C-1"});
  prompts_.planFile({FileDialogResult::Outcome::kCancelled, {}, {}});
  main.OpenExistingStrataquillFile();
  ASSERT_EQ(prompts_.seen().size(), 1u) << "Cancel shows nothing more";
  const FileDialogRequest& r = prompts_.seen()[0].dialog;
  EXPECT_EQ(r.title, "Open Existing File");
  EXPECT_EQ(r.filter, "Strataquill Data (*.sq2)|*.sq2");
  EXPECT_EQ(r.defaultExtension, ".sq2");
  EXPECT_TRUE(r.mustExist);
  EXPECT_EQ(r.initialFolder, documentsFolder()) << "not the program folder";
  EXPECT_EQ(main.dataEntryWindow(), nullptr);

  prompts_.planFile({FileDialogResult::Outcome::kInvalidName, {}, {}});
  main.OpenExistingStrataquillFile();
  EXPECT_EQ(prompts_.seen().back().text, "The file you selected is invalid.  Please try again.");
  EXPECT_EQ(prompts_.seen().back().title, "Invalid File Name");

  ASSERT_TRUE(SaveSetting("Files", "DefaultSQFileDir", home_.root().string()));
  prompts_.planFile({FileDialogResult::Outcome::kChosen, first, "first.sq2"});
  main.OpenExistingStrataquillFile();
  EXPECT_EQ(prompts_.seen().back().dialog.initialFolder, home_.root().string());
  EXPECT_EQ(main.state().CurrentProjectTitle, "first.sq2");
  EXPECT_EQ(file().windowTitle(), "first.sq2");
  type(file().sprdLithology(), 1, 3, "typed before switching projects");

  prompts_.planFile({FileDialogResult::Outcome::kChosen, second, "second.sq2"});
  main.tbToolBar_ButtonClick("OPENPROJECT");
  EXPECT_EQ(main.state().CurrentProjectPath, second);
  EXPECT_EQ(main.GetCurrentBoring(), "C-1");
  EXPECT_EQ(column(first, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"typed before switching projects"});
  EXPECT_EQ(main.mdiArea()->subWindowList().size(), 1);
}

TEST_F(MainWindowTest, NewProjectOverAnExistingFile) {
  frmMain& main = start();
  const std::string open = newProject("open.sq2", {"B-1"});
  ASSERT_TRUE(main.openProject(open, "open.sq2"));
  const std::string existing = newProject("existing.sq2", {"OLD-1"});

  prompts_.planFile({FileDialogResult::Outcome::kChosen, existing, "existing.sq2"});
  prompts_.planMessage(MessageAnswer::kNo);
  main.CreateNewStrataquillFile();
  EXPECT_EQ(prompts_.seen()[0].dialog.title, "Create New File");
  EXPECT_FALSE(prompts_.seen()[0].dialog.mustExist);
  EXPECT_EQ(prompts_.seen()[1].text,
            "The file " + existing + " already exists.  Do you wish to overwrite it?");
  EXPECT_EQ(prompts_.seen()[1].title, "Overwrite Existing File?");
  EXPECT_EQ(main.state().CurrentProjectPath, open) << "the open project stays open";
  EXPECT_EQ(column(existing, project::boringListSql(), "BoringName"),
            std::vector<std::string>{"OLD-1"});

  prompts_.clear();
  prompts_.planFile({FileDialogResult::Outcome::kInvalidName, {}, {}});
  main.CreateNewStrataquillFile();
  EXPECT_EQ(prompts_.seen().size(), 1u) << "an invalid name ends New Project silently";

  prompts_.planFile({FileDialogResult::Outcome::kChosen, existing, "existing.sq2"});
  prompts_.planMessage(MessageAnswer::kYes);
  main.CreateNewStrataquillFile();
  EXPECT_EQ(main.state().CurrentProjectPath, existing);
  EXPECT_EQ(main.state().CurrentProjectTitle, "existing.sq2");
  EXPECT_EQ(main.cmbBoringSelect()->count(), 0) << "the template has no borings";
}

TEST_F(MainWindowTest, AddBoringNeedsTwoCharacters) {
  frmMain& main = start();
  main.AddBoring();
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{"No project file is open - Can't add a boring."});
  EXPECT_EQ(prompts_.seen().back().title, "Can't Add Boring");

  const std::string path = newProject("site.sq2");
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  prompts_.clear();
  prompts_.planInput("B");
  main.AddBoring();
  ASSERT_EQ(prompts_.seen().size(), 1u);
  EXPECT_EQ(prompts_.seen()[0].text, "Enter the name for a new boring.");
  EXPECT_EQ(prompts_.seen()[0].title, "New Boring");
  EXPECT_EQ(main.cmbBoringSelect()->count(), 0);
  prompts_.planInput("B1");
  main.tbToolBar_ButtonClick("ADDBORING");
  EXPECT_EQ(main.boringList(), std::vector<std::string>{"B1"});
  EXPECT_EQ(main.GetCurrentBoring(), "B1");
  EXPECT_EQ(file().boundBoring(), "B1");
  prompts_.planInput("");
  main.AddBoring();
  EXPECT_EQ(main.boringList().size(), 1u) << "Cancel adds nothing";
  EXPECT_EQ(prompts_.messageTexts().size(), 0u);
}

TEST_F(MainWindowTest, RemoveBoringAsksTwiceWithTheCriticalIcon) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("empty.sq2"), "empty.sq2"));
  main.RemoveBoring();
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{"No borings exist to remove."});
  EXPECT_EQ(prompts_.seen().back().title, "Can't Remove Boring");

  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  prompts_.clear();
  prompts_.planMessage(MessageAnswer::kYes);
  prompts_.planMessage(MessageAnswer::kNo);
  main.RemoveBoring();
  ASSERT_EQ(prompts_.seen().size(), 2u);
  EXPECT_EQ(prompts_.seen()[0].text,
            "Are you sure you want to delete B-1? You will NOT be able to undelete it later.");
  EXPECT_EQ(prompts_.seen()[0].title, "Confirm Delete");
  EXPECT_EQ(prompts_.seen()[1].text, "Are you really sure you want to permanently delete B-1?");
  EXPECT_EQ(prompts_.seen()[1].title, "Reconfirm Delete");
  for (const auto& p : prompts_.seen()) {
    EXPECT_EQ(p.buttons, MessageButtons::kYesNoDefaultNo) << "Enter, Enter deletes nothing";
    EXPECT_EQ(p.icon, MessageIcon::kCritical);
  }
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "B-2"}));
  EXPECT_EQ(column(path, project::GetSQL("B-1", 2), "BoringName").size(), 1u)
      << "its rows are all still there";

  for (int i = 0; i < 2; ++i) {
    prompts_.planMessage(MessageAnswer::kYes);
    prompts_.planMessage(MessageAnswer::kYes);
    main.tbToolBar_ButtonClick("REMOVEBORING");
  }
  EXPECT_TRUE(main.boringList().empty());
  EXPECT_EQ(column(path, "SELECT BoringName FROM [Lithology Information]", "BoringName").size(),
            0u);
  prompts_.clear();
  main.printDispatch(1);
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{"No borings exist to print."});
  EXPECT_EQ(prompts_.seen().back().title, "Can't Print");
}

TEST_F(MainWindowTest, CopyBoringWithOnlyLithology) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("empty.sq2"), "empty.sq2"));
  main.mnuCopyBoring_Click();
  EXPECT_EQ(prompts_.messageTexts(), std::vector<std::string>{"No borings exist to copy from."});
  EXPECT_EQ(prompts_.seen().back().title, "Can't Copy Boring");

  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  for (auto [from, to] : {std::pair{0, 3}, {3, 9}, {9, 14}})
    sql(path, "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description) "
              "VALUES (\"B-2\", " + std::to_string(from) + ", " + std::to_string(to) + ", \"x\")");
  main.selectBoringText("B-2");
  main.cmbBoringSelect_Click();
  type(file().sprdSample(), 1, 4, "5-7-9");  // pending; Copy Boring saves it first
  prompts_.clear();
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<frmCopyBoring&>(d);
    EXPECT_EQ(dialog.windowTitle(), "Copy Boring");
    EXPECT_EQ(dialog.cmbCopyFrom()->count(), 2);
    EXPECT_EQ(dialog.cmbCopyFrom()->currentText(), "B-2");
    EXPECT_EQ(dialog.chkBoringInfo()->text(), "Boring Info.");
    // The existing name first: refused, the dialog stays.
    dialog.txtCopyTo()->setText("B-1");
    dialog.cmdOK_Click();
    EXPECT_EQ(prompts_.messageTexts(),
              std::vector<std::string>{
                  "B-1 already exists.  You cannot copy to an existing boring.  Either change "
                  "the name of the destination ('Copy to') boring or manually delete B-1 before "
                  "copying."});
    EXPECT_EQ(prompts_.seen().back().title, "Boring already exists");
    dialog.txtCopyTo()->setText("");
    dialog.cmdOK_Click();
    EXPECT_EQ(prompts_.messageTexts().back(),
              " already exists.  You cannot copy to an existing boring.  Either change the name "
              "of the destination ('Copy to') boring or manually delete  before copying.");
    dialog.txtCopyTo()->setText("B-3");
    dialog.chkLithology()->setChecked(true);
    dialog.cmdOK_Click();
    return dialog.result();
  });
  main.tbToolBar_ButtonClick("COPYBORING");
  EXPECT_EQ(modals_, 1);
  EXPECT_EQ(column(path, project::GetSQL("B-3", 1), "To"),
            (std::vector<std::string>{"3", "9", "14"}));
  EXPECT_TRUE(column(path, project::GetSQL("B-3", 2), "BoringName").empty());
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "B-2"}))
      << "without its boring row the copy is not listed";
  EXPECT_EQ(column(path, project::GetSQL("B-2", 3), "BlowCounts"),
            std::vector<std::string>{"5-7-9"});
}

TEST_F(MainWindowTest, CopyBoringSelectsTheNewBoring) {
  frmMain& main = start();
  const std::string path = newProject("site.sq2", {"MW \"North\""});
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  type(file().sprdLithology(), 1, 3, "Sand");
  type(file().sprdSample(), 1, 4, "5-7-9");
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<frmCopyBoring&>(d);
    dialog.txtCopyTo()->setText("MW \"South\"");
    for (QCheckBox* c : {dialog.chkBoringInfo(), dialog.chkLithology(), dialog.chkSamples(),
                         dialog.chkCompletion()})
      c->setChecked(true);
    dialog.cmdOK_Click();
    return dialog.result();
  });
  main.mnuCopyBoring_Click();
  EXPECT_EQ(main.GetCurrentBoring(), "MW \"South\"");
  EXPECT_EQ(file().boundBoring(), "MW \"South\"");
  EXPECT_EQ(file().sprdLithology()->model().cellText(0, 2), "Sand");
  EXPECT_EQ(column(path, project::GetSQL("MW \"South\"", 3), "BlowCounts"),
            std::vector<std::string>{"5-7-9"});
}

TEST_F(MainWindowTest, PrintSavesWhatWasTypedAndPreviewsTheLog) {
  frmMain& main = start();
  const std::string path = newProject("site.sq2", {"B-1"});
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  ASSERT_TRUE(render::PrintOptions::saveFirstPageLayout(
      std::string(VEXAMOR_TEST_BIN_DIR) + "/LogFirstPage.sqf", "LogFirstPage.sqf"));
  type(file().sprdLithology(), 1, 1, "0");
  type(file().sprdLithology(), 1, 2, "12");
  // The description is still being typed when Print Preview is chosen.
  widgets::BoundGrid* grid = file().sprdLithology();
  main.show();
  grid->setActiveCell(1, 3);
  grid->edit(grid->currentIndex());
  QApplication::processEvents();
  QTest::keyClicks(QApplication::focusWidget(), "Silty sand");
  static int pages = 0;
  render::setPreviewHook([](render::frmPrintPreview& p) { pages = p.pageCount(); });
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<render::frmPrint&>(d);
    EXPECT_EQ(dialog.windowTitle(), "Print Options");
    EXPECT_FALSE(dialog.lsvMultipleBorings()->isEnabled()) << "preview: the current boring";
    dialog.cmdOK_Click();
    return 1;
  });
  main.tbToolBar_ButtonClick("PRINTPREVIEW");
  render::setPreviewHook(nullptr);
  EXPECT_EQ(pages, 1);
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Silty sand"});
}

// A new user's first prints: no layout chosen yet, a PDF file that cannot be
// written, then one that can.
TEST_F(MainWindowTest, AFailedPrintLeavesTheNextOneFree) {
  frmMain& main = start();
  const std::string path = newProject("site.sq2", {"B-1"});
  sql(path,
      "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description) VALUES "
      "(\"B-1\", 0, 12, \"Fill\")");
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  std::string target = home_.path("no/such/folder/log.pdf");
  frmMain::setPrinterSetupHook([&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(target));
    return true;
  });
  QString shown;
  auto print = [&] {
    onModal([&](QDialog& d) {
      auto& dialog = dynamic_cast<render::frmPrint&>(d);
      dialog.cmdPrintSetup()->click();
      shown = dialog.cmdPrintSetup()->text();
      dialog.cmdOK_Click();
      return 1;
    });
    main.action("mnuPrint")->trigger();
  };
  print();
  EXPECT_EQ(shown.toStdString(), "PDF file " + target);
  ASSERT_EQ(prompts_.messageTexts().size(), 1u) << "the shipped layouts stand in for a choice";
  EXPECT_EQ(prompts_.messageTexts()[0], "The document B-1 -- site.sq2 was not printed: the file " +
                                            target + " could not be opened.");
  prompts_.clear();
  target = home_.path("log.pdf");
  print();
  frmMain::setPrinterSetupHook(nullptr);
  EXPECT_TRUE(prompts_.messageTexts().empty()) << prompts_.messageTexts().front();
  ASSERT_TRUE(std::filesystem::exists(target)) << "the failure left nothing behind";
  EXPECT_GT(std::filesystem::file_size(target), 1000u);
}

TEST_F(MainWindowTest, PrintSetupFollowsTheNewPrinter) {
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(newProject("site.sq2", {"B-1"}), "site.sq2"));
  int setups = 0;
  const QString chosen = QString::fromStdString(home_.path("chosen.pdf"));
  frmMain::setPrinterSetupHook([&](QPrinter& printer) {
    ++setups;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(chosen);
    return true;
  });
  onModal([&](QDialog& d) {
    auto& dialog = dynamic_cast<render::frmPrint&>(d);
    dialog.cmdPrintSetup()->setText("stale");
    main.PageFormat();
    EXPECT_EQ(dialog.cmdPrintSetup()->text(), "PDF file " + chosen)
        << "the open print window shows the destination chosen";
    return 0;
  });
  main.printDispatch(1);
  frmMain::setPrinterSetupHook(nullptr);
  EXPECT_EQ(setups, 1);
  EXPECT_EQ(main.printerChoice().pdfFile, chosen);
  EXPECT_TRUE(main.printerChoice().toFile());
}

TEST_F(MainWindowTest, TheWindowFitsTheScreenAndComesBackAsItWasLeft) {
  // 1024 x 768 with a panel of 40 pixels.
  const QRect screen(0, 0, 1024, 728);
  uiEnvironment().availableScreen = [screen] { return screen; };
  {
    frmMain& main = start();
    EXPECT_TRUE(screen.contains(main.geometry())) << "the status bar and scroll bars show";
    EXPECT_LE(main.height() + 40, 728) << "room for the title bar";
    main.tbToolBar_ButtonClick("HELP");
    ASSERT_NE(main.helpWindow(), nullptr);
    EXPECT_TRUE(screen.contains(main.helpWindow()->geometry()));
    main.helpWindow()->setGeometry(100, 120, 600, 400);
    main.setGeometry(30, 40, 900, 650);
    EXPECT_TRUE(main.mnuExit_Click());
  }
  {
    frmMain& main = start();
    EXPECT_EQ(main.geometry(), QRect(30, 40, 900, 650)) << "size and place are remembered";
    main.tbToolBar_ButtonClick("HELP");
    EXPECT_EQ(main.helpWindow()->geometry(), QRect(100, 120, 600, 400));
    main.showMaximized();
    EXPECT_TRUE(main.mnuExit_Click());
  }
  EXPECT_EQ(GetSetting("Strataquill", "MainMaximized", ""), "True");
  // A remembered place off this screen comes back onto it.
  ASSERT_TRUE(SaveSetting("Strataquill", "MainMaximized", "False"));
  ASSERT_TRUE(SaveSetting("Strataquill", "MainLeft", "1800"));
  frmMain& main = start();
  EXPECT_TRUE(screen.contains(main.geometry()));
  EXPECT_EQ(main.size(), QSize(900, 650));
}

TEST_F(MainWindowTest, HelpOpensOnTheContentsAndClosesWithTheProgram) {
  frmMain& main = start();
  main.tbToolBar_ButtonClick("HELP");
  HelpWindow* help = main.helpWindow();
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->currentPage(), "index.html");
  EXPECT_GE(help->pageList()->count(), 10) << "the contents list every page";
  help->search("cmbBoringSelect_Click_never_written");
  EXPECT_EQ(help->pageList()->count(), 0);
  help->search("spare rows");
  EXPECT_GE(help->pageList()->count(), 1);
  // The designers, the pattern lists, the preferences and the tips have
  // pages of their own.
  for (const char* words : {"Truncate Upper Column Text", "swatch", "Sample Titles",
                            "TIPOFDAY.TXT"}) {
    help->search(words);
    EXPECT_GE(help->pageList()->count(), 1) << words;
  }
  EXPECT_TRUE(main.close());
  EXPECT_FALSE(help->isVisible());
}

TEST_F(MainWindowTest, ExitSavesAndARestartFindsEverything) {
  const std::string path = newProject("site.sq2", {"B-1"});
  {
    frmMain& main = start(path);
    type(file().sprdLithology(), 1, 1, "0");
    type(file().sprdLithology(), 1, 2, "4.5");
    type(file().sprdLithology(), 1, 3, "Topsoil");
    type(file().sprdCompletion(), 1, 3, "Grout");
    file().SSTab1()->setCurrentIndex(4);
    qobject_cast<QLineEdit*>(file().control("txtClient"))->setText("Acme Wells");
    EXPECT_TRUE(main.mnuExit_Click());
  }
  frmMain& main = start(path);
  EXPECT_EQ(file().sprdLithology()->model().cellText(0, 1), "4.5");
  EXPECT_EQ(file().sprdLithology()->model().cellText(0, 2), "Topsoil");
  EXPECT_EQ(file().sprdCompletion()->model().cellText(0, 2), "Grout");
  EXPECT_EQ(qobject_cast<QLineEdit*>(file().control("txtClient"))->text(), "Acme Wells");
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Topsoil"})
      << "one row, not doubled by the second save";
  EXPECT_EQ(main.GetCurrentBoring(), "B-1");
}

}  // namespace
}  // namespace sq::forms
