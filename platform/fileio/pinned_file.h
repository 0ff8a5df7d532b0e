// A file held for replacement. The symbolic links of its path are resolved once; the folder
// it lies in is then held open by descriptor and the file is opened inside that folder
// without following a link. Every later step (reading, the temporary file, the identity
// check, the rename, the folder flush) works through these descriptors, so a path changed
// meanwhile (a link swapped, a folder renamed) cannot turn the replacement onto another file.
#pragma once

#include <string>

#include "platform/com/win32_types.h"

namespace vexamor::fileio {

class PinnedFile {
 public:
  PinnedFile() = default;
  PinnedFile(PinnedFile&& other) noexcept;
  PinnedFile& operator=(PinnedFile&& other) noexcept;
  PinnedFile(const PinnedFile&) = delete;
  PinnedFile& operator=(const PinnedFile&) = delete;
  ~PinnedFile();

  // Pins `path` and opens the file it names with `flags` (O_RDONLY, O_RDWR or O_PATH; the
  // open never follows a link at its last step and never blocks on a FIFO). A name that is
  // not there gives ERROR_FILE_NOT_FOUND, unless `mayBeMissing`: then fd() is -1 and the
  // replacement creates the file. Other failures are the Win32 code of the system call.
  static DWORD open(const std::string& path, int flags, bool mayBeMissing, PinnedFile* out);

  int fd() const { return fd_; }          // -1 when the file was not there
  int folder() const { return folder_; }  // the folder, held open
  bool folderFlushable() const { return folderFlushable_; }
  const std::string& folderPath() const { return folderPath_; }  // for messages and tests
  const std::string& name() const { return name_; }
  std::string path() const { return folderPath_ + "/" + name_; }

 private:
  void close();

  int fd_ = -1;
  int folder_ = -1;
  bool folderFlushable_ = false;
  std::string folderPath_;
  std::string name_;
};

// The path that a symbolic link (or chain of them) finally names; `path` itself when it is
// not a link. A dangling link resolves to the path that it names.
std::string resolveLinks(const std::string& path);

}  // namespace vexamor::fileio
