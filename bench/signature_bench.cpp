// Signing and verifying a large file through VexaSignature, next to hashing the same bytes
// with EVP in the same run. The enumerator delivers 1 GiB (VEXAMOR_BENCH_BYTES to change it)
// in 4096-byte blocks, each newly allocated as a file enumerator's would be.
//
// Counters: `vs_evp` is the EVP hashing time / the call's time (1.0: signing costs nothing
// beyond the digest); `peak_growth_MiB` is how far the process's peak resident memory rose
// during the call (the data itself is never held, so it stays small whatever the size).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/com/com.h"
#include "platform/com/com_ptr.h"
#include "platform/registry/reg_import.h"
#include "signcore/crypto/testing/test_pki.h"
#include "signcore/idl/dxsigncore16.h"

using namespace vexamor;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kBlock = 4096;

size_t totalBytes() {
  const char* text = std::getenv("VEXAMOR_BENCH_BYTES");
  return text != nullptr ? std::strtoull(text, nullptr, 10) : size_t{1} << 30;
}

// One block of varied bytes; each delivered block is this one with its counter stamped in.
const unsigned char* pattern() {
  static unsigned char bytes[kBlock];
  for (size_t i = 0; i < kBlock; ++i) bytes[i] = static_cast<unsigned char>(i * 31 + i / 97);
  return bytes;
}

class PatternData final : public IVexaGetData {
 public:
  explicit PatternData(size_t total) : left_(total) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (riid != IID_IUnknown && riid != IID_IVexaGetData) return E_NOINTERFACE;
    *ppv = this;
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }

  HRESULT GetNextDataBlock(LONG* pElems, BYTE** rgbData, LONG* bMore) override {
    const size_t n = left_ < kBlock ? left_ : kBlock;
    *rgbData = static_cast<BYTE*>(CoTaskMemAlloc(n));
    if (*rgbData == nullptr) return E_OUTOFMEMORY;
    fill(*rgbData, n);
    left_ -= n;
    *pElems = static_cast<LONG>(n);
    *bMore = left_ > 0 ? 1 : 0;
    return S_OK;
  }

  // The bytes of the next block, for hashing them outside VexaSignature.
  void fill(BYTE* out, size_t n) {
    std::memcpy(out, pattern_, n);
    std::memcpy(out, &counter_, n < sizeof counter_ ? n : sizeof counter_);
    ++counter_;
  }

 private:
  const unsigned char* pattern_ = pattern();
  size_t left_;
  uint64_t counter_ = 0;
};

// Peak resident memory in KiB, after resetting the peak to the current size.
long peakKib(bool reset) {
  if (reset) std::ofstream("/proc/self/clear_refs") << "5";
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return 0;
}

struct Environment {
  Environment() {
    if (mkdtemp(registry.data()) == nullptr) std::abort();
    setenv("VEXAMOR_REGISTRY", registry.c_str(), 1);
    std::ifstream reg(std::string(VEXAMOR_BENCH_BIN_DIR) + "/DxSignCore16.reg", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(reg), std::istreambuf_iterator<char>()};
    if (registry::importRegText(text).error != 0) std::abort();
    certificates.add(signcore::StoreName::Root, pki.root, false);
    certificates.add(signcore::StoreName::CA, pki.intermediate, false);
    certificates.add(signcore::StoreName::My, pki.rsaSigner, true);
    CoInitializeEx(nullptr, 0);
    if (FAILED(CoCreateInstance(CLSID_VexaSignature, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IVexaSignature, signature.outVoid()))) {
      std::abort();
    }
  }

  ~Environment() {
    signature.reset();
    std::error_code ignored;
    std::filesystem::remove_all(registry, ignored);
  }

  std::string registry = "/tmp/vexamor-signature-bench-XXXXXX";
  const signcore::testing::TestPki& pki = signcore::testing::TestPki::get();
  signcore::testing::TempCertificateFolder certificates;
  com::ComPtr<IVexaSignature> signature;
  std::string blob;       // the last signature made, for verifying
  double evpSeconds = 0;  // the baseline of this run
};

Environment& environment() {
  static Environment env;
  return env;
}

// Hashes the blocks as the signer's digest (SHA-256) would see them.
void BM_EvpSha256(benchmark::State& state) {
  const size_t total = totalBytes();
  environment();  // certificates and registry made before anything is timed
  for (auto _ : state) {
    PatternData source(total);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    BYTE block[kBlock];
    const auto start = Clock::now();
    for (size_t left = total; left > 0;) {
      const size_t n = left < kBlock ? left : kBlock;
      source.fill(block, n);
      EVP_DigestUpdate(ctx, block, n);
      left -= n;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    EVP_DigestFinal_ex(ctx, digest, nullptr);
    environment().evpSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(environment().evpSeconds);
    EVP_MD_CTX_free(ctx);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}

void report(benchmark::State& state, double seconds, long peakBefore, long peakAfter) {
  state.SetIterationTime(seconds);
  state.counters["vs_evp"] = environment().evpSeconds > 0 ? environment().evpSeconds / seconds : 0;
  state.counters["peak_growth_MiB"] = static_cast<double>(peakAfter - peakBefore) / 1024.0;
}

void BM_ComputeSignature(benchmark::State& state) {
  Environment& env = environment();
  const auto& signer = env.pki.rsaSigner;
  com::Bstr subject(signer.subject()), issuer(signer.issuer()), serial(signer.serial());
  for (auto _ : state) {
    SIGNPARAMS params{};
    params.cbSize = kSignParamsSize;
    params.bstrCertSubject = subject.get();
    params.bstrCertIssuer = issuer.get();
    params.bstrCertSerialNumber = serial.get();
    PatternData source(totalBytes());
    LONG size = 0;
    BYTE* bytes = nullptr;
    const long before = peakKib(true);
    const auto start = Clock::now();
    const HRESULT hr = env.signature->ComputeSignature(&params, &source, &size, &bytes);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long after = peakKib(false);
    if (FAILED(hr)) {
      state.SkipWithError("ComputeSignature failed");
      return;
    }
    env.blob.assign(reinterpret_cast<char*>(bytes), static_cast<size_t>(size));
    CoTaskMemFree(bytes);
    report(state, seconds, before, after);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * totalBytes()));
}

void BM_VerifySignature(benchmark::State& state) {
  Environment& env = environment();
  for (auto _ : state) {
    PatternData source(totalBytes());
    LONG result = 0;
    const long before = peakKib(true);
    const auto start = Clock::now();
    const HRESULT hr =
        env.signature->VerifySignature(&source, static_cast<LONG>(env.blob.size()),
                                       reinterpret_cast<BYTE*>(env.blob.data()), &result);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long after = peakKib(false);
    if (hr != S_OK || result != 1) {
      state.SkipWithError("VerifySignature failed");
      return;
    }
    report(state, seconds, before, after);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * totalBytes()));
}

}  // namespace

BENCHMARK(BM_EvpSha256)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ComputeSignature)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_VerifySignature)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();

BENCHMARK_MAIN();
