#include "platform/fileio/pinned_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <utility>
#include <vector>

#include "platform/com/last_error.h"

namespace vexamor::fileio {
namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string resolveLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::vector<char> target(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size() - 1);
    if (n < 0) return current;
    const std::string link(target.data(), static_cast<size_t>(n));
    current = link.starts_with('/') ? link : folderOf(current) + "/" + link;
  }
  return current;  // a loop: opening it without following fails on its own
}

PinnedFile::PinnedFile(PinnedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      folder_(std::exchange(other.folder_, -1)),
      folderFlushable_(other.folderFlushable_),
      folderPath_(std::move(other.folderPath_)),
      name_(std::move(other.name_)) {}

PinnedFile& PinnedFile::operator=(PinnedFile&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    folder_ = std::exchange(other.folder_, -1);
    folderFlushable_ = other.folderFlushable_;
    folderPath_ = std::move(other.folderPath_);
    name_ = std::move(other.name_);
  }
  return *this;
}

PinnedFile::~PinnedFile() {
  close();
}

void PinnedFile::close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (folder_ >= 0) ::close(std::exchange(folder_, -1));
}

DWORD PinnedFile::open(const std::string& path, int flags, bool mayBeMissing, PinnedFile* out) {
  PinnedFile pinned;
  const std::string target = resolveLinks(path);
  pinned.folderPath_ = folderOf(target);
  pinned.name_ = nameOf(target);
  if (pinned.name_.empty() || pinned.name_ == "." || pinned.name_ == "..") {
    return ERROR_ACCESS_DENIED;  // a folder, never a file to replace
  }
  // The folder is flushed after the rename, which needs it opened for reading; a folder
  // that may be searched but not listed is still pinned, only not flushed.
  pinned.folder_ = ::open(pinned.folderPath_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  pinned.folderFlushable_ = pinned.folder_ >= 0;
  if (pinned.folder_ < 0 && errno == EACCES) {
    pinned.folder_ = ::open(pinned.folderPath_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  if (pinned.folder_ < 0) return win32::errorFromErrno(errno);

  const int openFlags = flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  pinned.fd_ = ::openat(pinned.folder_, pinned.name_.c_str(), openFlags);
  if (pinned.fd_ < 0) {
    const int err = errno;
    if (err == ENOENT && mayBeMissing) {
      *out = std::move(pinned);
      return ERROR_SUCCESS;
    }
    return win32::errorFromErrno(err);
  }
  if ((flags & O_PATH) == 0) {
    ::fcntl(pinned.fd_, F_SETFL, ::fcntl(pinned.fd_, F_GETFL) & ~O_NONBLOCK);
  }
  *out = std::move(pinned);
  return ERROR_SUCCESS;
}

}  // namespace vexamor::fileio
