#pragma once

#include <string>

namespace sq {

// Whether `path` names an existing regular file. The no-file marker ("???",
// or anything starting with "?") never does.
bool isExistingFile(const std::string& path);

// Copies `source` to `target`. Without `overwrite` an existing target makes
// the copy fail. The copy goes to a temporary file in the target's folder
// that is renamed into place, so a failed copy never leaves a half-written
// target and an existing target is replaced whole or not at all. False on
// any failure.
bool copyFile(const std::string& source, const std::string& target, bool overwrite);

// Copies a template file to a new file under the hourglass: when the copy
// fails for any reason (usually an existing target) it asks "The file
// <target> already exists.  Do you wish to overwrite it?" and on Yes copies
// again, replacing the target. True when one of the copies succeeded.
bool copyTemplateAsking(const std::string& source, const std::string& target);

}  // namespace sq
