#include "platform/registry/hive_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "platform/com/last_error.h"
#include "platform/com/utf.h"
#include "platform/registry/call_chain.h"

namespace vexamor::registry {
namespace {

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

struct FileStamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  bool operator==(const FileStamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

LONG stampOf(const std::string& path, FileStamp* stamp) {
  struct stat st;
  *stamp = {};
  if (::stat(path.c_str(), &st) != 0) {
    return errno == ENOENT ? ERROR_SUCCESS : win32::errorFromErrno(errno);
  }
  *stamp = {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim};
  return ERROR_SUCCESS;
}

LONG readWholeFile(const std::string& path, std::string* out) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  out->clear();
  if (fd.get() < 0) return errno == ENOENT ? ERROR_SUCCESS : win32::errorFromErrno(errno);
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return win32::errorFromErrno(errno);
    if (n == 0) return ERROR_SUCCESS;
    out->append(buffer, static_cast<size_t>(n));
  }
}

LONG writeAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return win32::errorFromErrno(errno);
    done += static_cast<size_t>(n);
  }
  return ERROR_SUCCESS;
}

// Writes data beside `path` and renames it over `path`, flushing file and folder.
LONG replaceFile(const std::string& folder, const std::string& path, const std::string& data) {
  std::string tmp = path + ".XXXXXX";
  Fd fd(::mkstemp(tmp.data()));
  if (fd.get() < 0) return win32::errorFromErrno(errno);
  LONG rc = writeAll(fd.get(), data);
  if (rc == ERROR_SUCCESS && ::fchmod(fd.get(), 0644) != 0) rc = win32::errorFromErrno(errno);
  if (rc == ERROR_SUCCESS && ::fsync(fd.get()) != 0) rc = win32::errorFromErrno(errno);
  if (rc == ERROR_SUCCESS && ::rename(tmp.c_str(), path.c_str()) != 0) {
    rc = win32::errorFromErrno(errno);
  }
  if (rc != ERROR_SUCCESS) {
    ::unlink(tmp.c_str());
    return rc;
  }
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return ERROR_SUCCESS;
}

LONG makeFolders(const std::string& folder) {
  for (size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos != folder.size() && folder[pos] != '/') continue;
    const std::string part = folder.substr(0, pos);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return win32::errorFromErrno(errno);
  }
  return ERROR_SUCCESS;
}

// One hive file as last read.
struct CachedFile {
  std::string path;
  FileStamp stamp;
  std::shared_ptr<const RegKey> root;
};

// A hive seen through both of its files: the user's keys laid over the machine's.
struct CachedView {
  std::string userPath, machinePath;
  FileStamp user, machine;
  std::shared_ptr<const RegKey> root;
};

constexpr size_t kHiveCount = std::size(kAllHives);

std::mutex gMutex;
CachedFile gFiles[kHiveCount][2];  // [hive][Scope]
CachedView gViews[kHiveCount];

CachedFile& fileCacheFor(Hive hive, Scope scope) {
  return gFiles[static_cast<size_t>(hive)][static_cast<size_t>(scope)];
}

// The call chain open on this thread (0: none) and how deeply chains are nested there. Chain
// numbers are never reused, so a number left behind by an earlier chain never matches.
std::atomic<uint64_t> gNextChain{1};
thread_local uint64_t tChain = 0;
thread_local unsigned tChainDepth = 0;

// Each hive as this thread's chain first read it; held until the chain ends.
struct ChainView {
  uint64_t chain = 0;
  std::shared_ptr<const RegKey> root;
};
thread_local ChainView tChainViews[kHiveCount];

std::string hiveFile(const std::string& folder, Hive hive) {
  return folder + "/" + hiveName(hive) + ".reg";
}

bool machineScopeRequested() {
  const char* scope = std::getenv("VEXAMOR_REGISTRY_SCOPE");
  return scope != nullptr && std::string_view(scope) == "machine";
}

// REQUIRES: gMutex held.
LONG loadFresh(Hive hive, const std::string& path, std::unique_ptr<RegKey>* root, FileStamp* stamp,
               bool* damaged) {
  LONG rc = stampOf(path, stamp);
  std::string bytes;
  if (rc == ERROR_SUCCESS) rc = readWholeFile(path, &bytes);
  if (rc != ERROR_SUCCESS) return rc;
  const RegFile file = parseRegText(bytes);
  *damaged = !file.problems.empty();
  *root = std::make_unique<RegKey>(std::u16string(u""));
  applyEntries(file, hive, **root);
  return ERROR_SUCCESS;
}

// REQUIRES: gMutex held. The keys of one hive file, re-read only when it changed.
LONG readFile(Hive hive, Scope scope, const std::string& path, std::shared_ptr<const RegKey>* out,
              FileStamp* stampOut) {
  CachedFile& cache = fileCacheFor(hive, scope);
  FileStamp stamp;
  const LONG rc = stampOf(path, &stamp);
  if (rc != ERROR_SUCCESS) return rc;
  if (!cache.root || cache.path != path || !(cache.stamp == stamp)) {
    std::unique_ptr<RegKey> root;
    bool damaged = false;
    const LONG loaded = loadFresh(hive, path, &root, &stamp, &damaged);
    if (loaded != ERROR_SUCCESS) return loaded;
    cache = {path, stamp, std::shared_ptr<const RegKey>(std::move(root))};
  }
  *out = cache.root;
  *stampOut = cache.stamp;
  return ERROR_SUCCESS;
}

