#pragma once

#include <functional>
#include <string>

namespace sq {

// Whether `path` names an existing regular file. The no-file marker ("???",
// or anything starting with "?") never does.
bool isExistingFile(const std::string& path);

// Whether the file at `path` and its folder take writes (the database
// engine writes a journal beside the file).
bool isWritableFile(const std::string& path);
// Replaces that test, for tests (a test run as root can write anything);
// empty restores the real test.
void setWritableProbe(std::function<bool(const std::string& path)> probe);

// Copies `source` to `target`. Without `overwrite` an existing target makes
// the copy fail and is never replaced, on every kind of file system. The copy
// goes to a temporary file in the target's folder that is renamed into place,
// so a failed copy never leaves a half-written target and an existing target
// is replaced whole or not at all. A new file gets the mode that the user's
// umask gives new files (never the source's, so a template installed
// read-only still gives a writable copy); a replaced file keeps its own mode.
// False on any failure.
bool copyFile(const std::string& source, const std::string& target, bool overwrite);

// Copies a template file to a new file under the hourglass: when the copy
// fails for any reason (usually an existing target) it asks "The file
// <target> already exists.  Do you wish to overwrite it?" and on Yes copies
// again, replacing the target. True when one of the copies succeeded.
bool copyTemplateAsking(const std::string& source, const std::string& target);

// The call that puts a finished copy in place without replacing anything
// (renameat2 with RENAME_NOREPLACE); it returns 0 or -1 with errno set.
// Tests stand in for file systems that lack it (vfat, exFAT, SMB and FUSE
// mounts may answer EINVAL); null restores the system's call.
using RenameNoReplaceCall = int (*)(const char* from, const char* to);
void setRenameNoReplaceCall(RenameNoReplaceCall call);

}  // namespace sq
