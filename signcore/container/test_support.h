// Helpers for the container tests: temporary files, sample containers of
// several streams, the positions of a container's pages, and byte surgery.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "container.h"
#include "file_header.h"

namespace vexamor::container::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Deterministic bytes that compress somewhat, like real drawing data.
std::vector<uint8_t> sampleBytes(size_t size, uint32_t seed);

struct SampleStream {
  std::string name;  // empty: unnamed, created with `identifier`
  uint32_t identifier = 0;
  uint32_t compression = 2;
  uint32_t pageSize = 0;
  std::vector<uint8_t> data;
};

// Creates a container at `path` holding `streams`, written in 4 KiB pieces,
// and closes it. Returns the first failure.
Win32Code writeContainer(const std::string& path, uint64_t headerOffset,
                         const std::vector<SampleStream>& streams);

// Opens a container read-only; the Win32 code of open().
Win32Code openForReading(Container& container, const std::string& path, uint64_t headerOffset);

// Every present stream's bytes by name, read piece by piece, or the first
// failure of opening or reading.
Expected<std::map<std::string, std::vector<uint8_t>>> readAllStreams(const std::string& path,
                                                                     uint64_t headerOffset);

// Where a container's parts lie in the file (absolute file offsets).
struct Layout {
  uint64_t header = 0;
  uint64_t pageMap = 0;
  uint64_t sectionInfo = 0;
  uint64_t secondHeader = 0;
  int32_t pageMapNumber = 0;
  std::map<std::string, std::vector<uint64_t>> dataPages;  // by stream name, in block order
  size_t dataPageCount() const;
};
Layout inspect(const std::string& path, uint64_t headerOffset);

// Rewrites the header at `offset` through `edit`, with a fresh CRC.
void editHeader(const std::string& path, uint64_t offset,
                const std::function<void(FileHeader&)>& edit);
// Sets a raw 32-bit field of the header at `offset`, with a fresh CRC.
void editHeaderField(const std::string& path, uint64_t offset, size_t fieldAt, uint32_t value);
// Decodes the system page at absolute `position`, lets `edit` change its
// content and writes it back with a valid checksum (into the same page).
void editSystemPage(const std::string& path, uint64_t position,
                    const std::function<void(std::vector<uint8_t>&)>& edit);
// Little-endian 32-bit field at an absolute file offset.
void storeField(const std::string& path, uint64_t offset, uint32_t value);
uint32_t loadField(const std::string& path, uint64_t offset);

void flipByte(const std::string& path, uint64_t offset, uint8_t mask = 0x01);
void truncateFile(const std::string& path, uint64_t size);

}  // namespace vexamor::container::testing
