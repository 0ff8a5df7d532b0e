// Writes the starting corpora of the signature-layout fuzzers into three folders: classic
// drawings with and without a block, signature streams, files with a marker in their tail.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "signcore/handlers/appended_layout.h"
#include "signcore/handlers/classic_layout.h"
#include "signcore/handlers/signature_stream.h"
#include "signcore/handlers/testing/drawing_files.h"

using namespace vexamor::signcore;
namespace fs = std::filesystem;

namespace {

void put(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  testing::writeFile(path.string(), bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: handler_fuzz_seeds FOLDER\n");
    return 2;
  }
  const fs::path root = argv[1];
  const std::vector<uint8_t> blob = testing::sampleBytes(300, 9);

  for (int sections : {1, 3, 13}) {
    auto drawing = testing::makeClassicDrawing(1500, sections, sections);
    put(root / "classic_block" / ("unsigned" + std::to_string(sections)), drawing.bytes);
    storeLe32(&drawing.bytes[classic::kPointerOffset], 1500);
    const auto block = classic::encodeBlock(1500, blob);
    drawing.bytes.insert(drawing.bytes.end(), block.begin(), block.end());
    put(root / "classic_block" / ("signed" + std::to_string(sections)), drawing.bytes);
  }

  put(root / "signature_stream" / "one", signature_stream::encode({{7}, blob}));
  put(root / "signature_stream" / "dozen",
      signature_stream::encode({{1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12, 13}, blob}));

  for (size_t before : {0u, 100u, 2040u, 5000u, 40000u}) {
    std::vector<uint8_t> file = testing::sampleBytes(before, 4);
    const auto trailer = appended::encodeTrailer(blob);
    file.insert(file.end(), trailer.begin(), trailer.end());
    put(root / "marker_search" / ("tail" + std::to_string(before)), file);
  }
  return 0;
}
