#include "strataquill/db/project_link.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "strataquill/db/ascii_case.h"
#include "strataquill/db/server_address.h"

namespace sq::db {
namespace {

// A link is one line; anything much longer is not one.
constexpr std::uintmax_t kLongestLink = 64 * 1024;

std::string trimmed(const std::string& line) {
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool isProjectLink(const std::string& path) {
  return path.size() >= 4 &&
         equalsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".sqp");
}

Result<std::string> ReadProjectLink(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec))
    return Status::error(ErrorCode::kFileNotFound, "Could not find file '" + path + "'.");
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  std::ifstream in(path, std::ios::binary);
  if (ec || !in)
    return Status::error(ErrorCode::kFileNotFound, "Cannot read the file '" + path + "'.");
  auto noAddress = [&] {
    return Status::error(ErrorCode::kConnectionFailed,
                         "The file '" + path + "' holds no server project's address.");
  };
  if (size > kLongestLink) return noAddress();
  std::string line;
  while (std::getline(in, line)) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    auto address = ServerAddress::parse(line);
    if (!address.ok())
      return Status::error(address.status().code(), "The file '" + path +
                                                        "' holds no server project's "
                                                        "address.  " +
                                                        address.status().message());
    if (address->project.empty()) return noAddress();
    return line;
  }
  return noAddress();
}

Status WriteProjectLink(const std::string& path, const std::string& address) {
  auto parsed = ServerAddress::parse(address);
  if (!parsed.ok()) return parsed.status();
  if (parsed->project.empty())
    return Status::error(ErrorCode::kConnectionFailed,
                         "The address names no project: add ?project=NAME to it.");
  // Written beside the file and renamed over it, so a reader never finds
  // half an address.
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << parsed->withoutPassword() << "\n";
    out.flush();
    if (!out) {
      std::remove(partial.c_str());
      return Status::error(ErrorCode::kGeneric, "Cannot write " + path + ".");
    }
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    std::remove(partial.c_str());
    return Status::error(ErrorCode::kGeneric, "Cannot write " + path + ": " + why);
  }
  return {};
}

}  // namespace sq::db
