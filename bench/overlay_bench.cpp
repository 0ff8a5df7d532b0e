// Per-file cost of VexaSignIconOverlay::IsMemberOf, as a file manager pays it, through the
// real core: unsigned, signed and tampered ".zip" files of 4 KiB and of 64 MiB.
//
// An unsigned file must cost little whatever its size: its counter `vs_peek` is its processor
// time over that of opening the file, reading its first and last 2 KiB and closing it (goal:
// 3 or less). Signed and tampered files are read whole to verify; their rate is bytes_per_second
// (and the time per file, in a long-lived process, is the figure to read for small ones).
//
// BM_EmblemsWalk runs `dxsign emblems` twice over a folder of 10,000 small files (a thousand
// signed ".zip" files, four thousand unsigned ones and five thousand ".txt" files), in a D-Bus
// session of its own with gvfs keeping the badges, as in a desktop session: `first_files_per_s`
// for the run that puts the badges on, `second_files_per_s` for the run that finds them all in
// place. Each repetition starts with a metadata store of its own.
//
// The registry and the certificate store are temporary ones: the build tree's registration,
// and the test certificates (made at start) to sign with. VEXAMOR_BENCH_DIR names the folder
// of the files (/dev/shm leaves the disk out of the figures).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <time.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/com/shell_icon_overlay.h"
#include "platform/com/utf.h"
#include "platform/registry/reg_import.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/idl/dxsigncore16.h"
#include "signicon/dxsign_icon.h"

namespace {

namespace fs = std::filesystem;
using vexamor::com::Bstr;
using vexamor::com::ComPtr;

constexpr size_t kSmall = size_t{4} << 10;
constexpr size_t kLarge = size_t{64} << 20;
constexpr size_t kPeek = 2048;

enum Kind { kUnsigned, kSigned, kTampered };

std::string binDir() {
  const char* dir = std::getenv("VEXAMOR_BIN_DIR");
  return dir != nullptr ? dir : VEXAMOR_BENCH_BIN_DIR;
}

bool importFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  return in && vexamor::registry::importRegText(bytes).error == 0;
}

void writeRandom(const std::string& path, size_t size) {
  std::mt19937_64 random(size);
  std::vector<uint64_t> block(1 << 13);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (size_t written = 0; written < size;) {
    for (auto& v : block) v = random();
    const size_t n = std::min(size - written, block.size() * sizeof(uint64_t));
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(n));
    written += n;
  }
}

// Signs through the handler that the file-type registry names for ".zip", with the test
// signer; "" on success, else what failed.
std::string sign(const std::string& path) {
  const auto& signer = vexamor::signcore::testing::TestPki::get().rsaSigner;
  ComPtr<IVexaFindSignFile> finder;
  CLSID handlerClass = CLSID_NULL;
  ComPtr<IVexaSignFile> handler;
  if (FAILED(vexamor::com::createInstance<IVexaFindSignFile>(CLSID_VexaFindSignFile, &finder)) ||
      FAILED(finder->Lookup(Bstr(std::string_view(".zip")).get(), &handlerClass)) ||
      FAILED(vexamor::com::createInstance<IVexaSignFile>(handlerClass, &handler))) {
    return "no signature handler for .zip";
  }
  const HRESULT hr =
      handler->AddSign(Bstr(std::string_view(path)).get(), Bstr(signer.subject()).get(),
                       Bstr(signer.issuer()).get(), Bstr(signer.serial()).get(), nullptr,
                       nullptr, nullptr, nullptr);
  return SUCCEEDED(hr) ? "" : "AddSign failed";
}

