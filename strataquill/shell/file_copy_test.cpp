#include "strataquill/shell/file_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "strataquill/shell/test_home.h"

namespace sq {
namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

unsigned mode(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

// Names in the folder other than `keep`: what a copy may have left behind.
std::vector<std::string> strays(const fs::path& folder, std::initializer_list<std::string> keep) {
  std::vector<std::string> out;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(keep.begin(), keep.end(), name) == keep.end()) out.push_back(name);
  }
  return out;
}

// A file system whose rename cannot refuse to replace, as vfat, exFAT, SMB
// or FUSE mounts may answer.
int renameWithoutNoReplace(const char*, const char*) {
  errno = EINVAL;
  return -1;
}

class FileCopyTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) setRenameNoReplaceCall(renameWithoutNoReplace);
    savedUmask_ = ::umask(022);
    source_ = home_.path("File.tpl");
    std::ofstream(source_, std::ios::binary) << "template bytes";
    ::chmod(source_.c_str(), 0444);  // installed read-only
  }
  void TearDown() override {
    setRenameNoReplaceCall(nullptr);
    ::umask(savedUmask_);
  }

  TestHome home_;
  std::string source_;
  mode_t savedUmask_ = 022;
};

TEST_P(FileCopyTest, NewFileIsCompleteAndTakesTheUmasksMode) {
  const std::string target = home_.path("new.sq2");
  ASSERT_TRUE(copyFile(source_, target, false));
  EXPECT_EQ(contents(target), "template bytes");
  EXPECT_EQ(mode(target), 0644u) << "the user's umask, not the read-only template's mode";
  ::umask(077);
  const std::string privateCopy = home_.path("private.sq2");
  ASSERT_TRUE(copyFile(source_, privateCopy, false));
  EXPECT_EQ(mode(privateCopy), 0600u);
  EXPECT_TRUE(strays(home_.root(), {"File.tpl", "new.sq2", "private.sq2"}).empty());
}

TEST_P(FileCopyTest, AnExistingTargetIsNeverReplacedWithoutOverwrite) {
  const std::string target = home_.path("existing.sq2");
  std::ofstream(target) << "precious";
  ::chmod(target.c_str(), 0640);
  EXPECT_FALSE(copyFile(source_, target, false));
  EXPECT_EQ(contents(target), "precious");
  EXPECT_TRUE(strays(home_.root(), {"File.tpl", "existing.sq2"}).empty());

  ASSERT_TRUE(copyFile(source_, target, true));
  EXPECT_EQ(contents(target), "template bytes");
  EXPECT_EQ(mode(target), 0640u) << "a replaced file keeps its own mode";
  EXPECT_TRUE(strays(home_.root(), {"File.tpl", "existing.sq2"}).empty());
}

TEST_P(FileCopyTest, FailuresLeaveNothingBehind) {
  EXPECT_FALSE(copyFile(home_.path("missing.tpl"), home_.path("a.sq2"), false));
  EXPECT_FALSE(copyFile(home_.root().string(), home_.path("b.sq2"), false)) << "a folder";
  EXPECT_FALSE(copyFile(source_, home_.path("no/such/folder/c.sq2"), false));
  EXPECT_TRUE(strays(home_.root(), {"File.tpl"}).empty());
}

INSTANTIATE_TEST_SUITE_P(FileSystems, FileCopyTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WithoutRenameNoReplace" : "Local";
                         });

}  // namespace
}  // namespace sq
