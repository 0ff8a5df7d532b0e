#include "signcore/handlers/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) ::close(fd_);
}

Result<std::string> pathFromBstr(BSTR path) {
  const std::u16string_view text(path != nullptr ? path : u"", SysStringLen(path));
  if (text.find(u'\0') != std::u16string_view::npos) return systemFault(ERROR_INVALID_NAME);
  return text::utf16ToUtf8(text);
}

Result<UniqueFd> openExistingFile(const std::string& path, bool forWriting) {
  // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused just below.
  const int flags = (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  UniqueFd fd(::open(path.c_str(), flags));
  if (fd.get() < 0) {
    // A folder cannot be opened for writing at all; say the same as when it is read.
    return systemFault(errno == EISDIR ? ERROR_ACCESS_DENIED : win32::errorFromErrno(errno));
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return systemFault(win32::errorFromErrno(errno));
  if (S_ISDIR(st.st_mode)) return systemFault(ERROR_ACCESS_DENIED);
  if (!S_ISREG(st.st_mode)) return systemFault(ERROR_NOT_SUPPORTED);
  ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
  return fd;
}

Result<FileIdentity> identityOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return systemFault(win32::errorFromErrno(errno));
  return identityFrom(st);
}

Result<OpenedFile> openUserFile(const std::string& path, bool forWriting) {
  Result<UniqueFd> fd = openExistingFile(path, forWriting);
  if (!fd.ok()) return fd.fault();
  Result<FileIdentity> identity = identityOf(fd->get());
  if (!identity.ok()) return identity.fault();
  const int descriptor = fd->get();
  return OpenedFile{std::move(*fd), *identity, FileSource(descriptor, identity->size)};
}

HRESULT replaceSignedFile(const std::string& path, const FileIdentity& before,
                          const SignedFileWriter& write) {
  auto unchanged = [&]() -> DWORD {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return win32::errorFromErrno(errno);
    return identityFrom(st) == before ? ERROR_SUCCESS : ERROR_SHARING_VIOLATION;
  };
  HRESULT written = S_OK;
  const DWORD rc = fileio::replaceFile(
      path,
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

HRESULT replaceSignedFileCopying(const std::string& path, const FileIdentity& before, int source,
                                 uint64_t prefixLength, const std::function<HRESULT()>& prepare,
                                 const SignedFileWriter& finish) {
  return replaceSignedFile(path, before, [&](int fd, const std::string& tempPath) -> HRESULT {
    DWORD copied = ERROR_SUCCESS;
    std::thread copier([&] {
      copied = fileio::copyRange(source, 0, prefixLength, fd);
      // Start writing the copy out now, so that the flush before the rename has less to do.
      if (copied == ERROR_SUCCESS) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
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
