#include "platform/fileio/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
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

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t newFileMode() {
  // umask can only be read by setting it; the program is single-threaded nowhere that
  // matters here, and the value is restored at once.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

DWORD flushFolder(const std::string& folder) {
  if (!mayFlush()) {
    return ERROR_WRITE_FAULT;
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    return win32::errorFromErrno(errno);
  }
  // Some file systems cannot flush a folder (EINVAL); the rename is then as durable as
  // that file system makes it, which is all anyone can have there.
  const int rc = ::fsync(dir);
  const int err = errno;
  ::close(dir);
  return rc == 0 || err == EINVAL || err == EROFS ? ERROR_SUCCESS : win32::errorFromErrno(err);
}

}  // namespace

void setChangeObserver(ChangeObserver* observer) {
  gObserver.store(observer, std::memory_order_release);
}

std::string resolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      return current;
    }
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size() - 1);
    if (n < 0) {
      return current;
    }
    const std::string link(target.data(), static_cast<size_t>(n));
    current = link.starts_with('/') ? link : folderOf(current) + "/" + link;
  }
  return current;  // a loop: the caller's open fails with ELOOP-like errors on its own
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

DWORD replaceFile(const std::string& path, const ContentWriter& write) {
  return replaceFile(
      path, [&write](int fd, const std::string&) { return write(fd); }, nullptr);
}

DWORD replaceFile(const std::string& path, const NamedContentWriter& write,
                  const ReplaceCheck& beforeRename) {
  const std::string target = resolveLinks(path);
  const std::string folder = folderOf(target);
  std::string temp = folder + "/." + nameOf(target) + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) {
    return win32::errorFromErrno(errno);
  }
  auto abandon = [&](DWORD code) {
    ::close(fd);
    ::unlink(temp.c_str());
    return code;
  };

  struct stat old {};
  const mode_t mode = ::stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : newFileMode();
  if (::fchmod(fd, mode) != 0) {
    return abandon(win32::errorFromErrno(errno));
  }
  if (const DWORD rc = write(fd, temp); rc != ERROR_SUCCESS) {
    return abandon(rc);
  }
  if (!mayFlush()) {
    return abandon(ERROR_WRITE_FAULT);
  }
  if (::fsync(fd) != 0) {
    return abandon(win32::errorFromErrno(errno));
  }
  if (beforeRename) {
    if (const DWORD rc = beforeRename(); rc != ERROR_SUCCESS) {
      return abandon(rc);
    }
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return win32::errorFromErrno(err);
  }
  if (!mayRename(temp, target)) {
    ::unlink(temp.c_str());
    return ERROR_WRITE_FAULT;
  }
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return win32::errorFromErrno(err);
  }
  return flushFolder(folder);
}

}  // namespace vexamor::fileio
