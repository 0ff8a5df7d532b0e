#include "platform/fileio/replace_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using vexamor::fileio::replaceFile;
using vexamor::fileio::writeAll;

namespace {

class ReplaceFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("replace_file_test." + std::to_string(::getpid()) + "." +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void put(const fs::path& p, const std::string& text) { std::ofstream(p) << text; }
  static std::string get(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static vexamor::fileio::ContentWriter writing(const std::string& text) {
    return [text](int fd) { return writeAll(fd, text.data(), text.size()); };
  }
  size_t entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  fs::path dir_;
};

TEST_F(ReplaceFileTest, ReplacesContentsAndKeepsTheMode) {
  const fs::path file = dir_ / "drawing.dwg";
  put(file, "old contents that are longer than the new ones");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);

  ASSERT_EQ(replaceFile(file, writing("new")), ERROR_SUCCESS);

  EXPECT_EQ(get(file), "new");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), 1u) << "no temporary file may be left behind";
}

TEST_F(ReplaceFileTest, AFailingWriterLeavesTheOldFileAndNoTemporary) {
  const fs::path file = dir_ / "a.zip";
  put(file, "original");
  const DWORD rc = replaceFile(file, [](int fd) {
    writeAll(fd, "partial", 7);
    return static_cast<DWORD>(ERROR_DISK_FULL);
  });
  EXPECT_EQ(rc, static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(get(file), "original");
  EXPECT_EQ(entries(), 1u);
}

TEST_F(ReplaceFileTest, FollowsASymbolicLinkAndKeepsTheLink) {
  fs::create_directories(dir_ / "real");
  const fs::path target = dir_ / "real" / "file.txt";
  put(target, "before");
  const fs::path link = dir_ / "link.txt";
  fs::create_symlink("real/file.txt", link);

  ASSERT_EQ(replaceFile(link, writing("after")), ERROR_SUCCESS);

  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(get(target), "after");
  EXPECT_EQ(fs::read_symlink(link), fs::path("real/file.txt"));
}

TEST_F(ReplaceFileTest, ANewFileFollowsTheUmask) {
  const mode_t old = ::umask(027);
  const fs::path file = dir_ / "new.bin";
  const DWORD rc = replaceFile(file, writing("x"));
  ::umask(old);
  ASSERT_EQ(rc, ERROR_SUCCESS);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(get(file), "x");
}

TEST_F(ReplaceFileTest, TheLastCheckCanStillAbandonTheReplacement) {
  const fs::path file = dir_ / "drawing.drx";
  put(file, "original");
  std::string seenTemp;
  const DWORD rc = replaceFile(
      file,
      [&](int fd, const std::string& temp) {
        seenTemp = temp;
        return writeAll(fd, "new", 3);
      },
      [&]() -> DWORD {
        EXPECT_EQ(get(seenTemp), "new") << "the check runs once the contents are written";
        return ERROR_SHARING_VIOLATION;
      });
  EXPECT_EQ(rc, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(get(file), "original");
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(fs::path(seenTemp).parent_path(), dir_);
}

TEST_F(ReplaceFileTest, CopiesRangesAndWritesAtOffsets) {
  const fs::path source = dir_ / "source.bin";
  std::string text;
  for (int i = 0; i < 300000; ++i) text += static_cast<char>('a' + i % 26);
  put(source, text);
  const int in = ::open(source.c_str(), O_RDONLY);
  ASSERT_GE(in, 0);
  const DWORD rc = replaceFile(dir_ / "copy.bin", [&](int fd) {
    DWORD r = vexamor::fileio::copyRange(in, 5, 250000, fd);
    if (r == ERROR_SUCCESS) r = writeAll(fd, "END", 3);
    if (r == ERROR_SUCCESS) r = vexamor::fileio::writeAt(fd, 1, "XY", 2);
    return r;
  });
  ASSERT_EQ(rc, ERROR_SUCCESS);
  std::string expected = text.substr(5, 250000) + "END";
  expected.replace(1, 2, "XY");
  EXPECT_EQ(get(dir_ / "copy.bin"), expected);

  // Asking for more than the source holds is an error, not a shorter copy.
  const DWORD tooLong = replaceFile(dir_ / "short.bin", [&](int fd) {
    return vexamor::fileio::copyRange(in, 299990, 11, fd);
  });
  EXPECT_EQ(tooLong, static_cast<DWORD>(ERROR_HANDLE_EOF));
  EXPECT_FALSE(fs::exists(dir_ / "short.bin"));
  ::close(in);
}

// Lets a number of changes through, then stops every change and flush.
class StopAfter final : public vexamor::fileio::ChangeObserver {
 public:
  explicit StopAfter(int changes) : left_(changes) {}
  bool beforeWrite(int, std::uint64_t, const void*, std::size_t) override { return take(); }
  bool beforeRename(const std::string&, const std::string&) override { return take(); }
  bool beforeFlush() override { return left_ >= 0; }
  int seen = 0;

 private:
  bool take() {
    ++seen;
    return --left_ >= 0;
  }
  int left_;
};

TEST_F(ReplaceFileTest, StoppedAtAnyChangeTheFileIsOldOrNew) {
  const fs::path file = dir_ / "drawing.drx";
  const std::string source(3u << 20, 's');  // copied in several pieces
  put(dir_ / "source", source);
  const int in = ::open((dir_ / "source").c_str(), O_RDONLY);
  auto write = [&](int fd) {
    DWORD rc = vexamor::fileio::copyRange(in, 0, source.size(), fd);
    if (rc == ERROR_SUCCESS) rc = writeAll(fd, "tail", 4);
    if (rc == ERROR_SUCCESS) rc = vexamor::fileio::writeAt(fd, 0, "H", 1);
    return rc;
  };
  std::string expected = source + "tail";
  expected[0] = 'H';

  StopAfter count(1000);
  vexamor::fileio::setChangeObserver(&count);
  put(file, "old");
  ASSERT_EQ(replaceFile(file, write), ERROR_SUCCESS);
  const int changes = count.seen;
  EXPECT_EQ(changes, 3 + 2 + 1);  // three pieces, the tail, the header byte, the rename
  for (int k = 0; k < changes; ++k) {
    put(file, "old");
    StopAfter stop(k);
    vexamor::fileio::setChangeObserver(&stop);
    EXPECT_EQ(replaceFile(file, write), static_cast<DWORD>(ERROR_WRITE_FAULT)) << k;
    EXPECT_EQ(get(file), "old") << k;
    EXPECT_EQ(entries(), 2u) << k;  // the file and the source: no temporary left
  }
  vexamor::fileio::setChangeObserver(nullptr);
  ASSERT_EQ(replaceFile(file, write), ERROR_SUCCESS);
  EXPECT_EQ(get(file), expected);
  ::close(in);
}

TEST_F(ReplaceFileTest, AMissingFolderIsAPathError) {
  const DWORD rc = replaceFile(dir_ / "gone" / "file", writing("x"));
  EXPECT_EQ(rc, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