// Lays `upper`'s values and keys over `lower`: a value of the same name is replaced where it
// stands, new values and keys are added.
void overlay(RegKey& lower, const RegKey& upper) {
  for (const RegValue& value : upper.values()) lower.setValue(value.name, value.type, value.data);
  for (const auto& sub : upper.subkeys()) overlay(lower.createSubkey(sub->name()), *sub);
}

LONG readHiveFiles(Hive hive, std::shared_ptr<const RegKey>* out);

}  // namespace

CallChain::CallChain() {
  if (tChainDepth++ == 0) tChain = gNextChain.fetch_add(1, std::memory_order_relaxed);
}

CallChain::~CallChain() {
  if (--tChainDepth > 0) return;
  tChain = 0;
  for (ChainView& view : tChainViews) view = {};
}

std::string registryFolder() {
  if (const char* dir = std::getenv("VEXAMOR_REGISTRY"); dir != nullptr && *dir != 0) return dir;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != 0) {
    return std::string(xdg) + "/vexamor/registry";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/vexamor/registry";
}

std::string machineRegistryFolder() {
  if (const char* dir = std::getenv("VEXAMOR_MACHINE_REGISTRY"); dir != nullptr && *dir != 0) {
    return dir;
  }
  return VEXAMOR_MACHINE_REGISTRY_DIR;
}

bool hasMachineHive(Hive hive) {
  return hive == Hive::ClassesRoot || hive == Hive::LocalMachine;
}

LONG writeScope(Scope* scope) {
  *scope = Scope::User;
  if (!machineScopeRequested()) return ERROR_SUCCESS;
  if (::geteuid() != 0) return ERROR_ACCESS_DENIED;
  *scope = Scope::Machine;
  return ERROR_SUCCESS;
}

std::string hivePath(Hive hive) {
  return hiveFile(registryFolder(), hive);
}

LONG readHive(Hive hive, std::shared_ptr<const RegKey>* out) {
  ChainView& chainView = tChainViews[static_cast<size_t>(hive)];
  if (tChain != 0 && chainView.chain == tChain) {
    *out = chainView.root;
    return ERROR_SUCCESS;
  }
  const LONG rc = readHiveFiles(hive, out);
  if (rc == ERROR_SUCCESS && tChain != 0) chainView = {tChain, *out};
  return rc;
}

namespace {

// readHive without the call chain: looks at the hive's files now.
LONG readHiveFiles(Hive hive, std::shared_ptr<const RegKey>* out) {
  const std::string userPath = hivePath(hive);
  const std::string machinePath = hiveFile(machineRegistryFolder(), hive);
  std::lock_guard lock(gMutex);
  FileStamp userStamp, machineStamp;
  if (!hasMachineHive(hive)) return readFile(hive, Scope::User, userPath, out, &userStamp);
  if (machineScopeRequested()) {
    return readFile(hive, Scope::Machine, machinePath, out, &machineStamp);
  }
  std::shared_ptr<const RegKey> user, machine;
  LONG rc = readFile(hive, Scope::User, userPath, &user, &userStamp);
  if (rc == ERROR_SUCCESS) rc = readFile(hive, Scope::Machine, machinePath, &machine, &machineStamp);
  if (rc != ERROR_SUCCESS) return rc;
  CachedView& view = gViews[static_cast<size_t>(hive)];
  if (!view.root || view.userPath != userPath || view.machinePath != machinePath ||
      !(view.user == userStamp) || !(view.machine == machineStamp)) {
    std::shared_ptr<const RegKey> root;
    if (machine->values().empty() && machine->subkeys().empty()) {
      root = user;  // no machine keys: nothing to lay the user's over
    } else {
      std::unique_ptr<RegKey> merged = machine->clone();
      overlay(*merged, *user);
      root = std::move(merged);
    }
    view = {userPath, machinePath, userStamp, machineStamp, std::move(root)};
  }
  *out = view.root;
  return ERROR_SUCCESS;
}

}  // namespace

LONG updateHive(Hive hive, const HiveChange& change) {
  Scope scope;
  LONG rc = writeScope(&scope);
  if (rc != ERROR_SUCCESS) return rc;
  if (!hasMachineHive(hive)) scope = Scope::User;
  const std::string folder = scope == Scope::Machine ? machineRegistryFolder() : registryFolder();
  const std::string path = hiveFile(folder, hive);
  std::lock_guard lock(gMutex);
  rc = makeFolders(folder);
  if (rc != ERROR_SUCCESS) return rc;
  Fd lockFd(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lockFd.get() < 0) return win32::errorFromErrno(errno);
  while (::flock(lockFd.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return win32::errorFromErrno(errno);
  }
  std::unique_ptr<RegKey> root;
  FileStamp stamp;
  bool damaged = false;
  rc = loadFresh(hive, path, &root, &stamp, &damaged);
  if (rc != ERROR_SUCCESS) return rc;
  bool changed = false;
  rc = change(*root, &changed);
  if (rc != ERROR_SUCCESS || !changed) return rc;
  if (damaged) {
    std::string original;
    if (readWholeFile(path, &original) == ERROR_SUCCESS) {
      replaceFile(folder, path + ".damaged", original);
    }
  }
  // What this thread reads next must include what it writes: the hive is looked at again.
  tChainViews[static_cast<size_t>(hive)] = {};
  rc = replaceFile(folder, path, writeRegText(*root, text::utf8ToUtf16(hiveName(hive))));
  if (rc != ERROR_SUCCESS) return rc;
  FileStamp written;
  if (stampOf(path, &written) == ERROR_SUCCESS) {
    fileCacheFor(hive, scope) = {path, written, std::shared_ptr<const RegKey>(std::move(root))};
  }
  return ERROR_SUCCESS;
}

}  // namespace vexamor::registry
