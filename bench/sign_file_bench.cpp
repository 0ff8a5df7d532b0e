// Signing and verifying whole files through the handlers, as a client calls them: a classic
// drawing, a file with an appended signature and a container drawing, each holding 1 GiB of
// signed data (VEXAMOR_BENCH_MIB changes the size). Signing includes writing the new file,
// its flush, the rename and the folder's flush.
//
// Two limits are measured in the same run just before each benchmark: the EVP digest over the
// same number of bytes in memory (hashing alone), and copying the same file with the same
// flushes and no hashing (copying alone, signing only). Counters, each a limit's time over the
// handler's (1.0: the handler costs nothing beyond that limit):
//   vs_evp, vs_copy          by the clock
//   vs_evp_cpu, vs_copy_cpu  by the processor time of the whole process, which other programs
//                            on a busy machine disturb less
//   vs_evp_main              by the processor time of the calling thread, which hashes while
//                            other threads read and copy: the pace on cores of their own
//   vs_limit                 the slower of hashing and copying (hashing alone for verifying)
// `peak_growth_MiB` is how far the process's resident set rose above where it stood when the
// benchmark began.
//
// Files live in VEXAMOR_BENCH_DIR, else in the system's temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/fileio/replace_file.h"
#include "platform/registry/testing/temp_registry.h"
#include "signcore/crypto/openssl_ptr.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/handlers/testing/drawing_files.h"
#include "signcore/idl/dxsigncore16.h"

namespace {

using namespace vexamor;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;
namespace samples = signcore::testing;

uint64_t dataBytes() {
  const char* mib = std::getenv("VEXAMOR_BENCH_MIB");
  return uint64_t{mib != nullptr ? std::strtoull(mib, nullptr, 10) : 1024} << 20;
}

// The process's resident set and its peak since the last reset, in bytes.
uint64_t statusField(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(name, 0) == 0) return std::strtoull(line.c_str() + std::strlen(name), nullptr, 10) << 10;
  }
  return 0;
}
void resetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Everything the benchmarks share, made once: registry, certificates and files.
struct World {
  registry::TempRegistry registry;
  samples::TempCertificateFolder certificates;
  fs::path dir;
  std::string classic, appended, container;

  World() {
    registry.importBuildTree();
    certificates.installStandardSet();
    const char* base = std::getenv("VEXAMOR_BENCH_DIR");
    dir = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
          ("sign_file_bench." + std::to_string(::getpid()));
    fs::create_directories(dir);
    const uint64_t size = dataBytes();
    classic = (dir / "large.drx").string();
    appended = (dir / "large.zip").string();
    container = (dir / "large.drs").string();
    samples::writeClassicDrawing(classic, size, 8);
    fs::copy_file(classic, appended);
    samples::writeLargeContainerDrawing(container, 16, size / 16, {0, 2});
    ::sync();  // the benchmarks do not pay for writing out what the setup wrote
  }
  ~World() { fs::remove_all(dir); }
};

struct Seconds {
  double wall = 0;
  double cpu = 0;     // the whole process
  double thread = 0;  // the calling thread
};

double cpuNow(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times `work`, by the clock and by the processor time of the process and of this thread.
template <class Work>
Seconds timed(Work&& work) {
  const auto wall = Clock::now();
  const double cpu = cpuNow();
  const double thread = cpuNow(CLOCK_THREAD_CPUTIME_ID);
  work();
  return {std::chrono::duration<double>(Clock::now() - wall).count(), cpuNow() - cpu,
          cpuNow(CLOCK_THREAD_CPUTIME_ID) - thread};
}

// SHA-256 (the signer certificate's digest) over `size` bytes in memory.
Seconds evpDigest(uint64_t size) {
  static const std::vector<uint8_t> chunk = samples::sampleBytes(size_t{4} << 20, 5);
  return timed([&] {
    ossl::MdCtx ctx(EVP_MD_CTX_new());
    EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr);
    for (uint64_t done = 0; done < size; done += chunk.size()) {
      EVP_DigestUpdate(ctx.get(), chunk.data(), std::min<uint64_t>(chunk.size(), size - done));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx.get(), digest, &length);
  });
}

