#include "strataquill/shell/settings_store.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "strataquill/shell/program_folder.h"

namespace sq {
namespace {

namespace fs = std::filesystem;

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("sq_settings_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(SettingsStoreTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  SettingsStore store(dir_);
  EXPECT_EQ(store.get("Strataquill", "Options", "Show Tips at Startup", "1"), "1");
  ASSERT_TRUE(store.save("Strataquill", "Options", "Show Tips at Startup", "0"));
  ASSERT_TRUE(store.save("Strataquill", "OPTIONS", "show tips AT startup", "0 again"));
  EXPECT_EQ(store.get("strataquill", "options", "SHOW TIPS AT STARTUP", "1"), "0 again");

  std::ifstream in(store.fileFor("Strataquill"));
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, "[Options]\nShow Tips at Startup=0 again\n");
}

TEST_F(SettingsStoreTest, AnyTextRoundTripsAndEmptyIsNotTheDefault) {
  SettingsStore store(dir_);
  const std::vector<std::pair<std::string, std::string>> values = {
      {"CompanyName", ""},
      {"CompanyAddress", "  two blanks  "},
      {"Multi", "line one\nline two\r\n"},
      {"Key=With=Equals", "a=b"},
      {"[Bracket", "\\back\\slash\\"},
      {"; not a comment", "[not a section]"},
  };
  for (auto& [key, value] : values) ASSERT_TRUE(store.save("App", "Preferences", key, value));
  for (auto& [key, value] : values)
    EXPECT_EQ(store.get("App", "Preferences", key, "default"), value) << key;
  EXPECT_EQ(store.get("App", "Other", "CompanyName", "default"), "default");
  EXPECT_EQ(store.get("Other App", "Preferences", "CompanyName", "default"), "default");
}

TEST_F(SettingsStoreTest, UnwritableStoreReportsFailureAndStillAnswers) {
  fs::create_directories(dir_);
  SettingsStore store(dir_);
  ASSERT_TRUE(store.save("App", "Files", "DefaultSQFileDir", "/data"));

  // A folder where the file should be cannot be replaced by a file.
  fs::create_directories(dir_ / "Blocked.ini");
  EXPECT_FALSE(store.save("Blocked", "Files", "DefaultSQFileDir", "/elsewhere"));
  EXPECT_EQ(store.get("Blocked", "Files", "DefaultSQFileDir", "default"), "default");

  // A file where the store's folder should be.
  std::ofstream(dir_ / "not-a-folder") << "x";
  SettingsStore broken(dir_ / "not-a-folder");
  EXPECT_FALSE(broken.save("App", "a", "b", "c"));
  EXPECT_EQ(broken.get("App", "a", "b", "c-default"), "c-default");
  EXPECT_EQ(store.get("App", "Files", "DefaultSQFileDir", "x"), "/data");
}

TEST_F(SettingsStoreTest, DamagedFileGivesWhatCanBeRead) {
  fs::create_directories(dir_);
  std::ofstream(dir_ / "App.ini") << "garbage line\n=novalue\n[Good]\nA=1\n[Broken\nB=2\n"
                                  << std::string("\0\xff\xfe", 3) << "\n[Good]\nC=3\n";
  SettingsStore store(dir_);
  EXPECT_EQ(store.get("App", "Good", "A", "-"), "1");
  EXPECT_EQ(store.get("App", "Good", "C", "-"), "3");
  EXPECT_EQ(store.get("App", "Broken", "B", "-"), "-");
  ASSERT_TRUE(store.save("App", "Good", "D", "4"));
  EXPECT_EQ(store.get("App", "Good", "A", "-"), "1");
}

TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceLoseNothing) {
  SettingsStore store(dir_);
  constexpr int kPerProcess = 60;
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  const char* who = child == 0 ? "child" : "parent";
  bool allSaved = true;
  for (int i = 0; i < kPerProcess; ++i)
    allSaved = store.save("App", who, "Key" + std::to_string(i), std::to_string(i)) && allSaved;
  if (child == 0) ::_exit(allSaved ? 0 : 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(allSaved);
  for (const char* section : {"parent", "child"})
    for (int i = 0; i < kPerProcess; ++i)
      EXPECT_EQ(store.get("App", section, "Key" + std::to_string(i), "lost"), std::to_string(i));
}

TEST(ProgramFolderTest, EndsWithOneSeparatorAndNamesTheExecutable) {
  EXPECT_EQ(executableBaseName(), "sq_shell_test");
  EXPECT_EQ(applicationName(), "sq_shell_test");
  std::string folder = programFolder();
  EXPECT_EQ(folder, executableFolder() + "/");
  setProgramFolder("  /opt/strataquill/  ");
  EXPECT_EQ(programFolder(), "/opt/strataquill/");
  setProgramFolder("/opt/strataquill");
  EXPECT_EQ(programFolder(), "/opt/strataquill/");
  setProgramFolder("");
  EXPECT_EQ(programFolder(), folder);
}

}  // namespace
}  // namespace sq
