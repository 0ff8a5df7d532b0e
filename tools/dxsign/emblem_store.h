// The badge as file managers read it: the GIO attribute metadata::emblems, a list of icon
// names kept per file by the GIO metadata store (gvfs). Nautilus, Nemo, Caja and Thunar draw
// every emblem named there.
#pragma once

#include <string>

namespace vexamor::dxsign {

enum class EmblemChange { kNone, kAdded, kRemoved, kFailed };

// Puts `emblem` into the file's list or takes it out, keeping every other emblem in its
// place; writes nothing when the list already says the right thing. A symbolic link is not
// followed: its own metadata would be read and written. On kFailed, *error says why.
EmblemChange setEmblem(const std::string& path, const std::string& emblem, bool present,
                       std::string* error);

// Whether GIO can keep metadata for `path` here (no metadata store without a D-Bus session
// running gvfs); *why tells what is missing.
bool metadataWritable(const std::string& path, std::string* why);

}  // namespace vexamor::dxsign
