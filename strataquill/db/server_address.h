#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "strataquill/db/status.h"

namespace sq::db {

// The address of a project on a PostgreSQL server:
//
//   postgresql://[user@]host[:port]/database?project=NAME
//
// It is a libpq connection URI (so host lists, `sslmode`, `host=/socket/folder`,
// service files, PGPASSFILE and the PG* environment variables work as libpq
// documents them) with one parameter of ours, `project`, the name of the
// project's schema, percent-encoded like every URI value.
struct ServerAddress {
  std::string connection;  // the URI that libpq connects with: the address without `project`
  std::string project;     // the decoded project name; "" when the address names none

  // Checks the address with libpq's own URI parser; kConnectionFailed with
  // the reason when it is not one. A project name longer than the server's
  // names (63 bytes) is refused rather than cut short.
  static Result<ServerAddress> parse(std::string_view address);

  // The address, project included, with any password taken out: the form
  // that may be shown, remembered and written to a file.
  std::string withoutPassword() const;
  // The same server and database with another project.
  ServerAddress withProject(std::string_view name) const;
  // The same address with `password` for the login, which libpq then uses
  // instead of the password file's.
  ServerAddress withPassword(std::string_view password) const;
  // The whole address, any password included: for connecting only, never
  // to be shown or kept.
  std::string text() const;
};

// Whether `path` is a server address rather than a file path.
bool isServerAddress(std::string_view path);

// `text` with every byte but the URI's unreserved ones written as %XX.
std::string percentEncode(std::string_view text);

}  // namespace sq::db
