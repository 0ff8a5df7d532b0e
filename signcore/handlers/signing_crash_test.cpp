// Signings cut short: every signing below is stopped after its k-th change, for every k, with
// the changes since the last flush kept or all but the last one lost, as a crash or a power
// loss would leave them. The file must then be the old one or the complete signed one, never
// anything else. The changes are those of the whole-file replacement (the copy, the signature
// block or trailer, the rename) and of the container engine on the copy, counted together.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "fault_injection.h"
#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/fileio/replace_file.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/container_format.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/handlers/vexa_sign_append.h"
#include "signcore/handlers/vexa_sign_drx.h"

namespace vexamor::signcore::testing {
namespace {

using container::testing::CrashKeeps;
using container::testing::FaultPlan;
namespace fs = std::filesystem;

// A descriptor kept for the undo and redo steps, which may run after the writer closed its own.
using SharedFd = std::shared_ptr<int>;
SharedFd keepOpen(int fd) {
  return SharedFd(new int(::fcntl(fd, F_DUPFD_CLOEXEC, 0)), [](int* p) {
    if (*p >= 0) ::close(*p);
    delete p;
  });
}

// Counts the whole-file replacement's changes against the plan and records how a crash
// takes each back or makes it again.
class PlanObserver final : public fileio::ChangeObserver {
 public:
  explicit PlanObserver(std::shared_ptr<FaultPlan> plan) : plan_(std::move(plan)) {}

  bool beforeWrite(int fd, uint64_t offset, const void* data, size_t size) override {
    const uint64_t number = plan_->admitChange();
    if (number == 0) return false;
    SharedFd file = keepOpen(fd);
    struct stat st {};
    ::fstat(fd, &st);
    const auto oldSize = static_cast<uint64_t>(st.st_size);
    std::vector<uint8_t> old(offset < oldSize ? std::min<uint64_t>(size, oldSize - offset) : 0);
    if (!old.empty()) (void)!::pread(fd, old.data(), old.size(), static_cast<off_t>(offset));
    std::vector<uint8_t> bytes(static_cast<const uint8_t*>(data),
                               static_cast<const uint8_t*>(data) + size);
    plan_->record({number,
                   [file, offset, old, oldSize] {
                     (void)!::pwrite(*file, old.data(), old.size(), static_cast<off_t>(offset));
                     (void)!::ftruncate(*file, static_cast<off_t>(oldSize));
                   },
                   [file, offset, bytes] {
                     (void)!::pwrite(*file, bytes.data(), bytes.size(), static_cast<off_t>(offset));
                   }});
    return true;
  }

  bool beforeRename(const std::string& from, const std::string& target) override {
    const uint64_t number = plan_->admitChange();
    if (number == 0) return false;
    const std::string backup = target + ".before-crash";
    ::unlink(backup.c_str());
    ::link(target.c_str(), backup.c_str());  // so that the old file can come back
    plan_->record({number,
                   [from, target, backup] {
                     ::rename(target.c_str(), from.c_str());
                     ::rename(backup.c_str(), target.c_str());
                   },
                   [from, target, backup] {
                     ::link(target.c_str(), backup.c_str());
                     ::rename(from.c_str(), target.c_str());
                   }});
    return true;
  }

  bool beforeFlush() override { return plan_->admitFlush(); }

 private:
  std::shared_ptr<FaultPlan> plan_;
};

struct Layout {
  const char* name;
  const char* file;
  const ClassInfo& handler;
  std::function<void(const std::string&)> make;
  // Whether `path`, which is not the old file, is the old file's data signed.
  std::function<bool(const std::vector<uint8_t>& old, const std::string& path)> signedFormOf;
};

class SigningCrash : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    dir_ = fs::temp_directory_path() / ("signing_crash." + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    certificates_.installStandardSet();
  }
  void TearDown() override {
    fileio::setChangeObserver(nullptr);
    container_format::setFileWrapperForTesting(nullptr);
    fs::remove_all(dir_);
    CoUninitialize();
  }

  static com::ComPtr<IVexaSignFile> handler(const ClassInfo& cls) {
    com::ComPtr<IVexaSignFile> h;
    EXPECT_EQ(cls.create(IID_IVexaSignFile, h.outVoid()), S_OK);
    return h;
  }

  static HRESULT sign(IVexaSignFile* h, const std::string& path,
                      const TestCertificate& c = TestPki::get().rsaSigner) {
    return h->AddSign(com::Bstr(path).get(), com::Bstr(c.subjectUtf8()).get(),
                      com::Bstr(c.issuerUtf8()).get(), com::Bstr(c.serialUtf8()).get(),
                      com::Bstr(std::string_view("crash test")).get(), nullptr, nullptr, nullptr);
  }

  // Signs with the plan in force; no seam stays set afterwards.
  static HRESULT signThrough(IVexaSignFile* h, const std::string& path,
                             const std::shared_ptr<FaultPlan>& plan) {
    PlanObserver observer(plan);
    fileio::setChangeObserver(&observer);
    container_format::setFileWrapperForTesting(
        [plan](std::unique_ptr<container::ContainerFile> file)
            -> std::unique_ptr<container::ContainerFile> {
          return std::make_unique<container::testing::FaultInjectingFile>(std::move(file), plan);
        });
    const HRESULT hr = sign(h, path);
    fileio::setChangeObserver(nullptr);
    container_format::setFileWrapperForTesting(nullptr);
    return hr;
  }

