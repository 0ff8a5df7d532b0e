#include "strataquill/shell/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

#include "strataquill/shell/user_prompts.h"

namespace sq {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool close() {
    int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool copyContents(int in, int out) {
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += w;
    }
  }
}

int systemRenameNoReplace(const char* from, const char* to) {
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

RenameNoReplaceCall& renameNoReplaceCall() {
  static RenameNoReplaceCall call = systemRenameNoReplace;
  return call;
}

// Creates a new, empty file with a fresh name in `folder`. It is made the way
// any new file of the user is made (mode 0666 less the umask, or what the
// folder's default ACL says), unlike mkstemp's fixed 0600.
Fd createBeside(const std::filesystem::path& folder, std::string& path) {
  static std::atomic<unsigned> counter{0};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, ".copy-%d-%08x-%u", static_cast<int>(::getpid()), random(),
                  counter.fetch_add(1));
    path = (folder / name).string();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return Fd(fd);
    if (errno != EEXIST) break;
  }
  path.clear();
  return Fd(-1);
}

// Moves the finished copy `temp` to `target` unless `target` exists. File
// systems without a rename that refuses to replace (older FUSE file systems,
// some network mounts) get the same guarantee from an exclusive create, which
// every file system has: the name is claimed first, then the copy takes the
// place of the empty file that claimed it.
bool publishWithoutReplacing(const std::string& temp, const std::string& target) {
  if (renameNoReplaceCall()(temp.c_str(), target.c_str()) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP &&
      errno != EPERM)
    return false;
  Fd claim(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
  if (claim.get() < 0) return false;
  claim.close();
  if (::rename(temp.c_str(), target.c_str()) == 0) return true;
  ::unlink(target.c_str());
  return false;
}

// Makes a rename in `folder` durable; a failure only loses durability.
void syncFolder(const std::filesystem::path& folder) {
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) (void)::fsync(dir.get());
}

}  // namespace

namespace {

std::function<bool(const std::string&)>& writableProbe() {
  static std::function<bool(const std::string&)> probe;
  return probe;
}

}  // namespace

bool isWritableFile(const std::string& path) {
  if (writableProbe()) return writableProbe()(path);
  const std::filesystem::path parent = std::filesystem::path(path).parent_path();
  const std::filesystem::path folder = parent.empty() ? std::filesystem::path(".") : parent;
  return ::access(path.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK) == 0;
}

void setWritableProbe(std::function<bool(const std::string&)> probe) {
  writableProbe() = std::move(probe);
}

bool isExistingFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && path[0] != '?' && std::filesystem::is_regular_file(path, ec);
}

bool copyFile(const std::string& source, const std::string& target, bool overwrite) {
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  struct stat existing {};
  const bool targetExists = ::stat(target.c_str(), &existing) == 0;
  if (!overwrite && targetExists) return false;

  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (folder.empty()) folder = ".";
  std::string temp;
  Fd out = createBeside(folder, temp);
  if (out.get() < 0) return false;
  bool ok = copyContents(in.get(), out.get());
  if (ok && overwrite && targetExists) ok = ::fchmod(out.get(), existing.st_mode & 07777) == 0;
  ok = ok && ::fsync(out.get()) == 0;
  ok = out.close() && ok;
  if (ok)
    ok = overwrite ? ::rename(temp.c_str(), target.c_str()) == 0
                   : publishWithoutReplacing(temp, target);
  if (!ok) ::unlink(temp.c_str());
  if (ok) syncFolder(folder);
  return ok;
}

void setRenameNoReplaceCall(RenameNoReplaceCall call) {
  renameNoReplaceCall() = call ? call : systemRenameNoReplace;
}

bool copyTemplateAsking(const std::string& source, const std::string& target) {
  BusyCursor busy;
  if (copyFile(source, target, false)) return true;
  MessageAnswer answer =
      prompts().message("The file " + target + " already exists.  Do you wish to overwrite it?",
                        "Overwrite Existing File?", MessageButtons::kYesNo, MessageIcon::kNone);
  return answer == MessageAnswer::kYes && copyFile(source, target, true);
}

}  // namespace sq
