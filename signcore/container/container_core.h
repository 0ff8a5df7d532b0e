// The state one open container shares between its Container object and its
// Stream handles, and the steps that read and write pages. Every member is
// guarded by `mutex`; the functions below expect it held.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "file_header.h"
#include "page_codec.h"
#include "page_headers.h"
#include "page_list.h"
#include "page_pool.h"
#include "posix_file.h"
#include "section_table.h"
#include "win32_codes.h"

namespace vexamor::container {

struct ContainerCore {
  std::mutex mutex;
  uint64_t headerOffset = 0;
  PosixFile file;
  bool isOpen = false;
  bool writable = false;
  bool dirty = false;
  FileHeader header;
  PageList pages{header::kDefaultGranularity, header::kDefaultSplitThreshold};
  SectionTable table;
  uint64_t pageMapPosition = kNoPage;
  uint64_t sectionInfoPosition = kNoPage;
  PageCodec codec;
  PoolBuffer io;  // a page as stored: header and (compressed) data

  uint64_t pageAreaStart() const { return headerOffset + header.pageArea; }

  // core_load.cpp
  Win32Code open(const std::string& path, uint32_t access, Disposition disposition);
  void closeFile();
  std::shared_ptr<Section> find(std::string_view name, uint32_t identifier) const;

  // core_blocks.cpp
  // Makes the section's cache hold block `index`, writing back a changed one first.
  Win32Code loadBlock(Section& section, uint64_t index);
  // Writes the cached block back when it was changed.
  Win32Code flushBlock(Section& section);
  // Frees every page of the section and empties it.
  void empty(Section& section);

  // core_commit.cpp
  // Writes changed pages, section information, page map and both header
  // copies; nothing when the container is unchanged.
  Win32Code commit();

 private:
  void startEmpty();
  Win32Code load(uint64_t fileSize);
  // Reads, checks and decodes the system page at `position`; `expectedSize`
  // is its decoded size when known in advance.
  Win32Code readSystemPage(uint64_t position, uint32_t marker, uint64_t storedLimit,
                           std::optional<uint64_t> expectedSize, PoolBuffer* content,
                           SystemPageHeader* found);
  Win32Code readBlock(const Section& section, uint64_t index, uint8_t* out);
  Win32Code writeBlock(Section& section, uint64_t index, const uint8_t* block);
  Win32Code writeSystemPage(uint64_t position, uint32_t marker, const PoolBuffer& content,
                            size_t contentSize);
  Win32Code completeSection(Section& section);
  Win32Code writeHeader();
};

}  // namespace vexamor::container
