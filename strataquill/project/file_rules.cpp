#include "strataquill/project/file_rules.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"

namespace sq::project {

CommandLineFile classifyCommandLine(const std::string& commandLine) {
  if (commandLine.empty()) return CommandLineFile::kNone;
  std::string ext =
      commandLine.size() >= 4 ? commandLine.substr(commandLine.size() - 4) : commandLine;
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (ext == ".SQ2") return CommandLineFile::kProject;
  // A project on a server, by its address or by a link file.
  if (db::isServerAddress(commandLine) || ext == ".SQP") return CommandLineFile::kServerProject;
  if (ext == ".SQF" || ext == ".SQC") return CommandLineFile::kOpenInProgram;
  return CommandLineFile::kUnknown;
}

db::Result<ProjectTarget> ResolveProject(const std::string& named) {
  std::string address = named;
  if (!db::isServerAddress(named)) {
    if (!db::isProjectLink(named))
      return ProjectTarget{named, std::filesystem::path(named).filename().string()};
    auto read = db::ReadProjectLink(named);
    if (!read.ok()) return read.status();
    address = std::move(read.value());
  }
  auto parsed = db::ServerAddress::parse(address);
  if (!parsed.ok()) return parsed.status();
  if (parsed->project.empty())
    return db::Status::error(db::ErrorCode::kConnectionFailed,
                             "The address names no project: add ?project=NAME to it.");
  return ProjectTarget{address, parsed->project};
}

std::string ServerOutputPath(const std::string& named, const std::string& title,
                             const std::string& extension) {
  if (db::isProjectLink(named))
    return std::filesystem::path(named).replace_extension(extension).string();
  std::string stem = title;
  std::replace(stem.begin(), stem.end(), '/', '_');
  return (stem.empty() || stem[0] == '.' ? "_" + stem : stem) + extension;
}

bool sameFile(const std::string& a, const std::string& b) {
  // Server addresses are no files.
  if (db::isServerAddress(a) || db::isServerAddress(b)) return false;
  if (a.empty() || b.empty() || a[0] == '?' || b[0] == '?') return false;
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec)) return true;
  // A file not made yet is compared by its path.
  const auto normal = [](const std::string& p) {
    std::error_code e;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(p, e), e);
  };
  return normal(a) == normal(b);
}

std::string replacingOpenFile(const std::string& target, const std::string& projectPath,
                              const std::string& designerLayoutPath) {
  if (sameFile(target, projectPath))
    return "The file " + target +
           " is the project that is open.  Close it before you create a new file in its place.";
  if (sameFile(target, designerLayoutPath))
    return "The file " + target +
           " is open in the layout designer.  Close the designer before you create a new file "
           "in its place.";
  return {};
}

std::string readOnlyText(const std::string& title, const std::string& what) {
  return "The project " + title + " is read-only.  " + what;
}

}  // namespace sq::project
