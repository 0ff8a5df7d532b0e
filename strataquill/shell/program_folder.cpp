#include "strataquill/shell/program_folder.h"

#include <filesystem>
#include <system_error>

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

std::string trimBlanks(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

}  // namespace

std::string executableFolder() {
  std::string folder = executablePath().parent_path().string();
  return folder.empty() ? std::string(".") : folder;
}

std::string executableBaseName() {
  std::string name = executablePath().stem().string();
  return name.empty() ? std::string("strataquill") : name;
}

std::string programFolder() {
  std::string folder =
      trimBlanks(programFolderOverride().empty() ? executableFolder() : programFolderOverride());
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

void setProgramFolder(std::string folder) {
  programFolderOverride() = std::move(folder);
}

}  // namespace sq
