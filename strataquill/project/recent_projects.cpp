#include "strataquill/project/recent_projects.h"

#include <libpq-fe.h>

#include <algorithm>
#include <filesystem>

#include "strataquill/db/server_address.h"
#include "strataquill/shell/settings_store.h"

namespace sq::project {
namespace {

std::string key(int n) {
  return "Recent" + std::to_string(n);
}

void store(const std::vector<std::string>& paths) {
  for (int n = 1; n <= kRecentProjects; ++n)
    SaveSetting("Files", key(n), n <= static_cast<int>(paths.size()) ? paths[n - 1] : "");
}

// What may be kept of `path`: a server address loses any password.
std::string keepable(const std::string& path) {
  if (!db::isServerAddress(path)) return path;
  auto parsed = db::ServerAddress::parse(path);
  return parsed.ok() ? parsed->withoutPassword() : std::string();
}

}  // namespace

std::vector<std::string> RecentProjects() {
  std::vector<std::string> paths;
  for (int n = 1; n <= kRecentProjects; ++n) {
    std::string path = keepable(GetSetting("Files", key(n), ""));
    if (!path.empty() && std::find(paths.begin(), paths.end(), path) == paths.end())
      paths.push_back(std::move(path));
  }
  return paths;
}

void RememberRecentProject(const std::string& path) {
  const std::string kept = keepable(path);
  if (kept.empty()) return;
  std::vector<std::string> paths = RecentProjects();
  paths.erase(std::remove(paths.begin(), paths.end(), kept), paths.end());
  paths.insert(paths.begin(), kept);
  if (paths.size() > kRecentProjects) paths.resize(kRecentProjects);
  store(paths);
}

void ForgetRecentProject(const std::string& path) {
  std::vector<std::string> paths = RecentProjects();
  const auto end = std::remove(paths.begin(), paths.end(), keepable(path));
  if (end == paths.end()) return;
  paths.erase(end, paths.end());
  store(paths);
}

std::string RecentProjectCaption(const std::string& path) {
  if (!db::isServerAddress(path)) return std::filesystem::path(path).filename().string();
  auto parsed = db::ServerAddress::parse(path);
  if (!parsed.ok()) return path;
  // libpq's own reading of the address says where the server is.
  std::string host, database;
  if (PQconninfoOption* options = PQconninfoParse(parsed->connection.c_str(), nullptr)) {
    for (PQconninfoOption* o = options; o->keyword; ++o) {
      if (!o->val) continue;
      if (std::string_view(o->keyword) == "host") host = o->val;
      if (std::string_view(o->keyword) == "dbname") database = o->val;
    }
    PQconninfoFree(options);
  }
  std::string where = database;
  if (!host.empty()) where += (where.empty() ? "" : " on ") + host;
  return parsed->project + (where.empty() ? "" : " (" + where + ")");
}

}  // namespace sq::project