  void runEveryCut(const Layout& layout) {
    const std::string path = (dir_ / layout.file).string();
    layout.make(path);
    const std::vector<uint8_t> old = readFile(path);
    auto h = handler(layout.handler);

    auto counting = std::make_shared<FaultPlan>();
    ASSERT_EQ(signThrough(h.get(), path, counting), S_OK) << layout.name;
    ASSERT_TRUE(layout.signedFormOf(old, path)) << layout.name;
    const uint64_t changes = counting->changes();
    ASSERT_GT(changes, 2u);

    for (CrashKeeps keeps : {CrashKeeps::kEverything, CrashKeeps::kOnlyTheLastUnflushedChange}) {
      size_t oldSeen = 0, newSeen = 0;
      for (uint64_t k = 0; k <= changes; ++k) {
        ASSERT_TRUE(writeFile(path, old));
        (void)signThrough(h.get(), path, std::make_shared<FaultPlan>(k, keeps));
        const std::vector<uint8_t> now = readFile(path);
        if (now == old) {
          ++oldSeen;
        } else {
          ASSERT_TRUE(layout.signedFormOf(old, path))
              << layout.name << ": a third state after " << k << " of " << changes << " changes";
          ++newSeen;
        }
        fs::remove(path + ".before-crash");
        for (const auto& entry : fs::directory_iterator(dir_)) {
          EXPECT_EQ(entry.path().filename(), layout.file) << "left behind after " << k;
        }
      }
      EXPECT_GT(oldSeen, 0u) << layout.name;
      EXPECT_GT(newSeen, 0u) << layout.name;
    }
  }

  fs::path dir_;
  TempCertificateFolder certificates_;
};

bool verifies(const ClassInfo& cls, const std::string& path) {
  com::ComPtr<IVexaSignFile> h;
  if (FAILED(cls.create(IID_IVexaSignFile, h.outVoid()))) return false;
  LONG valid = 0;
  return h->VerifySign(com::Bstr(path).get(), nullptr, &valid) == S_OK && valid == 1;
}

TEST_F(SigningCrash, AClassicDrawingIsTheOldOrTheSignedOne) {
  runEveryCut({"classic", "plan.drx", kVexaSignDRXClass,
               [](const std::string& path) { writeFile(path, makeClassicDrawing(30000).bytes); },
               [](const std::vector<uint8_t>& old, const std::string& path) {
                 auto now = readFile(path);
                 if (now.size() <= old.size() || !verifies(kVexaSignDRXClass, path)) return false;
                 now.resize(old.size());
                 std::fill_n(now.begin() + classic::kPointerOffset, classic::kPointerSize, 0);
                 return now == old;
               }});
}

TEST_F(SigningCrash, ASignedClassicDrawingSignedAgainIsTheOldOrTheNewOne) {
  runEveryCut({"classic signed again", "signed.drt", kVexaSignDRXClass,
               [&](const std::string& path) {
                 writeFile(path, makeClassicDrawing(20000).bytes);
                 // Another signer first, so that the new signature differs from the old one.
                 ASSERT_EQ(sign(handler(kVexaSignDRXClass).get(), path, TestPki::get().ecSigner),
                           S_OK);
               },
               [](const std::vector<uint8_t>& old, const std::string& path) {
                 const auto now = readFile(path);
                 return verifies(kVexaSignDRXClass, path) &&
                        std::equal(old.begin(), old.begin() + 20000, now.begin());
               }});
}

TEST_F(SigningCrash, AnAppendedSignatureIsAllThereOrNotAtAll) {
  runEveryCut({"appended", "bundle.zip", kVexaSignAppendClass,
               [](const std::string& path) { writeFile(path, sampleBytes(50000, 4)); },
               [](const std::vector<uint8_t>& old, const std::string& path) {
                 const auto now = readFile(path);
                 return now.size() > old.size() && verifies(kVexaSignAppendClass, path) &&
                        std::equal(old.begin(), old.end(), now.begin());
               }});
}

TEST_F(SigningCrash, AContainerDrawingIsTheOldOrTheSignedOne) {
  runEveryCut({"container", "site.drs", kVexaSignDRXClass,
               [](const std::string& path) {
                 std::vector<ContainerStream> streams = dozenStreams();
                 streams.resize(5);
                 ASSERT_EQ(writeContainerDrawing(path, streams, 128), 0u);
               },
               [](const std::vector<uint8_t>& old, const std::string& path) {
                 const std::string before = path + ".old";
                 writeFile(before, old);
                 auto oldStreams = readContainerStreams(before);
                 fs::remove(before);
                 auto newStreams = readContainerStreams(path);
                 std::erase_if(newStreams, [](const auto& s) {
                   return s.first == signature_stream::kName;
                 });
                 return verifies(kVexaSignDRXClass, path) && !oldStreams.empty() &&
                        newStreams == oldStreams;
               }});
}

}  // namespace
}  // namespace vexamor::signcore::testing