// Copies `path` as signing replaces it, without hashing: a new file beside it filled inside
// the kernel, flushed, renamed (over a copy of its own, the original stays) and the folder
// flushed.
Seconds copyFile(const std::string& path) {
  const std::string copy = path + ".copy";
  return timed([&] {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string temp = path + ".XXXXXX";
    const int out = ::mkstemp(temp.data());
    const off_t size = ::lseek(in, 0, SEEK_END);
    if (in < 0 || out < 0 ||
        fileio::copyRange(in, 0, static_cast<uint64_t>(size), out) != ERROR_SUCCESS ||
        ::fsync(out) != 0 || ::rename(temp.c_str(), copy.c_str()) != 0) {
      std::perror("copying for the copy-only rate");
    }
    ::close(out);
    ::close(in);
    const int folder =
        ::open(fs::path(path).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(folder);
    ::close(folder);
  });
}

World& world() {
  static World w;  // its files go when the program exits
  return w;
}

com::ComPtr<IVexaSignFile> handlerFor(const CLSID& clsid) {
  com::ComPtr<IVexaSignFile> h;
  com::createInstance<IVexaSignFile>(clsid, &h);
  return h;
}

enum class Kind { kClassic, kAppended, kContainer };

const std::string& pathOf(Kind kind) {
  World& w = world();
  return kind == Kind::kClassic ? w.classic : kind == Kind::kAppended ? w.appended : w.container;
}

// The limits a benchmark is read against, measured just before it.
struct Limits {
  Seconds evp;
  std::optional<Seconds> copy;  // signing only
};

void finish(benchmark::State& state, const Seconds& spent, const Limits& limits,
            uint64_t startRss) {
  const auto n = static_cast<double>(state.iterations());
  state.SetBytesProcessed(static_cast<int64_t>(dataBytes()) * state.iterations());
  state.counters["vs_evp"] = limits.evp.wall * n / spent.wall;
  state.counters["vs_evp_cpu"] = limits.evp.cpu * n / spent.cpu;
  state.counters["vs_evp_main"] = limits.evp.thread * n / spent.thread;
  state.counters["evp_MiB_per_s"] = static_cast<double>(dataBytes() >> 20) / limits.evp.wall;
  double slower = limits.evp.wall;
  if (limits.copy) {
    state.counters["vs_copy"] = limits.copy->wall * n / spent.wall;
    state.counters["vs_copy_cpu"] = limits.copy->cpu * n / spent.cpu;
    state.counters["copy_MiB_per_s"] = static_cast<double>(dataBytes() >> 20) / limits.copy->wall;
    slower = std::max(slower, limits.copy->wall);
  }
  state.counters["vs_limit"] = slower * n / spent.wall;
  const uint64_t peak = statusField("VmHWM:");
  state.counters["peak_growth_MiB"] =
      static_cast<double>(peak - std::min(startRss, peak)) / (1 << 20);
}

void BM_Sign(benchmark::State& state, Kind kind) {
  World& w = world();
  const auto& signer = samples::TestPki::get().rsaSigner;
  auto h = handlerFor(kind == Kind::kAppended ? CLSID_VexaSignAppend : CLSID_VexaSignDRX);
  const com::Bstr path(pathOf(kind)), subject(signer.subjectUtf8()), issuer(signer.issuerUtf8()),
      serial(signer.serialUtf8());
  const Limits limits{evpDigest(dataBytes()), copyFile(pathOf(kind))};
  resetPeak();
  const uint64_t startRss = statusField("VmRSS:");
  Seconds spent;
  for (auto _ : state) {
    HRESULT hr = S_OK;
    const Seconds one = timed([&] {
      hr = h->AddSign(path.get(), subject.get(), issuer.get(), serial.get(), nullptr, nullptr,
                      nullptr, nullptr);
    });
    spent.wall += one.wall;
    spent.cpu += one.cpu;
    spent.thread += one.thread;
    if (FAILED(hr)) state.SkipWithError("AddSign failed");
  }
  fs::remove(pathOf(kind) + ".copy");
  (void)w;
  finish(state, spent, limits, startRss);
}

void BM_Verify(benchmark::State& state, Kind kind) {
  auto h = handlerFor(kind == Kind::kAppended ? CLSID_VexaSignAppend : CLSID_VexaSignDRX);
  const com::Bstr path(pathOf(kind));
  const Limits limits{evpDigest(dataBytes()), std::nullopt};
  resetPeak();
  const uint64_t startRss = statusField("VmRSS:");
  Seconds spent;
  for (auto _ : state) {
    LONG valid = 0;
    HRESULT hr = S_OK;
    const Seconds one = timed([&] { hr = h->VerifySign(path.get(), nullptr, &valid); });
    spent.wall += one.wall;
    spent.cpu += one.cpu;
    spent.thread += one.thread;
    if (hr != S_OK || valid != 1) state.SkipWithError("VerifySign failed");
  }
  finish(state, spent, limits, startRss);
}

BENCHMARK_CAPTURE(BM_Sign, classic, Kind::kClassic)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Verify, classic, Kind::kClassic)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sign, appended, Kind::kAppended)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Verify, appended, Kind::kAppended)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sign, container, Kind::kContainer)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Verify, container, Kind::kContainer)->Iterations(2)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("VEXAMOR_BIN_DIR", VEXAMOR_TEST_BIN_DIR, 0);  // where the module's registration is
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  benchmark::Initialize(&argc, argv);
  world();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  CoUninitialize();
  return 0;
}
