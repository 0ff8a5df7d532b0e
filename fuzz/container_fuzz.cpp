// Opens a container from the fuzzer's bytes, lists it and reads every stream
// piece by piece and sequentially; then changes it (removes, creates,
// overwrites, commits) and checks that what was committed opens again.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "container.h"
#include "recognition.h"

using namespace vexamor::container;

namespace {

// Work the write phase may cause is bounded by the streams' total size.
constexpr uint64_t kMaxStreamBytesToRewrite = uint64_t{64} << 20;

void require(bool condition) {
  if (!condition) std::abort();
}

// Reads everything; returns the total stream size, or nothing when the
// container does not open.
bool readEverything(const std::string& path, uint64_t offset, uint64_t* total) {
  auto container = Container::create();
  require(container->setHeaderOffset(offset) == kErrorSuccess);
  if (container->open(path, kAccessRead, 0, Disposition::kOpenExisting, 0) != kErrorSuccess)
    return false;
  Expected<ContainerInfo> info = container->info();
  require(info.ok());
  *total = 0;
  std::vector<uint8_t> buffer(4096);
  for (uint32_t i = 0; i < info->streamCount; ++i) {
    Expected<StreamInfo> stream = container->streamInfo(i);
    require(stream.ok());
    *total += stream->size;
    Expected<Stream> s = container->openStream(stream->name, stream->identifier, kAccessRead,
                                               Disposition::kOpenExisting);
    if (!s.ok()) continue;
    uint64_t seen = 0;
    for (;;) {
      Expected<std::span<const uint8_t>> piece = s->nextPiece();
      if (!piece.ok() || piece->empty()) break;
      seen += piece->size();
      require(seen <= stream->size);
    }
    s->setPosition(stream->size / 3);
    (void)s->read(buffer);
  }
  return true;
}

void changeAndReopen(const std::string& path, uint64_t offset, const uint8_t* data, size_t size) {
  const std::vector<uint8_t> payload(data, data + std::min<size_t>(size, 3000));
  bool wrote = false;
  {
    auto container = Container::create();
    require(container->setHeaderOffset(offset) == kErrorSuccess);
    if (container->open(path, kAccessRead | kAccessWrite, 0, Disposition::kOpenExisting, 0) !=
        kErrorSuccess)
      return;
    const uint32_t count = container->info()->streamCount;
    if (count > 0) {
      Expected<StreamInfo> first = container->streamInfo(0);
      (void)container->removeStream(first->name, first->identifier);
    }
    if (count > 1) {
      Expected<StreamInfo> last = container->streamInfo(count - 1);
      Expected<Stream> s = container->openStream(
          last->name, last->identifier, kAccessRead | kAccessWrite, Disposition::kOpenExisting);
      if (s.ok()) {
        s->setPosition(last->size / 2);
        (void)s->write(std::span(payload).first(std::min<size_t>(payload.size(), 200)));
      }
    }
    StreamOptions options;
    options.compression = size > 0 ? data[0] % 4 : 2;
    options.pageSize = 256;
    {
      Expected<Stream> fresh = container->openStream("Fuzz", 0, kAccessRead | kAccessWrite,
                                                     Disposition::kCreateAlways, options);
      wrote =
          fresh.ok() && fresh->write(payload) == kErrorSuccess && fresh->close() == kErrorSuccess;
    }
    if (container->close() != kErrorSuccess) return;
  }
  // What the engine committed must open and read back.
  auto container = Container::create();
  require(container->setHeaderOffset(offset) == kErrorSuccess);
  require(container->open(path, kAccessRead, 0, Disposition::kOpenExisting, 0) == kErrorSuccess);
  if (!wrote) return;
  Expected<Stream> fresh =
      container->openStream("Fuzz", 0, kAccessRead, Disposition::kOpenExisting);
  require(fresh.ok());
  std::vector<uint8_t> back(payload.size() + 1);
  Expected<size_t> got = fresh->read(back);
  require(got.ok() && *got == payload.size());
  back.resize(payload.size());
  require(back == payload);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("container-fuzz", MFD_CLOEXEC);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  require(fd >= 0);
  require(ftruncate(fd, 0) == 0);
  require(size == 0 || pwrite(fd, data, size, 0) == static_cast<ssize_t>(size));

  const uint64_t offset = findContainerHeader(std::span(data, size)).value_or(0);
  uint64_t total = 0;
  if (readEverything(path, offset, &total) && total <= kMaxStreamBytesToRewrite) {
    changeAndReopen(path, offset, data, size);
  }
  return 0;
}
