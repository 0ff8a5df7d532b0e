#include "platform/fileio/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"

namespace vexamor::fileio {
namespace {

std::atomic<ChangeObserver*> gObserver{nullptr};

bool mayWrite(int fd, std::uint64_t offset, const void* data, std::size_t size) {
  ChangeObserver* observer = gObserver.load(std::memory_order_acquire);
  return observer == nullptr || observer->beforeWrite(fd, offset, data, size);
}

bool mayFlush() {
  ChangeObserver* observer = gObserver.load(std::memory_order_acquire);
  return observer == nullptr || observer->beforeFlush();
}

bool mayRename(const std::string& from, const std::string& target) {
  ChangeObserver* observer = gObserver.load(std::memory_order_acquire);
  return observer == nullptr || observer->beforeRename(from, target);
}

// The mode the user's umask gives a new file. The kernel tells the umask in the process's
// status; setting it to read it back would, for a moment, let files that other threads
// create get no umask at all, so that is done only where the status does not say.
mode_t umaskMode() {
  mode_t mask = 0;
  bool found = false;
  if (FILE* status = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned value = 0;
    while (!found && std::fgets(line, sizeof line, status) != nullptr) {
      found = std::sscanf(line, "Umask: %o", &value) == 1;
    }
    std::fclose(status);
    mask = static_cast<mode_t>(value);
  }
  if (!found) {
    mask = ::umask(022);
    ::umask(mask);
  }
  return 0666 & ~mask;
}

DWORD flushFolder(const PinnedFile& file) {
  if (!mayFlush()) return ERROR_WRITE_FAULT;
  if (!file.folderFlushable()) return ERROR_SUCCESS;  // a folder that cannot be read
  // Some file systems cannot flush a folder (EINVAL); the rename is then as durable as
  // that file system makes it, which is all anyone can have there.
  if (::fsync(file.folder()) == 0 || errno == EINVAL || errno == EROFS) return ERROR_SUCCESS;
  return win32::errorFromErrno(errno);
}

// The temporary file: a new name beside the target, created without following anything
// and open to its owner only until its final mode is set.
DWORD createTemporary(const PinnedFile& file, int* fd, std::string* name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    *name = "." + file.name() + suffix;
    *fd = ::openat(file.folder(), name->c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0600);
    if (*fd >= 0) return ERROR_SUCCESS;
    if (errno != EEXIST) return win32::errorFromErrno(errno);
  }
  return ERROR_FILE_EXISTS;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether `name` in the pinned folder is, without following a link, the file open at `fd`.
bool nameIsFile(const PinnedFile& file, const std::string& name, int fd) {
  struct stat named {};
  struct stat opened {};
  return ::fstatat(file.folder(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(fd, &opened) == 0 && sameFile(named, opened);
}

// The mode the new file gets (see ReplaceMode), giving it the old file's owner and group
// first where that can be done.
DWORD finalMode(const PinnedFile& file, int temp, const ReplaceMode& wanted, mode_t* mode) {
  if (wanted.mode) {
    *mode = *wanted.mode & 07777;
    return ERROR_SUCCESS;
  }
  struct stat old {};
  if (file.fd() < 0 || ::fstat(file.fd(), &old) != 0 || !S_ISREG(old.st_mode)) {
    *mode = wanted.newFileMode ? (*wanted.newFileMode & 07777) : umaskMode();
    return ERROR_SUCCESS;
  }
  struct stat now {};
  if (::fstat(temp, &now) != 0) return win32::errorFromErrno(errno);
  if (now.st_uid != old.st_uid || now.st_gid != old.st_gid) {
    // Root can, and anyone may give a file one of their own groups; a refusal only means
    // the special bits go.
    if (::fchown(temp, old.st_uid, old.st_gid) == 0 && ::fstat(temp, &now) != 0) {
      return win32::errorFromErrno(errno);
    }
  }
  const bool ownersKept = now.st_uid == old.st_uid && now.st_gid == old.st_gid;
  *mode = old.st_mode & (ownersKept ? 07777 : 0777);
  return ERROR_SUCCESS;
}

}  // namespace

void setChangeObserver(ChangeObserver* observer) {
  gObserver.store(observer, std::memory_order_release);
}

DWORD writeAll(int fd, const void* data, std::size_t size) {
  if (gObserver.load(std::memory_order_acquire) != nullptr) {
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at >= 0 && !mayWrite(fd, static_cast<std::uint64_t>(at), data, size)) {
      return ERROR_WRITE_FAULT;
    }
  }
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return win32::errorFromErrno(errno);
    }
    p += n;
    size -= static_cast<std::size_t>(n);
  }
  return ERROR_SUCCESS;
}

