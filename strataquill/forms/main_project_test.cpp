// The main window's project and boring commands, tried as a user tries them.

#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/forms/forms_test_support.h"
#include "strataquill/shell/settings_store.h"
#include "strataquill/shell/start_folder.h"

namespace sq::forms {
namespace {

class ProjectCommandsTest : public WindowTest {
 protected:
  static std::string bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST_F(ProjectCommandsTest, AnExistingNameIsRefusedSoRemovingCannotTakeTheOthersData) {
  const std::string path = newProject("site.sq2", {"B-1"});
  sql(path,
      "INSERT INTO [Lithology Information] (BoringName, [From], [To], Description) "
      "VALUES (\"B-1\", 0, 5, \"Fill\")");
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  prompts_.planInput("B-1");
  main.AddBoring();
  EXPECT_EQ(prompts_.messageTexts(),
            std::vector<std::string>{
                "B-1 already exists.  You cannot add a boring with the name of an existing "
                "boring.  Either choose another name or manually delete B-1 before adding it."});
  EXPECT_EQ(prompts_.seen().back().title, "Boring already exists");
  EXPECT_EQ(main.boringList(), std::vector<std::string>{"B-1"});
  EXPECT_EQ(column(path, project::GetSQL("B-1", 2), "BoringName").size(), 1u) << "one row";
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Fill"});
  // Names differing in case or blanks are other borings.
  prompts_.planInput("b-1");
  main.AddBoring();
  EXPECT_EQ(main.boringList(), (std::vector<std::string>{"B-1", "b-1"}));
}

TEST_F(ProjectCommandsTest, OpeningAndClosingAProjectLeavesItsFileAsItWas) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  frmMain& main = start();
  // The first opening may repair the structure, once.
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  main.mnuClose_Click();
  const std::string repaired = bytes(path);
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  // Looking at every tab and the other boring is no edit either.
  for (int tab = 0; tab < 5; ++tab) file().SSTab1()->setCurrentIndex(tab);
  main.selectBoringText("B-2");
  main.cmbBoringSelect_Click();
  EXPECT_EQ(file().boundBoring(), "B-2");
  main.mnuClose_Click();
  EXPECT_EQ(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(bytes(path), repaired);
  for (const char* table : {"Lithology Information", "Sample Information", "Completion Information",
                            "Project Information"})
    EXPECT_EQ(column(path, std::string("SELECT * FROM [") + table + "]", "BoringName").size(), 0u)
        << table << " gained no blank rows";
}

TEST_F(ProjectCommandsTest, TheFirstEditOfTheDescriptionAddsItsRow) {
  const std::string path = newProject("site.sq2", {"B-1"});
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  file().SSTab1()->setCurrentIndex(4);
  qobject_cast<QLineEdit*>(file().control("txtProjectName"))->setText("Elm Street");
  ASSERT_TRUE(file().UpdateRecordsets());
  EXPECT_EQ(column(path, "SELECT ProjectName FROM [Project Information]", "ProjectName"),
            std::vector<std::string>{"Elm Street"});
  qobject_cast<QLineEdit*>(file().control("txtClient"))->setText("Acme");
  ASSERT_TRUE(file().UpdateRecordsets());
  EXPECT_EQ(column(path, "SELECT Client FROM [Project Information]", "Client"),
            std::vector<std::string>{"Acme"})
      << "the same row, not a second one";
}

TEST_F(ProjectCommandsTest, ACloseThatArrivesDuringASaveWaitsForIt) {
  const std::string path = newProject("site.sq2", {"B-1", "B-2"});
  frmMain& main = start();
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  type(file().sprdLithology(), 1, 3, "Fill");
  // While the switch saves it lets the window's events run; a close and
  // a Close command queued then must not delete the window under it.
  int closes = 0;
  QTimer::singleShot(0, &main, [&] {
    ++closes;
    main.close();
    main.mnuClose_Click();
    main.OpenExistingStrataquillFile();
  });
  main.selectBoringText("B-2");
  main.cmbBoringSelect_Click();
  ASSERT_EQ(closes, 1) << "the queued commands ran during the switch";
  ASSERT_NE(main.dataEntryWindow(), nullptr);
  EXPECT_EQ(file().boundBoring(), "B-2");
  EXPECT_TRUE(prompts_.seen().empty()) << "no file dialog under a running switch";
  EXPECT_EQ(column(path, project::GetSQL("B-1", 1), "Description"),
            std::vector<std::string>{"Fill"});
  // The window's close, held back, is done once the switch is over.
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(main.dataEntryWindow(), nullptr);
  EXPECT_FALSE(main.isVisible());
}

TEST_F(ProjectCommandsTest, FileDialogsStartWhereTheUsersFilesAre) {
  const std::filesystem::path docs = home_.root() / "Documents";
  std::filesystem::create_directories(docs);
  std::filesystem::create_directories(home_.root() / "config");
  std::ofstream(home_.root() / "config" / "user-dirs.dirs")
      << "XDG_DOCUMENTS_DIR=\"" << docs.string() << "\"\n";
  frmMain& main = start();
  main.OpenExistingStrataquillFile();
  main.CreateNewFormatFile();
  ASSERT_EQ(prompts_.seen().size(), 2u);
  EXPECT_EQ(prompts_.seen()[0].dialog.initialFolder, docs.string()) << "not the program folder";
  EXPECT_EQ(prompts_.seen()[1].dialog.initialFolder, docs.string());

  std::filesystem::create_directories(home_.root() / "sites");
  const std::string path = (home_.root() / "sites").string() + "/site.sq2";
  ASSERT_TRUE(copyFile(std::string(VEXAMOR_TEST_BIN_DIR) + "/File.tpl", path, false));
  ASSERT_TRUE(main.openProject(path, "site.sq2"));
  prompts_.clear();
  main.OpenExistingStrataquillFile();
  main.CreateNewStrataquillFile();
  EXPECT_EQ(prompts_.seen()[0].dialog.initialFolder, (home_.root() / "sites").string())
      << "the open project's folder";
  EXPECT_EQ(prompts_.seen()[1].dialog.initialFolder, (home_.root() / "sites").string());

  ASSERT_TRUE(SaveSetting("Files", "DefaultSQFileDir", home_.root().string()));
  prompts_.clear();
  main.OpenExistingStrataquillFile();
  EXPECT_EQ(prompts_.seen()[0].dialog.initialFolder, home_.root().string())
      << "the folder the preferences name";
}

}  // namespace
}  // namespace sq::forms