// The files, the registry and the handler, made once for every benchmark of the run.
class Setting {
 public:
  static Setting& get() {
    static Setting setting;
    return setting;
  }
  IShellIconOverlayIdentifier* overlay() const { return overlay_.get(); }
  const std::string& folder() const { return folder_; }
  const std::string& error() const { return error_; }
  // "" when the file could not be made; *why says why. Files of one kind and size differ by
  // their `copy` number (their bytes, so their signatures too).
  std::string file(Kind kind, size_t size, std::string* why, int copy = 0) {
    const std::string name = std::to_string(size) +
                             (kind == kUnsigned ? "-unsigned"
                              : kind == kSigned ? "-signed"
                                                : "-tampered") +
                             "-" + std::to_string(copy) + ".zip";
    const std::string path = folder_ + "/" + name;
    if (fs::exists(path)) return path;
    writeRandom(path, size + static_cast<size_t>(copy));
    if (kind == kUnsigned) return path;
    if (*why = sign(path); !why->empty()) return "";
    if (kind == kTampered) {
      std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
      f.seekg(static_cast<std::streamoff>(size / 2));
      const char was = static_cast<char>(f.get());
      f.seekp(static_cast<std::streamoff>(size / 2));
      f.put(static_cast<char>(was ^ 0x5A));
    }
    return path;
  }

 private:
  Setting() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const char* base = std::getenv("VEXAMOR_BENCH_DIR");
    std::string pattern =
        ((base != nullptr && *base != 0 ? fs::path(base) : fs::temp_directory_path()) /
         "overlay-bench.XXXXXX")
            .string();
    folder_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "";
    ::setenv("VEXAMOR_REGISTRY", (folder_ + "/registry").c_str(), 1);
    if (folder_.empty() || !importFile(binDir() + "/DxSignCore16.reg") ||
        !importFile(binDir() + "/DxSignIcon.reg")) {
      error_ = "cannot set up a registry from " + binDir();
      return;
    }
    try {
      certificates_.installStandardSet();
    } catch (const std::exception& e) {
      error_ = std::string("cannot make the test certificates: ") + e.what();
      return;
    }
    if (FAILED(vexamor::com::createInstance<IShellIconOverlayIdentifier>(CLSID_VexaSignIconOverlay,
                                                                         &overlay_))) {
      error_ = "VexaSignIconOverlay cannot be created";
    }
  }
  ~Setting() {
    overlay_.reset();
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  std::string folder_;
  std::string error_;
  vexamor::signcore::testing::TempCertificateFolder certificates_;
  ComPtr<IShellIconOverlayIdentifier> overlay_;
};

// What the cheapest possible check of a file costs: open, first and last 2 KiB, close.
void peek(const std::string& path) {
  char buffer[kPeek];
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  benchmark::DoNotOptimize(::pread(fd, buffer, kPeek, 0));
  const off_t end = ::lseek(fd, 0, SEEK_END);
  benchmark::DoNotOptimize(::pread(fd, buffer, kPeek, end > off_t{kPeek} ? end - off_t{kPeek} : 0));
  ::close(fd);
}

// Processor time of this thread, system calls included: steadier than the wall clock on a
// machine that other work shares.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double secondsPerPeek(const std::string& path) {
  constexpr int kRounds = 20000;
  const double start = cpuSeconds();
  for (int i = 0; i < kRounds; ++i) peek(path);
  return (cpuSeconds() - start) / kRounds;
}

// Small signed and tampered files are asked about in turn from a set of different ones, as
// in a folder: nothing about one file's signature is there already when it is asked about
// again, only what its signer's chain shares with the others.
constexpr int kSmallCopies = 64;

