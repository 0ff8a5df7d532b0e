// strataquill-project: moves projects between project files and a PostgreSQL
// server, and lists the projects on a server.

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "strataquill/db/project_link.h"
#include "strataquill/db/server_address.h"
#include "strataquill/sharing/project_transfer.h"

namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;

constexpr const char* kUsageText =
    "Usage: strataquill-project push FILE.sq2 ADDRESS [--replace]\n"
    "       strataquill-project pull ADDRESS -o FILE.sq2 [--force]\n"
    "       strataquill-project list ADDRESS\n"
    "       strataquill-project link ADDRESS -o FILE.sqp [--force]\n"
    "\n"
    "push copies a project file into a new project on a PostgreSQL server (--replace: drop\n"
    "an existing project of that name first); pull copies a server project into a project\n"
    "file (--force: overwrite an existing file); list names the server's projects. Each\n"
    "runs in one transaction: all of it or nothing. link writes a small file that holds\n"
    "only the project's address (never a password), which strataquill and strataquill-log\n"
    "open like a project file.\n"
    "\n"
    "ADDRESS: postgresql://[user@]host[:port]/database?project=NAME, a libpq connection\n"
    "URI with the project's name percent-encoded; passwords come from ~/.pgpass.\n";

int usage() {
  std::cerr << kUsageText;
  return kUsage;
}

int failed(const sq::db::Status& s) {
  std::cerr << "strataquill-project: " << s.message() << "\n";
  return kFailed;
}

// The address as it may be shown: never with a password.
std::string shown(const std::string& address) {
  auto parsed = sq::db::ServerAddress::parse(address);
  return parsed.ok() ? parsed->withoutPassword() : address;
}

std::string counted(const sq::sharing::CopyCount& c) {
  return std::to_string(c.tables) + (c.tables == 1 ? " table, " : " tables, ") +
         std::to_string(c.rows) + (c.rows == 1 ? " row" : " rows");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return usage();
  if (args.size() == 1 && args[0] == "--help") {
    std::cout << kUsageText;
    return 0;
  }
  const std::string command = args[0];
  std::vector<std::string> plain;
  bool replace = false, force = false;
  std::string output;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--replace") {
      replace = true;
    } else if (args[i] == "--force") {
      force = true;
    } else if (args[i] == "-o" || args[i] == "--output") {
      if (++i == args.size()) return usage();
      output = args[i];
    } else if (args[i].starts_with("-") && args[i] != "-") {
      return usage();
    } else {
      plain.push_back(args[i]);
    }
  }

  if (command == "push" && plain.size() == 2 && output.empty() && !force) {
    auto r = sq::sharing::pushProject(plain[0], plain[1], replace);
    if (!r.ok()) return failed(r.status());
    std::cout << "Pushed " << plain[0] << " to " << shown(plain[1]) << " (" << counted(*r)
              << ").\n";
    return 0;
  }
  if (command == "pull" && plain.size() == 1 && !output.empty() && !replace) {
    auto r = sq::sharing::pullProject(plain[0], output, force);
    if (!r.ok()) return failed(r.status());
    std::cout << "Pulled " << shown(plain[0]) << " to " << output << " (" << counted(*r) << ").\n";
    return 0;
  }
  if (command == "link" && plain.size() == 1 && !output.empty() && !replace) {
    if (std::filesystem::exists(output) && !force)
      return failed(
          sq::db::Status::error(sq::db::ErrorCode::kTableExists,
                                "The file " + output + " exists already; it is left as it is."));
    if (sq::db::Status s = sq::db::WriteProjectLink(output, plain[0]); !s.ok()) return failed(s);
    std::cout << "Wrote " << output << " for " << shown(plain[0]) << ".\n";
    return 0;
  }
  if (command == "list" && plain.size() == 1 && output.empty() && !replace && !force) {
    auto r = sq::db::Database::listServerProjects(plain[0]);
    if (!r.ok()) return failed(r.status());
    for (const std::string& name : *r) std::cout << name << "\n";
    return 0;
  }
  return usage();
}
