// Throughput of the container engine writing and reading a 64 MiB stream in
// 4 KiB pieces, next to calling LZO and zlib directly on the same blocks in
// the same iteration. The counter `vs_raw` is raw time / engine time: 1.0
// means the engine costs nothing beyond compression; `vs_raw_cpu` compares
// the processor time of the thread instead (everything runs on it), which
// other programs on a busy machine disturb far less than the clock.
//
// The container file lives in /dev/shm where there is one, so that the
// commit's flush measures the engine rather than the disk.
#include <benchmark/benchmark.h>
#include <lzo/lzo1y.h>
#include <time.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "container.h"
#include "format.h"

using namespace vexamor::container;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kStreamSize = size_t{64} << 20;
constexpr size_t kPiece = 4096;
constexpr size_t kBlock = kDefaultPageSize;
constexpr uint32_t kReadWrite = kAccessRead | kAccessWrite;

// Drawing-like data: words from a small vocabulary and random numbers.
const std::vector<uint8_t>& streamData() {
  static const std::vector<uint8_t> data = [] {
    static const char* const kWords[] = {"LINE ", "ARC ", "LAYER0 ", "CIRCLE ", "TEXT ", "BLOCK "};
    std::mt19937 random(42);
    std::vector<uint8_t> bytes;
    bytes.reserve(kStreamSize + 16);
    while (bytes.size() < kStreamSize) {
      const std::string word = kWords[random() % 6];
      bytes.insert(bytes.end(), word.begin(), word.end());
      for (int i = 0; i < 3; ++i) bytes.push_back(static_cast<uint8_t>(random()));
    }
    bytes.resize(kStreamSize);
    return bytes;
  }();
  return data;
}

std::string containerPath() {
  const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
  return (folder / ("container-bench-" + std::to_string(getpid()) + ".drx")).string();
}

double seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

double threadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A point in time by the clock and by the thread's processor time.
struct Instant {
  Clock::time_point wall = Clock::now();
  double cpu = threadSeconds();
};

// Direct library calls on the same blocks, as the engine makes them.
class RawCodec {
 public:
  explicit RawCodec(uint32_t type) : type_(type), work_(LZO1Y_MEM_COMPRESS) {
    lzo_init();
    deflateInit2(&deflate_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY);
    inflateInit2(&inflate_, 15);
  }
  ~RawCodec() {
    deflateEnd(&deflate_);
    inflateEnd(&inflate_);
  }

  size_t compress(const uint8_t* block, std::vector<uint8_t>& out) {
    out.resize(maxStoredSize(kBlock));
    if (type_ == kCompressionLzo) {
      lzo_uint length = out.size();
      lzo1y_1_compress(block, kBlock, out.data(), &length, work_.data());
      out.resize(length);
    } else {
      deflateReset(&deflate_);
      deflate_.next_in = const_cast<uint8_t*>(block);
      deflate_.avail_in = kBlock;
      deflate_.next_out = out.data();
      deflate_.avail_out = static_cast<uInt>(out.size());
      deflate(&deflate_, Z_FINISH);
      out.resize(out.size() - deflate_.avail_out);
    }
    return out.size();
  }

  void decompress(const std::vector<uint8_t>& in, uint8_t* block) {
    if (type_ == kCompressionLzo) {
      lzo_uint length = kBlock;
      lzo1y_decompress_safe(in.data(), in.size(), block, &length, nullptr);
    } else {
      inflateReset(&inflate_);
      inflate_.next_in = const_cast<uint8_t*>(in.data());
      inflate_.avail_in = static_cast<uInt>(in.size());
      inflate_.next_out = block;
      inflate_.avail_out = kBlock;
      inflate(&inflate_, Z_FINISH);
    }
  }

 private:
  uint32_t type_;
  std::vector<uint8_t> work_;
  z_stream deflate_{};
  z_stream inflate_{};
};

