// How the handlers open users' files and replace them when they sign: existing regular files
// only, paths from BSTRs as UTF-8, each resolved once, and a signed file written whole beside
// the old one and renamed over it, unless the old one changed while it was being signed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/com/bstr.h"
#include "platform/fileio/pinned_file.h"
#include "signcore/handlers/byte_source.h"
#include "signcore/handlers/result.h"

namespace vexamor::signcore {

// The path a BSTR names, as the file system takes it. A path with a zero character inside
// would name another file: ERROR_INVALID_NAME.
Result<std::string> pathFromBstr(BSTR path);

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

// A descriptor that closes itself.
class OwnedFd {
 public:
  explicit OwnedFd(int fd = -1) : fd_(fd) {}
  OwnedFd(OwnedFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  OwnedFd& operator=(OwnedFd&& other) noexcept;
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  ~OwnedFd();
  int get() const { return fd_; }

 private:
  int fd_;
};

// A user's file, opened once for everything a method does with it, what it was when opened,
// and its bytes. A file opened for writing has its folder pinned and is opened inside it (a
// symbolic link is followed when the path is resolved, never again), ready to be replaced; a
// file opened for reading is simply opened, as every later step reads through the one
// descriptor and the fewer system calls matter to a file manager asking about every file.
struct OpenedFile {
  fileio::PinnedFile file;  // opened for writing
  OwnedFd reading;          // opened for reading
  FileIdentity identity;
  FileSource bytes{-1, 0};
  int fd() const { return reading.get() >= 0 ? reading.get() : file.fd(); }
};

// Opens an existing file for reading, or for reading and writing (so that a file the user may
// not change is refused before anything is signed). A folder gives ERROR_ACCESS_DENIED,
// anything else that is not a regular file ERROR_NOT_SUPPORTED.
Result<OpenedFile> openUserFile(const std::string& path, bool forWriting);

// Writes the new contents of a file; a failure abandons the replacement.
using SignedFileWriter = std::function<HRESULT(int fd, const std::string& tempPath)>;

// Replaces the opened file, in its pinned folder, with what `write` produces, if the file is
// still what it was when opened once the new contents are flushed (the same file under the
// same name, neither written nor resized): otherwise ERROR_SHARING_VIOLATION, and the file
// stays as it is.
HRESULT replaceSignedFile(const OpenedFile& file, const SignedFileWriter& write);

// The same for a new file that begins with the first `prefixLength` bytes of the opened file
// (the signed data, unchanged): they are copied on a thread of their own while `prepare`
// runs (the signature being computed over the same bytes), so that hashing and writing
// overlap; then `finish` writes the rest. The copy counts only if `prepare` succeeds.
HRESULT replaceSignedFileCopying(const OpenedFile& file, uint64_t prefixLength,
                                 const std::function<HRESULT()>& prepare,
                                 const SignedFileWriter& finish);

}  // namespace vexamor::signcore
