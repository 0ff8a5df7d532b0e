// Replacing a file whole: the new contents go to a temporary file in the same folder, which
// is flushed, given the old file's mode and renamed over the old one; then the folder is
// flushed. A reader, a crash or a power loss sees the old file or the new one, never a mix.
// The folder and the file are pinned first (pinned_file.h), so the file replaced is the file
// that was there when the replacement began.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <sys/types.h>

#include "platform/com/win32_types.h"
#include "platform/fileio/pinned_file.h"

namespace vexamor::fileio {

// Writes the new contents to `fd` (positioned at 0, empty); returns ERROR_SUCCESS or a
// Win32 code, which abandons the replacement.
using ContentWriter = std::function<DWORD(int fd)>;

// The mode of the new file. By default it keeps the old file's permission bits; its
// set-user-ID, set-group-ID and sticky bits only when its owner and group are kept too (root
// gives the new file the old one's owner and group; anyone else keeps them only where they
// already are the new file's), so a replacement never makes a program run with the rights of
// another user. A file that is not there yet gets `newFileMode`, else what the user's umask
// gives a new file. `mode`, when set, is the mode whatever was there before. The temporary
// file is never more open than its final mode while it is written.
struct ReplaceMode {
  std::optional<mode_t> newFileMode = std::nullopt;
  std::optional<mode_t> mode = std::nullopt;
};

// Replaces `path` with what `write` produces. A symbolic link is followed: the file it names
// is replaced, the link stays. The path is resolved once and its folder pinned (PinnedFile),
// so nothing done to the path meanwhile can redirect the replacement. Returns ERROR_SUCCESS
// or a Win32 code; on failure the old file is untouched and no temporary file is left behind.
DWORD replaceFile(const std::string& path, const ContentWriter& write,
                  const ReplaceMode& mode = {});

// Writers that must also reach the temporary file by name (a library that opens files
// itself) get its path; the checks before the rename are run after the new contents are
// flushed: a non-zero code from them abandons the replacement, as a failing writer does.
// Writers that open the temporary file by name must close what they opened before returning.
using NamedContentWriter = std::function<DWORD(int fd, const std::string& tempPath)>;
using ReplaceCheck = std::function<DWORD()>;
DWORD replaceFile(const std::string& path, const NamedContentWriter& write,
                  const ReplaceCheck& beforeRename, const ReplaceMode& mode = {});

// Replaces the file that `file` pinned, in the folder it pinned. When the file was there,
// the name must still be that very file (no link, no other file put in its place) just
// before the rename, else ERROR_SHARING_VIOLATION; `beforeRename` runs after that check.
DWORD replacePinned(const PinnedFile& file, const NamedContentWriter& write,
                    const ReplaceCheck& beforeRename, const ReplaceMode& mode = {});

// Copies `length` bytes from offset `from` of `source` to the current position of `target`,
// inside the kernel where it can (copy_file_range), else through a buffer. Fewer bytes in
// the source than asked for give ERROR_HANDLE_EOF.
DWORD copyRange(int source, std::uint64_t from, std::uint64_t length, int target);

// Writes all of `size` bytes at the current position, retrying short writes and EINTR.
DWORD writeAll(int fd, const void* data, std::size_t size);

// Writes all of `size` bytes at `offset`, leaving the file position where it was.
DWORD writeAt(int fd, std::uint64_t offset, const void* data, std::size_t size);

// What whole-file replacement tells a watching crash test about each change it is about to
// make, so that the test can stop it there as if the process had died. Nothing watches in a
// normal run.
class ChangeObserver {
 public:
  virtual ~ChangeObserver() = default;
  // `size` bytes of `data` are about to reach `fd` at `offset`; false: they do not.
  virtual bool beforeWrite(int fd, std::uint64_t offset, const void* data, std::size_t size) = 0;
  // The new file `from` is about to replace `target`; false: it does not.
  virtual bool beforeRename(const std::string& from, const std::string& target) = 0;
  // A file or folder is about to be flushed; false: the flush fails.
  virtual bool beforeFlush() = 0;
};

// Installs the process's observer (null removes it). For tests: the observer sees the writes
// of every thread, and a write it stops fails with ERROR_WRITE_FAULT.
void setChangeObserver(ChangeObserver* observer);

}  // namespace vexamor::fileio
