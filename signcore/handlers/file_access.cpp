#include "signcore/handlers/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <thread>

#include "platform/com/last_error.h"
#include "platform/com/utf.h"
#include "platform/fileio/replace_file.h"

namespace vexamor::signcore {
namespace {

constexpr DWORD kErrorCancelled = 1223;

FileIdentity identityFrom(const struct stat& st) {
  return {st.st_dev, st.st_ino, static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec,
          st.st_mtim.tv_nsec};
}

}  // namespace

Result<std::string> pathFromBstr(BSTR path) {
  const std::u16string_view text(path != nullptr ? path : u"", SysStringLen(path));
  if (text.find(u'\0') != std::u16string_view::npos) return systemFault(ERROR_INVALID_NAME);
  return text::utf16ToUtf8(text);
}

Result<FileIdentity> identityOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return systemFault(win32::errorFromErrno(errno));
  return identityFrom(st);
}

OwnedFd& OwnedFd::operator=(OwnedFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

OwnedFd::~OwnedFd() {
  if (fd_ >= 0) ::close(fd_);
}

Result<OpenedFile> openUserFile(const std::string& path, bool forWriting) {
  if (path.empty()) return systemFault(win32::errorFromErrno(ENOENT));
  OpenedFile opened;
  if (forWriting) {
    const DWORD rc = fileio::PinnedFile::open(path, O_RDWR, false, &opened.file);
    if (rc != ERROR_SUCCESS) return systemFault(rc);  // a folder: ERROR_ACCESS_DENIED
  } else {
    // A name that ends in a slash, "." or ".." names a folder, as it does for writing.
    const std::string_view name = std::string_view(path).substr(path.rfind('/') + 1);
    if (name.empty() || name == "." || name == "..") return systemFault(ERROR_ACCESS_DENIED);
    // Never blocks on a FIFO. On the regular file that it must be, the flag changes nothing
    // (reads of regular files never return early), so it is not cleared again.
    opened.reading = OwnedFd(::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (opened.reading.get() < 0) return systemFault(win32::errorFromErrno(errno));
  }
  struct stat st {};
  if (::fstat(opened.fd(), &st) != 0) return systemFault(win32::errorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return systemFault(ERROR_ACCESS_DENIED);
  if (!S_ISREG(st.st_mode)) return systemFault(ERROR_NOT_SUPPORTED);
  opened.identity = identityFrom(st);
  opened.bytes = FileSource(opened.fd(), opened.identity.size);
  return opened;
}

HRESULT replaceSignedFile(const OpenedFile& file, const SignedFileWriter& write) {
  // Looked at through the descriptor: whatever the path names by now, the file that was read
  // must not have been written meanwhile. That it is still the one under its name is checked
  // by the replacement itself.
  auto unchanged = [&]() -> DWORD {
    Result<FileIdentity> now = identityOf(file.fd());
    if (!now.ok()) return ERROR_SHARING_VIOLATION;
    return *now == file.identity ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
  };
  HRESULT written = S_OK;
  const DWORD rc = fileio::replacePinned(
      file.file,
      [&](int fd, const std::string& tempPath) -> DWORD {
        written = write(fd, tempPath);
        return FAILED(written) ? kErrorCancelled : ERROR_SUCCESS;
      },
      unchanged);
  // A file that changed meanwhile may also have made the writing fail (cut short under the
  // copy, say): the change is then what the caller hears about.
  if ((FAILED(written) || rc != ERROR_SUCCESS) && unchanged() == ERROR_SHARING_VIOLATION) {
    return HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION);
  }
  if (FAILED(written)) return written;
  return HRESULT_FROM_WIN32(rc);
}

HRESULT replaceSignedFileCopying(const OpenedFile& file, uint64_t prefixLength,
                                 const std::function<HRESULT()>& prepare,
                                 const SignedFileWriter& finish) {
  return replaceSignedFile(file, [&](int fd, const std::string& tempPath) -> HRESULT {
    DWORD copied = ERROR_SUCCESS;
    std::thread copier([&] {
      // A piece at a time, each sent on its way to the disk as soon as it is copied: the disk
      // writes while the rest is copied and hashed, and the flush before the rename has
      // little left to do. (The system would start only once much more is waiting.)
      constexpr uint64_t kPiece = uint64_t{64} << 20;
      for (uint64_t done = 0; done < prefixLength && copied == ERROR_SUCCESS;) {
        const uint64_t piece = std::min(kPiece, prefixLength - done);
        copied = fileio::copyRange(file.fd(), done, piece, fd);
        if (copied == ERROR_SUCCESS) {
          ::sync_file_range(fd, static_cast<off_t>(done), static_cast<off_t>(piece),
                            SYNC_FILE_RANGE_WRITE);
        }
        done += piece;
      }
    });
    HRESULT prepared;
    try {
      prepared = prepare();
    } catch (...) {
      copier.join();
      throw;
    }
    copier.join();
    if (FAILED(prepared)) return prepared;
    if (copied != ERROR_SUCCESS) return HRESULT_FROM_WIN32(copied);
    return finish(fd, tempPath);
  });
}

}  // namespace vexamor::signcore
