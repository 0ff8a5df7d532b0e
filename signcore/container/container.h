// A drawing container: a paged file of named, numbered streams, each stored
// in page-size blocks that may be compressed. This is the engine the drawing
// signature handler uses to list, read, add, replace and remove streams.
//
// Usage: create(), setHeaderOffset() (where the header was recognised, see
// recognition.h), open(), then streams; close() commits the changes. A
// Container destroyed without close() does not commit.
//
// Crash safety: changes go to pages the file's header does not refer to, and
// a commit makes them part of the container with its last header write. A
// container opened from an existing file therefore reads, after a crash at
// any moment, either as before the commit or as after it. A new container
// exists only from its first commit on; create one in a new file.
//
// Errors are Win32 codes; no operation throws (running out of memory is 8).
//
// Thread safety: every operation takes the container's lock; stream handles
// of one container may be used from different threads.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "container_file.h"
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
  // Nothing when memory runs out.
  static std::unique_ptr<Container> create();
  // A container whose file is opened through `opener` (a fault-injecting
  // file in tests); create() opens real files.
  static std::unique_ptr<Container> create(FileOpener opener);
  ~Container();
  Container(const Container&) = delete;
  Container& operator=(const Container&) = delete;

  // Offset of the header in the file: 0, 128, ... 896 (else 87). Set before open().
  Win32Code setHeaderOffset(uint64_t offset);

  // Opens the file as for a plain file open. Sharing and attributes are
  // accepted for the callers' sake; POSIX files have neither. A file with
  // nothing at or behind the header offset is a new, empty container. So is
  // one too short to hold a header when opened for reading; opened for
  // writing it gives 38, so that a drawing cut short is never overwritten.
  Win32Code open(const std::string& path, uint32_t access, uint32_t share, Disposition disposition,
                 uint32_t attributes);

  Expected<ContainerInfo> info() const;
  // Stream `index` in container order (0 ... streamCount - 1, else 87).
  Expected<StreamInfo> streamInfo(uint32_t index) const;

  // Opens or creates a stream, found by name (and identifier, when non-zero)
  // or, without a name, by identifier. A named stream is created with the
  // next identifier not in use (never 0); an unnamed one with `identifier`
  // and the name "STREAM<identifier>". Errors: 183 for create-new of an
  // existing stream, 1168 for open-existing or truncate-existing of a missing
  // one, 87 for bad arguments, 5 for changes to a container opened for
  // reading and for emptying a stream (create-always, truncate-existing)
  // without write access.
  Expected<Stream> openStream(std::string_view name, uint32_t identifier, uint32_t access,
                              Disposition disposition, const StreamOptions& options = {});

  // Removes a stream (1168 when missing); its pages become free. Handles
  // still open on it give 6 from then on.
  Win32Code removeStream(std::string_view name, uint32_t identifier);

  // Writes all changes to the file; the container stays open.
  Win32Code commit();
  // Commits and closes the file. Stream handles left open give 6 from then
  // on, also after the container is opened again.
  Win32Code close();

 private:
  Container();
  Expected<Stream> openLocked(std::string_view name, uint32_t identifier, uint32_t access,
                              Disposition disposition, const StreamOptions& options);
  Win32Code commitLocked();

  std::shared_ptr<ContainerCore> core_;
};

}  // namespace vexamor::container
