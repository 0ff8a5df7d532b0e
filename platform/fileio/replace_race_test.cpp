// Replacement against another user who can write the folder: links swapped while the new
// file is written, set-user-ID programs of other users, and temporary files that must never
// be readable by more people than the final file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/fileio/replace_file.h"
#include "platform/fileio/testing/change_hooks.h"

namespace fs = std::filesystem;
using vexamor::fileio::replaceFile;
using vexamor::fileio::ReplaceMode;
using vexamor::fileio::writeAll;

namespace {

constexpr uid_t kNobody = 65534;

using vexamor::fileio::testing::AtFirstWrite;

class ReplaceRace : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("replace_race." + std::to_string(::getpid()) + "." +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "shared");
    fs::create_directories(dir_ / "victim");
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void put(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
  }
  static std::string get(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static vexamor::fileio::ContentWriter writing(const std::string& text) {
    return [text](int fd) { return writeAll(fd, text.data(), text.size()); };
  }
  static struct stat statOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
    return st;
  }

  fs::path dir_;
};

TEST_F(ReplaceRace, ALinkSwappedDuringTheReplacementDoesNotRedirectIt) {
  const fs::path mine = dir_ / "shared" / "drawing.zip";
  const fs::path victim = dir_ / "victim" / "authorized_keys";
  const fs::path link = dir_ / "shared" / "current.zip";
  put(mine, "the signer's file");
  put(victim, "ssh-ed25519 AAAA victim");
  fs::create_symlink("drawing.zip", link);

  // Another user points the link at the victim's file once it was read.
  AtFirstWrite swap([&] {
    fs::remove(link);
    fs::create_symlink(victim, link);
  });
  ASSERT_EQ(replaceFile(link, writing("signed contents")), ERROR_SUCCESS);

  EXPECT_EQ(get(victim), "ssh-ed25519 AAAA victim");
  EXPECT_EQ(get(mine), "signed contents");
  EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(ReplaceRace, AFileTurnedIntoALinkDuringTheReplacementIsLeftAlone) {
  const fs::path mine = dir_ / "shared" / "drawing.zip";
  const fs::path victim = dir_ / "victim" / "authorized_keys";
  put(mine, "the signer's file");
  put(victim, "ssh-ed25519 AAAA victim");

  AtFirstWrite swap([&] {
    fs::rename(mine, dir_ / "shared" / "moved-away");
    fs::create_symlink(victim, mine);
  });
  EXPECT_EQ(replaceFile(mine, writing("signed contents")),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));

  EXPECT_EQ(get(victim), "ssh-ed25519 AAAA victim");
  EXPECT_TRUE(fs::is_symlink(mine)) << "the other user's link stays as it was";
  EXPECT_EQ(get(dir_ / "shared" / "moved-away"), "the signer's file");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "shared"), {}), 2)
      << "no temporary file is left behind";
}

TEST_F(ReplaceRace, AnotherFileMovedIntoPlaceIsNotReplacedEither) {
  const fs::path mine = dir_ / "shared" / "drawing.zip";
  put(mine, "the signer's file");
  put(dir_ / "shared" / "other", "someone else's file");

  AtFirstWrite swap([&] { fs::rename(dir_ / "shared" / "other", mine); });
  EXPECT_EQ(replaceFile(mine, writing("signed contents")),
            static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(get(mine), "someone else's file");
}

TEST_F(ReplaceRace, RootReplacingAnotherUsersSetUserIdProgramKeepsItsOwner) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand a file to another user";
  const fs::path program = dir_ / "shared" / "tool";
  put(program, "#!/bin/sh\necho user's tool\n");
  ASSERT_EQ(::chown(program.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(program.c_str(), 04755), 0);

  ASSERT_EQ(replaceFile(program, writing("#!/bin/sh\necho signed\n")), ERROR_SUCCESS);

  const struct stat st = statOf(program);
  EXPECT_EQ(st.st_uid, kNobody) << "the set-user-ID bit may only stay with its owner";
  EXPECT_EQ(st.st_gid, kNobody);
  EXPECT_EQ(st.st_mode & 07777, 04755u);
}

TEST_F(ReplaceRace, AReplacementThatCannotKeepTheOwnerDropsTheSpecialBits) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
  // Root's set-user-ID program in a folder that an ordinary user may write: the user's
  // replacement belongs to the user and must not stay set-user-ID (or set-group-ID).
  const fs::path program = dir_ / "shared" / "tool";
  put(program, "root's tool");
  ASSERT_EQ(::chmod(program.c_str(), 06777), 0);
  ASSERT_EQ(::chmod((dir_ / "shared").c_str(), 0777), 0);
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(10);
    ::_exit(replaceFile(program, writing("user's content")) == ERROR_SUCCESS ? 0 : 11);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);

  const struct stat st = statOf(program);
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_mode & 07777, 0777u);
  EXPECT_EQ(get(program), "user's content");
}

TEST_F(ReplaceRace, AForcedModeHoldsWhileTheContentsAreWritten) {
  const fs::path key = dir_ / "shared" / "signer.key";
  put(key, "old key");
  ASSERT_EQ(::chmod(key.c_str(), 0644), 0);
  mode_t whileWriting = 0;
  const DWORD rc = replaceFile(
      key,
      [&](int fd) {
        struct stat st {};
        ::fstat(fd, &st);
        whileWriting = st.st_mode & 07777;
        return writeAll(fd, "secret", 6);
      },
      ReplaceMode{.mode = 0600});
  ASSERT_EQ(rc, ERROR_SUCCESS);
  EXPECT_EQ(whileWriting, 0600u);
  EXPECT_EQ(statOf(key).st_mode & 07777, 0600u);
}

TEST_F(ReplaceRace, ANewFileTakesTheModeAskedForAndAnOldOneKeepsItsOwn) {
  const mode_t old = ::umask(022);
  const fs::path fresh = dir_ / "shared" / "plain.txt";
  const fs::path existing = dir_ / "shared" / "kept.txt";
  put(existing, "x");
  ASSERT_EQ(::chmod(existing.c_str(), 0640), 0);
  const ReplaceMode privateWhenNew{.newFileMode = 0600};
  const DWORD a = replaceFile(fresh, writing("plain"), privateWhenNew);
  const DWORD b = replaceFile(existing, writing("plain"), privateWhenNew);
  ::umask(old);
  ASSERT_EQ(a, ERROR_SUCCESS);
  ASSERT_EQ(b, ERROR_SUCCESS);
  EXPECT_EQ(statOf(fresh).st_mode & 07777, 0600u);
  EXPECT_EQ(statOf(existing).st_mode & 07777, 0640u);
}

}  // namespace
