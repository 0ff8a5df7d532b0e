#include "tools/dxsign/emblem_store.h"

#include <gio/gio.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace vexamor::dxsign {
namespace {

constexpr const char* kEmblemsAttribute = "metadata::emblems";

struct ObjectUnref {
  void operator()(gpointer p) const { g_object_unref(p); }
};
template <class T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct ErrorFree {
  void operator()(GError* e) const { g_error_free(e); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

std::vector<std::string> emblemsOf(GFileInfo* info) {
  std::vector<std::string> out;
  switch (g_file_info_get_attribute_type(info, kEmblemsAttribute)) {
    case G_FILE_ATTRIBUTE_TYPE_STRINGV:
      for (char** v = g_file_info_get_attribute_stringv(info, kEmblemsAttribute);
           v != nullptr && *v != nullptr; ++v) {
        out.emplace_back(*v);
      }
      break;
    case G_FILE_ATTRIBUTE_TYPE_STRING:  // a list of one, as some tools store it
      out.emplace_back(g_file_info_get_attribute_string(info, kEmblemsAttribute));
      break;
    default:
      break;
  }
  return out;
}

bool write(GFile* file, const std::vector<std::string>& emblems, std::string* error) {
  GError* raw = nullptr;
  gboolean ok;
  if (emblems.empty()) {
    ok = g_file_set_attribute(file, kEmblemsAttribute, G_FILE_ATTRIBUTE_TYPE_INVALID, nullptr,
                              G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &raw);
  } else {
    std::vector<char*> list;
    for (const std::string& e : emblems) list.push_back(const_cast<char*>(e.c_str()));
    list.push_back(nullptr);
    ok = g_file_set_attribute(file, kEmblemsAttribute, G_FILE_ATTRIBUTE_TYPE_STRINGV, list.data(),
                              G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &raw);
  }
  const ErrorPtr err(raw);
  if (!ok) *error = err ? err->message : "the metadata store refused the change";
  return ok;
}

}  // namespace

std::map<std::string, std::vector<std::string>> folderEmblems(const std::string& folder) {
  std::map<std::string, std::vector<std::string>> out;
  const GObjectPtr<GFile> dir(g_file_new_for_path(folder.c_str()));
  GError* raw = nullptr;
  const GObjectPtr<GFileEnumerator> entries(g_file_enumerate_children(
      dir.get(), (std::string(G_FILE_ATTRIBUTE_STANDARD_NAME) + "," + kEmblemsAttribute).c_str(),
      G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &raw));
  const ErrorPtr err(raw);
  if (!entries) return out;
  for (;;) {
    GError* next = nullptr;
    const GObjectPtr<GFileInfo> info(g_file_enumerator_next_file(entries.get(), nullptr, &next));
    const ErrorPtr nextErr(next);
    if (!info) break;
    out.emplace(g_file_info_get_name(info.get()), emblemsOf(info.get()));
  }
  return out;
}

EmblemChange setEmblem(const std::string& path, const std::string& emblem, bool present,
                       std::string* error, const std::vector<std::string>* known) {
  if (known != nullptr &&
      (std::find(known->begin(), known->end(), emblem) != known->end()) == present) {
    return EmblemChange::kNone;
  }
  const GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  GError* raw = nullptr;
  const GObjectPtr<GFileInfo> info(g_file_query_info(
      file.get(), kEmblemsAttribute, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &raw));
  const ErrorPtr err(raw);
  if (!info) {
    *error = err ? err->message : "cannot read the file's metadata";
    return EmblemChange::kFailed;
  }
  std::vector<std::string> emblems = emblemsOf(info.get());
  const bool has = std::find(emblems.begin(), emblems.end(), emblem) != emblems.end();
  if (has == present) return EmblemChange::kNone;
  if (present) {
    emblems.push_back(emblem);
  } else {
    std::erase(emblems, emblem);
  }
  if (!write(file.get(), emblems, error)) return EmblemChange::kFailed;
  return present ? EmblemChange::kAdded : EmblemChange::kRemoved;
}

bool metadataWritable(const std::string& path, std::string* why) {
  const GObjectPtr<GFile> file(g_file_new_for_path(path.c_str()));
  GError* raw = nullptr;
  GFileAttributeInfoList* spaces = g_file_query_writable_namespaces(file.get(), nullptr, &raw);
  const ErrorPtr err(raw);
  const bool ok = spaces != nullptr && g_file_attribute_info_list_lookup(spaces, "metadata");
  if (spaces != nullptr) g_file_attribute_info_list_unref(spaces);
  if (!ok) {
    *why = err ? err->message
               : "GIO has no metadata store here (it needs gvfs in a D-Bus session, as a "
                 "desktop session has)";
  }
  return ok;
}

}  // namespace vexamor::dxsign
