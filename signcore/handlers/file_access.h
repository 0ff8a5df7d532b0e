// How the handlers open users' files and replace them when they sign: existing regular files
// only, paths from BSTRs as UTF-8, and a signed file written whole beside the old one and
// renamed over it, unless the old one changed while it was being signed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/com/bstr.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/result.h"

namespace vexamor::signcore {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd();
  int get() const { return fd_; }

 private:
  int fd_ = -1;
};

// The path a BSTR names, as the file system takes it. A path with a zero character inside
// would name another file: ERROR_INVALID_NAME.
Result<std::string> pathFromBstr(BSTR path);

// Opens an existing file for reading, or for reading and writing (so that a file the user may
// not change is refused before anything is signed). A folder gives ERROR_ACCESS_DENIED,
// anything else that is not a regular file ERROR_NOT_SUPPORTED.
Result<UniqueFd> openExistingFile(const std::string& path, bool forWriting);

// What tells that a file changed: which file it is, its size and its last write.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  uint64_t size = 0;
  int64_t modifiedSeconds = 0;
  int64_t modifiedNanoseconds = 0;
  bool operator==(const FileIdentity&) const = default;
};
Result<FileIdentity> identityOf(int fd);

// A user's file opened as openExistingFile does, with its bytes and what it was when opened.
struct OpenedFile {
  UniqueFd fd;
  FileIdentity identity;
  FileSource bytes;
};
Result<OpenedFile> openUserFile(const std::string& path, bool forWriting);

// Writes the new contents of a file; a failure abandons the replacement.
using SignedFileWriter = std::function<HRESULT(int fd, const std::string& tempPath)>;

// Replaces the file at `path` (a symbolic link is followed) with what `write` produces, if
// the file still is what `before` describes once the new contents are flushed: otherwise
// ERROR_SHARING_VIOLATION, and the file stays as it is.
HRESULT replaceSignedFile(const std::string& path, const FileIdentity& before,
                          const SignedFileWriter& write);

// The same for a new file that begins with the first `prefixLength` bytes of `source` (the
// signed data, unchanged): they are copied on a thread of their own while `prepare` runs (the
// signature being computed over the same bytes), so that hashing and writing overlap; then
// `finish` writes the rest. The copy counts only if `prepare` succeeds.
HRESULT replaceSignedFileCopying(const std::string& path, const FileIdentity& before, int source,
                                 uint64_t prefixLength, const std::function<HRESULT()>& prepare,
                                 const SignedFileWriter& finish);

}  // namespace vexamor::signcore
