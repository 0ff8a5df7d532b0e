#pragma once

#include <string>

#include "strataquill/db/status.h"

namespace sq::db {

// A project link (.sqp): a small text file that stands for a project on a
// database server, so that file managers, the command line and
// strataquill-log open a server project as they open a project file. It
// holds the project's address (server_address.h) and nothing else; lines
// that are empty or begin with '#' are skipped when it is read.

// The address in the link file `path`. kFileNotFound when there is no such
// file; kConnectionFailed when it holds no server address.
Result<std::string> ReadProjectLink(const std::string& path);

// Writes `address`, which must name a project, as the link file `path`,
// with any password taken out; an existing file is replaced whole.
Status WriteProjectLink(const std::string& path, const std::string& address);

// Whether `path` names a link file (ends in ".sqp", in any case).
bool isProjectLink(const std::string& path);

}  // namespace sq::db