// REQUIRES: nothing at `path` (removing a file is not the engine's work).
bool writeStream(const std::string& path, uint32_t type) {
  auto container = Container::create();
  if (container->open(path, kReadWrite, 0, Disposition::kCreateNew, 0) != kErrorSuccess)
    return false;
  StreamOptions options;
  options.compression = type;
  Expected<Stream> stream =
      container->openStream("Model", 0, kReadWrite, Disposition::kCreateNew, options);
  if (!stream.ok()) return false;
  const auto& data = streamData();
  for (size_t at = 0; at < data.size(); at += kPiece) {
    if (stream->write(std::span(data.data() + at, kPiece)) != kErrorSuccess) return false;
  }
  return stream->close() == kErrorSuccess && container->close() == kErrorSuccess;
}

// Engine and raw time of every iteration; the engine's is the iteration time.
struct Timings {
  double engine = 0, raw = 0;
  double engineCpu = 0, rawCpu = 0;

  void add(benchmark::State& state, const Instant& start, const Instant& engineDone,
           const Instant& rawDone) {
    state.SetIterationTime(seconds(engineDone.wall - start.wall));
    engine += seconds(engineDone.wall - start.wall);
    raw += seconds(rawDone.wall - engineDone.wall);
    engineCpu += engineDone.cpu - start.cpu;
    rawCpu += rawDone.cpu - engineDone.cpu;
  }

  void report(benchmark::State& state) const {
    const double bytes = static_cast<double>(state.iterations() * kStreamSize);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["vs_raw"] = raw / engine;
    state.counters["vs_raw_cpu"] = rawCpu / engineCpu;
    state.counters["raw_MiB/s"] = bytes / raw / (1 << 20);
  }
};

void BM_ContainerWrite(benchmark::State& state) {
  const auto type = static_cast<uint32_t>(state.range(0));
  const std::string path = containerPath();
  const auto& data = streamData();
  RawCodec raw(type);
  std::vector<uint8_t> out;
  Timings timings;
  for (auto _ : state) {
    std::filesystem::remove(path);
    const Instant t0;
    if (!writeStream(path, type)) state.SkipWithError("container write failed");
    const Instant t1;
    size_t stored = 0;
    for (size_t at = 0; at < data.size(); at += kBlock)
      stored += raw.compress(data.data() + at, out);
    benchmark::DoNotOptimize(stored);
    timings.add(state, t0, t1, Instant());
  }
  timings.report(state);
  std::filesystem::remove(path);
}

void BM_ContainerRead(benchmark::State& state) {
  const auto type = static_cast<uint32_t>(state.range(0));
  const std::string path = containerPath();
  std::filesystem::remove(path);
  if (!writeStream(path, type)) state.SkipWithError("container write failed");
  const auto& data = streamData();
  RawCodec raw(type);
  std::vector<std::vector<uint8_t>> blocks(data.size() / kBlock);
  for (size_t i = 0; i < blocks.size(); ++i) raw.compress(data.data() + i * kBlock, blocks[i]);
  std::vector<uint8_t> piece(kPiece), block(kBlock);
  Timings timings;
  for (auto _ : state) {
    const Instant t0;
    auto container = Container::create();
    if (container->open(path, kAccessRead, 0, Disposition::kOpenExisting, 0) != kErrorSuccess) {
      state.SkipWithError("open failed");
      break;
    }
    Expected<Stream> stream =
        container->openStream("Model", 0, kAccessRead, Disposition::kOpenExisting);
    size_t total = 0;
    while (stream.ok()) {
      Expected<size_t> got = stream->read(piece);
      if (!got.ok() || *got == 0) break;
      total += *got;
    }
    if (total != data.size()) state.SkipWithError("short read");
    const Instant t1;
    for (const auto& stored : blocks) raw.decompress(stored, block.data());
    benchmark::DoNotOptimize(block.data());
    timings.add(state, t0, t1, Instant());
  }
  timings.report(state);
  std::filesystem::remove(path);
}

}  // namespace

BENCHMARK(BM_ContainerWrite)
    ->Arg(kCompressionLzo)
    ->Arg(kCompressionZlib)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ContainerRead)
    ->Arg(kCompressionLzo)
    ->Arg(kCompressionZlib)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
