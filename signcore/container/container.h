// A drawing container: a paged file of named, numbered streams, each stored
// in page-size blocks that may be compressed. This is the engine the drawing
// signature handler uses to list, read, add, replace and remove streams.
//
// Usage: create(), setHeaderOffset() (where the header was recognised, see
// recognition.h), open(), then streams; close() commits the changes. A
// Container destroyed without close() does not commit: whatever pages were
// already written stay in the file, which may then no longer match its page
// map, so callers that must keep a file intact work on a copy.
//
// Thread safety: every operation takes the container's lock; stream handles
// of one container may be used from different threads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "posix_file.h"
#include "stream.h"
#include "win32_codes.h"

namespace vexamor::container {

struct ContainerInfo {
  uint32_t streamCount = 0;  // including streams removed since open()
  uint32_t defaultCompression = 0;
  uint32_t defaultPageSize = 0;
  uint32_t nextIdentifier = 0;
};

struct StreamInfo {
  std::string name;
  uint32_t identifier = 0;
  uint64_t size = 0;
  bool present = false;  // false for a stream removed since open()
};

// How a new (or emptied) stream is stored.
struct StreamOptions {
  std::optional<uint32_t> compression;  // 0 ... 3; the container's default when unset
  int32_t level = -1;                   // zlib level for type 3, -1 ... 9
  uint32_t pageSize = 0;                // rounded up to 128; 0: the container's default
};

class Container {
 public:
  static std::unique_ptr<Container> create();
  ~Container();
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  // Offset of the header in the file: 0, 128, ... 896 (else 87). Set before open().
  Win32Code setHeaderOffset(uint64_t offset);

  // Opens the file as for a plain file open. Sharing and attributes are
  // accepted for the callers' sake; POSIX files have neither. A file with
  // nothing at or behind the header offset is a new, empty container.
  Win32Code open(const std::string& path, uint32_t access, uint32_t share, Disposition disposition,
                 uint32_t attributes);

  Expected<ContainerInfo> info() const;
  // Stream `index` in container order (0 ... streamCount - 1, else 87).
  Expected<StreamInfo> streamInfo(uint32_t index) const;

  // Opens or creates a stream, found by name (and identifier, when non-zero)
  // or, without a name, by identifier. A named stream is created with the
  // next identifier; an unnamed one with `identifier` and the name
  // "STREAM<identifier>". Errors: 183 for create-new of an existing stream,
  // 1168 for open-existing or truncate-existing of a missing one, 87 for bad
  // arguments, 5 for changes to a container opened for reading.
  Expected<Stream> openStream(std::string_view name, uint32_t identifier, uint32_t access,
                              Disposition disposition, const StreamOptions& options = {});

  // Removes a stream (1168 when missing); its pages become free.
  Win32Code removeStream(std::string_view name, uint32_t identifier);

  // Writes all changes to the file; the container stays open.
  Win32Code commit();
  // Commits and closes the file. Stream handles left open stop working.
  Win32Code close();

 private:
  Container();
  std::shared_ptr<ContainerCore> core_;
};

}  // namespace vexamor::container
