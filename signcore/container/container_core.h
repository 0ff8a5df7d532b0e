// The state one open container shares between its Container object and its
// Stream handles, and the steps that read and write pages. Every member is
// guarded by `mutex`; the functions below expect it held.
//
// Crash safety: until a commit's header is durable, nothing is written over
// a page that the file's current header refers to (see page_list.h); pages
// and system pages go to free space, the file is flushed, and only then is
// the header written. A commit cut short at any write leaves the container
// as the previous commit left it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

#include "container_file.h"
#include "file_header.h"
#include "page_codec.h"
#include "page_headers.h"
#include "page_list.h"
#include "page_pool.h"
#include "posix_file.h"
#include "section_table.h"
#include "win32_codes.h"

namespace vexamor::container {

// Runs an operation of the engine's interface, which hands back codes and
// never lets an exception out: running out of memory is 8, anything else 31.
template <class Body>
auto guarded(Body&& body) noexcept -> decltype(body()) {
  using Result = decltype(body());
  auto fail = [](Win32Code code) -> Result {
    if constexpr (std::is_same_v<Result, Win32Code>) {
      return code;
    } else {
      return Failure{code};
    }
  };
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return fail(kErrorNotEnoughMemory);
  } catch (const std::length_error&) {
    return fail(kErrorNotEnoughMemory);
  } catch (...) {
    return fail(kErrorGenFailure);
  }
}

struct ContainerCore;

// As guarded(), for operations that may change the container: memory running
// out half-way leaves it broken.
template <class Body>
auto guardedChange(ContainerCore& core, Body&& body) noexcept -> decltype(body());

struct ContainerCore {
  std::mutex mutex;
  uint64_t headerOffset = 0;
  FileOpener opener = PosixFile::openFile;
  std::unique_ptr<ContainerFile> file;
  bool isOpen = false;
  // Counts opens and closes: a stream handle works only within the
  // generation it was opened in.
  uint64_t generation = 0;
  bool writable = false;
  bool dirty = false;
  // Set when memory ran out half-way through a change: the state in memory
  // may no longer agree with itself, so nothing more is written and the file
  // keeps what its last commit wrote.
  bool broken = false;
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
  Win32Code writeSystemPages(PageList* next);
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
  Win32Code writeHeader(const PageList& next);
};

template <class Body>
auto guardedChange(ContainerCore& core, Body&& body) noexcept -> decltype(body()) {
  return guarded([&]() -> decltype(body()) {
    try {
      return body();
    } catch (...) {
      core.broken = true;
      throw;
    }
  });
}

}  // namespace vexamor::container
