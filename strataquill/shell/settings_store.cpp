#include "strataquill/shell/settings_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "strataquill/db/ascii_case.h"
#include "strataquill/shell/ini_file.h"
#include "strataquill/shell/program_folder.h"

namespace sq {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Holds an exclusive lock on a lock file beside the settings file for as
// long as it lives.
class FileLock {
 public:
  explicit FileLock(const fs::path& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

bool writeAll(int fd, const std::string& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string& applicationNameStorage() {
  static std::string name = executableBaseName();
  return name;
}

}  // namespace

SettingsStore SettingsStore::forCurrentUser() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : "/tmp") / ".config";
  }
  return SettingsStore(base / "vexamor");
}

fs::path SettingsStore::fileFor(std::string_view application) const {
  // Application names, like sections and keys, ignore case: an existing
  // file of another spelling is the application's file.
  const std::string wanted = std::string(application) + ".ini";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    const std::string name = entry.path().filename().string();
    if (db::equalsIgnoreCase(name, wanted)) return entry.path();
  }
  return folder_ / wanted;
}

std::string SettingsStore::get(std::string_view application, std::string_view section,
                               std::string_view key, std::string_view defaultValue) const {
  auto text = readFile(fileFor(application));
  if (!text) return std::string(defaultValue);
  auto value = IniFile::parse(*text).get(section, key);
  return value ? *value : std::string(defaultValue);
}

bool SettingsStore::save(std::string_view application, std::string_view section,
                         std::string_view key, std::string_view value) const {
  std::error_code ec;
  fs::create_directories(folder_, ec);
  const fs::path file = fileFor(application);
  FileLock lock(fs::path(file) += ".lock");
  if (!lock.locked()) return false;

  IniFile ini = IniFile::parse(readFile(file).value_or(""));
  ini.set(section, key, value);
  const std::string data = ini.serialize();

  fs::path temp = file;
  temp += ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = writeAll(fd, data) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temp.c_str(), file.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

const std::string& applicationName() {
  return applicationNameStorage();
}
void setApplicationName(std::string name) {
  applicationNameStorage() = std::move(name);
}

std::string GetSetting(std::string_view section, std::string_view key,
                       std::string_view defaultValue) {
  return SettingsStore::forCurrentUser().get(applicationName(), section, key, defaultValue);
}

bool SaveSetting(std::string_view section, std::string_view key, std::string_view value) {
  return SettingsStore::forCurrentUser().save(applicationName(), section, key, value);
}

}  // namespace sq
