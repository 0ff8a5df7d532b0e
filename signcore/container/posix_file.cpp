#include "posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "platform/com/last_error.h"

namespace vexamor::container {

// The engine's codes are the platform's.
static_assert(kErrorFileCorrupt == ERROR_FILE_CORRUPT && kErrorGenFailure == ERROR_GEN_FAILURE &&
              kErrorFileExists == ERROR_FILE_EXISTS && kErrorHandleEof == ERROR_HANDLE_EOF);

Expected<std::unique_ptr<ContainerFile>> PosixFile::openFile(const std::string& path,
                                                             uint32_t access,
                                                             Disposition disposition) {
  auto file = std::make_unique<PosixFile>();
  if (Win32Code rc = file->open(path, access, disposition); rc != kErrorSuccess) return Failure{rc};
  return std::unique_ptr<ContainerFile>(std::move(file));
}

PosixFile::PosixFile(PosixFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Win32Code PosixFile::open(const std::string& path, uint32_t access, Disposition disposition) {
  close();
  const bool write = (access & kAccessWrite) != 0;
  // A container is always read, even when only written to.
  int flags = (write ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  switch (disposition) {
    case Disposition::kCreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Disposition::kCreateAlways:
      flags |= O_CREAT | O_TRUNC;
      break;
    case Disposition::kOpenExisting:
      break;
    case Disposition::kOpenAlways:
      flags |= O_CREAT;
      break;
    case Disposition::kTruncateExisting:
      flags |= O_TRUNC;
      break;
    default:
      return kErrorInvalidParameter;
  }
  if ((flags & (O_CREAT | O_TRUNC)) != 0 && !write) return kErrorInvalidParameter;
  // O_NONBLOCK keeps a FIFO from blocking the open; it is cleared below for
  // regular files, the only kind that is accepted.
  const int fd = ::open(path.c_str(), flags, 0666);
  // A directory is no disk file, however it is opened.
  if (fd < 0) return errno == EISDIR ? kErrorNotSupported : win32::errorFromErrno(errno);
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return kErrorNotSupported;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  fd_ = fd;
  return kErrorSuccess;
}

void PosixFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

Expected<uint64_t> PosixFile::size() const {
  struct stat st {};
  if (fstat(fd_, &st) != 0) return Failure{win32::errorFromErrno(errno)};
  return static_cast<uint64_t>(st.st_size);
}

Win32Code PosixFile::readAt(uint64_t position, std::span<uint8_t> out) const {
  constexpr auto kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  size_t done = 0;
  while (done < out.size()) {
    if (position > kMaxOffset - done) return kErrorHandleEof;
    const ssize_t n =
        pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return win32::errorFromErrno(errno);
    if (n == 0) return kErrorHandleEof;
    done += static_cast<size_t>(n);
  }
  return kErrorSuccess;
}

Win32Code PosixFile::writeAt(uint64_t position, std::span<const uint8_t> bytes) {
  constexpr auto kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  size_t done = 0;
  while (done < bytes.size()) {
    if (position > kMaxOffset - bytes.size()) return kErrorDiskFull;
    const ssize_t n =
        pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return win32::errorFromErrno(errno);
    if (n == 0) return kErrorDiskFull;
    done += static_cast<size_t>(n);
  }
  return kErrorSuccess;
}

Win32Code PosixFile::truncate(uint64_t length) {
  if (length > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return kErrorDiskFull;
  return ftruncate(fd_, static_cast<off_t>(length)) == 0 ? kErrorSuccess
                                                         : win32::errorFromErrno(errno);
}

Win32Code PosixFile::sync() {
  return fdatasync(fd_) == 0 ? kErrorSuccess : win32::errorFromErrno(errno);
}

}  // namespace vexamor::container
