#include "strataquill/shell/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

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

}  // namespace

bool isExistingFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && path[0] != '?' && std::filesystem::is_regular_file(path, ec);
}

bool copyFile(const std::string& source, const std::string& target, bool overwrite) {
  Fd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (in.get() < 0 || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (!overwrite && ::access(target.c_str(), F_OK) == 0) return false;

  std::filesystem::path folder = std::filesystem::path(target).parent_path();
  if (folder.empty()) folder = ".";
  std::string temp = (folder / ".copy-XXXXXX").string();
  Fd out(::mkstemp(temp.data()));
  if (out.get() < 0) return false;
  bool ok = copyContents(in.get(), out.get()) && ::fchmod(out.get(), st.st_mode & 0777) == 0 &&
            ::fsync(out.get()) == 0;
  ok = out.close() && ok;
  if (ok) {
    if (overwrite) {
      ok = ::rename(temp.c_str(), target.c_str()) == 0;
    } else {
      // link() refuses an existing target, so a file that appeared since the
      // check above is not replaced either.
      ok = ::link(temp.c_str(), target.c_str()) == 0;
    }
  }
  ::unlink(temp.c_str());
  return ok;
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
