#include "strataquill/shell/program_folder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "strataquill/shell/file_copy.h"

namespace sq {
namespace {

namespace fs = std::filesystem;

fs::path executablePath() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe;
}

std::string& programFolderOverride() {
  static std::string folder;
  return folder;
}

std::string& executableFolderOverride() {
  static std::string folder;
  return folder;
}

// The share folder that an installed executable's folder points to.
fs::path installedShareFolder() {
  return fs::path(executableFolder()).parent_path() / "share" / "strataquill";
}

bool isFolder(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

// Adds to `target` every file of `source` that it lacks; true when the
// target folder exists afterwards.
bool topUpFolder(const fs::path& source, const fs::path& target) {
  std::error_code ec;
  fs::create_directories(target, ec);
  if (!isFolder(target)) return false;
  for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const fs::path copy = target / it->path().filename();
    if (!fs::exists(copy, ec)) copyFile(it->path().string(), copy.string(), false);
  }
  return true;
}

std::string trimBlanks(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

}  // namespace

std::string executableFolder() {
  if (!executableFolderOverride().empty()) return executableFolderOverride();
  std::string folder = executablePath().parent_path().string();
  return folder.empty() ? std::string(".") : folder;
}

std::string executableBaseName() {
  std::string name = executablePath().stem().string();
  return name.empty() ? std::string("strataquill") : name;
}

bool runsInstalled() {
  return programFolderOverride().empty() && isFolder(installedShareFolder());
}

std::string programFolder() {
  std::string folder = trimBlanks(!programFolderOverride().empty() ? programFolderOverride()
                                  : runsInstalled()                ? installedShareFolder().string()
                                                                   : executableFolder());
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string userDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && *data != 0) return std::string(data) + "/vexamor/strataquill";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share/vexamor/strataquill";
}

std::string classificationFile() {
  const std::string shipped = programFolder() + "Classification.sqc";
  if (!runsInstalled()) return shipped;
  const std::string own = userDataFolder() + "/Classification.sqc";
  if (isExistingFile(own)) return own;
  std::error_code ec;
  fs::create_directories(userDataFolder(), ec);
  return copyFile(shipped, own, false) || isExistingFile(own) ? own : shipped;
}

std::string patternsFolder() {
  const std::string shipped = programFolder() + "Patterns";
  if (!runsInstalled()) return shipped;
  const std::string own = userDataFolder() + "/Patterns";
  return topUpFolder(shipped, own) ? own : shipped;
}

void setProgramFolder(std::string folder) {
  programFolderOverride() = std::move(folder);
}

void setExecutableFolderForTesting(std::string folder) {
  executableFolderOverride() = std::move(folder);
}

}  // namespace sq