void BM_IsMemberOf(benchmark::State& state, Kind kind) {
  Setting& setting = Setting::get();
  if (!setting.error().empty()) return state.SkipWithError(setting.error().c_str());
  const size_t size = static_cast<size_t>(state.range(0));
  const int copies = kind != kUnsigned && size == kSmall ? kSmallCopies : 1;
  std::string why;
  std::vector<std::u16string> paths;
  for (int copy = 0; copy < copies; ++copy) {
    const std::string path = setting.file(kind, size, &why, copy);
    if (path.empty()) return state.SkipWithError(why.c_str());
    paths.push_back(vexamor::text::utf8ToUtf16(fs::absolute(path).string()));
  }
  const HRESULT expected = kind == kSigned ? S_OK : S_FALSE;
  const double peekSeconds = kind == kUnsigned ? secondsPerPeek(setting.file(kind, size, &why)) : 0;
  const double start = cpuSeconds();
  size_t next = 0;
  for (auto _ : state) {
    if (setting.overlay()->IsMemberOf(paths[next].c_str(), 0) != expected) {
      return state.SkipWithError("IsMemberOf gave the wrong answer");
    }
    next = (next + 1) % paths.size();
  }
  const double perCall = (cpuSeconds() - start) / static_cast<double>(state.iterations());
  if (kind == kUnsigned) {
    state.counters["vs_peek"] = perCall / peekSeconds;
  } else {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
  }
}

// The folder of the walk, made once: 10,000 files of 4 KiB, a tenth of them signed.
std::string walkFolder(Setting& setting, std::string* why) {
  static std::string folder;
  static std::string error;
  if (!folder.empty() || !error.empty()) {
    *why = error;
    return folder;
  }
  const std::string made = setting.folder() + "/walk";
  fs::create_directories(made);
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/file%05d.%s", i, i % 10 < 5 ? "txt" : "zip");
    const std::string path = made + name;
    writeRandom(path, kSmall + static_cast<size_t>(i));
    if (i % 10 == 9) {
      if (error = sign(path); !error.empty()) {
        *why = error;
        return "";
      }
    }
  }
  folder = made;
  return folder;
}

std::string shellQuoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

void BM_EmblemsWalk(benchmark::State& state) {
  Setting& setting = Setting::get();
  if (!setting.error().empty()) return state.SkipWithError(setting.error().c_str());
  std::string why;
  const std::string folder = walkFolder(setting, &why);
  if (folder.empty()) return state.SkipWithError(why.c_str());
  const std::string dxsign = shellQuoted(binDir() + "/dxsign");
  // Both runs in one session, so that the second finds the badges of the first; each run
  // timed inside it, without the session's start.
  const std::string script = "t0=$(date +%s.%N); " + dxsign + " emblems " + shellQuoted(folder) +
                             " >/dev/null || exit 1; t1=$(date +%s.%N); " + dxsign + " emblems " +
                             shellQuoted(folder) +
                             " >/dev/null || exit 1; t2=$(date +%s.%N); echo $t0 $t1 $t2";
  double first = 0, second = 0;
  int round = 0;
  for (auto _ : state) {
    const std::string store = setting.folder() + "/metadata" + std::to_string(round++);
    fs::create_directories(store);
    const std::string command = "XDG_DATA_HOME=" + shellQuoted(store) +
                                " dbus-run-session -- bash -c " + shellQuoted(script) +
                                " 2>/dev/null </dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    double t0 = 0, t1 = 0, t2 = 0;
    const bool read = pipe != nullptr && std::fscanf(pipe, "%lf %lf %lf", &t0, &t1, &t2) == 3;
    const int status = pipe != nullptr ? ::pclose(pipe) : -1;
    if (!read || status != 0) return state.SkipWithError("dxsign emblems failed");
    state.SetIterationTime(t2 - t0);
    first += t1 - t0;
    second += t2 - t1;
    std::error_code ignored;
    fs::remove_all(store, ignored);
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["first_files_per_s"] = 10000 * runs / first;
  state.counters["second_files_per_s"] = 10000 * runs / second;
}

BENCHMARK_CAPTURE(BM_IsMemberOf, unsigned, kUnsigned)->Arg(kSmall)->Arg(kLarge);
BENCHMARK_CAPTURE(BM_IsMemberOf, signed, kSigned)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_IsMemberOf, tampered, kTampered)->Arg(kSmall)->Arg(kLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EmblemsWalk)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
