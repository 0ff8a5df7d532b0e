// Writes a few small containers into a folder, as a starting corpus for the
// container fuzzers: every compression type, several header offsets, unnamed
// streams, and free pages left by a removed stream.
#include <cstdio>
#include <string>
#include <vector>

#include "container.h"

using namespace vexamor::container;

namespace {

std::vector<uint8_t> bytes(size_t size, uint8_t seed) {
  std::vector<uint8_t> out(size);
  for (size_t i = 0; i < size; ++i)
    out[i] = static_cast<uint8_t>((i % 7 == 0) ? seed + i / 7 : 'A' + i % 5);
  return out;
}

struct Seed {
  std::string file;
  uint64_t offset;
  std::vector<uint32_t> compressions;
  bool removeFirst;
};

Win32Code writeSeed(const std::string& path, const Seed& seed) {
  std::remove(path.c_str());
  auto container = Container::create();
  if (Win32Code rc = container->setHeaderOffset(seed.offset); rc != kErrorSuccess) return rc;
  if (Win32Code rc =
          container->open(path, kAccessRead | kAccessWrite, 0, Disposition::kCreateNew, 0);
      rc)
    return rc;
  for (size_t i = 0; i < seed.compressions.size(); ++i) {
    StreamOptions options;
    options.compression = seed.compressions[i];
    options.pageSize = 128 * (1 + i % 3);
    const std::string name = i % 2 ? "" : "Stream" + std::to_string(i);
    Expected<Stream> s =
        container->openStream(name, 40 + static_cast<uint32_t>(i), kAccessRead | kAccessWrite,
                              Disposition::kCreateNew, options);
    if (!s.ok()) return s.error();
    if (Win32Code rc = s->write(bytes(100 + 300 * i, static_cast<uint8_t>(i))); rc) return rc;
  }
  if (seed.removeFirst) {
    if (Win32Code rc = container->commit(); rc) return rc;
    if (Win32Code rc = container->removeStream("Stream0", 0); rc) return rc;
  }
  return container->close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  const Seed seeds[] = {
      {"lzo", 0, {2, 2}, false},          {"zlib", 0, {3}, false},
      {"stored", 0, {0, 1}, false},       {"mixed-128", 128, {2, 3, 0}, false},
      {"free-pages", 0, {2, 3, 2}, true}, {"offset-896", 896, {3, 2}, false},
      {"only-free-pages", 0, {2}, true},
  };
  for (const Seed& seed : seeds) {
    const std::string path = std::string(argv[1]) + "/" + seed.file + ".drx";
    if (Win32Code rc = writeSeed(path, seed); rc != kErrorSuccess) {
      std::fprintf(stderr, "%s: error %u\n", path.c_str(), rc);
      return 1;
    }
  }
  return 0;
}
