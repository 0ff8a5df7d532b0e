// The badge as file managers read it: the GIO attribute metadata::emblems, a list of icon
// names kept per file by the GIO metadata store (gvfs). Nautilus, Nemo, Caja and Thunar draw
// every emblem named there.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vexamor::dxsign {

enum class EmblemChange { kNone, kAdded, kRemoved, kFailed };

// The emblems of the entries of a folder, by name, read in one go: GIO reads a folder's
// metadata at once far faster than file by file (each of which asks the metadata daemon).
// Empty when the folder cannot be read.
std::map<std::string, std::vector<std::string>> folderEmblems(const std::string& folder);

// Puts `emblem` into the file's list or takes it out, keeping every other emblem in its
// place; writes nothing when the list already says the right thing. A symbolic link is not
// followed: its own metadata would be read and written. `known`, when given, is the file's
// list as read a moment ago (folderEmblems): when it already says the right thing nothing is
// read or written; otherwise the list is read again before it is changed. On kFailed,
// *error says why.
EmblemChange setEmblem(const std::string& path, const std::string& emblem, bool present,
                       std::string* error, const std::vector<std::string>* known = nullptr);

// Whether GIO can keep metadata for `path` here (no metadata store without a D-Bus session
// running gvfs); *why tells what is missing.
bool metadataWritable(const std::string& path, std::string* why);

}  // namespace vexamor::dxsign
