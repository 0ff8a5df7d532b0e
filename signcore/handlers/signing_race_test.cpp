// Signing turned against the signer: another user who can write the folder swaps a link or
// the file itself while the signature is computed, and root signs another user's set-user-ID
// program. The handlers are linked in, so that a hook in the file layer beneath them runs
// between the steps of a signing, as the other user's program would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/fileio/replace_file.h"
#include "platform/fileio/testing/change_hooks.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/vexa_sign_append.h"
#include "signcore/handlers/vexa_sign_drx.h"
#include "signcore/idl/dxsigncore16.h"

namespace vexamor::signcore::testing {
namespace {

namespace fs = std::filesystem;
constexpr uid_t kNobody = 65534;

using fileio::testing::AtEveryStep;
using fileio::testing::AtFirstWrite;

class SigningRace : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    dir_ = fs::temp_directory_path() / ("signing_race." + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "shared");
    fs::create_directories(dir_ / "victim" / ".ssh");
    certificates_.installStandardSet();
  }
  void TearDown() override {
    fs::remove_all(dir_);
    CoUninitialize();
  }

  static com::ComPtr<IVexaSignFile> handler(const ClassInfo& cls) {
    com::ComPtr<IVexaSignFile> h;
    EXPECT_EQ(cls.create(IID_IVexaSignFile, h.outVoid()), S_OK);
    return h;
  }
  static HRESULT sign(const ClassInfo& cls, const std::string& path) {
    const TestCertificate& c = TestPki::get().rsaSigner;
    return handler(cls)->AddSign(com::Bstr(path).get(), com::Bstr(c.subjectUtf8()).get(),
                                 com::Bstr(c.issuerUtf8()).get(), com::Bstr(c.serialUtf8()).get(),
                                 nullptr, nullptr, nullptr, nullptr);
  }
  static bool verifies(const ClassInfo& cls, const std::string& path) {
    LONG valid = 0;
    return handler(cls)->VerifySign(com::Bstr(path).get(), nullptr, &valid) == S_OK && valid == 1;
  }
  static std::string text(const fs::path& p) {
    const auto bytes = readFile(p);
    return std::string(bytes.begin(), bytes.end());
  }

  fs::path dir_;
  TempCertificateFolder certificates_;
};

TEST_F(SigningRace, ALinkSwappedWhileSigningDoesNotRedirectTheSignedFile) {
  const fs::path victim = dir_ / "victim" / ".ssh" / "authorized_keys";
  ASSERT_TRUE(writeFile(victim, {'k', 'e', 'y'}));
  struct Kind {
    const ClassInfo& cls;
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  const Kind kinds[] = {
      {kVexaSignAppendClass, "bundle.zip",
       [](const fs::path& p) { ASSERT_TRUE(writeFile(p, sampleBytes(9000, 2))); }},
      {kVexaSignDRXClass, "plan.drx",
       [](const fs::path& p) { ASSERT_TRUE(writeFile(p, makeClassicDrawing(9000).bytes)); }},
      {kVexaSignDRXClass, "site.drs",
       [](const fs::path& p) { ASSERT_EQ(writeContainerDrawing(p, dozenStreams()), 0u); }},
  };
  for (const Kind& kind : kinds) {
    const fs::path mine = dir_ / "shared" / kind.name;
    const fs::path link = dir_ / "shared" / (std::string("current-") + kind.name);
    auto pointAt = [&](const fs::path& target) {
      fs::remove(link);
      fs::create_symlink(target, link);
    };
    // Once to the victim's file for good, then back and forth at every step.
    for (bool flipping : {false, true}) {
      kind.make(mine);
      const auto original = readFile(mine);
      pointAt(kind.name);
      HRESULT hr;
      if (flipping) {
        bool toVictim = true;
        AtEveryStep swap([&] {
          pointAt(toVictim ? victim : fs::path(kind.name));
          toVictim = !toVictim;
        });
        hr = sign(kind.cls, link);
        EXPECT_GT(swap.steps, 2);
      } else {
        AtFirstWrite swap([&] { pointAt(victim); });
        hr = sign(kind.cls, link);
      }
      EXPECT_EQ(hr, S_OK) << kind.name;
      EXPECT_EQ(text(victim), "key") << kind.name << ": the victim's file was written";
      EXPECT_TRUE(verifies(kind.cls, mine)) << kind.name << ": the file that was read is signed";
      EXPECT_NE(readFile(mine), original);
    }
  }
}

TEST_F(SigningRace, AFileReplacedByALinkWhileSigningIsLeftAlone) {
  const fs::path victim = dir_ / "victim" / ".ssh" / "authorized_keys";
  ASSERT_TRUE(writeFile(victim, {'k', 'e', 'y'}));
  const fs::path mine = dir_ / "shared" / "bundle.zip";
  ASSERT_TRUE(writeFile(mine, sampleBytes(9000, 2)));

  AtFirstWrite swap([&] {
    fs::rename(mine, dir_ / "shared" / "elsewhere");
    fs::create_symlink(victim, mine);
  });
  EXPECT_EQ(sign(kVexaSignAppendClass, mine.string()), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(text(victim), "key");
  EXPECT_TRUE(fs::is_symlink(mine));
  EXPECT_EQ(readFile(dir_ / "shared" / "elsewhere"), sampleBytes(9000, 2));
}

TEST_F(SigningRace, RootSigningAnotherUsersSetUserIdProgramMakesNoRootProgram) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to sign another user's file";
  const fs::path program = dir_ / "shared" / "tool.exe";
  ASSERT_TRUE(writeFile(program, sampleBytes(5000, 6)));
  ASSERT_EQ(::chown(program.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(program.c_str(), 04755), 0);

  ASSERT_EQ(sign(kVexaSignAppendClass, program.string()), S_OK);

  struct stat st {};
  ASSERT_EQ(::stat(program.c_str(), &st), 0);
  EXPECT_FALSE(st.st_uid == 0 && (st.st_mode & (S_ISUID | S_ISGID)) != 0)
      << "a set-user-ID program of root's with the user's content";
  EXPECT_EQ(st.st_uid, kNobody);
  EXPECT_EQ(st.st_gid, kNobody);
  EXPECT_EQ(st.st_mode & 07777, 04755u);
  EXPECT_TRUE(verifies(kVexaSignAppendClass, program));
}

}  // namespace
}  // namespace vexamor::signcore::testing
