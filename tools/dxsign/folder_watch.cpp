#include "tools/dxsign/folder_watch.h"

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace vexamor::dxsign {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kEvents =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_ATTRIB | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
// Changes that come close together (a signing writes a temporary file, then renames it) are
// handled as one batch once the folders have been quiet this long.
constexpr int kQuietMs = 150;
constexpr int kLongestBatchMs = 2000;

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

bool isRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void addFilesBelow(const std::string& folder, std::set<std::string>* out) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                           ec),
       end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec)) out->insert(it->path().string());
  }
}

}  // namespace

FolderWatch::FolderWatch()
    : inotify_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
  const sigset_t set = stopSignals();
  signals_ = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
}

FolderWatch::~FolderWatch() {
  if (inotify_ >= 0) ::close(inotify_);
  if (signals_ >= 0) ::close(signals_);
}

void FolderWatch::blockStopSignals() {
  const sigset_t set = stopSignals();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool FolderWatch::addFolder(const std::string& folder, bool tree, const std::string& name,
                            std::string* error) {
  if (inotify_ < 0) {
    *error = std::string("inotify: ") + std::strerror(errno);
    return false;
  }
  const int wd = inotify_add_watch(inotify_, folder.c_str(), kEvents | IN_ONLYDIR);
  if (wd < 0) {
    *error = folder + ": " +
             (errno == ENOSPC ? "the system's limit of watched folders is reached "
                                "(sysctl fs.inotify.max_user_watches)"
                              : std::strerror(errno));
    return false;
  }
  Watched& w = watched_[wd];
  // A folder followed both whole and for single files is followed whole.
  if (w.folder.empty()) {
    w = {folder, tree, {}};
    if (!name.empty()) w.names.insert(name);
  } else if (tree || name.empty()) {
    w.tree = w.tree || tree;
    w.names.clear();
  } else if (!w.names.empty()) {
    w.names.insert(name);
  }
  return true;
}

bool FolderWatch::addTree(const std::string& folder, std::string* error) {
  if (!addFolder(folder, true, "", error)) return false;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                           ec),
       end;
       !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec) &&
        !addFolder(it->path().string(), true, "", error)) {
      return false;
    }
  }
  return true;
}

bool FolderWatch::addFile(const std::string& file, std::string* error) {
  const fs::path p = fs::absolute(file);
  return addFolder(p.parent_path().string(), false, p.filename().string(), error);
}

void FolderWatch::drain(std::set<std::string>* changed) {
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t n = ::read(inotify_, buffer, sizeof buffer);
    if (n <= 0) return;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      const auto it = watched_.find(e->wd);
      if (it == watched_.end() || e->len == 0) continue;
      if ((e->mask & IN_IGNORED) != 0) {
        watched_.erase(it);
        continue;
      }
      const Watched w = it->second;
      const std::string name = e->name;
      const std::string path = w.folder + "/" + name;
      if ((e->mask & IN_ISDIR) != 0) {
        // A folder made or moved in below a followed tree: follow it and look at what it
        // already holds, which may have arrived before the watch did.
        std::string ignored;
        if (w.tree && (e->mask & (IN_CREATE | IN_MOVED_TO)) != 0 && addTree(path, &ignored)) {
          addFilesBelow(path, changed);
        }
        continue;
      }
      if (!w.names.empty() && w.names.count(name) == 0) continue;
      changed->insert(path);
    }
  }
}

bool FolderWatch::next(std::vector<std::string>* changed) {
  std::set<std::string> gathered;
  int waited = 0;
  for (;;) {
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {signals_, POLLIN, 0}};
    const int timeout = gathered.empty() ? -1 : kQuietMs;
    const int ready = ::poll(fds, 2, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if ((fds[1].revents & POLLIN) != 0) return false;
    if (ready <= 0 || (waited += kQuietMs) > kLongestBatchMs) {
      if (ready > 0) drain(&gathered);
      break;
    }
    drain(&gathered);
  }
  changed->clear();
  for (const std::string& path : gathered) {
    if (isRegularFile(path)) changed->push_back(path);
  }
  return true;
}

}  // namespace vexamor::dxsign