DWORD writeAt(int fd, std::uint64_t offset, const void* data, std::size_t size) {
  if (!mayWrite(fd, offset, data, size)) {
    return ERROR_WRITE_FAULT;
  }
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return win32::errorFromErrno(errno);
    }
    p += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return ERROR_SUCCESS;
}

DWORD copyRange(int source, std::uint64_t from, std::uint64_t length, int target) {
  auto offset = static_cast<off_t>(from);
  // A watching test sees every piece as a write of its own bytes.
  bool inKernel = gObserver.load(std::memory_order_acquire) == nullptr;
  std::vector<unsigned char> buffer(inKernel ? 0 : 1u << 20);
  while (length > 0) {
    const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 30));
    if (inKernel) {
      const ssize_t n = ::copy_file_range(source, &offset, target, nullptr, chunk, 0);
      if (n > 0) {
        length -= static_cast<std::uint64_t>(n);
        continue;
      }
      if (n == 0) {
        return ERROR_HANDLE_EOF;
      }
      if (errno == EINTR) {
        continue;
      }
      // Across file systems, on some special files and on old kernels the kernel declines;
      // a plain copy does the same work.
      if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
          errno != EBADF) {
        return win32::errorFromErrno(errno);
      }
      inKernel = false;
      buffer.resize(1u << 20);
    }
    const ssize_t n =
        ::pread(source, buffer.data(), std::min<std::size_t>(chunk, buffer.size()), offset);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return win32::errorFromErrno(errno);
    }
    if (n == 0) {
      return ERROR_HANDLE_EOF;
    }
    if (const DWORD rc = writeAll(target, buffer.data(), static_cast<std::size_t>(n));
        rc != ERROR_SUCCESS) {
      return rc;
    }
    offset += n;
    length -= static_cast<std::uint64_t>(n);
  }
  return ERROR_SUCCESS;
}

DWORD replaceFile(const std::string& path, const ContentWriter& write, const ReplaceMode& mode) {
  return replaceFile(
      path, [&write](int fd, const std::string&) { return write(fd); }, nullptr, mode);
}

DWORD replaceFile(const std::string& path, const NamedContentWriter& write,
                  const ReplaceCheck& beforeRename, const ReplaceMode& mode) {
  PinnedFile file;
  if (const DWORD rc = PinnedFile::open(path, O_PATH, true, &file); rc != ERROR_SUCCESS) {
    return rc;
  }
  return replacePinned(file, write, beforeRename, mode);
}

DWORD replacePinned(const PinnedFile& file, const NamedContentWriter& write,
                    const ReplaceCheck& beforeRename, const ReplaceMode& wanted) {
  int fd = -1;
  std::string tempName;
  if (const DWORD rc = createTemporary(file, &fd, &tempName); rc != ERROR_SUCCESS) return rc;
  const std::string tempPath = file.folderPath() + "/" + tempName;
  auto abandon = [&](DWORD code) {
    // Only the file this call made: a name that another user swapped meanwhile stays.
    if (fd < 0 || nameIsFile(file, tempName, fd)) ::unlinkat(file.folder(), tempName.c_str(), 0);
    if (fd >= 0) ::close(fd);
    return code;
  };

  if (const DWORD rc = write(fd, tempPath); rc != ERROR_SUCCESS) return abandon(rc);
  mode_t mode = 0;
  if (const DWORD rc = finalMode(file, fd, wanted, &mode); rc != ERROR_SUCCESS) {
    return abandon(rc);
  }
  if (::fchmod(fd, mode) != 0) return abandon(win32::errorFromErrno(errno));
  if (!mayFlush()) return abandon(ERROR_WRITE_FAULT);
  if (::fsync(fd) != 0) return abandon(win32::errorFromErrno(errno));

  // The last look before the rename: the name must still be the file that was pinned, and
  // the temporary file still ours, whatever anyone did to the folder meanwhile.
  if (file.fd() >= 0 && !nameIsFile(file, file.name(), file.fd())) {
    return abandon(ERROR_SHARING_VIOLATION);
  }
  if (!nameIsFile(file, tempName, fd)) return abandon(ERROR_SHARING_VIOLATION);
  if (beforeRename) {
    if (const DWORD rc = beforeRename(); rc != ERROR_SUCCESS) return abandon(rc);
  }
  if (::close(std::exchange(fd, -1)) != 0) return abandon(win32::errorFromErrno(errno));
  if (!mayRename(tempPath, file.path())) return abandon(ERROR_WRITE_FAULT);
  if (::renameat(file.folder(), tempName.c_str(), file.folder(), file.name().c_str()) != 0) {
    return abandon(win32::errorFromErrno(errno));
  }
  return flushFolder(file);
}

}  // namespace vexamor::fileio
