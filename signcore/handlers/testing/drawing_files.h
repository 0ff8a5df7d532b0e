// Test files made from the layouts alone: classic "DX1015" drawings with a few section
// locators, container drawings with streams of every compression type, and plain files.
// A test helper, not a product feature; nothing here comes from outside the project.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexamor::signcore::testing {

// Deterministic bytes that compress somewhat, like drawing data.
std::vector<uint8_t> sampleBytes(size_t size, uint32_t seed);

struct ClassicSection {
  uint8_t number = 0;
  uint64_t offset = 0;
  uint64_t size = 0;
};

struct ClassicDrawing {
  std::vector<uint8_t> bytes;
  std::vector<ClassicSection> sections;
};

// A classic drawing of `sectionCount` sections (at most 13, so that the locators stay clear
// of the signature pointer) whose data ends at `size` bytes, unsigned (pointer 0). The
// sections lie back to back behind the header; their contents come from `seed`.
ClassicDrawing makeClassicDrawing(uint64_t size, int sectionCount = 3, uint32_t seed = 1);

// The same written straight to `path`, for sizes that should not be held in memory. Returns
// false when the file cannot be written.
bool writeClassicDrawing(const std::string& path, uint64_t size, int sectionCount = 3,
                         uint32_t seed = 1);

struct ContainerStream {
  std::string name;
  uint32_t compression = 2;  // 0 stored, 2 LZO1Y, 3 zlib
  uint32_t pageSize = 0;     // 0: the container's default
  std::vector<uint8_t> data;
};

// A dozen named streams: sizes from 0 to a few hundred KiB, the three compression types in
// turn, several page sizes.
std::vector<ContainerStream> dozenStreams(uint32_t seed = 1);

// Writes a container drawing at `path` with its header at `headerOffset` (0, 128, ... 896;
// the bytes in front of it are filler) holding `streams` in order. Returns the engine's
// Win32 code, 0 on success.
uint32_t writeContainerDrawing(const std::string& path, const std::vector<ContainerStream>& streams,
                               uint64_t headerOffset = 0);

// A container drawing of `streamCount` streams of `streamSize` bytes each, written a piece
// at a time (for sizes that should not be held in memory), compression types in turn.
uint32_t writeLargeContainerDrawing(const std::string& path, int streamCount, uint64_t streamSize,
                                    const std::vector<uint32_t>& compressions);

// The bytes of every present stream of the container at `path`, in container order, as
// name and data; empty when it does not open.
std::vector<std::pair<std::string, std::vector<uint8_t>>> readContainerStreams(
    const std::string& path);

// Replaces the data of stream `name` of the container at `path` (header at 0), as an editor
// of the drawing would. Returns the engine's Win32 code, 0 on success.
uint32_t rewriteContainerStream(const std::string& path, const std::string& name,
                                const std::vector<uint8_t>& data);

std::vector<uint8_t> readFile(const std::string& path);
bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace vexamor::signcore::testing
